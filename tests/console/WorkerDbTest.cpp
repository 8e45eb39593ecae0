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
    ui_.PumpFor(Ms(300));
    TransferCall(500301, "01012345678");
    const auto start = Clock::now();
    ASSERT_TRUE(ui_.PumpUntil([this] { return console_->AgentMode() == AGENT_MODE_INCALL; }));
    EXPECT_LT(Clock::now() - start, Ms(1500));
    EXPECT_EQ(Hist(500301, "AGENT_NM"), kAgentName);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-통화중");
    EXPECT_EQ(view_.timerStarts, 1);

    SetTransferStatus(0);
    ASSERT_TRUE(ui_.PumpUntil([this] { return view_.Text(IDC_STATIC_TODAY_COUNT) == "1"; }));
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.wrongThread, 0);
    EXPECT_LT(Took([this] { console_->StopWorker(); }), Ms(500));
}

TEST_F(WorkerTest, TheWorkersBoxIsShownOnTheUiThreadAndAbandonedWhenItStops) {
    SignIn();
    BreakConnection();
    console_->StartWorker();
    ASSERT_TRUE(ui_.PumpUntil([this] { return boxes_.Count() >= 1; }));
    const auto box = boxes_.All()[0];
    EXPECT_EQ(box.request.caption, "에러");
    EXPECT_EQ(box.request.owner, nullptr);
    EXPECT_EQ(box.thread, std::this_thread::get_id());
    // The next poll's box is queued for the UI thread, which does not run it.
    ASSERT_TRUE(ui_.WaitForTask());
    EXPECT_LT(Took([this] { console_->StopWorker(); }), Ms(500));
    ui_.Pump();
    EXPECT_EQ(boxes_.Count(), 1u);
}

TEST_F(WorkerTest, DestroyingTheConsoleWhileTheWorkerWaitsForTheModeChangeIsQuick) {
    SignIn();
    TransferCall(500302);
    console_->StartWorker();
    ASSERT_TRUE(ui_.WaitForTask());
    EXPECT_LT(Took([this] { console_.reset(); }), Ms(500));
    ui_.Pump(); // the abandoned mode change must not touch the destroyed console
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-대기중");
    EXPECT_EQ(view_.timerStarts, 0);
}

TEST_F(WorkerTest, APollUnderWayWhenTheAgentClosesTakesNoCallAndPollingStops) {
    SignIn();
    TransferCall(500303);
    console_->StartWorker();
    // The worker has read the call and waits for the UI thread to change the mode.
    ASSERT_TRUE(ui_.WaitForTask());
    EXPECT_TRUE(console_->ConfirmClose()); // Yes: signed out
    ui_.PumpFor(Ms(200));
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(view_.Mask(), 0x1);
    EXPECT_EQ(view_.timerStarts, 0);
    zel::test::GeneralLogReader log;
    ui_.PumpFor(Ms(1300));
    EXPECT_TRUE(log.QueriesContaining("from TRANSFER_NUM_INFO where SVC_ID = 501").empty());
}

TEST_F(WorkerTest, CloseAsksOnlyWhenSignedInAndYesClosesEvenIfTheSignOutFails) {
    zel::test::GeneralLogReader log;
    EXPECT_TRUE(console_->ConfirmClose());
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_TRUE(log.QueriesContaining("update TRANSFER_NUM_INFO").empty());

    SignIn();
    boxes_.answers.push_back(platform::IDNO);
    EXPECT_FALSE(console_->ConfirmClose());
    const auto box = boxes_.All().at(0).request;
    EXPECT_EQ(box.text, "로그인된 상태 입니다. 종료 하시겠습니까?");
    EXPECT_EQ(box.caption, "에러");
    EXPECT_EQ(box.style, platform::MB_YESNO | platform::MB_ICONSTOP);
    EXPECT_EQ(box.owner, FakeView::Owner());
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);

    // A failed sign-out still closes.
    BreakConnection();
    boxes_.Clear();
    EXPECT_TRUE(console_->ConfirmClose());
    ASSERT_EQ(boxes_.Count(), 3u);
    EXPECT_EQ(boxes_.Text(2), "로그아웃 실패");
    RepairConnection();

    TransferCall(500401);
    console_->PollTransfer();
    boxes_.answers.push_back(platform::IDYES);
    EXPECT_TRUE(console_->ConfirmClose());
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

TEST_F(WorkerTest, AShutdownWhileTheWorkersBoxIsOnScreenSignsOutWithoutHanging) {
    SignIn();
    BreakConnection();
    Clock::time_point start;
    bool signedOut = false;
    // As a signal delivered from inside the box's event loop, the worker waiting for it.
    boxes_.whileShown = [&] {
        RepairConnection();
        start = Clock::now();
        signedOut = console_->SignOutForShutdown();
    };
    console_->StartWorker();
    ASSERT_TRUE(ui_.PumpUntil([&] { return signedOut; }));
    EXPECT_LT(Clock::now() - start, Ms(1000));
    EXPECT_FALSE(console_->WorkerRunning());
    EXPECT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

} // namespace
} // namespace contest
