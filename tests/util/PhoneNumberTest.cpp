// Grouping of caller numbers for display.
#include <gtest/gtest.h>

#include "util/PhoneNumber.h"

namespace {

TEST(FormatPhoneNumber, GroupsTheDigitsByTheirCount) {
    const std::pair<std::string, std::string> cases[] = {
        {"0212345678", "02-1234-5678"},
        {"0311234567", "031-123-4567"},
        {"01012345678", "010-1234-5678"},
        {"021234567", "02-123-4567"},
        {"123456789", "12-345-6789"},
        {"15881234", "1588-1234"},
        {"12345", "123-45"},
        {"1234567", "123-4567"},
        {"1234", "1234"},
        {"123456789012", "123456789012"},
        {"", ""},
        {"--", ""},
        {"(02) 1234-5678", "02-1234-5678"},
        {"02.1234.5678", "02-1234-5678"},
        {std::string(90, '1'), std::string(80, '1')},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FormatPhoneNumber(text), expected) << text;
    EXPECT_EQ(DigitsOnly("전화 (02) 1234-5678 번"), "0212345678");
}

} // namespace
