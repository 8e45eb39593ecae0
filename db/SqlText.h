// Safe pieces of statement text: quoted texts escaped for the server's dialect, and
// numeric keys that are plain digits.
#pragma once

#include <string>
#include <string_view>

// Database type codes (CTELVOAgentEnv::dbType): 2 is MySQL, every other value SQL Server.
inline constexpr int DB_TYPE_MYSQL = 2;

// The text as it may stand between single quotes: MySQL doubles quotes and escapes a
// backslash as \\ and a zero byte as \0; SQL Server doubles quotes. Ordinary texts are
// unchanged.
std::string EscapeSqlText(std::string_view text, int dbType);

// True when the text is one or more ASCII digits and nothing else.
bool IsPlainDigits(std::string_view text);
