// The unhappy paths of a shift: boxes whose nested event loops let the next call in, a
// sign-out racing a poll, a close without a database, an outage.
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

class ShiftFault : public ConsoleDbTest {
  protected:
    // The call centre ends the current call and hands the desk the next one; the console
    // picks it up as its worker and its call-information timer would.
    void NextCall(long long xanId) {
        SetTransferStatus(0);
        console_->PollTransfer();
        TransferCall(xanId);
        ASSERT_EQ(console_->PollTransfer(), 1);
        console_->OnCallInfoTimer();
    }
    // No server answers at this address: every fresh connection fails too.
    void LoseTheServer() {
        env_->serverAddress = "127.0.0.2";
        BreakConnection();
    }
};

TEST_F(ShiftFault, AResultConfirmedWhileTheNextCallArrivesGoesToTheCallItWasTypedFor) {
    TakeCall(500501);
    view_.memoControl = "지난 통화 메모";
    // While the missing-grade question is open the next call is taken and shown.
    boxes_.whileShown = [this] { NextCall(500502); };
    console_->RegistConfResult();
    EXPECT_EQ(boxes_[0].text, "호응도를 선택하지 않았습니다. 계속 하시겠습니까?");
    EXPECT_EQ(Hist(500501, "concat(CONSULT_RESULT, '/', COMMENT)"), "00/지난 통화 메모");
    EXPECT_FALSE(Hist(500502, "CONSULT_RESULT").has_value());
    EXPECT_EQ(console_->XanId(), "500502");
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);

    // The call in progress can still be registered.
    view_.resultControl = 1;
    view_.memoControl = "새 통화";
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500502, "concat(CONSULT_RESULT, '/', COMMENT)"), "02/새 통화");
}

TEST_F(ShiftFault, AFailedRegistrationWhoseBoxesLetTheNextCallInKeepsTheNewCallsFields) {
    TakeCall(500503);
    view_.resultControl = 4;
    view_.memoControl = "실패할 등록";
    BreakConnection();
    // The database error box is up when the next call arrives (the database back).
    boxes_.whileShown = [this] {
        RepairConnection();
        NextCall(500504);
    };
    console_->RegistConfResult();
    EXPECT_EQ(boxes_.All().back().text, "등록에 실패 하였습니다.");
    EXPECT_EQ(console_->XanId(), "500504");
    EXPECT_EQ(view_.memoControl, "");
    // What the agent entered for the ended call was saved when the next call came.
    EXPECT_EQ(Hist(500503, "concat(CONSULT_RESULT, '/', COMMENT)"), "05/실패할 등록");
}

TEST_F(ShiftFault, AfterAFailedStateChangeTheButtonsFollowTheModeAsItIsThen) {
    SignIn();
    BreakConnection();
    // The call is picked up while the failure's boxes are shown.
    boxes_.whileShown = [this] {
        RepairConnection();
        TransferCall(500511);
        ASSERT_EQ(console_->PollTransfer(), 1);
        BreakConnection();
    };
    console_->OnBreak();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(view_.Mask(), 0x0);

    // Without a call in between the failure enables Login, as ever.
    RepairConnection();
    SetTransferStatus(0);
    console_->PollTransfer();
    BreakConnection();
    boxes_.Clear();
    console_->OnBreak();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Mask(), BUTTON_LOGIN | BUTTON_LOGOUT);
}

TEST_F(ShiftFault, APollInFlightWhenTheAgentSignsOutStampsNoCall) {
    SignIn();
    TransferCall(500521);
    std::thread worker([this] { console_->PollTransfer(); });
    // The worker has read the call and waits for the UI thread; the agent signs out first.
    ASSERT_TRUE(ui_.WaitForTask());
    console_->OnLogout();
    ui_.PumpUntil({}, Ms(200));
    worker.join();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(Hist(500521, "AGENT_NM"), "");
    EXPECT_EQ(view_.timerStarts, 0);
}

TEST_F(ShiftFault, ACloseRetriesTheSignOutOnAFreshConnection) {
    SignIn();
    BreakConnection(); // the old connection is gone, the server is there
    EXPECT_TRUE(console_->ConfirmClose());
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

TEST_F(ShiftFault, ACloseThatCannotSignOutKeepsTheConsoleUnlessTheAgentInsists) {
    SignIn();
    LoseTheServer();
    boxes_.answers = {platform::IDYES, platform::IDOK, platform::IDOK, platform::IDNO};
    EXPECT_FALSE(console_->ConfirmClose());
    const auto all = boxes_.All();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[all.size() - 2].text, "로그아웃 실패");
    const platform::MessageBoxRequest& question = all.back();
    EXPECT_EQ(question.style & 0xF, platform::MB_YESNO);
    EXPECT_NE(question.style & platform::MB_DEFBUTTON2, 0u); // No is the default
    EXPECT_NE(question.text.find("대기"), std::string::npos);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(Desk("IS_READY"), "0");

    // Answering Yes twice ends it anyway.
    boxes_.Clear();
    boxes_.answers = {platform::IDYES, platform::IDOK, platform::IDOK, platform::IDYES};
    EXPECT_TRUE(console_->ConfirmClose());

    // With the server back a close signs out as usual.
    env_->serverAddress = "127.0.0.1";
    RepairConnection();
    boxes_.Clear();
    EXPECT_TRUE(console_->ConfirmClose());
    EXPECT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(Desk("IS_READY"), "1");
}

TEST_F(ShiftFault, AnOutageShowsOneOwnerlessModelessBoxAndPollingResumesByItself) {
    SignIn();
    console_->StartWorker();
    LoseTheServer();
    ui_.PumpUntil({}, Ms(2600)); // three failed polls
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_[0].owner, nullptr);
    EXPECT_TRUE(boxes_[0].modeless);
    EXPECT_EQ(boxes_[0].caption, "에러");

    // The server comes back: the next call is taken without anybody touching a box.
    env_->serverAddress = "127.0.0.1";
    RepairConnection();
    TransferCall(500531);
    ASSERT_TRUE(ui_.PumpUntil([this] { return view_.timerStarts == 1; }, Ms(2500)));
    ui_.PumpUntil({}, Ms(1200)); // a whole poll without an error ends the outage
    // A new outage is a new box.
    LoseTheServer();
    ui_.PumpUntil([this] { return boxes_.Count() >= 2; }, Ms(2500));
    ASSERT_EQ(boxes_.Count(), 2u);
    console_->StopWorker();
}

} // namespace
} // namespace contest
