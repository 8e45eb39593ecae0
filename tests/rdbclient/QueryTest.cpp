// RDBQueryFirstRecord against the private server: the record text, no record, errors.
#include <string>

#include "tests/rdbclient/RdbTestSupport.h"

using namespace rdbtest;

class QueryTest : public RdbClientTest {};

TEST_F(QueryTest, TwelveAndNullGiveTheRecordTextTwelveAndAnEmptyValue) {
    const Outcome out = Query(handle_, "select 12, NULL");
    EXPECT_GT(out.result, 0);
    EXPECT_EQ(out.code, RDB_STATUS_RECORD);
    EXPECT_EQ(out.record, "12:;:;");
    EXPECT_EQ(out.message, "");
}

TEST_F(QueryTest, ValuesKeepSingleColonsAndSemicolonsAndEmptyTexts) {
    EXPECT_EQ(Query(handle_, "select NULL").record, ":;");
    EXPECT_EQ(Query(handle_, "select ''").record, ":;");
    EXPECT_EQ(Query(handle_, "select 1, 'a:b', 'c;d', ';x:', ':'").record, "1:;a:b:;c;d:;;x::;::;");
}

TEST_F(QueryTest, NoMatchingRowGivesCodeOneAndAnEmptyRecord) {
    const Outcome out = Query(handle_, "select CD_NM from CODE_INFO where CD_GRP = 'ZT_RDB_NONE'");
    EXPECT_GT(out.result, 0);
    EXPECT_EQ(out.code, RDB_STATUS_NO_RECORD);
    EXPECT_EQ(out.record, "");
}

TEST_F(QueryTest, SqlWithoutResultSetCountsAsNoRecord) {
    const Outcome out = Query(handle_, "set @zt_rdb = 1");
    EXPECT_GT(out.result, 0);
    EXPECT_EQ(out.code, RDB_STATUS_NO_RECORD);
    EXPECT_EQ(out.record, "");
}

TEST_F(QueryTest, SyntaxErrorGivesTheServersCodeAndMessage) {
    const Outcome out = Query(handle_, "selec 12");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, 1064);
    EXPECT_NE(out.message.find("You have an error in your SQL syntax"), std::string::npos)
        << out.message;
    EXPECT_EQ(out.record, "");
    // The connection stays usable.
    EXPECT_EQ(Query(handle_, "select 1").record, "1:;");
}

TEST_F(QueryTest, UnknownTableAndUnknownDatabaseAreServerErrors) {
    Outcome out = Query(handle_, "select * from ZT_RDB_NO_SUCH_TABLE");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, 1146);
    EXPECT_NE(out.message.find("ZT_RDB_NO_SUCH_TABLE"), std::string::npos) << out.message;

    out = Query(handle_, "select 1", "ZT_RDB_NO_SUCH_DB");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, 1044) << out.message; // no right on it, so not even told it is missing
}

TEST_F(QueryTest, OnlyTheFirstRowIsWrittenAndTheRestIsDropped) {
    const std::string table = ScratchTable("ROWS");
    ASSERT_TRUE(Admin().Execute("create table " + table +
                                " (N int primary key, T varchar(10));"
                                "insert into " +
                                table + " values (1,'one'),(2,'two'),(3,'three')"));
    EXPECT_EQ(Query(handle_, "select N, T from " + table + " order by N desc").record,
              "3:;three:;");
    // Unread rows would put the session out of step; the next call must just work.
    EXPECT_EQ(Query(handle_, "select count(*) from " + table).record, "3:;");
    Admin().Execute("drop table " + table);
}

TEST_F(QueryTest, KoreanTextMakesTheRoundTripInUtf8) {
    const std::string table = ScratchTable("TEXT");
    ASSERT_TRUE(Admin().Execute("create table " + table +
                                " (ID int primary key, NM varchar(20)) "
                                "default charset=utf8mb4"));
    const std::string name = "김민준 상담원";
    ASSERT_GT(Execute(handle_, "insert into " + table + " values (1, '" + name + "')").result, 0);
    EXPECT_EQ(Query(handle_, "select NM from " + table + " where NM = '" + name + "'").record,
              name + ":;");
    // Stored as characters, not as bytes of another code page.
    EXPECT_EQ(Admin().Scalar("select char_length(NM) from " + table), "7");
    EXPECT_EQ(Admin().Scalar("select NM from " + table), name);
    Admin().Execute("drop table " + table);
}

TEST_F(QueryTest, ConnectionSpeaksUtf8mb4) {
    EXPECT_EQ(Query(handle_, "select @@character_set_client, @@character_set_results, "
                             "@@character_set_connection")
                  .record,
              "utf8mb4:;utf8mb4:;utf8mb4:;");
}

// A record that cannot be delivered whole is an error, never a cut or shifted text.
class RecordLimitTest : public RdbClientTest {};

TEST_F(RecordLimitTest, ValueHoldingTheSeparatorIsAnErrorStatus) {
    const Outcome out = Query(handle_, "select 1, 'a:;b', 3");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, RDB_ERR_RECORD_SEPARATOR);
    EXPECT_NE(out.message.find("column 2"), std::string::npos) << out.message;
    EXPECT_EQ(out.record, "");
}

TEST_F(RecordLimitTest, ValueHoldingAZeroByteIsAnErrorStatus) {
    const Outcome out = Query(handle_, "select concat('a', char(0), 'b'), 2");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, RDB_ERR_RECORD_ZERO_BYTE);
    EXPECT_EQ(out.record, "");
}

TEST_F(RecordLimitTest, RecordOf4095BytesFitsAndOneByteMoreIsAnError) {
    // 4093 value bytes and the two separator bytes: 4095 and the terminating zero.
    Outcome out = Query(handle_, "select repeat('x', 4093)");
    EXPECT_GT(out.result, 0);
    EXPECT_EQ(out.code, RDB_STATUS_RECORD);
    EXPECT_EQ(out.record, std::string(4093, 'x') + ":;");

    out = Query(handle_, "select repeat('x', 4094)");
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, RDB_ERR_RECORD_TOO_LONG);
    EXPECT_EQ(out.record, "");

    // Separators count too: 1400 empty values need 2800 bytes, 2100 need 4200.
    std::string many = "select ''";
    for (int i = 1; i < 2100; ++i)
        many += ",''";
    out = Query(handle_, many);
    EXPECT_EQ(out.code, RDB_ERR_RECORD_TOO_LONG);

    // And the connection is still in step.
    EXPECT_EQ(Query(handle_, "select 5").record, "5:;");
}

TEST_F(RecordLimitTest, KoreanRecordLengthCountsUtf8Bytes) {
    // 1365 syllables of 3 bytes and the separator need 4097 bytes; 1364 need 4094.
    const Outcome out = Query(handle_, "select repeat('가', 1365)");
    EXPECT_EQ(out.code, RDB_ERR_RECORD_TOO_LONG);
    const Outcome fits = Query(handle_, "select repeat('가', 1364)");
    EXPECT_EQ(fits.code, RDB_STATUS_RECORD);
    EXPECT_EQ(fits.record.size(), 1364u * 3 + 2);
}
