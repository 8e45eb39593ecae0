#include "board/BoardSettings.h"

#include <charconv>
#include <functional>
#include <map>

namespace board {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool Number(std::string_view text, int low, int high, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

} // namespace

bool BoardSettings::Loopback() const {
    return listen == "127.0.0.1" || listen == "::1" || listen == "localhost";
}

bool ParseSettings(std::string_view text, BoardSettings& settings, std::string& error) {
    using Setter = std::function<bool(std::string_view)>;
    auto textKey = [](std::string& field) {
        return Setter([&field](std::string_view v) {
            field = std::string(v);
            return true;
        });
    };
    auto numberKey = [](int& field, int low, int high) {
        return Setter(
            [&field, low, high](std::string_view v) { return Number(v, low, high, field); });
    };
    const std::map<std::string_view, Setter> keys = {
        {"listen", textKey(settings.listen)},
        {"port", numberKey(settings.port, 1, 65535)},
        {"tls_cert", textKey(settings.tlsCert)},
        {"tls_key", textKey(settings.tlsKey)},
        {"auth_user", textKey(settings.authUser)},
        {"auth_password", textKey(settings.authPassword)},
        {"db_cnf", textKey(settings.dbCnf)},
        {"db_host", textKey(settings.dbHost)},
        {"db_port", numberKey(settings.dbPort, 1, 65535)},
        {"break_alert_seconds", numberKey(settings.breakAlertSeconds, 1, 86400)},
        {"call_alert_seconds", numberKey(settings.callAlertSeconds, 1, 86400)},
        {"max_viewers", numberKey(settings.maxViewers, 1, 1000)},
    };
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const auto end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        const auto eq = line.find('=');
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (eq == std::string_view::npos) {
            error = where + "expected key = value";
            return false;
        }
        const std::string_view key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        const auto setter = keys.find(key);
        if (setter == keys.end()) {
            error = where + "unknown setting '" + std::string(key) + "'";
            return false;
        }
        if (value.empty() && key != "auth_password") {
            error = where + std::string(key) + " has no value";
            return false;
        }
        if (!setter->second(value)) {
            error = where + "bad value for " + std::string(key);
            return false;
        }
    }
    return true;
}

bool CheckExposure(const BoardSettings& settings, std::string& error) {
    if (settings.Loopback())
        return true;
    const std::string reason = "listening on " + settings.listen + " needs ";
    if (settings.tlsCert.empty() || settings.tlsKey.empty()) {
        error = reason + "tls_cert and tls_key (the board sends its password only over TLS)";
        return false;
    }
    if (settings.authUser.empty() || settings.authPassword.empty()) {
        error = reason + "auth_user and auth_password";
        return false;
    }
    if (settings.authUser.find(':') != std::string::npos) {
        error = "auth_user may not hold ':'";
        return false;
    }
    return true;
}

} // namespace board
