// RDBQueryFirstRecord against the private server: the record text, no record, errors.
#include <string>

#include "tests/rdbclient/RdbTestSupport.h"

using namespace rdbtest;

class QueryTest : public RdbClientTest {};

TEST_F(QueryTest, RecordNoRecordAndErrorsWithTheServersCodeAndMessage) {
    const struct {
        const char* sql;
        const char* db;
        int code;
        const char* record;
        const char* message; // contained in the status message
    } cases[] = {
        {"select 12, NULL", kDb, RDB_STATUS_RECORD, "12:;:;", ""},
        {"select ''", kDb, RDB_STATUS_RECORD, ":;", ""},
        {"select 1, 'a:b', 'c;d', ';x:', ':'", kDb, RDB_STATUS_RECORD, "1:;a:b:;c;d:;;x::;::;", ""},
        {"select CD_NM from CODE_INFO where CD_GRP = 'ZT_RDB_NONE'", kDb, RDB_STATUS_NO_RECORD, "",
         ""},
        {"set @zt_rdb = 1", kDb, RDB_STATUS_NO_RECORD, "", ""},
        {"selec 12", kDb, 1064, "", "You have an error in your SQL syntax"},
        {"select * from ZT_RDB_NO_SUCH_TABLE", kDb, 1146, "", "ZT_RDB_NO_SUCH_TABLE"},
        // No right on it, so not even told it is missing.
        {"select 1", "ZT_RDB_NO_SUCH_DB", 1044, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const Outcome out = Query(handle_, c.sql, c.db);
        const bool ok = c.code == RDB_STATUS_RECORD || c.code == RDB_STATUS_NO_RECORD;
        EXPECT_EQ(out.result > 0, ok);
        EXPECT_EQ(out.code, c.code);
        EXPECT_EQ(out.record, c.record);
        EXPECT_TRUE(!ok || out.message.empty()) << out.message;
        EXPECT_NE(out.message.find(c.message), std::string::npos) << out.message;
    }
    EXPECT_EQ(Query(handle_, "select 1").record, "1:;"); // still usable
}

TEST_F(QueryTest, OnlyTheFirstRowIsWrittenAndKoreanTextMakesTheRoundTrip) {
    const std::string table = ScratchTable("ROWS");
    ASSERT_TRUE(Admin().Execute("create table " + table +
                                " (N int primary key, T varchar(20)) default charset=utf8mb4"));
    const std::string name = "김민준 상담원";
    ASSERT_GT(
        Execute(handle_, "insert into " + table + " values (1,'one'),(2,'" + name + "')").result,
        0);
    EXPECT_EQ(Query(handle_, "select N, T from " + table + " order by N desc").record,
              "2:;" + name + ":;");
    // Unread rows would put the session out of step.
    EXPECT_EQ(Query(handle_, "select count(*) from " + table).record, "2:;");
    // Stored as characters, not as bytes of another code page.
    EXPECT_EQ(Admin().Scalar("select char_length(T) from " + table + " where N = 2"), "7");
    EXPECT_EQ(Admin().Scalar("select T from " + table + " where N = 2"), name);
    Admin().Execute("drop table " + table);
}

// A record that cannot be delivered whole is an error, never a cut or shifted text.
TEST_F(QueryTest, RecordThatCannotBeDeliveredWholeIsAnErrorStatus) {
    std::string many = "select ''"; // 2100 empty values need 4200 separator bytes
    for (int i = 1; i < 2100; ++i)
        many += ",''";
    const std::pair<std::string, int> cases[] = {
        {"select 1, 'a:;b', 3", RDB_ERR_RECORD_SEPARATOR},
        {"select concat('a', char(0), 'b'), 2", RDB_ERR_RECORD_ZERO_BYTE},
        {"select repeat('x', 4094)", RDB_ERR_RECORD_TOO_LONG},  // 4096 with ":;", no room for 0
        {"select repeat('가', 1365)", RDB_ERR_RECORD_TOO_LONG}, // 4097 UTF-8 bytes
        {many, RDB_ERR_RECORD_TOO_LONG},
    };
    for (const auto& [sql, code] : cases) {
        SCOPED_TRACE(sql.substr(0, 40));
        const Outcome out = Query(handle_, sql);
        EXPECT_LE(out.result, 0);
        EXPECT_EQ(out.code, code);
        EXPECT_EQ(out.record, "");
    }
    EXPECT_NE(Query(handle_, "select 1, 'a:;b'").message.find("column 2"), std::string::npos);
    EXPECT_EQ(Query(handle_, "select repeat('x', 4093)").record, std::string(4093, 'x') + ":;");
    EXPECT_EQ(Query(handle_, "select repeat('가', 1364)").record.size(), 1364u * 3 + 2);
}
