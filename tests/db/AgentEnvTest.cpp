// The database error box of the environment, without a server.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "db/AgentEnv.h"
#include "platform/MessageBox.h"
#include "rdbclient/RDBClient.h"

namespace {

TEST(AgentEnv, DatabaseErrorBoxShowsCodeAndMessageEvenWithoutATerminatingZero) {
    std::vector<platform::MessageBoxRequest> boxes;
    const auto previous = platform::SetMessageBoxHandler([&boxes](const auto& request) {
        boxes.push_back(request);
        return platform::IDOK;
    });
    CTELVOAgentEnv env;
    RDBStatus status{};
    env.ShowDBError(status); // code 0 and no message still make a box
    status.code = 2006;
    std::strcpy(status.message, "Server has gone away");
    env.ShowDBError(status);
    std::memset(status.message, 'm', sizeof status.message);
    env.ShowDBError(status);
    platform::SetMessageBoxHandler(previous);

    const std::string head = "데이터베이스 오류입니다.\r\n오류코드:";
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, head + "0\r\n오류메세지:");
    EXPECT_EQ(boxes[1].text, head + "2006\r\n오류메세지:Server has gone away");
    EXPECT_EQ(boxes[2].text,
              head + "2006\r\n오류메세지:" + std::string(sizeof status.message, 'm'));
    EXPECT_TRUE(boxes[2].caption == "에러" && boxes[2].style == platform::MB_ICONERROR);
}

} // namespace
