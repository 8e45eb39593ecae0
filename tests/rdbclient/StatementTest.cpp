// RDBExecuteSQL, and the database each call names.
#include <string>

#include "tests/rdbclient/RdbTestSupport.h"

using namespace rdbtest;

class StatementTest : public RdbClientTest {
  protected:
    void SetUp() override {
        RdbClientTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(Admin().Execute("create table " + table_ +
                                    " (ID int primary key, NM varchar(20)) charset=utf8mb4"));
    }
    void TearDown() override {
        if (Admin().Ok())
            Admin().Execute("drop table if exists " + table_);
        RdbClientTest::TearDown();
    }
    std::string Name(int id) {
        return Admin()
            .Scalar("select NM from " + table_ + " where ID = " + std::to_string(id))
            .value_or("(none)");
    }
    const std::string table_ = ScratchTable("EXEC");
};

TEST_F(StatementTest, StatementsTakeEffectAndReachTheServerByteForByte) {
    Outcome out = Execute(handle_, "insert into " + table_ + " values (1, 'before')");
    EXPECT_GT(out.result, 0);
    EXPECT_EQ(out.code, 0);
    EXPECT_EQ(out.message, "");
    zel::test::GeneralLogReader log;
    const std::string sql = "update " + table_ + " set NM = '이서연' where ID = 1";
    EXPECT_GT(Execute(handle_, sql).result, 0);
    EXPECT_TRUE(log.ContainsQuery(sql));
    EXPECT_EQ(Name(1), "이서연");
    // An update of no row and a statement returning rows ran, and the session stays in step.
    EXPECT_GT(Execute(handle_, "update " + table_ + " set NM = 'x' where ID = 99").result, 0);
    EXPECT_GT(Execute(handle_, "select * from " + table_).result, 0);
    EXPECT_EQ(Query(handle_, "select count(*) from " + table_).record, "1:;");

    // Failures give the server's code and message and change nothing.
    const std::pair<std::string, int> failing[] = {
        {"insert into " + table_ + " values (1, 'b')", 1062},
        {"update " + table_ + " set NM = 'x' wher ID = 1", 1064},
        // Too long for its column: refused (strict mode), not stored cut.
        {"insert into " + table_ + " values (2, '" + std::string(21, 'n') + "')", 1406},
    };
    for (const auto& [statement, code] : failing) {
        out = Execute(handle_, statement);
        EXPECT_LE(out.result, 0) << statement;
        EXPECT_EQ(out.code, code) << out.message;
    }
    EXPECT_NE(Execute(handle_, failing[0].first).message.find("Duplicate entry"),
              std::string::npos);
    EXPECT_EQ(Name(1), "이서연");
    EXPECT_EQ(Name(2), "(none)");
}

TEST_F(StatementTest, EveryCallRunsInTheDatabaseItNames) {
    EXPECT_EQ(Query(handle_, "select database()", "information_schema").record,
              "information_schema:;");
    // A statement that switches the session's database does not move the next call.
    ASSERT_GT(Execute(handle_, "use information_schema").result, 0);
    EXPECT_EQ(Query(handle_, "select database()").record, "NEW_XAN:;");
    ASSERT_GT(Query(handle_, "use information_schema").result, 0);
    EXPECT_GT(Execute(handle_, "insert into " + table_ + " values (5, 'x')").result, 0);
    EXPECT_EQ(Name(5), "x");
}
