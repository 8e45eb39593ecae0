// The statements of a shift read a handful of rows however large the floor's tables
// grow: every statement the console sent (sign-in, readiness, poll, customer, stamp,
// registration, the day's statistics), taken from the server's log, is run again with
// the tables at two sizes and the server's handler read counters compared. A plan that
// scans, or reads by a prefix that does not narrow to the agent's own rows, reads more
// at the larger size. Rows of other agents and of other days fill the tables; index
// statistics are refreshed after each growth, so the optimizer plans as for a table of
// that size.
#include <map>
#include <set>

#include "db/AgentStatements.h"
#include "dialogs/SignIn.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

constexpr long long kCallXan = 500601;
constexpr long long kFillXan = 540000; // fill rows 540001.. (inside the fixture's key range)
constexpr int kHandful = 4;

class StatementPlanTest : public ConsoleDbTest {
  protected:
    void SetUp() override {
        ConsoleDbTest::SetUp();
        if (HasFatalFailure())
            return;
        DeleteFill();
        Admin().Execute("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values "
                        "('contest1', " +
                        Admin().Quote(kAgentName) + ", 'pw')");
    }
    void TearDown() override {
        if (work_)
            DeleteFill();
        ConsoleDbTest::TearDown();
    }

    // Rows 1..rows of other desks and accounts, and history: today's calls of other agents
    // and this agent's calls of the last 29 days (none of them today).
    void FillTo(int from, int rows) {
        const std::string seq = "seq_" + std::to_string(from) + "_to_" + std::to_string(rows);
        const std::string day = "date_format(now() - interval (seq mod 30) day, '%Y%m%d')";
        const std::string agent =
            "if(seq mod 30 = 0, concat('상담원', seq), " + Admin().Quote(kAgentName) + ")";
        const std::string xan = std::to_string(kFillXan) + " + seq";
        ASSERT_TRUE(Admin().Execute(
            "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) select "
            "concat('contestplan', "
            "seq), concat('상담원', seq), 'pw' from " +
            seq +
            "; insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) select 501, concat('6', "
            "seq), concat('contestplan', seq) from " +
            seq + "; insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, REQ_DT) select " +
            xan + ", 501, '0212345678', '고객', " + day + " from " + seq +
            "; insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, CONF_TIME, AGENT_NM, "
            "CONSULT_RESULT) select " +
            xan + ", 501, concat('6', seq), " + day + ", 60, " + agent + ", '01' from " + seq +
            "; analyze table USER_AGENT_INFO, TRANSFER_NUM_INFO, REQ_XAN, TRANSFER_HIST"));
    }
    void DeleteFill() {
        Admin().Execute("delete from USER_AGENT_INFO where USER_ID like 'contestplan%' or "
                        "(USER_ID = 'contest1' and AGENT_NM = " +
                        Admin().Quote(kAgentName) + ")");
    }

    long long HandlerReads() {
        return std::stoll(Admin()
                              .Scalar("select sum(VARIABLE_VALUE) from "
                                      "information_schema.SESSION_STATUS where VARIABLE_NAME "
                                      "like 'HANDLER_READ%'")
                              .value_or("0"));
    }
    // Rows the statement read, less what reading the counters costs. Run once before, so
    // that a first call's loading of a stored function or table definition is not counted.
    long long ReadsOf(const std::string& statement) {
        EXPECT_TRUE(Admin().Execute(statement)) << statement;
        const long long before = HandlerReads();
        const long long overhead = HandlerReads() - before;
        const long long start = HandlerReads();
        Admin().Execute(statement);
        return HandlerReads() - start - overhead;
    }

    // A shift: sign-in, ready, a call taken and shown, its result, its end, sign-out.
    std::vector<std::string> ShiftStatements() {
        std::string id;
        EXPECT_EQ(env_->GetFirstRecord(id, "select connection_id()", false), 1);
        zel::test::GeneralLogReader log;
        std::string value;
        env_->GetFirstRecord(value, agentsql::kCheckDBTypeSql, false);
        env_->GetFirstRecord(value, PasswordStatement("contest1", kAgentName, DB_TYPE_MYSQL),
                             false);
        env_->GetFirstRecord(value, PhoneStatement("contest1", "501", "5501"), false);
        TakeCall(kCallXan);
        view_.resultControl = 2;
        view_.memoControl = "메모";
        console_->RegistConfResult();
        SetTransferStatus(0);
        console_->PollTransfer();
        console_->OnLogout();
        std::vector<std::string> statements;
        for (const zel::test::GeneralLogEntry& entry : log.Entries())
            if (entry.command == "Query" && std::to_string(entry.connectionId) == id)
                statements.push_back(entry.argument);
        return statements;
    }
};

TEST_F(StatementPlanTest, EveryStatementOfAShiftReadsAHandfulOfRowsAtAnySize) {
    FillTo(1, 1500);
    const std::vector<std::string> statements = ShiftStatements();
    std::set<std::string> tables;
    for (const char* table :
         {"USER_AGENT_INFO", "TRANSFER_NUM_INFO", "REQ_XAN", "TRANSFER_HIST", "CODE_INFO"})
        for (const std::string& statement : statements)
            if (statement.find(table) != std::string::npos)
                tables.insert(table);
    EXPECT_EQ(tables.size(), 5u) << "the shift did not reach every table";

    std::map<std::string, long long> small;
    for (const std::string& statement : statements)
        small[statement] = ReadsOf(statement);
    FillTo(1501, 6000);
    for (const std::string& statement : statements) {
        const long long reads = ReadsOf(statement);
        EXPECT_LE(reads, kHandful) << statement;
        EXPECT_EQ(reads, small[statement]) << "reads grow with the table: " << statement;
    }
}

} // namespace
} // namespace contest
