// The agent's four statements against the private server: what they do to the rows,
// what reaches the server, and what they refuse.
#include <gtest/gtest.h>

#include "db/SqlText.h"
#include "tests/db/AgentEnvDbFixture.h"

namespace dbtest {
namespace {

// The server's clock as STATUS_START_TIME writes it.
std::string ServerTime(zel::test::AdminConnection& admin) {
    return admin.Scalar("select concat(F_MY_DATE(now()), F_MY_TIME(now()))").value_or("");
}

TEST_F(AgentEnvDbTest, ReadyAndBreakStampTheServerTime) {
    for (const int mode : {3, 4}) {
        zel::test::GeneralLogReader log;
        const std::string before = ServerTime(Admin());
        EXPECT_EQ(env_->UpdateReadyStatus(mode), 1);
        const std::string after = ServerTime(Admin());

        EXPECT_EQ(DeskValue(kTelNum, "IS_READY"), mode == 3 ? "0" : "1");
        const std::string stamp = DeskValue(kTelNum, "STATUS_START_TIME").value_or("");
        EXPECT_EQ(stamp.size(), 14u);
        EXPECT_LE(before, stamp);
        EXPECT_LE(stamp, after);
        EXPECT_TRUE(log.ContainsQuery(
            "update TRANSFER_NUM_INFO set IS_READY = " + std::string(mode == 3 ? "0" : "1") +
            ", STATUS_START_TIME = concat(F_MY_DATE(now()), F_MY_TIME(now())) where SVC_ID = 101 "
            "and TEL_NUM = '3101'"));
    }
    EXPECT_EQ(DeskValue(kOtherTelNum, "IS_READY"), "7");
    EXPECT_EQ(DeskValue(kOtherTelNum, "STATUS_START_TIME"), "19990101000000");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentEnvDbTest, SignOutWritesFourteenZerosInEitherDialect) {
    // The sign-out form is the same for SQL Server, so it runs here too.
    for (const int dbType : {DB_TYPE_MYSQL, 0}) {
        env_->dbType = dbType;
        Admin().Execute("update TRANSFER_NUM_INFO set IS_READY = 0, STATUS_START_TIME = "
                        "'20240101090000' where SVC_ID = 101 and TEL_NUM = '3101'");
        zel::test::GeneralLogReader log;
        EXPECT_EQ(env_->UpdateReadyStatus(1), 1);
        EXPECT_EQ(DeskValue(kTelNum, "IS_READY"), "1");
        EXPECT_EQ(DeskValue(kTelNum, "STATUS_START_TIME"), "00000000000000");
        EXPECT_TRUE(
            log.ContainsQuery("update TRANSFER_NUM_INFO set IS_READY = 1, STATUS_START_TIME "
                              "= '00000000000000' where SVC_ID = 101 and TEL_NUM = '3101'"));
    }
    EXPECT_EQ(DeskValue(kOtherTelNum, "IS_READY"), "7");
}

TEST_F(AgentEnvDbTest, PollReadsTheTransferredCall) {
    Admin().Execute("update TRANSFER_NUM_INFO set XAN_ID = 300001, RECV_PHONE = '01012345678', "
                    "CUST_INFO = 'VIP 김고객', TRANSFER_STATUS = 1 where SVC_ID = 101 and "
                    "TEL_NUM = '3101'");
    TransferInfo info;
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->GetTransferInfo(info), 1);
    EXPECT_EQ(info.transferStatus, 1);
    EXPECT_EQ(info.xanId, "300001");
    EXPECT_EQ(info.recvPhone, "01012345678");
    EXPECT_EQ(info.custInfo, "VIP 김고객");
    EXPECT_TRUE(log.ContainsQuery("select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from "
                                  "TRANSFER_NUM_INFO where SVC_ID = 101 and TEL_NUM = '3101'"));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentEnvDbTest, PollOfAnIdleDeskReadsEmptyValuesAndStatusZero) {
    TransferInfo info;
    info.xanId = "stale";
    info.transferStatus = 1;
    EXPECT_EQ(env_->GetTransferInfo(info), 1); // NULL columns read as empty
    EXPECT_EQ(info.transferStatus, 0);
    EXPECT_EQ(info.xanId, "");
    EXPECT_EQ(info.recvPhone, "");
    EXPECT_EQ(info.custInfo, "");
}

TEST_F(AgentEnvDbTest, PollOfAMissingDeskGivesAnAllZeroRecordAndNoBox) {
    env_->telNum = "3199";
    TransferInfo info{7, "300001", "010", "x"};
    EXPECT_EQ(env_->GetTransferInfo(info), 0);
    EXPECT_EQ(info.transferStatus, 0);
    EXPECT_TRUE(info.xanId.empty() && info.recvPhone.empty() && info.custInfo.empty());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentEnvDbTest, CustomerInformationIsReadAndCutToItsFields) {
    std::string long100; // 100 syllables: more than CUST_INFO's 100 CP949 bytes
    for (int i = 0; i < 100; ++i)
        long100 += "가";
    AddCall(300002, long100);
    Admin().Execute(
        "update REQ_XAN set CUST_INFO2 = '서울', CUST_INFO4 = 'd' where XAN_ID = 300002");

    CustInfo cust;
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->GetCustInfo(cust, "300002"), 1);
    EXPECT_EQ(cust.custInfo1, long100.substr(0, 50 * 3));
    EXPECT_EQ(cust.custInfo2, "서울");
    EXPECT_EQ(cust.custInfo3, ""); // NULL
    EXPECT_EQ(cust.custInfo4, "d");
    EXPECT_TRUE(log.ContainsQuery("select CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4 from "
                                  "REQ_XAN where XAN_ID = 300002"));

