// Sign-in passwords as USER_AGENT_INFO.PASSWORD holds them: the standard string of an
// Argon2id hash ("$argon2id$v=19$m=...,t=...,p=...$salt$hash"), or, in a row not yet
// converted, the password itself. CODE_INFO 'SYSTEM_VALUE' / 'PLAIN_PASSWORD' = 'N'
// refuses the plain form once every row holds a hash.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The query of the operator's switch; a row with CD_NM 'N' refuses plain values.
inline constexpr const char* kPlainPasswordSwitchSql =
    "select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'PLAIN_PASSWORD' ";

// Shown when the agent typed the right password but its row still holds it in clear.
inline constexpr const char* kPlainPasswordRefused =
    "비밀번호가 안전한 형식으로 저장되어 있지 않아 로그인할 수 없습니다. 관리자에게 "
    "문의하십시오.";

// Whether the stored value is a hash of this form. A value that only begins like one
// (a plain password "$argon2id$") is plain: the whole string must parse.
bool IsPasswordHash(std::string_view stored);

// Whether typed is the password the stored value holds: a hash is verified by the
// hashing library (in constant time), a plain value compared byte for byte.
bool PasswordMatches(std::string_view stored, std::string_view typed);

// A new hash string for the password, with a fresh salt and the interactive cost
// (64 MiB, two passes); nothing when the memory could not be had.
std::optional<std::string> HashPassword(std::string_view password);

enum class PasswordMatch {
    Match,
    Mismatch,
    PlainRefused, // right, but plain values are switched off
    Error,        // the switch could not be read (the database error box was shown)
};

// The sign-in's check. readPlainSwitch runs kPlainPasswordSwitchSql as the sign-in runs
// its statements (1 value read, 0 no row, -1 error); it is asked only when a plain value
// matched, so hashed rows and wrong passwords cost no extra statement.
PasswordMatch CheckPassword(std::string_view stored, std::string_view typed,
                            const std::function<int(std::string&)>& readPlainSwitch);
