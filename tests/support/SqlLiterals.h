// Reads a statement as the server does: its quoted texts decoded (MariaDB's rules, quote
// doubled or escaped with a backslash) and the rest of it, the shape, with each quoted
// text replaced by '?'. Two statements of one form have the same shape whatever their
// values; a value that broke out of its quotes changes the shape.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zel::test {

struct ParsedSql {
    std::string shape;                 // the text outside quotes, '?' for each quoted text
    std::vector<std::string> literals; // the quoted texts as the server reads them
    bool closed = true;                // false when a quoted text runs to the end
};

inline char DecodeEscape(char c) {
    switch (c) {
    case '0':
        return '\0';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'b':
        return '\b';
    case 'Z':
        return '\x1A';
    default:
        return c;
    }
}

inline ParsedSql ParseSql(std::string_view sql) {
    ParsedSql parsed;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] != '\'') {
            parsed.shape += sql[i];
            continue;
        }
        parsed.shape += '?';
        std::string value;
        bool closed = false;
        for (++i; i < sql.size(); ++i) {
            if (sql[i] == '\\' && i + 1 < sql.size()) {
                // \% and \_ keep their backslash (they matter only to like).
                if (sql[i + 1] == '%' || sql[i + 1] == '_')
                    value += '\\';
                value += DecodeEscape(sql[++i]);
            } else if (sql[i] == '\'' && i + 1 < sql.size() && sql[i + 1] == '\'') {
                value += '\'';
                ++i;
            } else if (sql[i] == '\'') {
                closed = true;
                break;
            } else {
                value += sql[i];
            }
        }
        parsed.literals.push_back(std::move(value));
        if (!closed)
            parsed.closed = false;
    }
    return parsed;
}

} // namespace zel::test
