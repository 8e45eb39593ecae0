// The environment against the private server as a desk of these tests, with boxes and traces
// recorded: the query and statement primitives, CheckDBType, and the agent's statements as the
// server receives them. Keys: SVC_ID 100-199, TEL_NUM '31xx', XAN_ID 300000-399999.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/AgentEnv.h"
#include "db/SqlText.h"
#include "dialogs/SignIn.h"
#include "platform/MessageBox.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/RecordedOutput.h"

namespace {

constexpr const char* kTelNum = "3101";
constexpr const char* kOtherTelNum = "3102"; // a neighbour that must stay untouched
const std::string kDeskWhere = " where SVC_ID = 101 and TEL_NUM = '3101'";

class AgentEnvDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        recorded_.emplace(boxes_, traces_);
        work_ = std::make_unique<zel::test::TempWorkDir>();
        AddDesk(kTelNum);
        AddDesk(kOtherTelNum);
        env_ = std::make_unique<CTELVOAgentEnv>();
        env_->serverAddress = "127.0.0.1";
        env_->dbType = DB_TYPE_MYSQL;
        env_->userId = "dbtest1";
        env_->svcId = "101";
        env_->telNum = kTelNum;
        env_->agentName = "김상담";
        ASSERT_TRUE(env_->RDBServerOpen()) << "rdbclient cannot reach the private server";
        boxes_.clear();
        traces_.clear();
    }
    void TearDown() override {
        if (env_ && env_->connection != 0)
            env_->ServerClose();
        work_.reset();
        recorded_.reset();
        DbFixture::TearDown();
    }

    void AddDesk(const std::string& telNum) {
        Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, "
                        "STATUS_START_TIME) values (101, " +
                        Admin().Quote(telNum) + ", 'dbtest1', 7, '19990101000000')");
    }
    // Adds a call request (CUST_INFO '고객 정보') and its history row (AGENT_NM 'nobody').
    void AddCall(const std::string& id) {
        Admin().Execute("insert into REQ_XAN (XAN_ID, SVC_ID, CUST_INFO) values (" + id +
                        ", 101, '고객 정보'); insert into TRANSFER_HIST (XAN_ID, SVC_ID, "
                        "AGENT_NM) values (" +
                        id + ", 101, 'nobody')");
    }
    zel::test::DbValue DeskValue(const std::string& telNum, const std::string& column) {
        const std::string where = " where SVC_ID = 101 and TEL_NUM = " + Admin().Quote(telNum);
        return Admin().Scalar("select " + column + " from TRANSFER_NUM_INFO" + where);
    }
    zel::test::DbValue AgentName(const std::string& xanId) {
        return Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = " + xanId);
    }
    std::string OwnRows() const override {
        return "delete from TRANSFER_NUM_INFO where SVC_ID between 100 and 199; "
               "delete from REQ_XAN where XAN_ID between 300000 and 399999; "
               "delete from TRANSFER_HIST where XAN_ID between 300000 and 399999";
    }

    std::unique_ptr<zel::test::TempWorkDir> work_;
    std::unique_ptr<CTELVOAgentEnv> env_;
    std::vector<platform::MessageBoxRequest> boxes_;
    std::vector<std::string> traces_;
    std::optional<zel::test::RecordedOutput> recorded_;
};

using Strings = std::vector<std::string>;

TEST_F(AgentEnvDbTest, QueriesGiveRecordNoRecordOrErrorAndStatementsTheServersError) {
    std::string value = "old";
    EXPECT_EQ(env_->GetFirstRecord(value, "select 'a', 'b'", false), 1);
    EXPECT_EQ(value, "a");
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
    const std::string trace = "[ZELAgent]CTELVOAgentEnv::GetFirstRecord(";
    EXPECT_EQ(traces_, (Strings{trace + "select 'a', 'b')", trace + "select 1, NULL, '김:값', '')",
                                trace + none + ")", trace + none + ")",
                                trace + "select X from DBTEST_NO_SUCH_TABLE)"}));
    traces_.clear();

    AddCall("300000"); // too long for AGENT_NM: refused in strict mode
    EXPECT_EQ(env_->ExecuteSQL("update TRANSFER_HIST set AGENT_NM = '" + std::string(30, 'x') +
                               "' where XAN_ID = 300000"),
              0);
    EXPECT_TRUE(traces_.empty()); // statements leave no trace line of their own
    const std::string head = "데이터베이스 오류입니다.\r\n오류코드:";
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[0].text, "조건에 맞는 자료가 없습니다.");
    EXPECT_EQ(boxes_[1].text, head + "1146\r\n오류메세지:Table 'NEW_XAN.DBTEST_NO_SUCH_TABLE' "
                                     "doesn't exist");
    EXPECT_EQ(boxes_[2].text, head + "1406\r\n오류메세지:Data too long for column 'AGENT_NM' "
                                     "at row 1");
    for (const auto& box : boxes_)
        EXPECT_TRUE(box.caption == "에러" && box.style == platform::MB_ICONERROR);

    CTELVOAgentEnv unconnected; // every call shows the error box
    EXPECT_EQ(unconnected.GetFirstRecord(value, "select 1", false), -1);
    EXPECT_EQ(unconnected.ExecuteSQL("select 1"), 0);
    EXPECT_EQ(unconnected.CheckDBType(), -1);
    EXPECT_EQ(boxes_.size(), 6u);
}

