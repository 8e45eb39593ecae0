// Reading profile files with the Windows rules.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/ProfileFile.h"

namespace {

using platform::GetPrivateProfileString;

class ProfileRead : public TempFolder {
  protected:
    // The value read with the given capacity, and the count the platform reported.
    std::pair<std::string, std::size_t> Read(const std::string& section, const std::string& key,
                                             std::size_t capacity = 259,
                                             const std::string& file = "a.ini") const {
        std::string out = "stale";
        const std::size_t n =
            GetPrivateProfileString(section, key, "(default)", out, capacity, PathOf(file));
        return {out, n};
    }
};

TEST_F(ProfileRead, NamesMatchWithoutCaseAndBlanksAroundKeysAndValuesAreIgnored) {
    WriteRaw("a.ini", "; settings\r\n"
                      "[General]\r\n"
                      "  Server_Ip =  10.0.0.1 \t\r\n"
                      "\tLAST_USER_ID=agent01\r\n"
                      "[ other ]\r\n"
                      "key=in other\r\n");
    EXPECT_EQ(Read("GENERAL", "server_ip"), std::make_pair(std::string("10.0.0.1"), 8ul));
    EXPECT_EQ(Read("general", "Last_User_Id").first, "agent01");
    EXPECT_EQ(Read("OTHER", "KEY").first, "in other");
}

TEST_F(ProfileRead, MissingFileSectionOrKeyGivesTheDefault) {
    WriteRaw("a.ini", "orphan=before any section\n"
                      "[GENERAL]\n"
                      "A=1\n"
                      "; B=commented out\n"
                      "NOEQUALS\n"
                      "[OTHER]\n"
                      "C=3\n");
    EXPECT_EQ(Read("GENERAL", "A").first, "1");
    EXPECT_EQ(Read("GENERAL", "C").first, "(default)"); // belongs to OTHER
    EXPECT_EQ(Read("GENERAL", "B").first, "(default)");
    EXPECT_EQ(Read("GENERAL", "; B").first, "(default)");
    EXPECT_EQ(Read("GENERAL", "NOEQUALS").first, "(default)");
    EXPECT_EQ(Read("GENERAL", "orphan").first, "(default)");
    EXPECT_EQ(Read("NONE", "A").first, "(default)");
    EXPECT_EQ(Read("GENERAL", "A", 259, "missing.ini"),
              std::make_pair(std::string("(default)"), 9ul));
    EXPECT_EQ(Read("GENERAL", "A", 259, "no-folder/a.ini").first, "(default)");
}

TEST_F(ProfileRead, EmptyAndQuotedValues) {
    WriteRaw("a.ini", "[S]\n"
                      "EMPTY=\n"
                      "BLANK=   \n"
                      "QUOTED=\"  padded  \"\n"
                      "HALF=\"open\n"
                      "INNER=a\"b\"c\n"
                      "EMPTYQ=\"\"\n");
    EXPECT_EQ(Read("S", "EMPTY"), std::make_pair(std::string(), 0ul));
    EXPECT_EQ(Read("S", "BLANK"), std::make_pair(std::string(), 0ul));
    EXPECT_EQ(Read("S", "QUOTED").first, "  padded  ");
    EXPECT_EQ(Read("S", "HALF").first, "\"open");
    EXPECT_EQ(Read("S", "INNER").first, "a\"b\"c");
    EXPECT_EQ(Read("S", "EMPTYQ").second, 0u);
}

TEST_F(ProfileRead, KoreanValuesAreConvertedFromCp949) {
    // 홍길동 and 똠 in CP949.
    WriteRaw("a.ini", "[GENERAL]\r\nLAST_AGENT_NM=\xC8\xAB\xB1\xE6\xB5\xBF\x8C\x63\r\n");
    EXPECT_EQ(Read("GENERAL", "LAST_AGENT_NM"), std::make_pair(std::string("홍길동똠"), 8ul));
}

// Trail bytes of double-byte characters may look like ASCII letters: 똠 ends in 'c'
// and 똂 in 'C', and the two names must not match.
TEST_F(ProfileRead, CaseFoldingLeavesDoubleByteCharactersAlone) {
    WriteRaw("a.ini", "[S]\n\x8C\x43=other syllable\n\x8C\x63=mine\n");
    EXPECT_EQ(Read("S", "똠").first, "mine");
    EXPECT_EQ(Read("S", "똂").first, "other syllable");
}

TEST_F(ProfileRead, BytesThatAreNotCp949AreReplacedNotDropped) {
    WriteRaw("a.ini", "[S]\nK=a\xFF"
                      "b\n");
    EXPECT_EQ(Read("S", "K"), std::make_pair(std::string("a\xEF\xBF\xBD"
                                                         "b"),
                                             3ul));
}

TEST_F(ProfileRead, CapacityCountsCp949BytesAndCutsAtACharacter) {
    std::string korean; // 200 syllables, 400 CP949 bytes
    std::string koreanUtf8;
    for (int i = 0; i < 200; ++i) {
        korean += "\xB0\xA1";
        koreanUtf8 += "가";
    }
    WriteRaw("a.ini",
             "[S]\nASCII=" + std::string(300, 'x') + "\nKO=" + korean + "\nODD=a" + korean + "\n");

    EXPECT_EQ(Read("S", "ASCII"), std::make_pair(std::string(258, 'x'), 258ul));
    EXPECT_EQ(Read("S", "KO"), std::make_pair(koreanUtf8.substr(0, 129 * 3), 258ul));
    // "a" and 128 syllables make 257 bytes; the 129th would not fit whole.
    EXPECT_EQ(Read("S", "ODD"), std::make_pair("a" + koreanUtf8.substr(0, 128 * 3), 257ul));
    EXPECT_EQ(Read("S", "ASCII", 1), std::make_pair(std::string(), 0ul));
    EXPECT_EQ(Read("S", "ASCII", 0), std::make_pair(std::string(), 0ul));
    EXPECT_EQ(Read("S", "MISSING", 5), std::make_pair(std::string("(def"), 4ul));
}

TEST(NativeProfilePath, BackslashesAreFolderSeparators) {
    EXPECT_EQ(platform::NativeProfilePath("Env\\ZELAgent.INI"), "Env/ZELAgent.INI");
    EXPECT_EQ(platform::NativeProfilePath("./Env/tnvx.INI"), "./Env/tnvx.INI");
}

} // namespace
