// The worker thread: picking up calls on its own, handing window work to the UI
// thread, and stopping at once whatever it is waiting for. Also the close path.
#include <gtest/gtest.h>

#include "res/ResourceIds.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

class WorkerTest : public ConsoleDbTest {
  protected:
    // Stops the worker and says how long it took.
    Ms TimedStop() {
        const auto start = Clock::now();
        console_->StopWorker();
        return std::chrono::duration_cast<Ms>(Clock::now() - start);
    }
};

TEST_F(WorkerTest, TheWorkerTakesACallWithinASecondAndTheWindowWorkRunsOnTheUiThread) {
    SignIn();
    console_->StartWorker();
    ui_.PumpUntil([] { return false; }, Ms(300));
    TransferCall(500301, "01012345678");
    const auto start = Clock::now();
    ASSERT_TRUE(
        ui_.PumpUntil([this] { return console_->AgentMode() == AGENT_MODE_INCALL; }, Ms(3000)));
    EXPECT_LT(Clock::now() - start, Ms(1500));
    EXPECT_EQ(Hist(500301, "AGENT_NM"), kAgentName);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-통화중");
    EXPECT_EQ(view_.CallInfoTimerStarts(), 1);

    SetTransferStatus(0);
    ASSERT_TRUE(
        ui_.PumpUntil([this] { return view_.Text(IDC_STATIC_TODAY_COUNT) == "1"; }, Ms(3000)));
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.WrongThreadCalls(), 0);
    EXPECT_LT(TimedStop(), Ms(500));
}

TEST_F(WorkerTest, ABoxOfTheWorkerIsShownOnTheUiThread) {
    SignIn();
    BreakConnection();
    console_->StartWorker();
    ASSERT_TRUE(ui_.PumpUntil([this] { return boxes_->Count() >= 1; }, Ms(3000)));
    const Box box = boxes_->All()[0];
    EXPECT_EQ(box.request.caption, "에러");
    EXPECT_EQ(box.request.owner, nullptr);
    EXPECT_EQ(box.thread, std::this_thread::get_id());
    EXPECT_LT(TimedStop(), Ms(500));
}

TEST_F(WorkerTest, StoppingTheWorkerWhileItWaitsOnABoxIsQuick) {
    SignIn();
    BreakConnection();
    console_->StartWorker();
    // The worker's database error box is queued for the UI thread, which does not run it.
    ASSERT_TRUE(ui_.WaitForTask(Ms(3000)));
    EXPECT_LT(TimedStop(), Ms(500));
    // The abandoned box is never shown.
    ui_.Pump();
    EXPECT_EQ(boxes_->Count(), 0u);
}

TEST_F(WorkerTest, StoppingTheWorkerWhileItWaitsForTheModeChangeIsQuick) {
    SignIn();
    TransferCall(500302);
    console_->StartWorker();
    ASSERT_TRUE(ui_.WaitForTask(Ms(3000)));
    EXPECT_LT(TimedStop(), Ms(500));
    ui_.Pump();
    // The call was stamped, but the window never went into the call.
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.CallInfoTimerStarts(), 0);
}

TEST_F(WorkerTest, AnIdleWorkerStopsAtOnce) {
    console_->StartWorker();
    std::this_thread::sleep_for(Ms(50));
    EXPECT_LT(TimedStop(), Ms(200));
    EXPECT_FALSE(console_->WorkerRunning());
}

TEST_F(WorkerTest, DestroyingTheConsoleJoinsItsWorker) {
    SignIn();
    TransferCall(500303);
    console_->StartWorker();
    ASSERT_TRUE(ui_.WaitForTask(Ms(3000)));
    const auto start = Clock::now();
    console_.reset();
    EXPECT_LT(Clock::now() - start, Ms(500));
    ui_.Pump(); // the abandoned mode change must not touch the destroyed console
}

TEST_F(WorkerTest, PollingStopsWithTheSignOut) {
    SignIn();
    console_->StartWorker();
    console_->OnLogout();
    ui_.PumpUntil([] { return false; }, Ms(200));
    zel::test::GeneralLogReader log;
    ui_.PumpUntil([] { return false; }, Ms(1300));
    EXPECT_TRUE(log.QueriesContaining("from TRANSFER_NUM_INFO where SVC_ID = 501").empty());
}

class ClosePathTest : public ConsoleDbTest {};

TEST_F(ClosePathTest, SignedOutTheWindowClosesWithoutQuestionOrWrite) {
    zel::test::GeneralLogReader log;
    EXPECT_TRUE(console_->ConfirmClose());
    EXPECT_EQ(boxes_->Count(), 0u);
    EXPECT_TRUE(log.QueriesContaining("update TRANSFER_NUM_INFO").empty());
}

TEST_F(ClosePathTest, SignedInTheAgentIsAskedAndNoKeepsEverything) {
    SignIn();
    boxes_->Push(platform::IDNO);
    EXPECT_FALSE(console_->ConfirmClose());
    ASSERT_EQ(boxes_->Count(), 1u);
    const auto box = boxes_->All()[0].request;
    EXPECT_EQ(box.text, "로그인된 상태 입니다. 종료 하시겠습니까?");
    EXPECT_EQ(box.caption, "에러");
    EXPECT_EQ(box.style, platform::MB_YESNO | platform::MB_ICONSTOP);
    EXPECT_EQ(box.owner, FakeView::Owner());
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(Desk("IS_READY"), "0");
}

TEST_F(ClosePathTest, YesDuringACallSignsTheAgentOut) {
    SignIn();
    TransferCall(500401);
    console_->PollTransfer();
    boxes_->Push(platform::IDYES);
    EXPECT_TRUE(console_->ConfirmClose());
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(Desk("IS_READY"), "1");
    EXPECT_EQ(Desk("STATUS_START_TIME"), "00000000000000");
}

TEST_F(ClosePathTest, AFailedSignOutStillClosesTheWindow) {
    SignIn();
    BreakConnection();
    boxes_->Push(platform::IDYES);
    EXPECT_TRUE(console_->ConfirmClose());
    const auto boxes = boxes_->All();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].request.text, "로그아웃 실패");
}

TEST_F(ClosePathTest, AShutdownSignsOutWithoutAskingAndStopsTheWorker) {
    SignIn();
    console_->StartWorker();
    EXPECT_TRUE(console_->SignOutForShutdown());
    EXPECT_FALSE(console_->WorkerRunning());
    EXPECT_EQ(boxes_->Count(), 0u);
    EXPECT_EQ(Desk("IS_READY"), "1");
    EXPECT_EQ(Desk("STATUS_START_TIME"), "00000000000000");
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
}

TEST_F(ClosePathTest, AShutdownWhileTheWorkerWaitsOnABoxDoesNotHang) {
    SignIn();
    const int good = env_->connection;
    BreakConnection();
    console_->StartWorker();
    ASSERT_TRUE(ui_.WaitForTask(Ms(3000)));
    env_->connection = good;
    const auto start = Clock::now();
    EXPECT_TRUE(console_->SignOutForShutdown());
    EXPECT_LT(Clock::now() - start, Ms(1000));
    EXPECT_EQ(Desk("IS_READY"), "1");
}

} // namespace
} // namespace contest
