// Reading profile files with the Windows rules.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/ProfileFile.h"

namespace {

using Delivered = std::pair<std::string, std::size_t>;

class ProfileRead : public TempFolder {
  protected:
    // The value read (default "(default)") and the byte count the platform reported.
    Delivered Read(const std::string& section, const std::string& key, std::size_t capacity = 259,
                   const std::string& file = "a.ini") const {
        std::string out = "stale";
        const std::size_t n = platform::GetPrivateProfileString(section, key, "(default)", out,
                                                                capacity, PathOf(file));
        return {out, n};
    }
    std::string Value(const std::string& section, const std::string& key) const {
        return Read(section, key).first;
    }
};

TEST_F(ProfileRead, NamesMatchWithoutCaseBlanksAndQuotesAreRemovedAndMissingGivesTheDefault) {
    WriteRaw("a.ini", "; settings\r\n[ General ]\r\n  Server_Ip =  10.0.0.1 \t\r\n"
                      "QUOTED=\"  padded  \"\r\nHALF=\"open\r\nINNER=a\"b\"c\r\n"
                      "[S]\n\x8C\x43=other syllable\n\x8C\x63=mine\n");
    EXPECT_EQ(Read("GENERAL", "server_ip"), Delivered("10.0.0.1", 8));
    EXPECT_EQ(Value("general", "Quoted"), "  padded  ");
    EXPECT_EQ(Value("GENERAL", "HALF"), "\"open");
    EXPECT_EQ(Value("GENERAL", "INNER"), "a\"b\"c");
    // Trail bytes may look like ASCII letters (똠 ends in 'c', 똂 in 'C'): no folding there.
    EXPECT_EQ(Value("S", "똠"), "mine");
    EXPECT_EQ(Value("S", "똂"), "other syllable");

    // Missing file, section or key give the default; empty values are empty.
    WriteRaw("a.ini", "orphan=before any section\n[GENERAL]\n; B=commented out\nNOEQUALS\n"
                      "EMPTY=\nEMPTYQ=\"\"\n[OTHER]\nC=3\n");
    for (const char* key : {"C", "B", "NOEQUALS", "orphan"})
        EXPECT_EQ(Value("GENERAL", key), "(default)") << key; // C belongs to OTHER
    EXPECT_EQ(Value("NONE", "C"), "(default)");
    EXPECT_EQ(Read("GENERAL", "C", 259, "missing.ini"), Delivered("(default)", 9));
    EXPECT_EQ(Read("GENERAL", "C", 259, "no-folder/a.ini").first, "(default)");
    EXPECT_EQ(Read("GENERAL", "EMPTY"), Delivered("", 0));
    EXPECT_EQ(Read("GENERAL", "EMPTYQ"), Delivered("", 0));
}

TEST_F(ProfileRead, Cp949OnDiskIsReadAsUtf8AndCapacityCountsCp949Bytes) {
    std::string cp949, utf8;
    for (int i = 0; i < 200; ++i) {
        cp949 += "\xB0\xA1";
        utf8 += "가";
    }
    WriteRaw("a.ini", "[S]\nASCII=" + std::string(300, 'x') + "\nKO=" + cp949 + "\nODD=a" + cp949 +
                          "\nNM=\xC8\xAB\xB1\xE6\xB5\xBF\x8C\x63\nBAD=a\xFF" + "b\n");
    EXPECT_EQ(Read("S", "NM"), Delivered("홍길동똠", 8));
    EXPECT_EQ(Read("S", "BAD"), Delivered("a\xEF\xBF\xBD" + std::string("b"), 3));
    EXPECT_EQ(Read("S", "ASCII"), Delivered(std::string(258, 'x'), 258));
    EXPECT_EQ(Read("S", "KO"), Delivered(utf8.substr(0, 129 * 3), 258));
    // "a" and 128 syllables make 257 bytes; the 129th would not fit whole.
    EXPECT_EQ(Read("S", "ODD"), Delivered("a" + utf8.substr(0, 128 * 3), 257));
    EXPECT_EQ(Read("S", "ASCII", 1), Delivered("", 0));
    EXPECT_EQ(Read("S", "ASCII", 0), Delivered("", 0));
    EXPECT_EQ(Read("S", "MISSING", 5), Delivered("(def", 4));
}

} // namespace
