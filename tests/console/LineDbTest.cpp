// The program's line: one thread that owns the connection, the UI thread never waiting
// on it - also not while the server holds a statement - and every outcome coming back on
// the UI thread in the order of submission.
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using Clock = std::chrono::steady_clock;

class LineTest : public ConsoleDbTest {
  protected:
    void SetUp() override {
        ConsoleDbTest::SetUp();
        if (HasFatalFailure())
            return;
        dbLine_ = std::make_unique<DbLine>(*env_, ui_.Poster());
        dbConsole_ =
            std::make_unique<AgentConsole>(view_, *env_, *dbLine_, [this] { return now_.load(); });
        dbLine_->Start();
    }
    void TearDown() override {
        dbConsole_.reset();
        dbLine_.reset();
        ConsoleDbTest::TearDown();
    }
    bool Mode(int mode) {
        return ui_.PumpUntil([&] { return dbConsole_->AgentMode() == mode; });
    }

    UiQueue ui_;
    std::unique_ptr<DbLine> dbLine_;
    std::unique_ptr<AgentConsole> dbConsole_;
};

TEST_F(LineTest, AStatementHeldByTheServerNeverHoldsTheWindowAndTheOutcomesComeInOrder) {
    dbConsole_->OnLogin();
    ASSERT_TRUE(Mode(AGENT_MODE_READY));
    // Another session holds the desk's row: the break statement waits in the server.
    Admin().Execute("begin; select IS_READY from TRANSFER_NUM_INFO where SVC_ID = 501 for update");
    const auto start = Clock::now();
    dbConsole_->OnBreak();
    dbConsole_->OnLogout();         // ignored: a state change is out
    dbConsole_->RegistConfResult(); // answered at once: no call
    dbConsole_->UpdateTodayStats();
    EXPECT_LT(Clock::now() - start, Ms(100));
    EXPECT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(view_.Mask(), 0x0);
    ui_.PumpUntil({}, Ms(300));
    EXPECT_EQ(dbConsole_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(dbConsole_->StatementsOut(), 2);

    Admin().Execute("commit");
    ASSERT_TRUE(Mode(AGENT_MODE_BREAK));
    ASSERT_TRUE(ui_.PumpUntil([this] { return dbConsole_->StatementsOut() == 0; }));
    EXPECT_EQ(view_.Mask(), 0x6);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "0");
    EXPECT_EQ(view_.wrongThread, 0);
    EXPECT_EQ(boxes_.offUiThread, 0);
}

TEST_F(LineTest, TheProgramsPollTakesACallAndAShutdownSettlesWithinItsLimit) {
    dbConsole_->OnLogin();
    ASSERT_TRUE(Mode(AGENT_MODE_READY));
    TransferCall(500301);
    zel::test::GeneralLogReader log;
    dbConsole_->PollTransfer();
    ASSERT_TRUE(Mode(AGENT_MODE_INCALL));
    EXPECT_EQ(view_.timerStarts, 1);
    EXPECT_EQ(Hist(500301, "AGENT_NM"), kAgentName);
    // The stamp went out before anything else of the pick-up.
    const auto stamps = log.QueriesContaining("set AGENT_NM");
    ASSERT_EQ(stamps.size(), 1u);

    dbConsole_->OnCallInfoTimer();
    ASSERT_TRUE(ui_.PumpUntil([this] { return !view_.Text(IDC_EDIT_CUSTINFO1).empty(); }));
    view_.memoControl = "종료 직전";
    const auto start = Clock::now();
    EXPECT_TRUE(dbConsole_->SignOutForShutdown(AgentConsole::kShutdownLimitMs));
    EXPECT_LT(Clock::now() - start, Ms(AgentConsole::kShutdownLimitMs));
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
    EXPECT_EQ(Hist(500301, "COMMENT"), "종료 직전");
    EXPECT_EQ(view_.wrongThread, 0);
}

} // namespace
} // namespace contest
