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
    const char* name; // cppcheck-suppress unusedStructMember ; the test's name
    int from;
    Action press;
    int mode;          // afterwards
    const char* title; // after "ZELAgent-"
    int mask;
    const char* box; // the console's own box of a failed statement, "" on success
};

const Transition kTransitions[] = {
    {"LoginFromSignedOut", Out, Login, Waiting, "5501-대기중", 0xA, ""},
    {"BreakFromReady", Waiting, Break, OnBreak, "5501-휴식중", 0x6, ""},
    {"ReadyFromBreak", OnBreak, Ready, Waiting, "5501-대기중", 0xA, ""},
    {"LogoutFromReady", Waiting, Logout, Out, "5501-로그아웃", 0x1, ""},
    {"LogoutFromBreak", OnBreak, Logout, Out, "5501-로그아웃", 0x1, ""},
    // A failure keeps mode and title; Login is enabled, the pressed button stays off.
    {"FailedLogin", Out, Login, Out, "로그아웃", 0x1, "로그인 실패"},
    {"FailedBreak", Waiting, Break, Waiting, "5501-대기중", 0x3, "상태변경 실패"},
    {"FailedReady", OnBreak, Ready, OnBreak, "5501-휴식중", 0x3, "상태변경 실패"},
    {"FailedLogoutFromReady", Waiting, Logout, Waiting, "5501-대기중", 0x9, "로그아웃 실패"},
    {"FailedLogoutFromBreak", OnBreak, Logout, OnBreak, "5501-휴식중", 0x5, "로그아웃 실패"},
};

class TransitionTest : public ConsoleDbTest, public ::testing::WithParamInterface<Transition> {};

TEST_P(TransitionTest, FollowsTheTable) {
    const Transition& row = GetParam();
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
    EXPECT_EQ(view_.title, std::string("ZELAgent-") + row.title);
    EXPECT_EQ(view_.Mask(), row.mask);

    if (!fails) {
        EXPECT_EQ(boxes_.Count(), 0u);
        EXPECT_EQ(console_->IsPolling(), row.mode != Out);
        // Ready writes 0, else 1; signing out clears the state time, any other change stamps it.
        EXPECT_EQ(Desk("concat(IS_READY, '/', left(STATUS_START_TIME, 8))"),
                  (row.mode == Waiting ? "0/" : "1/") + (row.mode == Out ? "00000000" : Today()));
        return;
    }
    // The database error box (no owner), then the console's own.
    ASSERT_EQ(boxes_.Count(), 2u);
    const auto error = boxes_[0], own = boxes_[1];
    EXPECT_EQ(error.caption, "에러");
    EXPECT_EQ(error.owner, nullptr);
    EXPECT_NE(error.text.find(std::to_string(RDB_ERR_BAD_HANDLE)), std::string::npos);
    EXPECT_EQ(own.text, row.box);
    EXPECT_EQ(own.caption, "알림");
    EXPECT_EQ(own.owner, FakeView::Owner());
    EXPECT_EQ(console_->IsPolling(), pollingBefore);
    RepairConnection();
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), deskBefore);
}

INSTANTIATE_TEST_SUITE_P(Console, TransitionTest, ::testing::ValuesIn(kTransitions),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace contest
