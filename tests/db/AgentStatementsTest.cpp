// The agent's statement texts in both dialects, and the records read from values.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "db/AgentStatements.h"
#include "db/SqlText.h"

namespace {

using namespace agentsql;
constexpr int kSqlServer = 0;

TEST(AgentStatements, EachStatementHasItsExactTextInEachDialect) {
    const std::string head = "update TRANSFER_NUM_INFO set IS_READY = ";
    const std::string tail = " where SVC_ID = 10 and TEL_NUM = '2001'";
    const std::string mysqlTime = "concat(F_MY_DATE(now()), F_MY_TIME(now()))";
    const std::string sqlServerTime = "dbo.F_MY_DATE(getdate()) + dbo.F_MY_TIME(getdate())";
    const std::string zeros = "'00000000000000'";
    const struct {
        int mode, dbType;
        std::string expected;
    } cases[] = {
        {3, DB_TYPE_MYSQL, head + "0, STATUS_START_TIME = " + mysqlTime + tail},
        {4, DB_TYPE_MYSQL, head + "1, STATUS_START_TIME = " + mysqlTime + tail},
        {3, kSqlServer, head + "0, STATUS_START_TIME = " + sqlServerTime + tail},
        {4, 1, head + "1, STATUS_START_TIME = " + sqlServerTime + tail},
        {1, DB_TYPE_MYSQL, head + "1, STATUS_START_TIME = " + zeros + tail},
        {1, kSqlServer, head + "1, STATUS_START_TIME = " + zeros + tail},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadyStatusSql(c.mode, c.dbType, "10", "2001"), c.expected)
            << c.mode << "/" << c.dbType;

    const std::string poll = "select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from "
                             "TRANSFER_NUM_INFO where SVC_ID = 10 and TEL_NUM = '2001'";
    const std::string hist = "update TRANSFER_HIST set AGENT_NM = 'agent01' where XAN_ID = 123 ";
    for (const int dbType : {DB_TYPE_MYSQL, kSqlServer}) {
        EXPECT_EQ(TransferInfoSql(dbType, "10", "2001"), poll);
        EXPECT_EQ(HistAgentNameSql(dbType, "agent01", "123"), hist); // keeps its trailing blank
    }
    EXPECT_EQ(
        CustInfoSql("123"),
        "select CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4 from REQ_XAN where XAN_ID = 123");
}

TEST(AgentStatements, QuotedValuesAreEscapedAndNonDigitKeysRefused) {
    EXPECT_EQ(ReadyStatusSql(1, DB_TYPE_MYSQL, "10", "o'k\\"),
              "update TRANSFER_NUM_INFO set IS_READY = 1, STATUS_START_TIME = "
              "'00000000000000' where SVC_ID = 10 and TEL_NUM = 'o''k\\\\'");
    EXPECT_EQ(TransferInfoSql(kSqlServer, "10", "' or ''='"),
              "select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from TRANSFER_NUM_INFO "
              "where SVC_ID = 10 and TEL_NUM = ''' or ''''='''");
    EXPECT_EQ(HistAgentNameSql(DB_TYPE_MYSQL, "'; drop table x; --", "5"),
              "update TRANSFER_HIST set AGENT_NM = '''; drop table x; --' where XAN_ID = 5 ");
    EXPECT_EQ(HistAgentNameSql(kSqlServer, "김\\'", "5"),
              "update TRANSFER_HIST set AGENT_NM = '김\\''' where XAN_ID = 5 ");

    for (const char* key : {"", "10 or 1=1", " 10", "-1", "1;", "1e3", "١"}) {
        EXPECT_FALSE(ReadyStatusSql(3, DB_TYPE_MYSQL, key, "2001")) << key;
        EXPECT_FALSE(TransferInfoSql(DB_TYPE_MYSQL, key, "2001")) << key;
        EXPECT_FALSE(CustInfoSql(key)) << key;
        EXPECT_FALSE(HistAgentNameSql(DB_TYPE_MYSQL, "agent01", key)) << key;
    }
}

TEST(MakeRecords, ValuesAreReadInOrderAndCutToTheirFieldsAtACharacterBoundary) {
    std::string korean; // 60 syllables: 120 CP949 bytes
    for (int i = 0; i < 60; ++i)
        korean += "가";
    const TransferInfo info =
        MakeTransferInfo({std::string(25, '1'), "0" + korean, "x" + korean, "1"});
    EXPECT_EQ(info.xanId, std::string(20, '1'));
    EXPECT_EQ(info.recvPhone, "0" + korean.substr(0, 9 * 3)); // 1 + 9 x 2 bytes = 19
    EXPECT_EQ(info.custInfo, "x" + korean.substr(0, 49 * 3)); // 1 + 49 x 2 = 99
    EXPECT_EQ(info.transferStatus, 1);
    const TransferInfo two = MakeTransferInfo({"7", "010"}); // missing values read as empty
    EXPECT_TRUE(two.xanId == "7" && two.recvPhone == "010" && two.custInfo.empty() &&
                two.transferStatus == 0);

    const CustInfo cust = MakeCustInfo({korean, korean, std::string(51, 'c'), "d", "extra"});
    EXPECT_EQ(cust.custInfo1, korean.substr(0, 50 * 3));
    EXPECT_EQ(cust.custInfo2, korean.substr(0, 25 * 3));
    EXPECT_EQ(cust.custInfo3, std::string(50, 'c'));
    EXPECT_EQ(cust.custInfo4, "d");
    const CustInfo partial = MakeCustInfo({"a"});
    EXPECT_TRUE(partial.custInfo1 == "a" && partial.custInfo2.empty() && partial.custInfo4.empty());
}

TEST(TextToInt, FollowsTheStandardDecimalConversion) {
    const std::pair<const char*, int> cases[] = {
        {"1", 1},
        {"", 0},
        {"abc", 0},
        {"  \t2x", 2},
        {"-3", -3},
        {"+4", 4},
        {"- 4", 0},
        {"1.9", 1},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TextToInt(text), expected) << text;
}

} // namespace
