// The server address in the settings files, in a temporary working folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "tests/support/DbTestSupport.h"

namespace {

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ServerAddress, SavedInBothFilesCutTo83BytesAtACharacterMissingLoadsEmptyUnwritableFails) {
    zel::test::TempWorkDir work(false);
    CTELVOAgentEnv env;
    env.serverAddress = "stale";
    EXPECT_TRUE(env.LoadServerAddress());
    EXPECT_EQ(env.serverAddress, "");
    env.serverAddress = "10.20.30.40";
    EXPECT_TRUE(env.SaveServerAddress());
    EXPECT_EQ(Bytes(work.Env() / "ZELAgent.INI"),
              "[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=10.20.30.40\r\n");
    EXPECT_EQ(Bytes(work.Env() / "tnvx.INI"),
              "[VERSION_CHECK_CONNECT]\r\nVC_SERVER_IP_ADDR=10.20.30.40\r\n");
    CTELVOAgentEnv other;
    EXPECT_TRUE(other.LoadServerAddress());
    EXPECT_EQ(other.serverAddress, "10.20.30.40");

    const CIniFile ini("Env\\ZELAgent.INI", "GENERAL");
    ini.WriteString(std::string(100, '1'), "ZEL_CTI_SERVER_IP_ADDR");
    EXPECT_TRUE(env.LoadServerAddress());
    EXPECT_EQ(env.serverAddress, std::string(83, '1'));
    std::string korean; // 50 syllables, 100 CP949 bytes: 41 fit in 83
    for (int i = 0; i < 50; ++i)
        korean += "서";
    ini.WriteString(korean, "ZEL_CTI_SERVER_IP_ADDR");
    EXPECT_TRUE(env.LoadServerAddress());
    EXPECT_EQ(env.serverAddress, korean.substr(0, 41 * 3));
    // Saving writes no more than the field holds, so both files agree with it.
    env.serverAddress = "1" + korean;
    EXPECT_TRUE(env.SaveServerAddress());
    EXPECT_EQ(env.serverAddress, "1" + korean.substr(0, 41 * 3));
    std::string stored;
    CIniFile("./Env/tnvx.INI", "VERSION_CHECK_CONNECT").ReadString(stored, "VC_SERVER_IP_ADDR");
    EXPECT_EQ(stored, env.serverAddress);

    // Without the Env folder nothing is written, and saving says so.
    std::filesystem::remove_all(work.Env());
    EXPECT_FALSE(env.SaveServerAddress());
    EXPECT_TRUE(std::filesystem::is_empty(work.Path()));
}

} // namespace
