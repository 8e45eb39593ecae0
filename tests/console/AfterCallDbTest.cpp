// Between calls: what the agent entered for an ended call is kept with that call, and
// the opt-in after-call work keeps the desk out of the distribution meanwhile.
#include <fstream>

#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

class BetweenCalls : public ConsoleDbTest {
  protected:
    void EndCall() {
        SetTransferStatus(0);
        EXPECT_EQ(console_->PollTransfer(), 1);
    }
    void NextCall(long long xanId) {
        TransferCall(xanId);
        ASSERT_EQ(console_->PollTransfer(), 1);
        console_->OnCallInfoTimer();
    }
    void SetAfterCallWork(const std::string& seconds) {
        std::ofstream(work_->Env() / "ZELAgent.INI")
            << "[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=127.0.0.1\r\nAFTER_CALL_WORK_SEC=" << seconds
            << "\r\n";
    }
    void LoseTheServer() {
        env_->serverAddress = "127.0.0.2";
        BreakConnection();
    }
    void ServerBack() {
        env_->serverAddress = "127.0.0.1";
        RepairConnection();
    }
    std::string Result(long long xanId) {
        return Hist(xanId, "concat(ifnull(CONSULT_RESULT, '-'), '/', ifnull(COMMENT, '-'))")
            .value_or("no row");
    }
};

TEST_F(BetweenCalls, WhatWasEnteredForTheEndedCallIsSavedToItsRowWhenTheNextCallComes) {
    TakeCall(500601);
    EndCall();
    view_.memoControl = "메모를 쓰는 중에";
    NextCall(500602);
    EXPECT_EQ(Result(500601), "00/메모를 쓰는 중에"); // no grade: the value of "none"
    EXPECT_EQ(console_->XanId(), "500602");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(boxes_.Count(), 0u); // a note, never a box over the new call
    ASSERT_EQ(view_.notes.size(), 1u);

    // Nothing entered: nothing written.
    EndCall();
    zel::test::GeneralLogReader log;
    NextCall(500603);
    EXPECT_TRUE(log.QueriesContaining("update TRANSFER_HIST set CONSULT_RESULT").empty());
    EXPECT_EQ(log.QueriesContaining("set AGENT_NM").size(), 1u); // the log does see the call
    EXPECT_EQ(Result(500602), "-/-");
}

TEST_F(BetweenCalls, AFailedSaveIsRetriedOnceKeptAndWrittenOnceTheServerIsBack) {
    TakeCall(500611);
    view_.resultControl = 2;
    view_.memoControl = "저장 실패";
    EndCall();
    TransferCall(500612);
    ASSERT_EQ(console_->PollTransfer(), 1);
    LoseTheServer();
    zel::test::GeneralLogReader log;
    console_->OnCallInfoTimer();
    EXPECT_EQ(boxes_.Count(), 1u); // only the new call's customer could not be read
    ASSERT_EQ(console_->UnsavedResults().size(), 1u);
    EXPECT_EQ(console_->UnsavedResults().front().result.memo, "저장 실패");
    ASSERT_EQ(view_.notes.size(), 1u);

    // The next registration brings it in as well.
    ServerBack();
    view_.resultControl = 0;
    console_->RegistConfResult();
    EXPECT_EQ(Result(500611), "03/저장 실패");
    EXPECT_EQ(Result(500612), "01/");
    EXPECT_TRUE(console_->UnsavedResults().empty());
}

TEST_F(BetweenCalls, AfterCallWorkKeepsTheDeskOutUntilTheTimeEndsOrTheResultIsRegistered) {
    SetAfterCallWork("30");
    SignIn();
    EXPECT_EQ(Desk("IS_READY"), "0");
    NextCall(500621);
    EXPECT_EQ(Desk("IS_READY"), "1"); // out of the distribution from the call on
    EndCall();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_AFTERCALL);
    EXPECT_EQ(view_.title, "ZELAgent-5501-정리중(30)");
    EXPECT_EQ(view_.Mask(), BUTTON_LOGOUT | BUTTON_READY | BUTTON_BREAK);
    EXPECT_EQ(Desk("IS_READY"), "1");
    now_ += 12;
    console_->UpdateCallTime();
    EXPECT_EQ(view_.title, "ZELAgent-5501-정리중(18)");
    now_ += 18;
    console_->UpdateCallTime();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.title, "ZELAgent-5501-대기중");
    EXPECT_EQ(Desk("IS_READY"), "0");

    // Registering the result ends the work at once.
    NextCall(500622);
    EndCall();
    view_.resultControl = 5;
    console_->RegistConfResult();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(Desk("IS_READY"), "0");

    // A result registered during the call: ready again as the call ends.
    NextCall(500623);
    console_->RegistConfResult();
    EndCall();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(Desk("IS_READY"), "0");
    EXPECT_EQ(boxes_.All().back().text, "등록 되었습니다.");
}

TEST_F(BetweenCalls, DuringAfterCallWorkBreakAndCloseWorkAsUsualAndAnOutageDelaysReady) {
    SetAfterCallWork("10");
    SignIn();
    NextCall(500631);
    EndCall();
    console_->OnBreak();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_BREAK);
    now_ += 60;
    console_->UpdateCallTime();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_BREAK); // the time no longer counts

    // The time ends during an outage: the desk stays out, no box, ready once it is back.
    console_->OnReady();
    NextCall(500632);
    EndCall();
    LoseTheServer();
    now_ += 10;
    console_->UpdateCallTime();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_AFTERCALL);
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_EQ(Desk("IS_READY"), "1");
    ServerBack();
    now_ += 5;
    console_->UpdateCallTime();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(Desk("IS_READY"), "0");

    // A close during the work signs the desk out.
    NextCall(500633);
    EndCall();
    console_->OnClose();
    EXPECT_EQ(view_.closed, 1);
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

TEST_F(BetweenCalls, WithoutTheSettingTheDeskIsReadyAtTheHangUp) {
    for (const char* value : {"0", "", "abc", "-5"}) {
        SetAfterCallWork(value);
        console_->OnLogout();
        SignIn();
        zel::test::GeneralLogReader log;
        NextCall(500641);
        EndCall();
        EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY) << value;
        EXPECT_TRUE(log.QueriesContaining("update TRANSFER_NUM_INFO set IS_READY").empty())
            << value;
        EXPECT_EQ(log.QueriesContaining("set AGENT_NM").size(), 1u) << value;
        Admin().Execute("delete from REQ_XAN where XAN_ID = 500641; "
                        "delete from TRANSFER_HIST where XAN_ID = 500641");
    }
}

} // namespace
} // namespace contest
