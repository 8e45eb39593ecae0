// The phone formatter on any text: the result holds the number's digits in order, at
// most 80, grouped by at most two dashes that never stand at an end or side by side.
#include <algorithm>
#include <iterator>

#include "fuzz/FuzzSupport.h"
#include "util/PhoneNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string expectedDigits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(expectedDigits),
                 [](char c) { return c >= '0' && c <= '9'; });
    expectedDigits.resize(std::min<std::size_t>(expectedDigits.size(), 80));
    const std::string digits = DigitsOnly(text);
    FUZZ_CHECK(digits == expectedDigits);

    const std::string formatted = FormatPhoneNumber(text);
    std::string withoutDashes;
    std::size_t dashes = 0;
    for (std::size_t i = 0; i < formatted.size(); ++i) {
        const char c = formatted[i];
        if (c == '-') {
            ++dashes;
            FUZZ_CHECK(i > 0 && i + 1 < formatted.size() && formatted[i - 1] != '-');
        } else {
            FUZZ_CHECK(c >= '0' && c <= '9');
            withoutDashes.push_back(c);
        }
    }
    FUZZ_CHECK(withoutDashes == digits);
    // Numbers of 5 to 11 digits are grouped, every other length stays as it is.
    const bool grouped = digits.size() >= 5 && digits.size() <= 11;
    FUZZ_CHECK(grouped ? (dashes == 1 || dashes == 2) : dashes == 0);
    FUZZ_CHECK(FormatPhoneNumber(formatted) == formatted);
    return 0;
}
