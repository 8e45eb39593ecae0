// The server address in the settings files, in a temporary working folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "tests/support/DbTestSupport.h"

namespace {

class ServerAddressTest : public testing::Test {
  protected:
    std::string Bytes(const char* file) {
        std::ifstream in(work_.Env() / file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    zel::test::TempWorkDir work_{false};
    CTELVOAgentEnv env_;
};

TEST_F(ServerAddressTest, SavedAddressIsInBothFilesAndLoadsBackAndMissingLoadsEmpty) {
    env_.serverAddress = "stale";
    EXPECT_TRUE(env_.LoadServerAddress());
    EXPECT_EQ(env_.serverAddress, "");
    env_.serverAddress = "10.20.30.40";
    EXPECT_TRUE(env_.SaveServerAddress());
    EXPECT_EQ(Bytes("ZELAgent.INI"), "[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=10.20.30.40\r\n");
    EXPECT_EQ(Bytes("tnvx.INI"), "[VERSION_CHECK_CONNECT]\r\nVC_SERVER_IP_ADDR=10.20.30.40\r\n");
    CTELVOAgentEnv other;
    EXPECT_TRUE(other.LoadServerAddress());
    EXPECT_EQ(other.serverAddress, "10.20.30.40");

    // Without the Env folder nothing is written and saving succeeds.
    std::filesystem::remove_all(work_.Env());
    EXPECT_TRUE(env_.SaveServerAddress());
    EXPECT_TRUE(std::filesystem::is_empty(work_.Path()));
}

TEST_F(ServerAddressTest, LongAddressesAreCutTo83BytesAtACharacterBoundary) {
    const CIniFile ini("Env\\ZELAgent.INI", "GENERAL");
    ini.WriteString(std::string(100, '1'), "ZEL_CTI_SERVER_IP_ADDR");
    EXPECT_TRUE(env_.LoadServerAddress());
    EXPECT_EQ(env_.serverAddress, std::string(83, '1'));

    std::string korean; // 50 syllables, 100 CP949 bytes: 41 fit in 83
    for (int i = 0; i < 50; ++i)
        korean += "서";
    ini.WriteString(korean, "ZEL_CTI_SERVER_IP_ADDR");
    EXPECT_TRUE(env_.LoadServerAddress());
    EXPECT_EQ(env_.serverAddress, korean.substr(0, 41 * 3));

    // Saving writes no more than the field holds, so both files agree with it.
    env_.serverAddress = "1" + korean;
    EXPECT_TRUE(env_.SaveServerAddress());
    EXPECT_EQ(env_.serverAddress, "1" + korean.substr(0, 41 * 3));
    std::string stored;
    CIniFile("./Env/tnvx.INI", "VERSION_CHECK_CONNECT").ReadString(stored, "VC_SERVER_IP_ADDR");
    EXPECT_EQ(stored, env_.serverAddress);
}

} // namespace
