// The server address in the settings files, in a temporary working folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "tests/support/DbTestSupport.h"

namespace {

using zel::test::FileBytes;

// Saved in both files, and missing loads as empty. The field holds 83 bytes (CP949): a
// longer address, loaded or saved, is cut at the last whole character within them, and
// both files then hold what the program holds. One that would add a line or has no CP949
// form is not saved, and saving says so, as it does without the Env folder.
TEST(ServerAddress, SavedInBothFilesCutTo83BytesAtACharacterMissingLoadsEmptyUnwritableFails) {
    zel::test::TempWorkDir work(false);
    CTELVOAgentEnv env;
    env.serverAddress = "stale";
    EXPECT_TRUE(env.LoadServerAddress());
    EXPECT_EQ(env.serverAddress, "");
    env.serverAddress = "10.20.30.40";
    EXPECT_TRUE(env.SaveServerAddress());
    EXPECT_EQ(FileBytes(work.Env() / "ZELAgent.INI"),
              "[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=10.20.30.40\r\n");
    EXPECT_EQ(FileBytes(work.Env() / "tnvx.INI"),
              "[VERSION_CHECK_CONNECT]\r\nVC_SERVER_IP_ADDR=10.20.30.40\r\n");

    std::string seo50; // 50 syllables, 100 bytes: 41 fit in 83
    for (int i = 0; i < 50; ++i)
        seo50 += "서";
    const std::string seo41 = seo50.substr(0, 41 * 3); // UTF-8: three bytes each
    const std::string hostile = std::string("' or 1#:;%s\\", 12) + std::string("a\0b", 3);
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {std::string(83, '1'), std::string(83, '1')},
        {std::string(84, '1'), std::string(83, '1')},
        {std::string(400, '7'), std::string(83, '7')},
        {seo50, seo41},
        {"1" + seo50, "1" + seo41},
        {hostile, hostile},
        {"10.0.0.1\r\nZEL_CTI_SERVER_IP_ADDR=6.6.6.6", std::nullopt},
        {"10.0.0.1\xF0\x9F\x98\x80", std::nullopt},
    };
    const CIniFile ini("Env\\ZELAgent.INI", "GENERAL");
    std::string stored;
    for (const auto& [address, held] : cases) {
        SCOPED_TRACE(address.size());
        if (held) {
            ASSERT_TRUE(ini.WriteString(address, "ZEL_CTI_SERVER_IP_ADDR"));
            EXPECT_TRUE(env.LoadServerAddress());
            EXPECT_EQ(env.serverAddress, *held);
            stored = *held;
        }
        env.serverAddress = address;
        EXPECT_EQ(env.SaveServerAddress(), held.has_value());
        CTELVOAgentEnv reread;
        EXPECT_TRUE(reread.LoadServerAddress());
        EXPECT_EQ(reread.serverAddress, stored);
        std::string companion;
        CIniFile("./Env/tnvx.INI", "VERSION_CHECK_CONNECT")
            .ReadString(companion, "VC_SERVER_IP_ADDR");
        EXPECT_EQ(companion, stored);
    }

    std::filesystem::remove_all(work.Env());
    env.serverAddress = "10.20.30.40";
    EXPECT_FALSE(env.SaveServerAddress());
    EXPECT_TRUE(std::filesystem::is_empty(work.Path()));
}

} // namespace
