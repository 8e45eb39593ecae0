// The agent's modes, the state buttons and their readiness statements: every row of
// the transitions of the buttons, with the statement succeeding and failing.
#include "rdbclient/RDBClient.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

enum Action { Login, Ready, Break, Logout };

struct Transition {
    const char* name;
    int from; // AGENT_MODE_LOGOUT, _READY or _BREAK
    Action action;
    bool fails;
    int mode;          // the mode afterwards
    const char* title; // after "ZELAgent-"
    int mask;
    const char* box; // the console's own box of a failure
    int isReady;     // IS_READY written by a success (-1: none)
};

const Transition kTransitions[] = {
    {"LoginFromSignedOut", AGENT_MODE_LOGOUT, Login, false, AGENT_MODE_READY, "5501-대기중", 0xA,
     "", 0},
    {"BreakFromReady", AGENT_MODE_READY, Break, false, AGENT_MODE_BREAK, "5501-휴식중", 0x6, "", 1},
    {"ReadyFromBreak", AGENT_MODE_BREAK, Ready, false, AGENT_MODE_READY, "5501-대기중", 0xA, "", 0},
    {"LogoutFromReady", AGENT_MODE_READY, Logout, false, AGENT_MODE_LOGOUT, "5501-로그아웃", 0x1,
     "", 1},
    {"LogoutFromBreak", AGENT_MODE_BREAK, Logout, false, AGENT_MODE_LOGOUT, "5501-로그아웃", 0x1,
     "", 1},
    // A failure keeps mode and title; Login is enabled, the pressed button stays off.
    {"FailedLogin", AGENT_MODE_LOGOUT, Login, true, AGENT_MODE_LOGOUT, "로그아웃", 0x1,
     "로그인 실패", -1},
    {"FailedBreak", AGENT_MODE_READY, Break, true, AGENT_MODE_READY, "5501-대기중", 0x3,
     "상태변경 실패", -1},
    {"FailedReady", AGENT_MODE_BREAK, Ready, true, AGENT_MODE_BREAK, "5501-휴식중", 0x3,
     "상태변경 실패", -1},
    {"FailedLogoutFromReady", AGENT_MODE_READY, Logout, true, AGENT_MODE_READY, "5501-대기중", 0x9,
     "로그아웃 실패", -1},
    {"FailedLogoutFromBreak", AGENT_MODE_BREAK, Logout, true, AGENT_MODE_BREAK, "5501-휴식중", 0x5,
     "로그아웃 실패", -1},
};

void PrintTo(const Transition& row, std::ostream* os) {
    *os << row.name;
}

class TransitionTest : public ConsoleDbTest, public ::testing::WithParamInterface<Transition> {
  protected:
    void Press(Action action) {
        switch (action) {
        case Login:
            return console_->OnLogin();
        case Ready:
            return console_->OnReady();
        case Break:
            return console_->OnBreak();
        case Logout:
            return console_->OnLogout();
        }
    }
};

TEST_P(TransitionTest, FollowsTheTable) {
    const Transition& row = GetParam();
    if (row.from != AGENT_MODE_LOGOUT)
        SignIn();
    if (row.from == AGENT_MODE_BREAK)
        console_->OnBreak();
    boxes_->Clear();
    const auto deskBefore = Desk("concat(IS_READY, '/', STATUS_START_TIME)");
    const bool pollingBefore = console_->IsPolling();

    if (row.fails)
        BreakConnection();
    Press(row.action);
    EXPECT_EQ(console_->AgentMode(), row.mode);
    EXPECT_EQ(view_.Title(), std::string("ZELAgent-") + row.title);
    EXPECT_EQ(view_.Mask(), row.mask);

    if (!row.fails) {
        EXPECT_EQ(boxes_->Count(), 0u);
        EXPECT_EQ(console_->IsPolling(), row.mode != AGENT_MODE_LOGOUT);
        EXPECT_EQ(Desk("IS_READY"), std::to_string(row.isReady));
        // Signing out clears the state time; any other change stamps it.
        const auto time = Desk("STATUS_START_TIME").value_or("");
        EXPECT_EQ(time.substr(0, 8), row.mode == AGENT_MODE_LOGOUT ? "00000000" : Today());
        return;
    }
    // The database error box (no owner), then the console's own.
    const auto boxes = boxes_->All();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].request.caption, "에러");
    EXPECT_EQ(boxes[0].request.owner, nullptr);
    EXPECT_NE(boxes[0].request.text.find(std::to_string(RDB_ERR_BAD_HANDLE)), std::string::npos);
    EXPECT_EQ(boxes[1].request.text, row.box);
    EXPECT_EQ(boxes[1].request.caption, "알림");
    EXPECT_EQ(boxes[1].request.style, platform::MB_ICONINFORMATION);
    EXPECT_EQ(boxes[1].request.owner, FakeView::Owner());
    EXPECT_EQ(console_->IsPolling(), pollingBefore);
    RepairConnection();
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), deskBefore);

    // Login, now enabled, writes the ready state again and ends ready.
    console_->OnLogin();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Mask(), 0xA);
    EXPECT_EQ(Desk("IS_READY"), "0");
}

INSTANTIATE_TEST_SUITE_P(Console, TransitionTest, ::testing::ValuesIn(kTransitions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConsoleDbTest, ANewConsoleIsSignedOutWithOnlyLoginEnabled) {
    EXPECT_EQ(view_.Title(), "ZELAgent-로그아웃");
    EXPECT_EQ(view_.Mask(), 0x1);
    EXPECT_FALSE(console_->IsPolling());
}

} // namespace
} // namespace contest
