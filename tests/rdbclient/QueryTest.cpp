// RDBQueryFirstRecord against the private server: the record text, no record, errors.
#include <string>

#include "tests/rdbclient/RdbTestSupport.h"

using namespace rdbtest;

class QueryTest : public RdbClientTest {};

TEST_F(QueryTest, RecordTextAndNoRecord) {
    Outcome out = Query(handle_, "select 12, NULL");
    EXPECT_GT(out.result, 0);
    EXPECT_EQ(out.code, RDB_STATUS_RECORD);
    EXPECT_EQ(out.record, "12:;:;");
    EXPECT_EQ(out.message, "");
    EXPECT_EQ(Query(handle_, "select ''").record, ":;");
    EXPECT_EQ(Query(handle_, "select 1, 'a:b', 'c;d', ';x:', ':'").record, "1:;a:b:;c;d:;;x::;::;");

    // No matching row, and SQL without a result set, are no record.
    for (const char* sql :
         {"select CD_NM from CODE_INFO where CD_GRP = 'ZT_RDB_NONE'", "set @zt_rdb = 1"}) {
        out = Query(handle_, sql);
        EXPECT_GT(out.result, 0) << sql;
        EXPECT_EQ(out.code, RDB_STATUS_NO_RECORD) << sql;
        EXPECT_EQ(out.record, "") << sql;
    }
}

TEST_F(QueryTest, ServerErrorsGiveTheServersCodeAndMessage) {
    Outcome out = Query(handle_, "selec 12");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, 1064);
    EXPECT_NE(out.message.find("You have an error in your SQL syntax"), std::string::npos)
        << out.message;
    EXPECT_EQ(out.record, "");

    out = Query(handle_, "select * from ZT_RDB_NO_SUCH_TABLE");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, 1146);
    EXPECT_NE(out.message.find("ZT_RDB_NO_SUCH_TABLE"), std::string::npos) << out.message;
    out = Query(handle_, "select 1", "ZT_RDB_NO_SUCH_DB");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, 1044) << out.message; // no right on it, so not even told it is missing
    // The connection stays usable.
    EXPECT_EQ(Query(handle_, "select 1").record, "1:;");
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
    // Unread rows would put the session out of step; the next call must just work.
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
    const struct {
        std::string sql;
        int code;
    } cases[] = {
        {"select 1, 'a:;b', 3", RDB_ERR_RECORD_SEPARATOR},
        {"select concat('a', char(0), 'b'), 2", RDB_ERR_RECORD_ZERO_BYTE},
        {"select repeat('x', 4094)", RDB_ERR_RECORD_TOO_LONG},  // 4096 with ":;", no room for 0
        {"select repeat('가', 1365)", RDB_ERR_RECORD_TOO_LONG}, // 4097 UTF-8 bytes
        {many, RDB_ERR_RECORD_TOO_LONG},
    };
    for (const auto& c : cases) {
        const Outcome out = Query(handle_, c.sql);
        EXPECT_LE(out.result, 0) << c.sql.substr(0, 40);
        EXPECT_EQ(out.code, c.code) << c.sql.substr(0, 40);
        EXPECT_EQ(out.record, "") << c.sql.substr(0, 40);
    }
    EXPECT_NE(Query(handle_, "select 1, 'a:;b'").message.find("column 2"), std::string::npos);
    EXPECT_EQ(Query(handle_, "select repeat('x', 4093)").record, std::string(4093, 'x') + ":;");
    EXPECT_EQ(Query(handle_, "select repeat('가', 1364)").record.size(), 1364u * 3 + 2);
}
