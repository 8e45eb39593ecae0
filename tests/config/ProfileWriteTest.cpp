// Writing profile files: in-place edits that keep every other byte, CP949 on disk,
// atomic replacement, and the failures that leave the file as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "TempFolder.h"
#include "platform/ProfileFile.h"

namespace {

class ProfileWrite : public TempFolder {
  protected:
    bool Write(const std::string& section, const std::string& key, const std::string& value,
               const std::string& file = "a.ini") const {
        return platform::WritePrivateProfileString(section, key, value, PathOf(file));
    }
};

TEST_F(ProfileWrite, EditsInPlaceKeepingEveryOtherByteAndTheFilesLineEndings) {
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

    // A last line gets an ending only when something follows it.
    WriteRaw("c.ini", "[S]\r\nA=1");
    ASSERT_TRUE(Write("S", "B", "2", "c.ini"));
    ASSERT_TRUE(Write("T", "C", "3", "c.ini"));
    EXPECT_EQ(ReadRaw("c.ini"), "[S]\r\nA=1\r\nB=2\r\n[T]\r\nC=3\r\n");
    WriteRaw("d.ini", "[S]\nA=1");
    ASSERT_TRUE(Write("S", "A", "22", "d.ini"));
    EXPECT_EQ(ReadRaw("d.ini"), "[S]\nA=22");

    // A new file is CRLF and CP949.
    ASSERT_TRUE(Write("GENERAL", "LAST_AGENT_NM", "홍길동똠", "e.ini"));
    EXPECT_EQ(ReadRaw("e.ini"), "[GENERAL]\r\nLAST_AGENT_NM=\xC8\xAB\xB1\xE6\xB5\xBF\x8C\x63\r\n");
}

TEST_F(ProfileWrite, RefusedOrFailedWritesLeaveTheFileAsItWas) {
    EXPECT_FALSE(Write("GENERAL", "A", "1", "Env/ZELAgent.INI")); // no such folder
    const std::string before = "[GENERAL]\r\nLAST_AGENT_NM=kim\r\n";
    WriteRaw("a.ini", before);
    EXPECT_FALSE(Write("GENERAL", "LAST_AGENT_NM", "상담원😀")); // no CP949 form
    // Line breaks, '=' in a key or ']' in a section would make lines or keys of their own.
    EXPECT_FALSE(Write("GENERAL", "LAST_AGENT_NM", "kim\r\nZEL_CTI_SERVER_IP_ADDR=1.2.3.4"));
    const std::pair<const char*, const char*> badNames[] = {
        {"GENERAL", "A=B"}, {"GEN]ERAL", "A"}, {"GENERAL", ";A"}, {"GENERAL", ""}};
    for (const auto& [section, key] : badNames)
        EXPECT_FALSE(Write(section, key, "x")) << section << "/" << key;
    // Read-only even for root, as the read-only attribute is on Windows.
    ::chmod(PathOf("a.ini").c_str(), 0444);
    EXPECT_FALSE(Write("GENERAL", "LAST_AGENT_NM", "lee"));
    EXPECT_FALSE(Write("GENERAL", "B", "2"));
    EXPECT_EQ(ReadRaw("a.ini"), before);
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.ini"});
}

TEST_F(ProfileWrite, ReplacementIsAtomicKeepsPermissionsAndLinksAndLeavesNoTemporaryFile) {
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
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.ini"});

    WriteRaw("real.ini", "[S]\nA=1\n");
    ASSERT_EQ(::symlink("real.ini", PathOf("link.ini").c_str()), 0);
    ASSERT_TRUE(Write("S", "A", "2", "link.ini"));
    EXPECT_EQ(ReadRaw("real.ini"), "[S]\nA=2\n");
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("link.ini")));
}

} // namespace
