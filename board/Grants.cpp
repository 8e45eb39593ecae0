#include "board/Grants.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace board {

namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The privileges of "GRANT <privileges> ON <object> TO ...", split at their commas
// (column lists in parentheses kept out); false when the line has no ON outside
// quotes and parentheses, as a role's grant has not.
bool PrivilegeList(std::string_view line, std::vector<std::string>& privileges) {
    int depth = 0;
    char quote = 0;
    std::string current;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '`' || c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && c == ',') {
            privileges.push_back(Upper(Trim(current)));
            current.clear();
        } else if (depth == 0 && Upper(line.substr(i, 4)) == " ON ") {
            privileges.push_back(Upper(Trim(current)));
            return true;
        } else if (depth == 0) {
            current += c;
        }
    }
    return false;
}

} // namespace

bool GrantsOnlyRead(const std::vector<std::string>& lines, std::string& why) {
    for (const std::string& line : lines) {
        const std::string upper = Upper(line);
        bool readOnly =
            upper.rfind("GRANT ", 0) == 0 && upper.find("WITH GRANT OPTION") == std::string::npos;
        std::vector<std::string> privileges;
        readOnly = readOnly && PrivilegeList(std::string_view(line).substr(6), privileges);
        for (const std::string& privilege : privileges)
            readOnly = readOnly &&
                       (privilege == "USAGE" || privilege == "SELECT" || privilege == "SHOW VIEW");
        if (!readOnly) {
            why = line;
            return false;
        }
    }
    if (lines.empty()) {
        why = "no grants listed";
        return false;
    }
    return true;
}

} // namespace board
