// Escaping of quoted texts and the check of numeric keys.
#include "db/SqlText.h"

#include <algorithm>

std::string EscapeSqlText(std::string_view text, int dbType) {
    const bool mysql = dbType == DB_TYPE_MYSQL;
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\'') {
            escaped += "''";
        } else if (mysql && c == '\\') {
            escaped += "\\\\";
        } else if (mysql && c == '\0') {
            // A zero byte would end the statement text early; MySQL reads \0 as one.
            escaped += "\\0";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

bool IsPlainDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}
