// CP949 conversion, byte counts and cutting at character boundaries.
#include <gtest/gtest.h>

#include <thread>

#include "util/Cp949.h"

namespace {

using Bytes = std::optional<std::string>;

TEST(Cp949, ConvertsBothWaysAndRefusesWhatHasNoForm) {
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
}

TEST(Cp949, TruncationCountsCp949BytesAndKeepsCharactersWhole) {
    EXPECT_EQ(cp949::TruncateToBytes("가나다", 6), "가나다");
    EXPECT_EQ(cp949::TruncateToBytes("가나다", 5), "가나");
    EXPECT_EQ(cp949::TruncateToBytes("a가", 2), "a");
    EXPECT_EQ(cp949::TruncateToBytes("😀a", 2), "😀"); // no CP949 form: counts two
    EXPECT_EQ(cp949::TruncateToBytes("😀a", 1), "");
}

TEST(Cp949, ThreadsConvertIndependently) {
    auto worker = [](std::string text, bool* ok) {
        for (int i = 0; i < 2000 && *ok; ++i) {
            const auto bytes = cp949::FromUtf8(text);
            *ok = bytes && cp949::ToUtf8(*bytes) == text;
        }
    };
    bool okA = true, okB = true;
    std::thread a(worker, "가나다라마바사 똠", &okA), b(worker, "에러 알림 확인", &okB);
    a.join();
    b.join();
    EXPECT_TRUE(okA && okB);
}

} // namespace
