// The worker: taking calls, handing window work to the UI thread, stopping at once; closing.
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using Clock = std::chrono::steady_clock;

using WorkerTest = ConsoleDbTest;

template <class F> auto Took(F&& f) {
    const auto start = Clock::now();
    f();
    return Clock::now() - start;
}

TEST_F(WorkerTest, TheWorkerTakesACallWithinASecondAndTheWindowWorkRunsOnTheUiThread) {
    SignIn();
    console_->StartWorker();
    ui_.PumpUntil({}, Ms(300));
    TransferCall(500301);
    ASSERT_TRUE(ui_.PumpUntil([this] { return view_.timerStarts == 1; }, Ms(1500)));
    // The worker stamps the call once the UI thread has taken it.
    EXPECT_TRUE(ui_.PumpUntil([this] { return Hist(500301, "AGENT_NM") == kAgentName; }, Ms(500)));

    SetTransferStatus(0);
    ASSERT_TRUE(ui_.PumpUntil([this] { return view_.Text(IDC_STATIC_TODAY_COUNT) == "1"; }));
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.wrongThread, 0);
    EXPECT_LT(Took([this] { console_->StopWorker(); }), Ms(500));
}

TEST_F(WorkerTest, CloseDuringAPollAsksAndYesSignsOutWithoutTakingTheCall) {
    SignIn();
    TransferCall(500303);
    console_->StartWorker();
    // The worker has read the call and waits for the UI thread to change the mode.
    ASSERT_TRUE(ui_.WaitForTask());
    boxes_.answers.push_back(platform::IDNO); // No keeps the console as it was
    EXPECT_FALSE(console_->ConfirmClose());
    EXPECT_EQ(boxes_[0].text, "로그인된 상태 입니다. 종료 하시겠습니까?");
    EXPECT_EQ(boxes_[0].style, platform::MB_YESNO | platform::MB_ICONSTOP);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_TRUE(console_->ConfirmClose()); // Yes signs out
    ui_.PumpUntil({}, Ms(200));
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(view_.Mask(), 0x1);
    EXPECT_EQ(view_.timerStarts, 0);
    zel::test::GeneralLogReader log;
    ui_.PumpUntil({}, Ms(1300));
    EXPECT_TRUE(log.QueriesContaining("from TRANSFER_NUM_INFO where SVC_ID = 501").empty());
}

TEST_F(WorkerTest, TheWorkersBoxIsShownOnTheUiThreadAndAShutdownMeanwhileDoesNotHang) {
    SignIn();
    BreakConnection();
    bool signedOut = false;
    // As a signal delivered from inside the box's event loop, the worker waiting for it.
    boxes_.whileShown = [&] {
        RepairConnection();
        EXPECT_LT(Took([&] { signedOut = console_->SignOutForShutdown(); }), Ms(1000));
    };
    console_->StartWorker();
    ASSERT_TRUE(ui_.PumpUntil([&] { return signedOut; }));
    EXPECT_FALSE(console_->WorkerRunning());
    EXPECT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_.offUiThread, 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

} // namespace
} // namespace contest