    EXPECT_EQ(env_->GetCustInfo(cust, "399999"), 0);
    EXPECT_TRUE(cust.custInfo1.empty() && cust.custInfo2.empty() && cust.custInfo4.empty());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentEnvDbTest, TheAgentsNameIsStampedOnTheCallOnly) {
    AddCall(300003);
    AddCall(300004);
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->UpdateHistAgentName("300003"), 1);
    EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300003"),
              kAgentName);
    EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300004"), "nobody");
    EXPECT_TRUE(
        log.ContainsQuery("update TRANSFER_HIST set AGENT_NM = '김상담' where XAN_ID = 300003 "));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentEnvDbTest, KeysThatAreNotPlainDigitsNeverReachTheServer) {
    AddCall(300006);
    zel::test::GeneralLogReader log;
    env_->svcId = "101 or 1=1";
    TransferInfo info{1, "x", "y", "z"};
    EXPECT_EQ(env_->UpdateReadyStatus(3), 0);
    EXPECT_EQ(env_->GetTransferInfo(info), 0);
    EXPECT_EQ(info.transferStatus, 0);
    EXPECT_TRUE(info.xanId.empty());
    CustInfo cust;
    EXPECT_EQ(env_->GetCustInfo(cust, "300006 or 1=1"), 0);
    EXPECT_EQ(env_->UpdateHistAgentName("300006; delete from TRANSFER_HIST"), 0);
    EXPECT_EQ(env_->UpdateHistAgentName(""), 0);

    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(log.QueriesContaining("or 1=1").empty());
    EXPECT_TRUE(log.QueriesContaining("300006; delete").empty());
    EXPECT_EQ(DeskValue(kTelNum, "IS_READY"), "7");
    EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300006"), "nobody");
    EXPECT_EQ(Traces(),
              (std::vector<std::string>{
                  "[ZELAgent]CTELVOAgentEnv::UpdateReadyStatus refused SVC_ID(101 or 1=1)",
                  "[ZELAgent]CTELVOAgentEnv::GetTransferInfo refused SVC_ID(101 or 1=1)",
                  "[ZELAgent]CTELVOAgentEnv::GetCustInfo refused XAN_ID(300006 or 1=1)",
                  "[ZELAgent]CTELVOAgentEnv::UpdateHistAgentName refused "
                  "XAN_ID(300006; delete from TRANSFER_HIST)",
                  "[ZELAgent]CTELVOAgentEnv::UpdateHistAgentName refused XAN_ID()",
              }));
}

// Typed or stored values that would change a statement's meaning if not escaped. Each
// fits its column (20 characters), and should escaping ever break, what it would do
// stays within the rows of these tests (SVC_ID 101, XAN_ID 3000xx).
const char* const kHostilePhoneNumbers[] = {
    "31'1", "31\\1", "'; drop table x; --", "\\' or SVC_ID=101#", "x' or SVC_ID='101", "31가나",
};
const char* const kHostileAgentNames[] = {
    "김'상", "a\\b", "a\\", "\\'", "'; drop table x; --", "x' '",
};

TEST_F(AgentEnvDbTest, HostilePhoneNumbersLandLiterallyAndTouchNoOtherDesk) {
    for (const char* telNum : kHostilePhoneNumbers) {
        SCOPED_TRACE(telNum);
        AddDesk(telNum);
        env_->telNum = telNum;
        EXPECT_EQ(env_->UpdateReadyStatus(3), 1);
        EXPECT_EQ(DeskValue(telNum, "IS_READY"), "0");
        EXPECT_EQ(DeskValue(kTelNum, "IS_READY"), "7");
        EXPECT_EQ(DeskValue(kOtherTelNum, "IS_READY"), "7");

        Admin().Execute("update TRANSFER_NUM_INFO set XAN_ID = 300010, TRANSFER_STATUS = 1 where "
                        "SVC_ID = 101 and TEL_NUM = " +
                        Admin().Quote(telNum));
        TransferInfo info;
        EXPECT_EQ(env_->GetTransferInfo(info), 1);
        EXPECT_EQ(info.xanId, "300010");
        EXPECT_EQ(info.transferStatus, 1);
        Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID = 101 and TEL_NUM = " +
                        Admin().Quote(telNum));
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AgentEnvDbTest, HostileAgentNamesLandLiterallyOnTheOneCall) {
    AddCall(300011);
    AddCall(300012);
    for (const char* agentName : kHostileAgentNames) {
        SCOPED_TRACE(agentName);
        env_->agentName = agentName;
        EXPECT_EQ(env_->UpdateHistAgentName("300011"), 1);
        EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300011"),
                  agentName);
        EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300012"),
                  "nobody");
    }
    EXPECT_TRUE(Boxes().empty());
}

} // namespace
} // namespace dbtest
