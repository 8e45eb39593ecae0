// The settings files: reading with the Windows rules, in-place edits that keep every other
// byte, CP949 on disk, atomic replacement and refused writes; CIniFile over them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "config/IniFile.h"
#include "platform/ProfileFile.h"

namespace {

using Delivered = std::pair<std::string, std::size_t>;

// A fresh folder per test, removed afterwards, with raw byte access to its files.
class ProfileFile : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "zel-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    void WriteRaw(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string ReadRaw(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
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
    bool Write(const std::string& section, const std::string& key, const std::string& value,
               const std::string& file = "a.ini") const {
        return platform::WritePrivateProfileString(section, key, value, PathOf(file));
    }

    std::filesystem::path dir_;
};

TEST_F(ProfileFile, ReadingMatchesNamesWithoutCaseRemovesBlanksAndQuotesAndCountsCp949Bytes) {
    WriteRaw("a.ini", "; settings\r\n[ General ]\r\n  Server_Ip =  10.0.0.1 \t\r\n"
                      "QUOTED=\"  padded  \"\r\nHALF=\"open\r\nINNER=a\"b\"c\r\n"
                      "SINGLE=' padded '\r\nMIXED='a\"\r\nTWICE=''b''\r\n"
                      "[S]\n\x8C\x43=other syllable\n\x8C\x63=mine\n");
    EXPECT_EQ(Read("GENERAL", "server_ip"), Delivered("10.0.0.1", 8));
    EXPECT_EQ(Value("general", "Quoted"), "  padded  ");
    EXPECT_EQ(Value("GENERAL", "HALF"), "\"open");
    EXPECT_EQ(Value("GENERAL", "INNER"), "a\"b\"c");
    EXPECT_EQ(Value("GENERAL", "SINGLE"), " padded ");
    EXPECT_EQ(Value("GENERAL", "MIXED"), "'a\"");
    EXPECT_EQ(Value("GENERAL", "TWICE"), "'b'");
    // Trail bytes may look like ASCII letters (똠 ends in 'c', 똂 in 'C'): no folding there.
    EXPECT_EQ(Value("S", "똠"), "mine");
    EXPECT_EQ(Value("S", "똂"), "other syllable");

    WriteRaw("a.ini", "orphan=before any section\n[GENERAL]\n; B=commented out\nNOEQUALS\n"
                      "EMPTY=\nEMPTYQ=\"\"\n[OTHER]\nC=3\n");
    for (const char* key : {"C", "B", "NOEQUALS", "orphan"})
        EXPECT_EQ(Value("GENERAL", key), "(default)") << key; // C belongs to OTHER
    EXPECT_EQ(Value("NONE", "C"), "(default)");
    EXPECT_EQ(Read("GENERAL", "C", 259, "missing.ini"), Delivered("(default)", 9));
    EXPECT_EQ(Read("GENERAL", "C", 259, "no-folder/a.ini").first, "(default)");
    EXPECT_EQ(Read("GENERAL", "EMPTY"), Delivered("", 0));
    EXPECT_EQ(Read("GENERAL", "EMPTYQ"), Delivered("", 0));
    EXPECT_EQ(Read("GENERAL", "MISSING", 5), Delivered("(def", 4));
    // A default loses its trailing blanks, also where the capacity cuts it.
    std::string out;
    EXPECT_EQ(platform::GetPrivateProfileString("GENERAL", "MISSING", " 10.0.0.1 \t ", out, 259,
                                                PathOf("a.ini")),
              9u);
    EXPECT_EQ(out, " 10.0.0.1");
    EXPECT_EQ(
        platform::GetPrivateProfileString("GENERAL", "MISSING", "ab  cd", out, 4, PathOf("a.ini")),
        2u);
    EXPECT_EQ(out, "ab");

    // CP949 on disk is read as UTF-8, and the capacity counts CP949 bytes.
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
}

TEST_F(ProfileFile, EditsInPlaceKeepingEveryOtherByteAndTheFilesLineEndings) {
    WriteRaw("a.ini", "; written by hand\r\n[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR = 127.0.0.1\r\n\r\n"
                      "  ; note  \r\nLast_User_Id=old\r\n[OTHER]\r\nLAST_USER_ID=untouched\r\n");
    ASSERT_TRUE(Write("general", "LAST_USER_ID", "agent07"));
    ASSERT_TRUE(Write("GENERAL", "zel_cti_server_ip_addr", "10.1.2.3"));
    EXPECT_EQ(ReadRaw("a.ini"),
              "; written by hand\r\n[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=10.1.2.3\r\n\r\n"
              "  ; note  \r\nLast_User_Id=agent07\r\n[OTHER]\r\nLAST_USER_ID=untouched\r\n");

    // A new key goes after the last key of its section.
    WriteRaw("b.ini", "[GENERAL]\nA=1\n; trailing comment\n\n[EMPTY]\n");
    ASSERT_TRUE(Write("GENERAL", "B", "2", "b.ini"));
    ASSERT_TRUE(Write("EMPTY", "E", "5", "b.ini"));
    ASSERT_TRUE(Write("NEW", "N", "7", "b.ini"));
    EXPECT_EQ(ReadRaw("b.ini"),
              "[GENERAL]\nA=1\nB=2\n; trailing comment\n\n[EMPTY]\nE=5\n[NEW]\nN=7\n");

    // A last line gets no ending of its own.
    WriteRaw("d.ini", "[S]\nA=1");
    ASSERT_TRUE(Write("S", "A", "22", "d.ini"));
    EXPECT_EQ(ReadRaw("d.ini"), "[S]\nA=22");

    // CR alone ends a line as CR LF and LF do; every line keeps its own ending and new
    // lines take the first line's.
    WriteRaw("f.ini", "[GENERAL]\rZEL_CTI_SERVER_IP_ADDR=10.0.0.9\rLAST_USER_ID=kim\r\n[X]\nA=1\r");
    EXPECT_EQ(Read("GENERAL", "ZEL_CTI_SERVER_IP_ADDR", 259, "f.ini").first, "10.0.0.9");
    EXPECT_EQ(Read("X", "A", 259, "f.ini").first, "1");
    ASSERT_TRUE(Write("GENERAL", "ZEL_CTI_SERVER_IP_ADDR", "10.0.0.1", "f.ini"));
    ASSERT_TRUE(Write("GENERAL", "LAST_SVC_ID", "10", "f.ini"));
    ASSERT_TRUE(Write("X", "B", "2", "f.ini"));
    EXPECT_EQ(ReadRaw("f.ini"), "[GENERAL]\rZEL_CTI_SERVER_IP_ADDR=10.0.0.1\rLAST_USER_ID=kim\r\n"
                                "LAST_SVC_ID=10\r[X]\nA=1\rB=2\r");

    // A new file is CRLF and CP949.
    ASSERT_TRUE(Write("GENERAL", "LAST_AGENT_NM", "홍길동똠", "e.ini"));
    EXPECT_EQ(ReadRaw("e.ini"), "[GENERAL]\r\nLAST_AGENT_NM=\xC8\xAB\xB1\xE6\xB5\xBF\x8C\x63\r\n");
}

