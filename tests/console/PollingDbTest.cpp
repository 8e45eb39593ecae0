// Polling the desk: taking a call, showing it, ending it.
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using PollingTest = ConsoleDbTest;

TEST_F(PollingTest, ACallIsStampedOnceAndShownOnTheTimerTickAndItsClockRuns) {
    SignIn();
    TransferCall(500001);
    now_ = 1700000100;
    zel::test::GeneralLogReader log;
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(Hist(500001, "AGENT_NM"), kAgentName);
    EXPECT_EQ(view_.title, "ZELAgent-5501-통화중");
    EXPECT_EQ(view_.Mask(), 0x0);
    EXPECT_EQ(view_.attention, 1);
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), ""); // nothing before the tick

    console_->OnCallInfoTimer();
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "02-1234-5678");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "홍길동 고객님 500001");

    // Status 1 again: nothing. A next call already on the desk when a poll first sees
    // it (hung up and transferred between two polls) is taken as a new call.
    EXPECT_EQ(console_->PollTransfer(), 0);
    now_ = 1700000100 + 3725;
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "01:02:05");
    view_.memoControl = "첫 통화";
    TransferCall(500002);
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(log.QueriesContaining("set AGENT_NM").size(), 2u);
    EXPECT_EQ(Hist(500002, "AGENT_NM"), kAgentName);
    EXPECT_EQ(view_.timerStarts, 2);
    console_->OnCallInfoTimer();
    EXPECT_EQ(console_->XanId(), "500002");
    EXPECT_EQ(Hist(500001, "COMMENT"), "첫 통화");
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "00:00:00"); // its clock from zero
}

TEST_F(PollingTest, ACallOnBreakOutlastsNoRowAndAFailedReadAndANextOneReplacesIt) {
    SignIn();
    console_->OnBreak();
    TransferCall(500004);
    EXPECT_EQ(console_->PollTransfer(), 1);
    console_->OnCallInfoTimer();
    Admin().Execute("update TRANSFER_NUM_INFO set TEL_NUM = '5599' where SVC_ID = 501");
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    Admin().Execute("update TRANSFER_NUM_INFO set TEL_NUM = '5501' where SVC_ID = 501");
    BreakConnection();
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(boxes_.Count(), 1u); // the database error
    RepairConnection();

    SetTransferStatus(2); // any status but 1 ends the call, in ready
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(view_.title, "ZELAgent-5501-대기중");
    EXPECT_EQ(view_.Mask(), 0xA);
    // Statistics refreshed, the desk keeps what the break wrote, the call still registrable.
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "1");
    EXPECT_EQ(Desk("IS_READY"), "1");
    EXPECT_EQ(console_->XanId(), "500004");
    now_ += 100; // the call clock stopped
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "00:00:00");

    // A next call, even without customer information, replaces the unregistered one,
    // whose grade and memo are saved to its own row first.
    view_.memoControl = "메모 작성 중";
    view_.resultControl = 4;
    TransferCall(500007);
    Admin().Execute("delete from REQ_XAN where XAN_ID = 500007");
    console_->PollTransfer();
    console_->OnCallInfoTimer();
    EXPECT_EQ(console_->XanId(), "500007");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "");
    EXPECT_EQ(Hist(500004, "concat(CONSULT_RESULT, '/', COMMENT)"), "05/메모 작성 중");
}

} // namespace
} // namespace contest
