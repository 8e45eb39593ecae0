// Every transition of the state buttons, its readiness statement succeeding and failing.
#include "rdbclient/RDBClient.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using Action = void (AgentConsole::*)();
constexpr Action Login = &AgentConsole::OnLogin, Ready = &AgentConsole::OnReady,
                 Break = &AgentConsole::OnBreak, Logout = &AgentConsole::OnLogout;
constexpr int Out = AGENT_MODE_LOGOUT, Waiting = AGENT_MODE_READY, OnBreak = AGENT_MODE_BREAK;

struct Transition {
    const char* name;
    int from;
    Action press;
    int mode;          // afterwards
    const char* title; // after "ZELAgent-"
    int mask;
    const char* box; // the console's own box of a failed statement, "" on success
    int isReady;     // IS_READY written on success (-1: none)
};

const Transition kTransitions[] = {
    {"LoginFromSignedOut", Out, Login, Waiting, "5501-대기중", 0xA, "", 0},
    {"BreakFromReady", Waiting, Break, OnBreak, "5501-휴식중", 0x6, "", 1},
    {"ReadyFromBreak", OnBreak, Ready, Waiting, "5501-대기중", 0xA, "", 0},
    {"LogoutFromReady", Waiting, Logout, Out, "5501-로그아웃", 0x1, "", 1},
    {"LogoutFromBreak", OnBreak, Logout, Out, "5501-로그아웃", 0x1, "", 1},
    // A failure keeps mode and title; Login is enabled, the pressed button stays off.
    {"FailedLogin", Out, Login, Out, "로그아웃", 0x1, "로그인 실패", -1},
    {"FailedBreak", Waiting, Break, Waiting, "5501-대기중", 0x3, "상태변경 실패", -1},
    {"FailedReady", OnBreak, Ready, OnBreak, "5501-휴식중", 0x3, "상태변경 실패", -1},
    {"FailedLogoutFromReady", Waiting, Logout, Waiting, "5501-대기중", 0x9, "로그아웃 실패", -1},
    {"FailedLogoutFromBreak", OnBreak, Logout, OnBreak, "5501-휴식중", 0x5, "로그아웃 실패", -1},
};

void PrintTo(const Transition& row, std::ostream* os) {
    *os << row.name;
}

class TransitionTest : public ConsoleDbTest, public ::testing::WithParamInterface<Transition> {};

TEST_P(TransitionTest, FollowsTheTable) {
    const Transition& row = GetParam();
    // A new console is signed out with only Login enabled.
    EXPECT_EQ(view_.Title(), "ZELAgent-로그아웃");
    EXPECT_EQ(view_.Mask(), 0x1);
    EXPECT_FALSE(console_->IsPolling());
    if (row.from != Out)
        SignIn();
    if (row.from == OnBreak)
        console_->OnBreak();
    boxes_.Clear();
    const auto deskBefore = Desk("concat(IS_READY, '/', STATUS_START_TIME)");
    const bool pollingBefore = console_->IsPolling();

    const bool fails = *row.box;
    if (fails)
        BreakConnection();
    ((*console_).*row.press)();
    EXPECT_EQ(console_->AgentMode(), row.mode);
    EXPECT_EQ(view_.Title(), std::string("ZELAgent-") + row.title);
    EXPECT_EQ(view_.Mask(), row.mask);

    if (!fails) {
        EXPECT_EQ(boxes_.Count(), 0u);
        EXPECT_EQ(console_->IsPolling(), row.mode != Out);
        EXPECT_EQ(Desk("IS_READY"), std::to_string(row.isReady));
        // Signing out clears the state time; any other change stamps it.
        const auto time = Desk("STATUS_START_TIME").value_or("");
        EXPECT_EQ(time.substr(0, 8), row.mode == Out ? "00000000" : Today());
        return;
    }
    // The database error box (no owner), then the console's own.
    const auto boxes = boxes_.All();
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

} // namespace
} // namespace contest
