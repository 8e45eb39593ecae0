// The agent's four statements against the private server: rows, statement texts, refusals.
#include <gtest/gtest.h>

#include "tests/db/AgentEnvDbFixture.h"

namespace dbtest {
namespace {

const std::string kDeskWhere = " where SVC_ID = 101 and TEL_NUM = '3101'";

TEST_F(AgentEnvDbTest, ReadyBreakAndSignOutStampTheDeskOnly) {
    const auto serverTime = [this] {
        return Admin().Scalar("select concat(F_MY_DATE(now()), F_MY_TIME(now()))").value_or("");
    };
    for (const int mode : {3, 4}) {
        zel::test::GeneralLogReader log;
        const std::string before = serverTime();
        EXPECT_EQ(env_->UpdateReadyStatus(mode), 1);
        const std::string stamp = DeskValue(kTelNum, "STATUS_START_TIME").value_or("");
        EXPECT_EQ(DeskValue(kTelNum, "IS_READY"), mode == 3 ? "0" : "1");
        EXPECT_EQ(stamp.size(), 14u);
        EXPECT_LE(before, stamp);
        EXPECT_LE(stamp, serverTime());
        EXPECT_TRUE(log.ContainsQuery(
            "update TRANSFER_NUM_INFO set IS_READY = " + std::string(mode == 3 ? "0" : "1") +
            ", STATUS_START_TIME = concat(F_MY_DATE(now()), F_MY_TIME(now()))" + kDeskWhere));
    }
    // The sign-out form is the same in both dialects.
    for (const int dbType : {DB_TYPE_MYSQL, 0}) {
        env_->dbType = dbType;
        Admin().Execute("update TRANSFER_NUM_INFO set IS_READY = 0" + kDeskWhere);
        zel::test::GeneralLogReader log;
        EXPECT_EQ(env_->UpdateReadyStatus(1), 1);
        EXPECT_EQ(DeskValue(kTelNum, "IS_READY"), "1");
        EXPECT_EQ(DeskValue(kTelNum, "STATUS_START_TIME"), "00000000000000");
        EXPECT_TRUE(log.ContainsQuery("update TRANSFER_NUM_INFO set IS_READY = 1, "
                                      "STATUS_START_TIME = '00000000000000'" +
                                      kDeskWhere));
    }
    EXPECT_EQ(DeskValue(kOtherTelNum, "IS_READY"), "7");
    EXPECT_EQ(DeskValue(kOtherTelNum, "STATUS_START_TIME"), "19990101000000");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(AgentEnvDbTest, PollReadsTheTransferredCallAnIdleDeskAndAMissingDesk) {
    TransferInfo info{1, "stale", "x", "y"};
    EXPECT_EQ(env_->GetTransferInfo(info), 1); // idle: NULL columns read as empty
    EXPECT_TRUE(info.transferStatus == 0 && info.xanId.empty() && info.recvPhone.empty() &&
                info.custInfo.empty());

    Admin().Execute("update TRANSFER_NUM_INFO set XAN_ID = 300001, RECV_PHONE = '01012345678', "
                    "CUST_INFO = 'VIP 김고객', TRANSFER_STATUS = 1" +
                    kDeskWhere);
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->GetTransferInfo(info), 1);
    EXPECT_EQ(info.transferStatus, 1);
    EXPECT_EQ(info.xanId, "300001");
    EXPECT_EQ(info.recvPhone, "01012345678");
    EXPECT_EQ(info.custInfo, "VIP 김고객");
    EXPECT_TRUE(log.ContainsQuery("select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from "
                                  "TRANSFER_NUM_INFO" +
                                  kDeskWhere));

    env_->telNum = "3199";
    EXPECT_EQ(env_->GetTransferInfo(info), 0);
    EXPECT_TRUE(info.transferStatus == 0 && info.xanId.empty() && info.recvPhone.empty() &&
                info.custInfo.empty());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(AgentEnvDbTest, CustomerInformationIsReadAndTheAgentNameStampedOnTheCallOnly) {
    AddCall(300002);
    AddCall(300003);
    Admin().Execute("update REQ_XAN set CUST_INFO2 = '서울' where XAN_ID = 300002");
    CustInfo cust;
    zel::test::GeneralLogReader log;
    EXPECT_EQ(env_->GetCustInfo(cust, "300002"), 1);
    EXPECT_EQ(cust.custInfo1, "고객 정보");
    EXPECT_EQ(cust.custInfo2, "서울");
    EXPECT_EQ(cust.custInfo3, ""); // NULL
    EXPECT_TRUE(log.ContainsQuery("select CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4 from "
                                  "REQ_XAN where XAN_ID = 300002"));
    EXPECT_EQ(env_->GetCustInfo(cust, "399999"), 0);
    EXPECT_TRUE(cust.custInfo1.empty() && cust.custInfo2.empty());

    EXPECT_EQ(env_->UpdateHistAgentName("300002"), 1);
    EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300002"),
              kAgentName);
    EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300003"), "nobody");
    EXPECT_TRUE(
        log.ContainsQuery("update TRANSFER_HIST set AGENT_NM = '김상담' where XAN_ID = 300002 "));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(AgentEnvDbTest, KeysThatAreNotPlainDigitsNeverReachTheServer) {
    zel::test::GeneralLogReader log;
    env_->svcId = "101 or 1=1";
    TransferInfo info{1, "x", "y", "z"};
    CustInfo cust;
    EXPECT_EQ(env_->UpdateReadyStatus(3), 0);
    EXPECT_EQ(env_->GetTransferInfo(info), 0);
    EXPECT_TRUE(info.transferStatus == 0 && info.xanId.empty());
    EXPECT_EQ(env_->GetCustInfo(cust, "300006 or 1=1"), 0);
    EXPECT_EQ(env_->UpdateHistAgentName("300006; delete from TRANSFER_HIST"), 0);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(log.QueriesContaining("300006").empty() && log.QueriesContaining("1=1").empty());
    ASSERT_EQ(traces_.size(), 4u); // each refusal leaves a trace line
    EXPECT_EQ(traces_.back(), "[ZELAgent]CTELVOAgentEnv::UpdateHistAgentName refused "
                              "XAN_ID(300006; delete from TRANSFER_HIST)");
}

// Values that would change a statement if not escaped; should escaping break, the damage
// stays within the rows of these tests.
TEST_F(AgentEnvDbTest, HostileValuesLandLiterallyAndTouchNoOtherRow) {
    for (const char* telNum : {"31'1", "31\\1", "'; drop table x; --", "\\' or SVC_ID=101#",
                               "x' or SVC_ID='101", "31가나"}) {
        SCOPED_TRACE(telNum);
        AddDesk(telNum);
        env_->telNum = telNum;
        EXPECT_EQ(env_->UpdateReadyStatus(3), 1);
        EXPECT_EQ(DeskValue(telNum, "IS_READY"), "0");
        EXPECT_TRUE(DeskValue(kTelNum, "IS_READY") == "7" &&
                    DeskValue(kOtherTelNum, "IS_READY") == "7");
        const std::string row = " where SVC_ID = 101 and TEL_NUM = " + Admin().Quote(telNum);
        Admin().Execute("update TRANSFER_NUM_INFO set XAN_ID = 300010" + row);
        TransferInfo info;
        EXPECT_EQ(env_->GetTransferInfo(info), 1);
        EXPECT_EQ(info.xanId, "300010");
        Admin().Execute("delete from TRANSFER_NUM_INFO" + row);
    }
    AddCall(300011);
    AddCall(300012);
    for (const char* agentName : {"김'상", "a\\b", "a\\", "\\'", "'; drop table x; --", "x' '"}) {
        SCOPED_TRACE(agentName);
        env_->agentName = agentName;
        EXPECT_EQ(env_->UpdateHistAgentName("300011"), 1);
        EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300011"),
                  agentName);
        EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 300012"),
                  "nobody");
    }
    EXPECT_TRUE(boxes_.empty());
}

} // namespace
} // namespace dbtest