TEST_F(ProfileFile, ReplacementIsAtomicAndRefusedOrFailedWritesLeaveTheFileAsItWas) {
    WriteRaw("a.ini", "[S]\nA=old\n");
    ::chmod(PathOf("a.ini").c_str(), 0640);
    // A reader that opened the file before the write keeps seeing the whole old file.
    std::ifstream early(PathOf("a.ini"), std::ios::binary);
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat(PathOf("a.ini").c_str(), &before), 0);
    ASSERT_TRUE(Write("S", "A", "new"));
    ASSERT_EQ(::stat(PathOf("a.ini").c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(early), {}), "[S]\nA=old\n");
    EXPECT_EQ(ReadRaw("a.ini"), "[S]\nA=new\n");
    // Only the user's own files count: a link is neither read nor written through, and a
    // file others may change reads as missing and is not written.
    WriteRaw("real.ini", "[S]\nA=1\n");
    ASSERT_EQ(::symlink("real.ini", PathOf("link.ini").c_str()), 0);
    EXPECT_FALSE(Write("S", "A", "2", "link.ini"));
    EXPECT_EQ(Read("S", "A", 259, "link.ini").first, "(default)");
    EXPECT_EQ(ReadRaw("real.ini"), "[S]\nA=1\n");
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("link.ini")));
    ::chmod(PathOf("real.ini").c_str(), 0664);
    EXPECT_EQ(Read("S", "A", 259, "real.ini").first, "(default)");
    EXPECT_FALSE(Write("S", "A", "2", "real.ini"));
    EXPECT_EQ(ReadRaw("real.ini"), "[S]\nA=1\n");

    EXPECT_FALSE(Write("GENERAL", "A", "1", "Env/ZELAgent.INI")); // no such folder
    EXPECT_FALSE(Write("S", "A", "상담원😀"));                     // no CP949 form
    // Line breaks, '=' in a key or ']' in a section would make lines or keys of their own.
    EXPECT_FALSE(Write("S", "A", "kim\r\nZEL_CTI_SERVER_IP_ADDR=1.2.3.4"));
    const std::pair<const char*, const char*> badNames[] = {
        {"S", "A=B"}, {"S]X", "A"}, {"S", ";A"}, {"S", ""}};
    for (const auto& [section, key] : badNames)
        EXPECT_FALSE(Write(section, key, "x")) << section << "/" << key;
    // Read-only even for root, as the read-only attribute is on Windows.
    ::chmod(PathOf("a.ini").c_str(), 0444);
    EXPECT_FALSE(Write("S", "A", "lee"));
    EXPECT_FALSE(Write("S", "B", "2"));
    EXPECT_EQ(ReadRaw("a.ini"), "[S]\nA=new\n");
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 3);
}

TEST_F(ProfileFile, IniFileReadsAndWritesItsOwnOrAGivenSectionAndCutsLongValues) {
    WriteRaw("ZELAgent.INI", "[GENERAL]\r\nLAST_EXTENSION=\r\nLONG=" + std::string(400, '9'));
    CIniFile ini(PathOf("ZELAgent.INI"), "GENERAL");
    EXPECT_TRUE(ini.WriteString("김상담", "LAST_AGENT_NM"));
    EXPECT_TRUE(ini.WriteString("1.2.3.4", "VERSION_CHECK_CONNECT", "VC_SERVER_IP_ADDR"));
    using Result = std::pair<bool, std::string>;
    const auto read = [](const CIniFile& file, auto... args) {
        std::string value = "stale";
        const bool ok = file.ReadString(value, args...);
        return Result(ok, value);
    };
    EXPECT_EQ(read(ini, "LAST_AGENT_NM"), Result(true, "김상담"));
    EXPECT_EQ(read(ini, "version_check_connect", "vc_server_ip_addr"), Result(true, "1.2.3.4"));
    EXPECT_EQ(read(ini, "LONG"), Result(true, std::string(258, '9')));
    EXPECT_EQ(read(ini, "LONG", 84), Result(true, std::string(83, '9'))); // the address field
    // Empty or missing values read as empty and false, never as what the string held.
    EXPECT_EQ(read(ini, "LAST_EXTENSION"), Result(false, ""));
    EXPECT_EQ(read(CIniFile(PathOf("nothing.INI"), "GENERAL"), "LAST_USER_ID"), Result(false, ""));
}

} // namespace
