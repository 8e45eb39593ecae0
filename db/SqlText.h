// Safe pieces of statement text: quoted texts escaped for the server, and numeric keys
// that are plain digits.
#pragma once

#include <string>
#include <string_view>

// Database type codes (CTELVOAgentEnv::dbType): 2 is MySQL, every other value SQL Server.
// The type chooses between the two forms of a few statements; it never changes how a
// quoted text is escaped.
inline constexpr int DB_TYPE_MYSQL = 2;

// The text as it may stand between single quotes on the server the client library talks
// to (MariaDB, whatever CODE_INFO says): a quote doubled, a backslash as \\ and a zero
// byte as \0. Ordinary texts are unchanged.
std::string EscapeSqlText(std::string_view text);

// True when the text is one or more ASCII digits and nothing else.
bool IsPlainDigits(std::string_view text);
