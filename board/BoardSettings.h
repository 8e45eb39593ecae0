// The board's settings file: where it listens, how it is protected beyond loopback,
// which database it reads and when a desk's state has lasted too long.
//
//   # comment
//   listen = 127.0.0.1
//   port = 8908
//
// One "key = value" a line; an unknown key or a bad value is an error, so that a typo
// never leaves the board less protected than its operator meant.
#pragma once

#include <string>
#include <string_view>

namespace board {

struct BoardSettings {
    std::string listen = "127.0.0.1";
    int port = 8908;
    std::string tlsCert; // PEM files; both needed when listening beyond loopback
    std::string tlsKey;
    std::string authUser; // HTTP basic authentication, needed beyond loopback
    std::string authPassword;
    std::string dbCnf; // option file with the read-only account ([client], [zelagent-board])
    std::string dbHost = "127.0.0.1";
    int dbPort = 8907;
    int breakAlertSeconds = 900;
    int callAlertSeconds = 600;
    int maxViewers = 100;

    // Loopback only: 127.0.0.1, ::1 or localhost. Anything else needs TLS and a password.
    bool Loopback() const;
};

// Reads the text of a settings file over the defaults; false with a message naming the line.
bool ParseSettings(std::string_view text, BoardSettings& settings, std::string& error);

// False, with the reason, when the settings would expose the board without protection:
// beyond loopback it needs a certificate, its key, a user and a password.
bool CheckExposure(const BoardSettings& settings, std::string& error);

} // namespace board
