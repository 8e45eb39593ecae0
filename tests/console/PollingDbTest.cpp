// Polling the desk: taking a call, showing it, ending it.
#include <algorithm>

#include <gtest/gtest.h>

#include "res/ResourceIds.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

class PollingTest : public ConsoleDbTest {
  protected:
    std::size_t AgentNameUpdates(const zel::test::GeneralLogReader& log, long long xanId) {
        const std::string key = "XAN_ID = " + std::to_string(xanId);
        const auto updates = log.QueriesContaining("set AGENT_NM");
        return std::count_if(updates.begin(), updates.end(), [&key](const std::string& query) {
            return query.find(key) != std::string::npos;
        });
    }
};

TEST_F(PollingTest, ATransferredCallIsStampedAndShown) {
    SignIn();
    TransferCall(500001, "0212345678");
    now_ = 1700000100;
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(Hist(500001, "AGENT_NM"), kAgentName);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-통화중");
    EXPECT_EQ(view_.Mask(), 0x0);
    EXPECT_EQ(console_->CallStart(), 1700000100);
    EXPECT_EQ(view_.CallInfoTimerStarts(), 1);
    EXPECT_EQ(view_.AttentionRequests(), 1);
    // Nothing is shown before the timer ticks.
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "");

    view_.memoControl = "a memo of an earlier call";
    view_.resultControl = 2;
    console_->OnCallInfoTimer();
    EXPECT_TRUE(
        HasTrace("[ZELAgent]OnChangedEvent eventType(4), agentMode(7), agentModeMsg(통화중)"));
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "02-1234-5678");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "홍길동 고객님 500001");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO2), "가입일 2019-03-02");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO3), "서울시 강남구 역삼동");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO4), "최근 문의: 요금제 변경");
    EXPECT_EQ(console_->XanId(), "500001");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(boxes_->Count(), 0u);
}

TEST_F(PollingTest, RepeatedPollsOfOneCallStampTheNameOnce) {
    SignIn();
    TransferCall(500002);
    zel::test::GeneralLogReader log;
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(AgentNameUpdates(log, 500002), 1u);
    EXPECT_EQ(view_.CallInfoTimerStarts(), 1);
}

TEST_F(PollingTest, OnlyAStatusOtherThanOneEndsTheCall) {
    SignIn();
    TransferCall(500003);
    console_->PollTransfer();
    console_->OnCallInfoTimer();

    // No row: not the end of the call.
    Admin().Execute(
        "update TRANSFER_NUM_INFO set TEL_NUM = '5599' where SVC_ID = 501 and TEL_NUM = '5501'");
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    Admin().Execute(
        "update TRANSFER_NUM_INFO set TEL_NUM = '5501' where SVC_ID = 501 and TEL_NUM = '5599'");

    SetTransferStatus(2);
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-대기중");
    EXPECT_EQ(view_.Mask(), 0xA);
    // The end of a call refreshes the day's statistics and writes no readiness.
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "1");
    EXPECT_EQ(Desk("IS_READY"), "0");
    // The call can still be registered.
    EXPECT_EQ(console_->XanId(), "500003");
}

TEST_F(PollingTest, ACallOnBreakIsTakenAndEndsInReady) {
    SignIn();
    console_->OnBreak();
    TransferCall(500004);
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    SetTransferStatus(0);
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Mask(), 0xA);
    // The desk keeps what the break wrote.
    EXPECT_EQ(Desk("IS_READY"), "1");
}

TEST_F(PollingTest, ANextCallSeenDuringACallIsNeitherStampedNorShown) {
    SignIn();
    TransferCall(500005);
    console_->PollTransfer();
    console_->OnCallInfoTimer();
    TransferCall(500006);
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(Hist(500006, "AGENT_NM"), "");
    EXPECT_EQ(console_->XanId(), "500005");
    EXPECT_EQ(view_.CallInfoTimerStarts(), 1);
}

TEST_F(PollingTest, ANewCallReplacesTheRegistrableOne) {
    SignIn();
    TransferCall(500007);
    console_->PollTransfer();
    console_->OnCallInfoTimer();
    SetTransferStatus(0);
    console_->PollTransfer();
    view_.memoControl = "메모 작성 중";
    view_.resultControl = 4;

    TransferCall(500008, "01098765432");
    console_->PollTransfer();
    console_->OnCallInfoTimer();
    EXPECT_EQ(console_->XanId(), "500008");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "010-9876-5432");
    EXPECT_EQ(Hist(500007, "CONSULT_RESULT"), std::nullopt);
}

TEST_F(PollingTest, WithoutCustomerInformationTheFieldsStayEmptyButTheCallIsRegistrable) {
    SignIn();
    TransferCall(500009);
    Admin().Execute("delete from REQ_XAN where XAN_ID = 500009");
    console_->PollTransfer();
    console_->OnCallInfoTimer();
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "");
    EXPECT_EQ(console_->XanId(), "500009");
}

TEST_F(PollingTest, NothingReadChangesNothing) {
    SignIn();
    BreakConnection();
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    // The database error box of the poll, owned by no window.
    ASSERT_EQ(boxes_->Count(), 1u);
    EXPECT_EQ(boxes_->All()[0].request.caption, "에러");
    EXPECT_EQ(boxes_->All()[0].request.owner, nullptr);
}

TEST_F(PollingTest, ACallThatArrivesAfterSignOutIsNotTaken) {
    SignIn();
    console_->OnLogout();
    TransferCall(500010);
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(view_.Mask(), 0x1);
}

TEST_F(PollingTest, TheCallClockRunsOnlyDuringACall) {
    SignIn();
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "00:00:00");
    TransferCall(500011);
    now_ = 1700001000;
    console_->PollTransfer();
    now_ = 1700001000 + 3725;
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "01:02:05");
    SetTransferStatus(0);
    console_->PollTransfer();
    console_->UpdateCallTime();
    EXPECT_EQ(view_.Text(IDC_STATIC_CALLTIME), "00:00:00");
}

} // namespace
} // namespace contest
