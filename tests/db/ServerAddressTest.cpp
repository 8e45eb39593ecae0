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

// Saved in both files, and missing loads as empty. The field holds 83 bytes (CP949): a
// longer address, loaded or saved, is cut at the last whole character within them, and
// both files then hold what the program holds. Without the Env folder saving fails.
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

    std::string seo50; // 50 syllables, 100 bytes: 41 fit in 83
    for (int i = 0; i < 50; ++i)
        seo50 += "서";
    const std::string seo41 = seo50.substr(0, 41 * 3); // UTF-8: three bytes each
    const std::pair<std::string, std::string> cases[] = {
        {std::string(83, '1'), std::string(83, '1')},
        {std::string(84, '1'), std::string(83, '1')},
        {std::string(400, '7'), std::string(83, '7')},
        {seo50, seo41},
        {"1" + seo50, "1" + seo41},
    };
    const CIniFile ini("Env\\ZELAgent.INI", "GENERAL");
    for (const auto& [address, held] : cases) {
        SCOPED_TRACE(address.size());
        ASSERT_TRUE(ini.WriteString(address, "ZEL_CTI_SERVER_IP_ADDR"));
        EXPECT_TRUE(env.LoadServerAddress());
        EXPECT_EQ(env.serverAddress, held);
        env.serverAddress = address;
        EXPECT_TRUE(env.SaveServerAddress());
        EXPECT_EQ(env.serverAddress, held);
        CTELVOAgentEnv reread;
        EXPECT_TRUE(reread.LoadServerAddress());
        EXPECT_EQ(reread.serverAddress, held);
        std::string stored;
        CIniFile("./Env/tnvx.INI", "VERSION_CHECK_CONNECT").ReadString(stored, "VC_SERVER_IP_ADDR");
        EXPECT_EQ(stored, held);
    }

    std::filesystem::remove_all(work.Env());
    EXPECT_FALSE(env.SaveServerAddress());
    EXPECT_TRUE(std::filesystem::is_empty(work.Path()));
}

} // namespace
