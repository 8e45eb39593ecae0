// Composition of insert, update and procedure-call statements from items.
#include "db/SqlBuilder.h"

#include <cstdarg>
#include <cstdio>

namespace {

// printf-style formatting of any length: values and column names are kept whole,
// because cutting a value could split an escaped quote pair and change the statement.
std::string VFormat(const char* format, va_list args) {
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof small)
        return std::string(small, static_cast<std::size_t>(n));
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// Appends the given part of every item with ", " between consecutive entries.
template <typename Part>
void AppendList(std::string& out, const std::vector<SqlItem>& items, Part part) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += part(items[i]);
    }
}

} // namespace

void SqlBuilder::AddValue(const char* column, const char* format, ...) {
    va_list args;
    va_start(args, format);
    items.push_back({column ? column : "", format ? VFormat(format, args) : std::string()});
    va_end(args);
}

void SqlBuilder::AddString(const char* column, const std::string& text) {
    items.push_back({column ? column : "", "'" + text + "'"});
}

std::string SqlBuilder::BuildSQL() {
    const auto column = [](const SqlItem& item) -> const std::string& { return item.column; };
    const auto value = [](const SqlItem& item) -> const std::string& { return item.value; };

    std::string text;
    switch (kind) {
    case Insert:
        text = "insert into " + table + " ( ";
        AppendList(text, items, column);
        text += " ) values ( ";
        AppendList(text, items, value);
        text += " ) ";
        break;
    case Update:
        text = "update " + table + " set ";
        AppendList(text, items,
                   [](const SqlItem& item) { return item.column + " = " + item.value; });
        break;
    case Call:
        text = "{ call " + table + " (";
        AppendList(text, items, value);
        text += ") }";
        break;
    case Execute:
        text = "execute " + table + " ";
        AppendList(text, items, value);
        break;
    default:
        // An unknown kind has no head; only the condition and suffix follow.
        break;
    }
    if (!where.empty())
        text += " where " + where + " ";
    text += suffix;
    sql = text;
    return text;
}
