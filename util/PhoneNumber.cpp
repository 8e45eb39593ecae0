#include "util/PhoneNumber.h"

namespace {
constexpr std::size_t kMaxDigits = 80;
}

std::string DigitsOnly(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c < '0' || c > '9')
            continue;
        if (digits.size() == kMaxDigits)
            break;
        digits.push_back(c);
    }
    return digits;
}

std::string FormatPhoneNumber(std::string_view number) {
    std::string d = DigitsOnly(number);
    // Dash positions, the second counted in the text that already holds the first.
    std::size_t first = 0;
    std::size_t second = 0;
    switch (d.size()) {
    case 5:
    case 6:
    case 7:
        first = 3; // short local numbers: abc-de, abc-def, abc-defg
        break;
    case 8:
        first = 4;
        break;
    case 9:
        first = 2;
        second = 6;
        break;
    case 10:
        first = d.starts_with("02") ? 2 : 3;
        second = 7;
        break;
    case 11:
        first = 3;
        second = 8;
        break;
    default:
        return d;
    }
    d.insert(first, 1, '-');
    if (second != 0)
        d.insert(second, 1, '-');
    return d;
}
