// CP949 conversion, byte counts and cutting.
#include <gtest/gtest.h>

#include <thread>

#include "util/Cp949.h"

namespace {

TEST(Cp949, HangulTakesTwoBytesAndAsciiOne) {
    EXPECT_EQ(cp949::FromUtf8("홍길동"), std::optional<std::string>("\xC8\xAB\xB1\xE6\xB5\xBF"));
    EXPECT_EQ(cp949::FromUtf8("A가1"), std::optional<std::string>("A\xB0\xA1"
                                                                  "1"));
    EXPECT_EQ(cp949::ByteLength("가나다"), 6u);
    EXPECT_EQ(cp949::ByteLength("10.0.0.1"), 8u);
    EXPECT_EQ(cp949::ByteLength(""), 0u);
}

// 똠 is one of the syllables that CP949 has and EUC-KR lacks.
TEST(Cp949, SyllablesBeyondEucKrRoundTrip) {
    const auto bytes = cp949::FromUtf8("똠방각하");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 2), "\x8C\x63");
    EXPECT_EQ(cp949::ToUtf8(*bytes), std::optional<std::string>("똠방각하"));
}

TEST(Cp949, TextWithoutACp949FormIsRefused) {
    EXPECT_EQ(cp949::FromUtf8("상담 😀"), std::nullopt);
    EXPECT_EQ(cp949::ByteLength("😀"), std::nullopt);
    EXPECT_EQ(cp949::FromUtf8("\xE0\x80"), std::nullopt); // not UTF-8
    EXPECT_EQ(cp949::ToUtf8("\xB0"), std::nullopt);       // lead byte without its trail
    EXPECT_EQ(cp949::ToUtf8("\xFF\xFF"), std::nullopt);
}

TEST(Cp949, LossyReadingReplacesOnlyTheBadBytes) {
    EXPECT_EQ(cp949::ToUtf8Lossy("\xB0\xA1"
                                 "A"),
              "가A");
    EXPECT_EQ(cp949::ToUtf8Lossy("a\xFF\xFF"
                                 "b\xB0\xA1"),
              "a\xEF\xBF\xBD\xEF\xBF\xBD"
              "b가");
    EXPECT_EQ(cp949::ToUtf8Lossy("x\xB0"), "x\xEF\xBF\xBD");
}

TEST(Cp949, TruncationCountsCp949BytesAndKeepsCharactersWhole) {
    EXPECT_EQ(cp949::TruncateToBytes("가나다", 6), "가나다");
    EXPECT_EQ(cp949::TruncateToBytes("가나다", 5), "가나");
    EXPECT_EQ(cp949::TruncateToBytes("a가", 2), "a");
    EXPECT_EQ(cp949::TruncateToBytes("a가", 3), "a가");
    EXPECT_EQ(cp949::TruncateToBytes("abc", 0), "");
    EXPECT_EQ(cp949::TruncateToBytes("😀a", 2), "😀"); // no CP949 form: counts two
    EXPECT_EQ(cp949::TruncateToBytes("😀a", 1), "");
}

TEST(Cp949, ThreadsConvertIndependently) {
    auto worker = [](const std::string& text, bool* ok) {
        for (int i = 0; i < 2000 && *ok; ++i) {
            const auto bytes = cp949::FromUtf8(text);
            *ok = bytes && cp949::ToUtf8(*bytes) == text;
        }
    };
    bool okA = true;
    bool okB = true;
    std::thread a(worker, std::string("가나다라마바사 똠"), &okA);
    std::thread b(worker, std::string("에러 알림 확인"), &okB);
    a.join();
    b.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
}

} // namespace
