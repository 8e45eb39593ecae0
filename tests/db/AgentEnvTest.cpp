// The environment without a server: its fixed parts, the error box and the boxes it
// forwards.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "db/AgentEnv.h"
#include "db/SqlText.h"
#include "platform/MessageBox.h"
#include "rdbclient/RDBClient.h"

namespace {

class AgentEnvBoxes : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
            boxes_.push_back(r);
            return answer_;
        });
    }
    void TearDown() override { platform::SetMessageBoxHandler(previous_); }

    std::vector<platform::MessageBoxRequest> boxes_;
    int answer_ = platform::IDOK;
    platform::MessageBoxHandler previous_;
};

TEST(AgentEnv, StartsWithItsFixedPartsAndNoConnection) {
    const CTELVOAgentEnv& env = theAgentEnv();
    EXPECT_EQ(&env, &theAgentEnv());
    EXPECT_EQ(env.iniFile.FileName(), "Env\\ZELAgent.INI");
    EXPECT_EQ(env.iniFile.SectionName(), "GENERAL");
    EXPECT_EQ(env.dbName, "NEW_XAN");
    EXPECT_EQ(env.port, "8907");
    EXPECT_EQ(env.connection, 0);
    EXPECT_EQ(env.dbType, 0);
    EXPECT_TRUE(env.serverAddress.empty() && env.svcId.empty() && env.telNum.empty());
}

TEST(AgentEnv, SqlTextEscapesForTheCurrentDialect) {
    CTELVOAgentEnv env;
    EXPECT_EQ(env.SqlText("a'b\\c"), "a''b\\c");
    env.dbType = DB_TYPE_MYSQL;
    EXPECT_EQ(env.SqlText("a'b\\c"), "a''b\\\\c");
    EXPECT_EQ(env.SqlText("상담 메모"), "상담 메모");
}

TEST_F(AgentEnvBoxes, DatabaseErrorBoxShowsCodeAndMessage) {
    CTELVOAgentEnv env;
    RDBStatus status{};
    env.ShowDBError(status); // code 0 and no message still make a box
    status.code = 2006;
    std::strcpy(status.message, "Server has gone away");
    env.ShowDBError(status);
    std::memset(status.message, 'm', sizeof status.message); // no terminating zero
    env.ShowDBError(status);

    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[0].text, "데이터베이스 오류입니다.\r\n오류코드:0\r\n오류메세지:");
    EXPECT_EQ(boxes_[1].text,
              "데이터베이스 오류입니다.\r\n오류코드:2006\r\n오류메세지:Server has gone away");
    EXPECT_EQ(boxes_[2].text.size(),
              boxes_[1].text.size() - std::strlen("Server has gone away") + sizeof status.message);
    for (const auto& box : boxes_) {
        EXPECT_EQ(box.caption, "에러");
        EXPECT_EQ(box.style, platform::MB_ICONERROR);
        EXPECT_EQ(box.owner, nullptr);
    }
}

TEST_F(AgentEnvBoxes, InformationAndFormattedBoxesAreForwarded) {
    CTELVOAgentEnv env;
    env.InfoMessageBox(nullptr, "등록 %d건", 3);
    answer_ = platform::IDYES;
    EXPECT_EQ(env.FormatMessageBox(nullptr, "확인", platform::MB_YESNO, "%s?", "등록"),
              platform::IDYES);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "등록 3건");
    EXPECT_EQ(boxes_[0].caption, "알림");
    EXPECT_EQ(boxes_[0].style, platform::MB_ICONINFORMATION);
    EXPECT_EQ(boxes_[1].text, "등록?");
    EXPECT_EQ(boxes_[1].caption, "확인");
    EXPECT_EQ(boxes_[1].style, platform::MB_YESNO);
}

} // namespace
