// The agent's modes, the state buttons and their readiness statements.
#include <gtest/gtest.h>

#include "rdbclient/RDBClient.h"
#include "res/ResourceIds.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using platform::IDOK;

class StateMachineTest : public ConsoleDbTest {
  protected:
    // The desk's row: IS_READY and whether STATUS_START_TIME is a real time.
    void ExpectDesk(int isReady, bool stamped) {
        EXPECT_EQ(Desk("IS_READY"), std::to_string(isReady));
        const auto time = Desk("STATUS_START_TIME");
        ASSERT_TRUE(time.has_value());
        if (stamped)
            EXPECT_EQ(time->substr(0, 8), Today());
        else
            EXPECT_EQ(*time, "00000000000000");
    }

    // The two boxes of a failed statement: the database error, then the console's own.
    void ExpectFailureBoxes(const std::string& message) {
        const auto boxes = boxes_->All();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].request.caption, "에러");
        EXPECT_EQ(boxes[0].request.owner, nullptr);
        EXPECT_NE(boxes[0].request.text.find(std::to_string(RDB_ERR_BAD_HANDLE)),
                  std::string::npos);
        EXPECT_EQ(boxes[1].request.text, message);
        EXPECT_EQ(boxes[1].request.caption, "알림");
        EXPECT_EQ(boxes[1].request.style, platform::MB_ICONINFORMATION);
        EXPECT_EQ(boxes[1].request.owner, FakeView::Owner());
    }
};

TEST_F(StateMachineTest, ANewConsoleIsSignedOutWithOnlyLoginEnabled) {
    EXPECT_EQ(view_.Title(), "ZELAgent-로그아웃");
    EXPECT_EQ(view_.Mask(), 0x1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_FALSE(console_->IsPolling());
}

TEST_F(StateMachineTest, LoginMarksTheDeskReadyAndPassesThroughSignedIn) {
    console_->OnLogin();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_TRUE(console_->IsPolling());
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-대기중");
    EXPECT_EQ(view_.Mask(), 0xA);
    ExpectDesk(0, true);
    EXPECT_TRUE(
        HasTrace("[ZELAgent]OnChangedEvent eventType(1), agentMode(2), agentModeMsg(로그인)"));
    EXPECT_TRUE(
        HasTrace("[ZELAgent]OnChangedEvent eventType(1), agentMode(3), agentModeMsg(대기중)"));
    EXPECT_EQ(boxes_->Count(), 0u);
}

TEST_F(StateMachineTest, BreakReadyAndLogoutFollowTheTransitionTable) {
    SignIn();
    console_->OnBreak();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_BREAK);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-휴식중");
    EXPECT_EQ(view_.Mask(), 0x6);
    ExpectDesk(1, true);

    console_->OnReady();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Mask(), 0xA);
    ExpectDesk(0, true);

    console_->OnBreak();
    console_->OnLogout();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_FALSE(console_->IsPolling());
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-로그아웃");
    EXPECT_EQ(view_.Mask(), 0x1);
    ExpectDesk(1, false);
    EXPECT_EQ(boxes_->Count(), 0u);
}

TEST_F(StateMachineTest, LogoutFromReadyClearsTheStateTime) {
    SignIn();
    console_->OnLogout();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    ExpectDesk(1, false);
}

TEST_F(StateMachineTest, AFailedLoginShowsTwoBoxesAndEnablesLoginAgain) {
    BreakConnection();
    console_->OnLogin();
    ExpectFailureBoxes("로그인 실패");
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_FALSE(console_->IsPolling());
    EXPECT_EQ(view_.Title(), "ZELAgent-로그아웃");
    EXPECT_EQ(view_.Mask(), 0x1);
    ExpectDesk(1, false);

    // Pressing Login again retries the same action.
    RepairConnection();
    console_->OnLogin();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
}

TEST_F(StateMachineTest, AFailedBreakLeavesLogoutAndLoginEnabled) {
    SignIn();
    BreakConnection();
    console_->OnBreak();
    ExpectFailureBoxes("상태변경 실패");
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-대기중");
    EXPECT_EQ(view_.Mask(), 0x1 | 0x2); // Break and Ready disabled
    ExpectDesk(0, true);

    RepairConnection();
    console_->OnLogin();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Mask(), 0xA);
}

TEST_F(StateMachineTest, AFailedReadyKeepsTheBreak) {
    SignIn();
    console_->OnBreak();
    boxes_->Clear();
    BreakConnection();
    console_->OnReady();
    ExpectFailureBoxes("상태변경 실패");
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_BREAK);
    EXPECT_EQ(view_.Mask(), 0x1 | 0x2);
}

TEST_F(StateMachineTest, AFailedLogoutKeepsPollingAndTheMode) {
    SignIn();
    BreakConnection();
    console_->OnLogout();
    ExpectFailureBoxes("로그아웃 실패");
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_TRUE(console_->IsPolling());
    EXPECT_EQ(view_.Mask(), 0x1 | 0x8); // Logout stays disabled
    ExpectDesk(0, true);
}

TEST_F(StateMachineTest, AnUnknownEventIsTracedAndIgnored) {
    SignIn();
    console_->OnChangedEvent(9, 5, "x");
    EXPECT_TRUE(HasTrace("[ZELAgent]OnChangedEvent eventType(9), agentMode(5), agentModeMsg(x)"));
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Title(), "ZELAgent-5501-대기중");
}

TEST_F(StateMachineTest, ButtonMasksOfTheModes) {
    EXPECT_EQ(ButtonMaskOf(AGENT_MODE_LOGOUT), 0x1);
    EXPECT_EQ(ButtonMaskOf(AGENT_MODE_LOGIN), 0xE);
    EXPECT_EQ(ButtonMaskOf(AGENT_MODE_READY), 0xA);
    EXPECT_EQ(ButtonMaskOf(AGENT_MODE_BREAK), 0x6);
    EXPECT_EQ(ButtonMaskOf(AGENT_MODE_INCALL), 0x0);
}

} // namespace
} // namespace contest
