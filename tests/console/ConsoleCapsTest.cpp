// The console's two caps, without a database or a window: a hundred failed saves kept
// for a later try (beyond them the oldest leaves memory), and an hour of after-call work
// whatever the settings file asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

// The database as one desk: a poll reads desk; writes of results fail while writesFail.
// Statements run in the order submitted, also those an outcome submits.
class Line : public IConsoleLine {
  public:
    void Submit(LineRequest request, Done done) override {
        m_queue.emplace_back(std::move(request), std::move(done));
        if (m_running)
            return;
        m_running = true;
        while (!m_queue.empty()) {
            auto [next, then] = std::move(m_queue.front());
            m_queue.pop_front();
            LineOutcome outcome;
            outcome.ok = true;
            if (next.what == LineStatement::Poll)
                outcome.transfer = desk;
            if (next.what == LineStatement::Ready)
                readyModes.push_back(next.mode);
            if (next.what == LineStatement::Result) {
                outcome.ok = !writesFail;
                if (outcome.ok)
                    written.push_back(next.result.xanId);
            }
            if (then)
                then(outcome);
        }
        m_running = false;
    }
    bool Settle(int) override { return true; }

    TransferInfo desk;
    bool writesFail = false;
    std::vector<std::string> written;
    std::vector<int> readyModes;

  private:
    bool m_running = false;
    std::deque<std::pair<LineRequest, Done>> m_queue;
};

class ConsoleCaps : public ::testing::Test {
  protected:
    void SetUp() override {
        env_.telNum = "5501";
        console_.ShowInitialState();
    }
    void SignIn() {
        console_.OnLogin();
        ASSERT_EQ(console_.AgentMode(), AGENT_MODE_READY);
    }
    // The call centre transfers call id; the console takes and shows it.
    void Transfer(const std::string& id) {
        line_.desk = {1, id, "0212345678", "고객"};
        console_.PollTransfer();
        console_.OnCallInfoTimer();
        ASSERT_EQ(console_.XanId(), id);
    }
    void HangUp() {
        line_.desk.transferStatus = 0;
        console_.PollTransfer();
    }
    static std::string Call(int i) { return std::to_string(700000 + i); }

    zel::test::TempWorkDir work_{false};
    CTELVOAgentEnv env_;
    FakeView view_;
    Boxes boxes_;
    Line line_;
    std::time_t now_ = 1700000000;
    AgentConsole console_{view_, env_, line_, [this] { return now_; }};
};

// Every save failing: a hundred ended calls' results are kept; the 101st pushes out the
// oldest, and once the server takes writes again the hundred kept go in order.
TEST_F(ConsoleCaps, AHundredFailedSavesAreKeptTheOldestLeavesFirst) {
    SignIn();
    line_.writesFail = true;
    for (int i = 1; i <= 102; ++i) {
        Transfer(Call(i)); // writes the result of call i - 1 first
        view_.memoControl = "메모 " + std::to_string(i);
        HangUp();
        if (i == 101) {
            EXPECT_EQ(console_.UnsavedResults().front().result.xanId, Call(1));
        }
    }
    ASSERT_EQ(console_.UnsavedResults().size(), AgentConsole::kMaxUnsavedResults);
    EXPECT_EQ(console_.UnsavedResults().front().result.xanId, Call(2));
    EXPECT_EQ(console_.UnsavedResults().back().result.memo, "메모 101");
    EXPECT_TRUE(line_.written.empty());

    line_.writesFail = false;
    Transfer(Call(103));
    std::vector<std::string> expected;
    for (int i = 2; i <= 102; ++i)
        expected.push_back(Call(i));
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> written = line_.written;
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expected); // call 1 only in the journal, which this console has not
    EXPECT_TRUE(console_.UnsavedResults().empty());
    EXPECT_EQ(boxes_.Count(), 0u);
}

// The setting is read at the sign-in; after-call work lasts what it says, at most an hour.
TEST_F(ConsoleCaps, AfterCallWorkLastsAtMostAnHour) {
    const std::pair<const char*, int> cases[] = {
        {"3599", 3599}, {"3600", 3600}, {"3601", 3600}, {"86400", 3600}};
    int call = 0;
    for (const auto& [setting, seconds] : cases) {
        SCOPED_TRACE(setting);
        std::ofstream(work_.Env() / "ZELAgent.INI")
            << "[GENERAL]\r\nAFTER_CALL_WORK_SEC=" << setting << "\r\n";
        SignIn();
        Transfer(Call(++call));
        HangUp();
        ASSERT_EQ(console_.AgentMode(), AGENT_MODE_AFTERCALL);
        EXPECT_EQ(view_.title, "ZELAgent-5501-정리중(" + std::to_string(seconds) + ")");
        line_.readyModes.clear();
        now_ += seconds - 1;
        console_.UpdateCallTime();
        EXPECT_EQ(console_.AgentMode(), AGENT_MODE_AFTERCALL);
        EXPECT_EQ(view_.title, "ZELAgent-5501-정리중(1)");
        now_ += 1;
        console_.UpdateCallTime();
        EXPECT_EQ(console_.AgentMode(), AGENT_MODE_READY);
        EXPECT_EQ(line_.readyModes, (std::vector<int>{AGENT_MODE_READY}));
        console_.OnLogout();
        ASSERT_EQ(console_.AgentMode(), AGENT_MODE_LOGOUT);
    }
}

} // namespace
} // namespace contest
