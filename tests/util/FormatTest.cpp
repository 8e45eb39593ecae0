// Text formats: CP949 conversion and cutting, caller numbers, durations and dates.
#include <gtest/gtest.h>

#include <climits>

#include "util/Cp949.h"
#include "util/DateTime.h"
#include "util/PhoneNumber.h"

namespace {

using Bytes = std::optional<std::string>;

TEST(Cp949, ConvertsBothWaysRefusesWhatHasNoFormAndCutsWholeCharacters) {
    EXPECT_EQ(cp949::FromUtf8("A홍길동1"), Bytes("A\xC8\xAB\xB1\xE6\xB5\xBF"
                                                 "1"));
    EXPECT_EQ(cp949::FromUtf8("똠"), Bytes("\x8C\x63")); // a syllable EUC-KR lacks
    EXPECT_EQ(cp949::ToUtf8("\x8C\x63\xB0\xA1"), Bytes("똠가"));
    EXPECT_EQ(cp949::ByteLength("가나다"), 6u);
    EXPECT_EQ(cp949::FromUtf8("상담 😀"), std::nullopt);
    EXPECT_EQ(cp949::ByteLength("😀"), std::nullopt);
    EXPECT_EQ(cp949::FromUtf8("\xE0\x80"), std::nullopt); // not UTF-8
    EXPECT_EQ(cp949::ToUtf8("\xB0"), std::nullopt);       // lead byte without its trail
    EXPECT_EQ(cp949::ToUtf8Lossy("a\xFF"
                                 "b\xB0\xA1\xB0"),
              "a\xEF\xBF\xBD"
              "b가\xEF\xBF\xBD");
    const std::tuple<const char*, std::size_t, const char*> cuts[] = {
        {"가나다", 6, "가나다"},
        {"가나다", 5, "가나"},
        {"a가", 2, "a"},
        {"😀a", 2, "😀"}, // no CP949 form: counts two
        {"😀a", 1, ""}};
    for (const auto& [text, bytes, expected] : cuts)
        EXPECT_EQ(cp949::TruncateToBytes(text, bytes), expected) << text << " " << bytes;
    // Limits count two for every character but ASCII, and insertions are cut to the room left.
    EXPECT_EQ(cp949::LimitLength("a김상담"), 7u);
    EXPECT_EQ(cp949::LimitLength("a😀\xFF"), 5u);
    EXPECT_EQ(cp949::FitInsertion(6, "가나", 10), std::nullopt);
    EXPECT_EQ(cp949::FitInsertion(7, "가나", 10), Bytes("가"));
    EXPECT_EQ(cp949::FitInsertion(9, "가", 10), Bytes(""));
    EXPECT_EQ(cp949::FitInsertion(12, "a", 10), Bytes("")); // already over (set by the program)
}

TEST(FormatPhoneNumber, GroupsTheDigitsByTheirCount) {
    const std::pair<const char*, const char*> cases[] = {
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
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FormatPhoneNumber(text), expected) << text;
    EXPECT_EQ(FormatPhoneNumber(std::string(90, '1')), std::string(80, '1'));
    EXPECT_EQ(DigitsOnly("전화 (02) 1234-5678 번"), "0212345678");
}

TEST(FormatDuration, HoursMinutesSecondsWithoutWrapping) {
    const std::pair<int, const char*> cases[] = {
        {0, "00:00:00"},       {59, "00:00:59"},
        {3725, "01:02:05"},    {86400, "24:00:00"},
        {360000, "100:00:00"}, {INT32_MAX, "596523:14:07"},
        {-3725, "-01:02:05"},  {INT32_MIN, "-596523:14:08"},
    };
    for (const auto& [seconds, expected] : cases)
        EXPECT_EQ(FormatDuration(seconds), expected) << seconds;
}

TEST(LocalDateTime, DateTextIsEightDigitsOfTheDate) {
    EXPECT_STREQ(LocalDateTime().GetDateString(), "00000000");
    EXPECT_STREQ(LocalDateTime(SystemTime{.year = 2018, .month = 4, .day = 5}).GetDateString(),
                 "20180405");
}

} // namespace
