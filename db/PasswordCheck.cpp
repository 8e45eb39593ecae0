#include "db/PasswordCheck.h"

#include <cstring>
#include <mutex>
#include <vector>

#include <sodium.h>

namespace {

bool Ready() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = sodium_init() >= 0; });
    return ready;
}

constexpr std::string_view kPrefix = "$argon2id$";

} // namespace

bool IsPasswordHash(std::string_view stored) {
    if (stored.substr(0, kPrefix.size()) != kPrefix || stored.size() >= crypto_pwhash_STRBYTES)
        return false;
    // The parameters must parse; the library says whether they differ from ours, and
    // refuses (-1) a string it cannot read.
    const std::string text(stored);
    return Ready() &&
           crypto_pwhash_str_needs_rehash(text.c_str(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE) >= 0;
}

bool PasswordMatches(std::string_view stored, std::string_view typed) {
    if (IsPasswordHash(stored)) {
        const std::string text(stored);
        return crypto_pwhash_str_verify(text.c_str(), typed.data(), typed.size()) == 0;
    }
    return stored.size() == typed.size() &&
           (stored.empty() || sodium_memcmp(stored.data(), typed.data(), stored.size()) == 0);
}

std::optional<std::string> HashPassword(std::string_view password) {
    if (!Ready())
        return std::nullopt;
    std::vector<char> out(crypto_pwhash_STRBYTES);
    if (crypto_pwhash_str(out.data(), password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return std::nullopt;
    return std::string(out.data());
}

PasswordMatch CheckPassword(std::string_view stored, std::string_view typed,
                            const std::function<int(std::string&)>& readPlainSwitch) {
    if (!PasswordMatches(stored, typed))
        return PasswordMatch::Mismatch;
    if (IsPasswordHash(stored))
        return PasswordMatch::Match;
    std::string value;
    switch (readPlainSwitch(value)) {
    case -1:
        return PasswordMatch::Error;
    case 0:
        return PasswordMatch::Match;
    default:
        break;
    }
    const auto first = value.find_first_not_of(" \t");
    const auto last = value.find_last_not_of(" \t");
    const std::string_view trimmed = first == std::string::npos
                                         ? std::string_view()
                                         : std::string_view(value).substr(first, last - first + 1);
    const bool plainOff = trimmed == "N" || trimmed == "n";
    return plainOff ? PasswordMatch::PlainRefused : PasswordMatch::Match;
}
