// CP949 conversion, byte counts and cutting at character boundaries.
#include <gtest/gtest.h>

#include "util/Cp949.h"

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
    // Cutting counts CP949 bytes and keeps characters whole.
    EXPECT_EQ(cp949::TruncateToBytes("가나다", 6), "가나다");
    EXPECT_EQ(cp949::TruncateToBytes("가나다", 5), "가나");
    EXPECT_EQ(cp949::TruncateToBytes("a가", 2), "a");
    EXPECT_EQ(cp949::TruncateToBytes("😀a", 2), "😀"); // no CP949 form: counts two
    EXPECT_EQ(cp949::TruncateToBytes("😀a", 1), "");
}

TEST(Cp949, LimitsCountTwoForEveryOtherCharacterAndCutInsertionsToTheRoomLeft) {
    EXPECT_EQ(cp949::LimitLength("a김상담"), 7u);
    EXPECT_EQ(cp949::LimitLength("a😀\xFF"), 5u); // no CP949 form, stray byte: two each
    EXPECT_EQ(cp949::FitInsertion(6, "가나", 10), std::nullopt);
    EXPECT_EQ(cp949::FitInsertion(7, "가나", 10), Bytes("가"));
    EXPECT_EQ(cp949::FitInsertion(9, "가", 10), Bytes(""));
    EXPECT_EQ(cp949::FitInsertion(12, "a", 10), Bytes("")); // already over (set by the program)
}

} // namespace