TEST_F(AgentEnvDbTest, CheckDBTypeSetsTheTypeOnlyForMysqlInCapitalsAndNoRowGivesZero) {
    const std::string where = " where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'";
    for (const char* name : {"MYSQL", "mysql", "MySQL", "MSSQL", "MYSQL ", "MYSQL' or 1#"}) {
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

// The agent's statements in both dialects, byte for byte as the server receives them. The
// SQL Server forms use its time functions and collation, which this server refuses: they
// fail with the error box and change nothing.
TEST_F(AgentEnvDbTest, EveryStatementReachesTheServerByteForByteAndChangesItsRowsOnly) {
    AddCall("300002");
    AddCall("300003");
    Admin().Execute("update REQ_XAN set CUST_INFO2 = '서울' where XAN_ID = 300002; update "
                    "TRANSFER_NUM_INFO set XAN_ID = 300001, RECV_PHONE = '01012345678', "
                    "CUST_INFO = 'VIP 김고객', TRANSFER_STATUS = 1" +
                    kDeskWhere);
    TransferInfo info;
    CustInfo cust;
    const std::string desk = "update TRANSFER_NUM_INFO set IS_READY = ";
    const std::string now = ", STATUS_START_TIME = concat(F_MY_DATE(now()), F_MY_TIME(now()))";
    const std::string sqlServerNow =
        ", STATUS_START_TIME = dbo.F_MY_DATE(getdate()) + dbo.F_MY_TIME(getdate())";
    const std::string zeros = ", STATUS_START_TIME = '00000000000000'";
    // 1 when the server ran the query, with or without a record.
    const auto signIn = [this](const std::string& sql) {
        return [this, sql] {
            std::string value;
            return env_->GetFirstRecord(value, sql, false) >= 0 ? 1 : 0;
        };
    };
    const auto ready = [this](int dbType, int mode) {
        return [this, dbType, mode] {
            env_->dbType = dbType;
            return env_->UpdateReadyStatus(mode);
        };
    };
    const struct {
        std::function<int()> call;
        std::string sql;
        const char* isReady; // of the desk afterwards, for the desk statements
    } cases[] = {
        {ready(DB_TYPE_MYSQL, 3), desk + "0" + now + kDeskWhere, "0"},
        {ready(DB_TYPE_MYSQL, 4), desk + "1" + now + kDeskWhere, "1"},
        {ready(DB_TYPE_MYSQL, 1), desk + "1" + zeros + kDeskWhere, "1"},
        {ready(0, 3), desk + "0" + sqlServerNow + kDeskWhere, "7"}, // refused: unchanged
        {ready(0, 4), desk + "1" + sqlServerNow + kDeskWhere, "7"},
        {ready(0, 1), desk + "1" + zeros + kDeskWhere, "1"}, // one form in both dialects
        {[&] { return env_->GetTransferInfo(info); },
         "select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from TRANSFER_NUM_INFO" +
             kDeskWhere,
         nullptr},
        {[&] { return env_->GetCustInfo(cust, "300002"); },
         "select CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4 from REQ_XAN where XAN_ID = 300002",
         nullptr},
        {[&] { return env_->UpdateHistAgentName("300002"); },
         "update TRANSFER_HIST set AGENT_NM = '김상담' where XAN_ID = 300002 ", nullptr},
        // The sign-in's, in the form of the database type; quotes and backslashes stay
        // inside their text (on this server a final backslash would otherwise end it).
        {signIn(PasswordStatement("a' or '1'='1", "x\\'", DB_TYPE_MYSQL)),
         "select PASSWORD from USER_AGENT_INFO where binary USER_ID = 'a'' or ''1''=''1' and "
         "AGENT_NM = 'x\\\\''' ",
         nullptr},
        {signIn(PasswordStatement("x\\", "or 1#", 0)),
         "select PASSWORD from USER_AGENT_INFO where USER_ID = 'x\\\\' and AGENT_NM = 'or 1#' "
         "collate Korean_Wansung_BIN ",
         nullptr},
        {signIn(PhoneStatement("a\\", "7", "4'2")),
         "select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = 'a\\\\' and SVC_ID = 7 and "
         "TEL_NUM = '4''2' ",
         nullptr},
    };
    const auto serverTime = [this] {
        return Admin().Scalar("select concat(F_MY_DATE(now()), F_MY_TIME(now()))").value_or("");
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        Admin().Execute("update TRANSFER_NUM_INFO set IS_READY = 7" + kDeskWhere);
        const std::string before = serverTime();
        zel::test::GeneralLogReader log;
        const bool runs =
            c.sql.find("dbo.") == std::string::npos && c.sql.find("collate ") == std::string::npos;
        EXPECT_EQ(c.call(), runs ? 1 : 0);
        EXPECT_EQ(boxes_.size(), runs ? 0u : 1u);
        boxes_.clear();
        EXPECT_TRUE(log.ContainsQuery(c.sql));
        if (c.isReady == nullptr)
            continue;
        EXPECT_EQ(DeskValue(kTelNum, "IS_READY"), c.isReady);
        if (!runs)
            continue;
        const std::string stamp = DeskValue(kTelNum, "STATUS_START_TIME").value_or("");
        if (c.sql.find(zeros) == std::string::npos)
            EXPECT_TRUE(stamp.size() == 14 && before <= stamp && stamp <= serverTime()) << stamp;
        else
            EXPECT_EQ(stamp, "00000000000000");
    }
    EXPECT_TRUE(info.transferStatus == 1 && info.xanId == "300001" &&
                info.recvPhone == "01012345678" && info.custInfo == "VIP 김고객");
    EXPECT_TRUE(cust.custInfo1 == "고객 정보" && cust.custInfo2 == "서울" &&
                cust.custInfo3.empty()); // NULL reads as empty
    EXPECT_EQ(AgentName("300002"), "김상담");
    EXPECT_EQ(AgentName("300003"), "nobody");
    EXPECT_EQ(DeskValue(kOtherTelNum, "IS_READY"), "7");
    EXPECT_EQ(DeskValue(kOtherTelNum, "STATUS_START_TIME"), "19990101000000");

    // No row: 0, and the records are cleared.
    env_->telNum = "3199";
    EXPECT_EQ(env_->GetTransferInfo(info), 0);
    EXPECT_TRUE(info.transferStatus == 0 && info.xanId.empty() && info.custInfo.empty());
    EXPECT_EQ(env_->GetCustInfo(cust, "399999"), 0);
    EXPECT_TRUE(cust.custInfo1.empty() && cust.custInfo2.empty());
    EXPECT_TRUE(boxes_.empty());
}

// Keys that are not plain digits stand unquoted in no statement: they are refused and never
// reach the server. (Hostile texts in the quoted values: DataSecurityTest.)
TEST_F(AgentEnvDbTest, HostileKeysNeverReachTheServer) {
    AddCall("300011");
    zel::test::GeneralLogReader log;
    CustInfo cust;
    EXPECT_EQ(env_->GetCustInfo(cust, "300011"), 1); // sent, in the same stretch of the log
    traces_.clear();
    env_->svcId = "101 or 1=1";
    TransferInfo info{1, "x", "y", "z"};
    EXPECT_EQ(env_->UpdateReadyStatus(3), 0);
    EXPECT_EQ(env_->GetTransferInfo(info), 0);
    EXPECT_TRUE(info.transferStatus == 0 && info.xanId.empty());
    EXPECT_EQ(env_->GetCustInfo(cust, "300006 or 1=1"), 0);
    EXPECT_EQ(env_->UpdateHistAgentName("300006; delete from TRANSFER_HIST"), 0);
    EXPECT_TRUE(log.QueriesContaining("300006").empty() && log.QueriesContaining("1=1").empty());
    EXPECT_EQ(log.QueriesContaining("from REQ_XAN where XAN_ID = 300011").size(), 1u);
    ASSERT_EQ(traces_.size(), 4u); // each refusal leaves a trace line
    EXPECT_EQ(traces_.back(), "[ZELAgent]CTELVOAgentEnv::UpdateHistAgentName refused "
                              "XAN_ID(300006; delete from TRANSFER_HIST)");
    EXPECT_TRUE(boxes_.empty());
}

} // namespace
