// Polling the desk: taking a call, showing it, ending it.
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using PollingTest = ConsoleDbTest;

TEST_F(PollingTest, ATransferredCallIsStampedAndShownOnTheTimerTick) {
    SignIn();
    TransferCall(500001);
    now_ = 1700000100;
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(Hist(500001, "AGENT_NM"), kAgentName);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-통화중");
    EXPECT_EQ(view_.Mask(), 0x0);
    EXPECT_EQ(console_->CallStart(), 1700000100);
    EXPECT_EQ(view_.timerStarts, 1);
    EXPECT_EQ(view_.attention, 1);
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), ""); // nothing before the tick

    view_.memoControl = "a memo of an earlier call";
    view_.resultControl = 2;
    console_->OnCallInfoTimer();
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "02-1234-5678");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "홍길동 고객님 500001");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO4), "최근 문의: 요금제 변경");
    EXPECT_EQ(console_->XanId(), "500001");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    EXPECT_EQ(boxes_.Count(), 0u);
    now_ = 1700000100 + 3725; // the call clock
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "01:02:05");
}

TEST_F(PollingTest, StatusOneAgainStampsOnceAndANextCallIsNeitherStampedNorShown) {
    SignIn();
    TransferCall(500002);
    zel::test::GeneralLogReader log;
    EXPECT_EQ(console_->PollTransfer(), 1);
    console_->OnCallInfoTimer();
    EXPECT_EQ(console_->PollTransfer(), 0);
    TransferCall(500003); // the desk already holds a next call, status still 1
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(log.QueriesContaining("set AGENT_NM").size(), 1u);
    EXPECT_EQ(Hist(500003, "AGENT_NM"), "");
    EXPECT_EQ(console_->XanId(), "500002");
    EXPECT_EQ(view_.timerStarts, 1);
}

TEST_F(PollingTest, NoRowOrAFailedReadDoesNotEndTheCallButAnotherStatusDoes) {
    TakeCall(500004);
    Admin().Execute("update TRANSFER_NUM_INFO set TEL_NUM = '5599' where SVC_ID = 501");
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    Admin().Execute("update TRANSFER_NUM_INFO set TEL_NUM = '5501' where SVC_ID = 501");

    BreakConnection();
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    ASSERT_EQ(boxes_.Count(), 1u); // the database error box, owned by no window
    EXPECT_EQ(boxes_.All()[0].request.owner, nullptr);
    RepairConnection();

    SetTransferStatus(2);
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-대기중");
    EXPECT_EQ(view_.Mask(), 0xA);
    // Statistics refreshed, no readiness written, the call still registrable.
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "1");
    EXPECT_EQ(Desk("IS_READY"), "0");
    EXPECT_EQ(console_->XanId(), "500004");
    now_ += 100; // the call clock stopped
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "00:00:00");
}

TEST_F(PollingTest, ACallOnBreakIsTakenAndEndsInReady) {
    SignIn();
    console_->OnBreak();
    TransferCall(500005);
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    SetTransferStatus(0);
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Mask(), 0xA);
    EXPECT_EQ(Desk("IS_READY"), "1"); // the desk keeps what the break wrote
}

TEST_F(PollingTest, ANewCallReplacesTheRegistrableOneEvenWithoutCustomerInformation) {
    TakeCall(500006);
    SetTransferStatus(0);
    console_->PollTransfer();
    view_.memoControl = "메모 작성 중";
    view_.resultControl = 4;

    TransferCall(500007, "01098765432");
    Admin().Execute("delete from REQ_XAN where XAN_ID = 500007");
    console_->PollTransfer();
    console_->OnCallInfoTimer();
    EXPECT_EQ(console_->XanId(), "500007");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "");
    EXPECT_EQ(Hist(500006, "CONSULT_RESULT"), std::nullopt);
}

} // namespace
} // namespace contest
