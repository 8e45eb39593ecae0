// Escaping of quoted texts and the check of numeric keys.
#include "db/SqlText.h"

#include <algorithm>

std::string EscapeSqlText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\'') {
            // Doubled rather than \': the quote stays closed also on a server that reads
            // backslashes as ordinary characters.
            escaped += "''";
        } else if (c == '\\') {
            // Left alone, a final backslash would swallow the closing quote.
            escaped += "\\\\";
        } else if (c == '\0') {
            // A zero byte would end the statement text early.
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
