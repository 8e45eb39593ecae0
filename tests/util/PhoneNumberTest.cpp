// Grouping of caller numbers for display.
#include <gtest/gtest.h>

#include "util/PhoneNumber.h"

namespace {

TEST(DigitsOnly, KeepsDigitsInOrderUpTo80) {
    EXPECT_EQ(DigitsOnly("전화 (02) 1234-5678 번"), "0212345678");
    EXPECT_EQ(DigitsOnly(std::string(100, '7')), std::string(80, '7'));
}

TEST(FormatPhoneNumber, GroupsByDigitCount) {
    EXPECT_EQ(FormatPhoneNumber("0212345678"), "02-1234-5678");
    EXPECT_EQ(FormatPhoneNumber("0311234567"), "031-123-4567");
    EXPECT_EQ(FormatPhoneNumber("01012345678"), "010-1234-5678");
    EXPECT_EQ(FormatPhoneNumber("021234567"), "02-123-4567");
    EXPECT_EQ(FormatPhoneNumber("123456789"), "12-345-6789");
    EXPECT_EQ(FormatPhoneNumber("15881234"), "1588-1234");
    // Short local numbers get one dash and no trailing one.
    EXPECT_EQ(FormatPhoneNumber("12345"), "123-45");
    EXPECT_EQ(FormatPhoneNumber("123456"), "123-456");
    EXPECT_EQ(FormatPhoneNumber("1234567"), "123-4567");
}

TEST(FormatPhoneNumber, OtherLengthsAreTheBareDigits) {
    EXPECT_EQ(FormatPhoneNumber("1234"), "1234");
    EXPECT_EQ(FormatPhoneNumber("123456789012"), "123456789012");
    EXPECT_EQ(FormatPhoneNumber(""), "");
    EXPECT_EQ(FormatPhoneNumber("--"), "");
    EXPECT_EQ(FormatPhoneNumber(std::string(90, '1')), std::string(80, '1'));
}

TEST(FormatPhoneNumber, OnlyTheDigitsOfTheTextCount) {
    EXPECT_EQ(FormatPhoneNumber("(02) 1234-5678"), "02-1234-5678");
    EXPECT_EQ(FormatPhoneNumber("02.1234.5678"), "02-1234-5678");
}

} // namespace
