// The query and statement primitives and CheckDBType against the private server.
#include <gtest/gtest.h>

#include "tests/db/AgentEnvDbFixture.h"

namespace dbtest {
namespace {

using Strings = std::vector<std::string>;

TEST_F(AgentEnvDbTest, QueryResultsRecordNoRecordAndError) {
    std::string value = "old";
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->GetFirstRecord(value, "select 'a', 'b'", false), 1);
    EXPECT_EQ(value, "a");
    EXPECT_TRUE(log.ContainsQuery("select 'a', 'b'"));
    Strings values{"kept"}; // all values are appended after what the list held
    EXPECT_EQ(env_->GetFirstRecord(values, "select 1, NULL, '김:값', ''", false), 1);
    EXPECT_EQ(values, (Strings{"kept", "1", "", "김:값", ""}));

    const std::string none = "select CD_NM from CODE_INFO where CD_GRP = 'dbtest-none'";
    EXPECT_EQ(env_->GetFirstRecord(value, none, false), 0);
    EXPECT_EQ(value, "a");
    EXPECT_TRUE(boxes_.empty());
    values.clear();
    EXPECT_EQ(env_->GetFirstRecord(values, none, true), 0); // asked for the no-record box
    EXPECT_TRUE(values.empty());

    EXPECT_EQ(env_->GetFirstRecord(value, "select X from DBTEST_NO_SUCH_TABLE", false), -1);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "조건에 맞는 자료가 없습니다.");
    EXPECT_EQ(boxes_[1].text,
              DBErrorText(1146, "Table 'NEW_XAN.DBTEST_NO_SUCH_TABLE' doesn't exist"));
    for (const auto& box : boxes_) {
        EXPECT_EQ(box.caption, "에러");
        EXPECT_EQ(box.style, platform::MB_ICONERROR);
    }
    const std::string trace = "[ZELAgent]CTELVOAgentEnv::GetFirstRecord(";
    EXPECT_EQ(traces_, (Strings{trace + "select 'a', 'b')", trace + "select 1, NULL, '김:값', '')",
                                trace + none + ")", trace + none + ")",
                                trace + "select X from DBTEST_NO_SUCH_TABLE)"}));
}

TEST_F(AgentEnvDbTest, FailedStatementShowsTheServersCodeAndMessage) {
    AddCall(300000);
    // Too long for AGENT_NM: the server refuses it in strict mode.
    EXPECT_EQ(env_->ExecuteSQL("update TRANSFER_HIST set AGENT_NM = '" + std::string(30, 'x') +
                               "' where XAN_ID = 300000"),
              0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, DBErrorText(1406, "Data too long for column 'AGENT_NM' at row 1"));
    EXPECT_TRUE(traces_.empty()); // statements leave no trace line of their own

    CTELVOAgentEnv unconnected; // every call shows the error box
    std::string value;
    EXPECT_EQ(unconnected.GetFirstRecord(value, "select 1", false), -1);
    EXPECT_EQ(unconnected.ExecuteSQL("select 1"), 0);
    EXPECT_EQ(unconnected.CheckDBType(), -1);
    EXPECT_EQ(boxes_.size(), 4u);
}

TEST_F(AgentEnvDbTest, CheckDBTypeSetsTheTypeOnlyForMysqlInCapitalsAndNoRowGivesZero) {
    const std::string where = " where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'";
    for (const char* name : {"MYSQL", "mysql", "MySQL", "MSSQL", "MYSQL "}) {
        SCOPED_TRACE(name);
        Admin().Execute("update CODE_INFO set CD_NM = " + Admin().Quote(name) + where);
        env_->dbType = 0;
        zel::test::GeneralLogReader log;
        EXPECT_EQ(env_->CheckDBType(), 1);
        EXPECT_EQ(env_->dbType, std::string(name) == "MYSQL" ? DB_TYPE_MYSQL : 0);
        EXPECT_TRUE(log.ContainsQuery("select CD_NM from CODE_INFO" + where));
    }
    EXPECT_EQ(traces_.front(),
              "[ZELAgent]CXANManagerEnv::CheckDBType(select CD_NM from CODE_INFO" + where + " )");

    Admin().Execute("delete from CODE_INFO" + where);
    env_->dbType = 5;
    EXPECT_EQ(env_->CheckDBType(), 0);
    EXPECT_EQ(env_->dbType, 5);
    EXPECT_TRUE(boxes_.empty());
    Admin().Execute("insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values ('SYSTEM_VALUE', "
                    "'DB_TYPE', 'MYSQL') on duplicate key update CD_NM = 'MYSQL'");
}

} // namespace
} // namespace dbtest
