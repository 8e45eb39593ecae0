#include "tools/PasswordCommands.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <vector>

#include <termios.h>
#include <unistd.h>

#include "db/PasswordCheck.h"
#include "db/SqlText.h"
#include "tools/CallCenterDb.h"
#include "util/Cp949.h"

namespace callcenter {

namespace {

// The sign-in field takes at most this many CP949 bytes: a longer password could never
// be typed.
constexpr std::size_t kSignInPasswordBytes = 10;

// One line of standard input without its line end; nothing at its end.
std::optional<std::string> ReadLine() {
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// A line typed at the terminal with the echo off; the echo comes back whatever happens.
std::optional<std::string> ReadHidden(const char* prompt) {
    std::fprintf(stderr, "%s", prompt);
    termios saved{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::optional<std::string> line = ReadLine();
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fprintf(stderr, "\n");
    }
    return line;
}

// The bytes of a hexadecimal text (as hex() gives them).
std::optional<std::string> FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const std::string pair = hex.substr(i, 2);
        if (pair.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
            return std::nullopt;
        out += static_cast<char>(std::stoi(pair, nullptr, 16));
    }
    return out;
}

} // namespace

int RunPasswd(CallCenterDb& db, const std::string& userId, const std::string& agentName,
              std::ostream& out) {
    const std::string where = " where binary USER_ID = '" + EscapeSqlText(userId) +
                              "' and binary AGENT_NM = '" + EscapeSqlText(agentName) + "'";
    const std::string count = db.Scalar("select count(*) from USER_AGENT_INFO" + where);
    if (count != "1") {
        std::cerr << "zelagent-callcenter: "
                  << (db.Error().empty() ? "no agent " + userId + " / " + agentName : db.Error())
                  << "\n";
        return 1;
    }
    const bool terminal = ::isatty(STDIN_FILENO) != 0;
    const std::string prompt = "New password for " + userId + " / " + agentName + ": ";
    std::optional<std::string> password = terminal ? ReadHidden(prompt.c_str()) : ReadLine();
    if (password && terminal) {
        const std::optional<std::string> again = ReadHidden("The same again: ");
        if (!again || *again != *password) {
            std::cerr << "zelagent-callcenter: the two entries differ; nothing changed\n";
            return 2;
        }
    }
    if (!password || password->empty() || cp949::LimitLength(*password) > kSignInPasswordBytes) {
        std::cerr << "zelagent-callcenter: a password of 1 to " << kSignInPasswordBytes
                  << " bytes is needed (a Hangul syllable counts two); nothing changed\n";
        return 2;
    }
    const std::optional<std::string> hash = HashPassword(*password);
    if (!hash) {
        std::cerr << "zelagent-callcenter: cannot hash the password (out of memory)\n";
        return 1;
    }
    if (!db.Execute("update USER_AGENT_INFO set PASSWORD = '" + EscapeSqlText(*hash) + "'" +
                    where)) {
        std::cerr << "zelagent-callcenter: " << db.Error() << "\n";
        return 1;
    }
    out << "password of " << userId << " / " << agentName << " stored as a one-way hash"
        << std::endl;
    return 0;
}

int RunHashPasswords(CallCenterDb& db, std::ostream& out) {
    const auto fail = [&db](const std::string& why) {
        std::cerr << "zelagent-callcenter: " << why << "; nothing changed\n";
        db.Execute("rollback");
        return 1;
    };
    if (!db.Execute("start transaction"))
        return fail(db.Error());
    // Every row, locked until the commit, read one by one in key order; the values travel
    // as hexadecimal text so that no byte of a password is changed on its way.
    const std::string countText = db.Scalar("select count(*) from USER_AGENT_INFO for update");
    if (!db.Error().empty())
        return fail(db.Error());
    const long rows = std::stol(countText.empty() ? "0" : countText);
    long converted = 0;
    std::string after;
    for (long i = 0; i < rows; ++i) {
        std::vector<std::string> row;
        const std::string from =
            after.empty() ? "" : " where (USER_ID, AGENT_NM) > (" + after + ")";
        const int read = db.Query("select hex(USER_ID), hex(AGENT_NM), hex(PASSWORD) from "
                                  "USER_AGENT_INFO" +
                                      from + " order by USER_ID, AGENT_NM limit 1",
                                  row);
        if (read < 0)
            return fail(db.Error());
        if (read == 0 || row.size() < 3)
            break;
        after = "X'" + row[0] + "', X'" + row[1] + "'";
        const std::optional<std::string> password = FromHex(row[2]);
        if (!password)
            return fail("a password could not be read");
        if (IsPasswordHash(*password))
            continue;
        const std::optional<std::string> hash = HashPassword(*password);
        if (!hash)
            return fail("cannot hash a password (out of memory)");
        if (!db.Execute("update USER_AGENT_INFO set PASSWORD = '" + EscapeSqlText(*hash) +
                        "' where USER_ID = X'" + row[0] + "' and AGENT_NM = X'" + row[1] +
                        "' and PASSWORD = X'" + row[2] + "'"))
            return fail(db.Error());
        ++converted;
    }
    if (!db.Execute("commit"))
        return fail(db.Error());
    // A session lost on the way would have taken the transaction with it: count again.
    const std::string left =
        db.Scalar("select count(*) from USER_AGENT_INFO where PASSWORD not like '$argon2id$%'");
    out << converted << " plain password" << (converted == 1 ? "" : "s")
        << " converted to one-way hashes" << std::endl;
    if (left != "0") {
        std::cerr << "zelagent-callcenter: " << (left.empty() ? db.Error() : left)
                  << " rows still hold a plain password (run hash-passwords again)\n";
        return 1;
    }
    out << "every row holds a hash: plain values can be refused with\n"
           "  insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values ('SYSTEM_VALUE', "
           "'PLAIN_PASSWORD', 'N')"
        << std::endl;
    return 0;
}

} // namespace callcenter
