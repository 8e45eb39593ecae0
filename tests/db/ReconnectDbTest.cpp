// A query after the server went away and came back, on a throw-away server so the
// shared one is never disturbed.
#include <gtest/gtest.h>

#include <vector>

#include "db/AgentEnv.h"
#include "platform/MessageBox.h"
#include "rdbclient/RDBClient.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/ScratchServer.h"

namespace {

TEST(AgentEnvReconnect, QueriesWorkAgainAfterTheServerRestarted) {
    std::vector<platform::MessageBoxRequest> boxes;
    const auto previous =
        platform::SetMessageBoxHandler([&boxes](const platform::MessageBoxRequest& r) {
            boxes.push_back(r);
            return platform::IDOK;
        });
    zel::test::TempWorkDir work;
    zel::test::ScratchServer server;
    std::string why;
    ASSERT_TRUE(server.Start(&why)) << why;

    // The environment's port is fixed; the scratch server's handle is handed to it.
    CTELVOAgentEnv env;
    env.connection = RDBServerOpen("127.0.0.1", server.PortText().c_str());
    ASSERT_NE(env.connection, 0);
    ASSERT_EQ(env.ExecuteSQL("create table T (A int)"), 1);
    ASSERT_EQ(env.ExecuteSQL("insert into T values (7)"), 1);
    std::string value;
    EXPECT_EQ(env.GetFirstRecord(value, "select A from T", false), 1);
    EXPECT_EQ(value, "7");

    server.Stop();
    EXPECT_EQ(env.GetFirstRecord(value, "select A from T", false), -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "에러");
    EXPECT_NE(boxes[0].text.find("오류코드:"), std::string::npos);

    ASSERT_TRUE(server.Start(&why)) << why;
    value.clear();
    EXPECT_EQ(env.GetFirstRecord(value, "select A from T", false), 1);
    EXPECT_EQ(value, "7");
    EXPECT_EQ(env.ExecuteSQL("update T set A = 8"), 1);
    EXPECT_EQ(boxes.size(), 1u);

    RDBServerClose(env.connection);
    platform::SetMessageBoxHandler(previous);
}

} // namespace
