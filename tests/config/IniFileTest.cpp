// CIniFile over the profile files.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "config/IniFile.h"

namespace {

class IniFile : public TempFolder {};

TEST_F(IniFile, ReadsAndWritesItsOwnOrAGivenSectionAndCutsLongValues) {
    WriteRaw("ZELAgent.INI", "[GENERAL]\r\nLAST_EXTENSION=\r\nLONG=" + std::string(400, '9'));
    CIniFile ini(PathOf("ZELAgent.INI"), "GENERAL");
    EXPECT_TRUE(ini.WriteString("김상담", "LAST_AGENT_NM"));
    EXPECT_TRUE(ini.WriteString("1.2.3.4", "VERSION_CHECK_CONNECT", "VC_SERVER_IP_ADDR"));
    std::string value;
    EXPECT_TRUE(ini.ReadString(value, "LAST_AGENT_NM"));
    EXPECT_EQ(value, "김상담");
    EXPECT_TRUE(ini.ReadString(value, "version_check_connect", "vc_server_ip_addr"));
    EXPECT_EQ(value, "1.2.3.4");
    EXPECT_TRUE(ini.ReadString(value, "LONG"));
    EXPECT_EQ(value, std::string(258, '9'));
    EXPECT_TRUE(ini.ReadString(value, "LONG", 84)); // the server address field
    EXPECT_EQ(value, std::string(83, '9'));

    // Empty or missing values read as empty and false, never as what the string held.
    value = "stale";
    EXPECT_FALSE(ini.ReadString(value, "LAST_EXTENSION"));
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_FALSE(CIniFile(PathOf("nothing.INI"), "GENERAL").ReadString(value, "LAST_USER_ID"));
    EXPECT_EQ(value, "");
}

} // namespace
