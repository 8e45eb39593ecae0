// The query and statement primitives and CheckDBType against the private server:
// results, boxes and trace lines.
#include <gtest/gtest.h>

#include "db/SqlText.h"
#include "tests/db/AgentEnvDbFixture.h"

namespace dbtest {
namespace {

using Strings = std::vector<std::string>;

TEST_F(AgentEnvDbTest, OpeningTracesAddressAndPortAndClosingPassesTheResultThrough) {
    CTELVOAgentEnv env;
    env.serverAddress = "127.0.0.1";
    ASSERT_TRUE(env.RDBServerOpen());
    EXPECT_NE(env.connection, 0);
    EXPECT_EQ(Traces(),
              (Strings{"[ZELAgent]CTELVOAgentEnv::RDBServerOpen IP(127.0.0.1) PORT(8907)"}));
    const int handle = env.connection;
    EXPECT_EQ(env.ServerClose(), 1);
    EXPECT_EQ(env.connection, handle); // kept, as the library's handle is not reused
    EXPECT_EQ(env.ServerClose(), 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentEnvDbTest, QueryResultsRecordNoRecordAndError) {
    std::string value = "old";
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->GetFirstRecord(value, "select 'a', 'b'", false), 1);
    EXPECT_EQ(value, "a");
    EXPECT_TRUE(log.ContainsQuery("select 'a', 'b'"));

    value = "old";
    EXPECT_EQ(env_->GetFirstRecord(
                  value, "select CD_NM from CODE_INFO where CD_GRP = 'dbtest-none'", false),
              0);
    EXPECT_EQ(value, "old");
    EXPECT_TRUE(Boxes().empty());

    EXPECT_EQ(env_->GetFirstRecord(value, "select X from DBTEST_NO_SUCH_TABLE", false), -1);
    ASSERT_EQ(Boxes().size(), 1u);
    const platform::MessageBoxRequest& box = Boxes()[0];
    EXPECT_EQ(box.text, DBErrorText(1146, "Table 'NEW_XAN.DBTEST_NO_SUCH_TABLE' doesn't exist"));
    EXPECT_EQ(box.caption, "에러");
    EXPECT_EQ(box.style, platform::MB_ICONERROR);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(Traces(), (Strings{
                            "[ZELAgent]CTELVOAgentEnv::GetFirstRecord(select 'a', 'b')",
                            "[ZELAgent]CTELVOAgentEnv::GetFirstRecord(select CD_NM from CODE_INFO "
                            "where CD_GRP = 'dbtest-none')",
                            "[ZELAgent]CTELVOAgentEnv::GetFirstRecord(select X from "
                            "DBTEST_NO_SUCH_TABLE)",
                        }));
}

TEST_F(AgentEnvDbTest, NoRecordShowsItsBoxOnlyWhenAsked) {
    Strings values;
    EXPECT_EQ(
        env_->GetFirstRecord(values, "select 1 from CODE_INFO where CD_GRP = 'dbtest-none'", true),
        0);
    EXPECT_TRUE(values.empty());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "조건에 맞는 자료가 없습니다.");
    EXPECT_EQ(Boxes()[0].caption, "에러");
    EXPECT_EQ(Boxes()[0].style, platform::MB_ICONERROR);
    EXPECT_EQ(Boxes()[0].owner, nullptr);
}

TEST_F(AgentEnvDbTest, AllValuesAreAppendedAfterWhatTheListHeld) {
    Strings values{"kept"};
    EXPECT_EQ(env_->GetFirstRecord(values, "select 1, NULL, '김:값', ''", false), 1);
    EXPECT_EQ(values, (Strings{"kept", "1", "", "김:값", ""}));
    std::string single = "old";
    EXPECT_EQ(env_->GetFirstRecord(single, "select NULL", false), 1);
    EXPECT_EQ(single, "");
}

TEST_F(AgentEnvDbTest, FailedStatementShowsTheServersCodeAndMessage) {
    AddCall(300000);
    // Too long for AGENT_NM: the server refuses it in strict mode.
    EXPECT_EQ(env_->ExecuteSQL("update TRANSFER_HIST set AGENT_NM = '" + std::string(30, 'x') +
                               "' where XAN_ID = 300000"),
              0);
    EXPECT_EQ(env_->ExecuteSQL("update DBTEST_NO_SUCH_TABLE set X = 1"), 0);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, DBErrorText(1406, "Data too long for column 'AGENT_NM' at row 1"));
    EXPECT_EQ(Boxes()[1].text,
              DBErrorText(1146, "Table 'NEW_XAN.DBTEST_NO_SUCH_TABLE' doesn't exist"));
    EXPECT_EQ(Boxes()[1].caption, "에러");
    EXPECT_TRUE(Traces().empty()); // statements leave no trace line of their own
}

TEST_F(AgentEnvDbTest, WithoutAConnectionEveryCallShowsTheErrorBox) {
    CTELVOAgentEnv env;
    std::string value;
    EXPECT_EQ(env.GetFirstRecord(value, "select 1", false), -1);
    EXPECT_EQ(env.ExecuteSQL("select 1"), 0);
    EXPECT_EQ(env.CheckDBType(), -1);
    ASSERT_EQ(Boxes().size(), 3u);
    for (const auto& box : Boxes()) {
        EXPECT_EQ(box.caption, "에러");
        EXPECT_NE(box.text.find("오류코드:"), std::string::npos);
    }
    EXPECT_EQ(env.dbType, 0);
}

// The database-type row is put back whatever the test did to it.
class CheckDBTypeTest : public AgentEnvDbTest {
  protected:
    void TearDown() override {
        if (Ready())
            Admin().Execute("insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values ('SYSTEM_VALUE', "
                            "'DB_TYPE', 'MYSQL') on duplicate key update CD_NM = 'MYSQL'");
        AgentEnvDbTest::TearDown();
    }
    void SetTypeName(const std::string& name) {
        Admin().Execute("update CODE_INFO set CD_NM = " + Admin().Quote(name) +
                        " where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'");
    }
};

constexpr const char* kCheckSql =
    "select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE' ";

TEST_F(CheckDBTypeTest, MySqlInCapitalsSetsTheType) {
    env_->dbType = 0;
    SetTypeName("MYSQL");
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->CheckDBType(), 1);
    EXPECT_EQ(env_->dbType, DB_TYPE_MYSQL);
    EXPECT_TRUE(log.ContainsQuery(kCheckSql));
    EXPECT_EQ(Traces(),
              (Strings{std::string("[ZELAgent]CXANManagerEnv::CheckDBType(") + kCheckSql + ")"}));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckDBTypeTest, OtherNamesLeaveTheTypeAsItWas) {
    for (const char* name : {"mysql", "MySQL", "MSSQL", "MYSQL "}) {
        env_->dbType = 0;
        SetTypeName(name);
        EXPECT_EQ(env_->CheckDBType(), 1) << name;
        EXPECT_EQ(env_->dbType, 0) << name;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckDBTypeTest, NoRowGivesZeroWithoutABox) {
    Admin().Execute("delete from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'");
    env_->dbType = 5;
    EXPECT_EQ(env_->CheckDBType(), 0);
    EXPECT_EQ(env_->dbType, 5);
    EXPECT_TRUE(Boxes().empty());
}

} // namespace
} // namespace dbtest
