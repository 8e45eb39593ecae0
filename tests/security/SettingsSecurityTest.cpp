// Hostile texts in both settings files and in every value the program stores there: read
// without a crash, written whole or refused with a trace line, never a line of the file
// added, lost or cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "dialogs/SignIn.h"
#include "platform/TraceChannel.h"
#include "tests/security/SecurityDbFixture.h"
#include "tests/support/DbTestSupport.h"
#include "util/Cp949.h"

namespace sectest {
namespace {

using zel::test::FileBytes;

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

class SettingsSecurityTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousSink_ = platform::SetTraceSink(
            [this](std::string_view message) { traces_.emplace_back(message); });
    }
    void TearDown() override { platform::SetTraceSink(previousSink_); }

    zel::test::TempWorkDir work_{false};
    std::vector<std::string> traces_;

  private:
    platform::TraceSink previousSink_;
};

// The last sign-in is written as it was typed, or not at all with a trace line; the
// lines of the file never change in number.
TEST_F(SettingsSecurityTest, LastSignInValuesAreStoredWholeOrRefusedWithATraceLine) {
    for (const std::string& text : HostileTexts()) {
        SCOPED_TRACE(text);
        WriteBytes(
            work_.Env() / "ZELAgent.INI",
            "[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=10.0.0.9\r\n[OTHER]\r\nLAST_USER_ID=keep\r\n");
        traces_.clear();
        SignInFields typed{"secret", text, text, "871", text};
        SaveSignIn(typed);
        const std::string file = FileBytes(work_.Env() / "ZELAgent.INI");
        EXPECT_EQ(file.find("secret"), std::string::npos);
        EXPECT_EQ(file.rfind("[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=10.0.0.9\r\n", 0), 0u);
        EXPECT_NE(file.find("[OTHER]\r\nLAST_USER_ID=keep\r\n"), std::string::npos);
        SignInFields loaded;
        LoadLastSignIn(loaded);
        const bool storable =
            cp949::FromUtf8(text) && text.find_first_of("\r\n") == std::string::npos;
        if (storable) {
            // A value over 258 bytes reads back cut, as the file rules say (the sign-in
            // never stores one: the columns hold 20 characters).
            EXPECT_EQ(loaded.userId, text.substr(0, 258));
            EXPECT_EQ(loaded.agentName, text.substr(0, 258));
            EXPECT_EQ(loaded.svcId, "871");
            EXPECT_TRUE(traces_.empty());
        } else {
            EXPECT_EQ(loaded.userId, "");
            EXPECT_EQ(loaded.svcId, "871");
            ASSERT_FALSE(traces_.empty());
            EXPECT_NE(traces_.back().find("LAST_"), std::string::npos) << traces_.back();
        }
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), storable ? 8 : 5);
    }
}

// Files that another program or a person wrote: bytes that are not CP949, zero bytes,
// separators, brackets and equals signs inside values.
TEST_F(SettingsSecurityTest, HostileFileContentsAreReadWithoutHarmAndKeptOnWrite) {
    const std::string hostileLines = "LAST_USER_ID=a\xFF\x81 b\r\n"
                                     "LAST_AGENT_NM=" +
                                     std::string("k\0m", 3) +
                                     ":;'\\\r\n"
                                     "LAST_SVC_ID=1=2 ]\r\n"
                                     "LAST_EXTENSION=\"quoted\r\n"
                                     "ZEL_CTI_SERVER_IP_ADDR=" +
                                     std::string(400, '7') + "\r\n";
    const std::string tnvx =
        "; comment\r\n[VERSION_CHECK_CONNECT]\r\nVC_SERVER_IP_ADDR=\xFE\xFE\r\n"
        "[x]\r\n" +
        std::string("\0\0", 2) + "\r\n";
    WriteBytes(work_.Env() / "ZELAgent.INI", "[GENERAL]\r\n" + hostileLines);
    WriteBytes(work_.Env() / "tnvx.INI", tnvx);

    SignInFields loaded;
    LoadLastSignIn(loaded);
    EXPECT_EQ(loaded.svcId, "1=2 ]");
    EXPECT_EQ(loaded.telNum, "\"quoted");
    EXPECT_EQ(loaded.agentName, std::string("k\0m", 3) + ":;'\\");
    EXPECT_EQ(loaded.userId.rfind("a", 0), 0u);
    EXPECT_EQ(loaded.userId.back(), 'b');

    CTELVOAgentEnv env;
    EXPECT_TRUE(env.LoadServerAddress());
    env.serverAddress = "10.1.1.1";
    EXPECT_TRUE(env.SaveServerAddress());
    // Only the address line changed, in both files.
    std::string expected = "[GENERAL]\r\n" + hostileLines;
    expected.replace(expected.find(std::string(400, '7')), 400, "10.1.1.1");
    EXPECT_EQ(FileBytes(work_.Env() / "ZELAgent.INI"), expected);
    std::string expectedTnvx = tnvx;
    expectedTnvx.replace(expectedTnvx.find("\xFE\xFE"), 2, "10.1.1.1");
    EXPECT_EQ(FileBytes(work_.Env() / "tnvx.INI"), expectedTnvx);
}

} // namespace
} // namespace sectest
