// The unhappy paths of a shift: boxes behind which the next call comes, a desk that
// changes while a question is open, statements held on the line while the agent goes
// on, closes and signals with results still to be written, an outage.
#include <fstream>

#include "console/journal/ResultJournal.h"

#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

class ShiftFault : public ConsoleDbTest {
  protected:
    // The call centre ends the current call and hands the desk the next one; the console
    // picks it up as its poll timer and its call-information timer would.
    void NextCall(long long xanId) {
        SetTransferStatus(0);
        console_->PollTransfer();
        TransferCall(xanId);
        ASSERT_EQ(console_->PollTransfer(), 1);
        console_->OnCallInfoTimer();
    }
    // No server answers at this address: every fresh connection fails too.
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
    // The console of a program started anew (after a crash, or a close) in the same
    // folder, with the agent's journal.
    void Restart() {
        console_.reset();
        journal_.reset();
        journal_ = std::make_unique<ResultJournal>(
            std::make_unique<FileJournalStore>(ResultJournal::PathFor(env_->userId)));
        console_ = std::make_unique<AgentConsole>(
            view_, *env_, *line_, [this] { return now_.load(); }, journal_.get());
        console_->ShowInitialState();
    }
    std::unique_ptr<ResultJournal> journal_;

    // A result of call 500701 kept after its save failed, the console on call 500702.
    void KeepAResult() {
        TakeCall(500701);
        view_.resultControl = 1;
        view_.memoControl = "보관된 결과";
        SetTransferStatus(0);
        console_->PollTransfer();
        TransferCall(500702);
        ASSERT_EQ(console_->PollTransfer(), 1);
        LoseTheServer();
        console_->OnCallInfoTimer();
        ASSERT_EQ(console_->UnsavedResults().size(), 1u);
        ServerBack();
        boxes_.Clear();
    }
};

TEST_F(ShiftFault, AResultConfirmedWhileTheNextCallArrivesGoesToTheCallItWasTypedFor) {
    TakeCall(500501);
    view_.memoControl = "지난 통화 메모";
    // While the missing-grade question is open the next call is taken and shown.
    boxes_.whileShown = [this] { NextCall(500502); };
    console_->RegistConfResult();
    EXPECT_EQ(boxes_[0].text, "호응도를 선택하지 않았습니다. 계속 하시겠습니까?");
    EXPECT_EQ(Result(500501), "00/지난 통화 메모");
    EXPECT_FALSE(Hist(500502, "CONSULT_RESULT").has_value());
    EXPECT_EQ(console_->XanId(), "500502");
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);

    // The call in progress can still be registered.
    view_.resultControl = 1;
    view_.memoControl = "새 통화";
    console_->RegistConfResult();
    EXPECT_EQ(Result(500502), "02/새 통화");
}

TEST_F(ShiftFault, NoToTheNoGradeQuestionAfterTheNextCallSavedTheResultLeavesTheGradeToSet) {
    TakeCall(500505);
    view_.memoControl = "등급은 아직";
    // The next call comes while the question is open; the agent then answers No, to
    // choose a grade first.
    boxes_.answers = {platform::IDNO};
    boxes_.whileShown = [this] { NextCall(500506); };
    console_->RegistConfResult();
    EXPECT_EQ(Result(500505), "00/등급은 아직"); // nothing typed was lost meanwhile
    // The fields are the ended call's again, as the agent left them when asked.
    EXPECT_EQ(console_->XanId(), "500505");
    EXPECT_EQ(view_.memoControl, "등급은 아직");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "홍길동 고객님 500506");
    view_.resultControl = 2;
    console_->RegistConfResult();
    EXPECT_EQ(Result(500505), "03/등급은 아직");
    // Then the call in progress is the one the fields are for.
    EXPECT_EQ(console_->XanId(), "500506");
    EXPECT_EQ(view_.memoControl, "");
    view_.resultControl = 0;
    view_.memoControl = "다음 통화";
    console_->RegistConfResult();
    EXPECT_EQ(Result(500506), "01/다음 통화");
    EXPECT_EQ(Result(500505), "03/등급은 아직");
}

TEST_F(ShiftFault, AFailedRegistrationSavedByTheNextCallBehindItsBoxIsNotReportedAsFailed) {
    TakeCall(500503);
    view_.resultControl = 4;
    view_.memoControl = "실패할 등록";
    BreakConnection();
    // The database error box is up when the next call arrives (the database back).
    boxes_.whileShown = [this] {
        RepairConnection();
        NextCall(500504);
    };
    console_->RegistConfResult();
    EXPECT_EQ(console_->XanId(), "500504");
    EXPECT_EQ(view_.memoControl, "");
    // What the agent entered for the ended call was saved when the next call came, and
    // the agent is not told the opposite afterwards.
    EXPECT_EQ(Result(500503), "05/실패할 등록");
    for (const auto& box : boxes_.All())
        EXPECT_NE(box.text, "등록에 실패 하였습니다.");
    EXPECT_EQ(view_.notes.back(), AgentConsole::kSavedNote);
}

TEST_F(ShiftFault, AfterAFailedStateChangeTheButtonsFollowTheModeAsItIsThen) {
    SignIn();
    BreakConnection();
    // The call is picked up while the failure's boxes are shown.
    boxes_.whileShown = [this] {
        RepairConnection();
        TransferCall(500511);
        ASSERT_EQ(console_->PollTransfer(), 1);
        BreakConnection();
    };
    console_->OnBreak();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(view_.Mask(), 0x0);

    // Without a call in between the failure enables Login, as ever.
    RepairConnection();
    SetTransferStatus(0);
    console_->PollTransfer();
    BreakConnection();
    boxes_.Clear();
    console_->OnBreak();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.Mask(), BUTTON_LOGIN | BUTTON_LOGOUT);
}

// How the console ends, and what it must write first.
struct Ending {
    const char* name; // cppcheck-suppress unusedStructMember ; the test's name
    bool signOutFirst;
    bool signal;
    bool duringQuestion; // the signal comes while the no-grade question is open
};
const Ending kEndings[] = {
    {"CloseSignedOut", true, false, false},
    {"CloseSignedIn", false, false, false},
    {"Signal", false, true, false},
    {"SignalDuringTheNoGradeQuestion", false, true, true},
};

class EveryEnding : public ShiftFault, public ::testing::WithParamInterface<Ending> {};

TEST_P(EveryEnding, WritesTheKeptResultsAndWhatIsEnteredBeforeTheConsoleGoes) {
    const Ending& end = GetParam();
    KeepAResult();
    view_.resultControl = end.duringQuestion ? -1 : 3;
    view_.memoControl = "화면의 결과";
    if (end.signOutFirst) {
        SetTransferStatus(0);
        console_->PollTransfer();
        console_->OnLogout();
        ASSERT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    }
    if (end.duringQuestion) {
        boxes_.whileShown = [this] {
            view_.memoControl = ""; // the window is gone with the signal
            console_->SignOutForShutdown(AgentConsole::kShutdownLimitMs);
        };
        console_->RegistConfResult();
    } else if (end.signal) {
        EXPECT_TRUE(console_->SignOutForShutdown(AgentConsole::kShutdownLimitMs));
    } else {
        console_->OnClose();
        EXPECT_EQ(view_.closed, 1);
    }
    EXPECT_EQ(Result(500701), "02/보관된 결과");
    EXPECT_EQ(Result(500702), end.duringQuestion ? "00/화면의 결과" : "04/화면의 결과");
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

INSTANTIATE_TEST_SUITE_P(Console, EveryEnding, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShiftFault, AfterACrashTheDraftOfTheCallOnScreenIsWrittenToItAtTheNextSignIn) {
    Restart();
    TakeCall(500761);
    view_.resultControl = 5;
    view_.memoControl = "작성 중\n둘째 줄";
    console_->SaveDraft();
    view_.memoControl = "작성 중\n둘째 줄, 더";
    console_->SaveDraft();
    Restart(); // the process was killed: nothing written, nothing signed out
    EXPECT_EQ(Result(500761), "-/-");
    view_.notes.clear();
    SignIn();
    EXPECT_EQ(Result(500761), "06/작성 중\r\n둘째 줄, 더");
    EXPECT_EQ(view_.notes, std::vector<std::string>{AgentConsole::kSavedNote});
    // Written once: the next start has nothing left to do.
    Restart();
    zel::test::GeneralLogReader log;
    SignIn();
    EXPECT_TRUE(log.QueriesContaining("update TRANSFER_HIST set CONSULT_RESULT").empty());
    EXPECT_EQ(log.QueriesContaining("update TRANSFER_NUM_INFO set IS_READY").size(), 1u);
}

TEST_F(ShiftFault, AResultRegisteredInAnOutageAndEndedAnywayIsWrittenAtTheNextStart) {
    Restart();
    TakeCall(500771);
    LoseTheServer();
    view_.resultControl = 0;
    view_.memoControl = "장애 중 등록";
    console_->RegistConfResult();
    EXPECT_EQ(boxes_.All().back().text, "등록에 실패 하였습니다.");
    boxes_.answers = {platform::IDYES, platform::IDOK, platform::IDOK, platform::IDYES};
    console_->OnClose(); // signed in: asked, cannot sign out, ended anyway
    EXPECT_EQ(view_.closed, 1);
    ServerBack();
    EXPECT_EQ(Result(500771), "-/-");
    Restart();
    SignIn();
    EXPECT_EQ(Result(500771), "01/장애 중 등록");
}

TEST_F(ShiftFault, ACloseConfirmedAfterACallWasTakenBehindTheQuestionLeavesTheDeskAlone) {
    SignIn();
    boxes_.whileShown = [this] {
        TransferCall(500721);
        ASSERT_EQ(console_->PollTransfer(), 1);
    };
    console_->OnClose(); // answered Yes, but to a question about a ready desk
    EXPECT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(view_.closed, 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(Desk("IS_READY"), "0");
    EXPECT_EQ(Hist(500721, "AGENT_NM"), kAgentName);

    // Asked again about the desk as it is now, Yes closes it.
    console_->OnClose();
    EXPECT_EQ(view_.closed, 1);
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

TEST_F(ShiftFault, AFailedAfterCallBreakLeavesNoWriteUpCountdownOverAReadyDesk) {
    std::ofstream(work_->Env() / "ZELAgent.INI")
        << "[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=127.0.0.1\r\nAFTER_CALL_WORK_SEC=30\r\n";
    SignIn();
    // The break statement of the pick-up fails; the stamp before it does not.
    line_->beforeRun = [this](const LineRequest& request) {
        if (request.what == LineStatement::Ready && request.mode == AGENT_MODE_BREAK)
            BreakConnection();
        else
            RepairConnection();
    };
    TransferCall(500731);
    ASSERT_EQ(console_->PollTransfer(), 1);
    line_->beforeRun = nullptr;
    RepairConnection();
    EXPECT_EQ(Desk("IS_READY"), "0");
    SetTransferStatus(0);
    console_->PollTransfer();
    // The desk is ready, and so is the console: no 정리중 over a desk taking calls.
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(view_.title, "ZELAgent-5501-대기중");
}

TEST_F(ShiftFault, TheCallShownIsTheCallTakenWhateverTheLastPollRead) {
    SignIn();
    line_->hold = true;
    TransferCall(500741);
    console_->PollTransfer();
    line_->RunAll(); // taken, its information not yet shown
    // The call centre ends it and a later poll reads an empty desk before the tick.
    SetTransferStatus(0);
    Admin().Execute("update TRANSFER_NUM_INFO set XAN_ID = null where SVC_ID = 501");
    console_->PollTransfer();
    console_->OnCallInfoTimer();
    line_->RunAll();
    EXPECT_EQ(console_->XanId(), "500741");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "홍길동 고객님 500741");
}

TEST_F(ShiftFault, AKeptResultNeverGoesOverANewerRegistrationOfTheSameCall) {
    KeepAResult();
    // The agent calls the first caller back later and registers anew for that call.
    SetTransferStatus(0);
    console_->PollTransfer();
    Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = 1, XAN_ID = 500701 "
                    "where SVC_ID = 501 and TEL_NUM = '5501'");
    ASSERT_EQ(console_->PollTransfer(), 1);
    console_->OnCallInfoTimer();
    view_.resultControl = 6;
    view_.memoControl = "새 결과";
    console_->RegistConfResult();
    // The kept one comes later (the next call's end retries what is kept).
    SetTransferStatus(0);
    console_->PollTransfer();
    EXPECT_EQ(Result(500701), "07/새 결과");
    EXPECT_TRUE(console_->UnsavedResults().empty());
}

TEST_F(ShiftFault, NoHandlerWaitsForAStatement) {
    // With nothing coming back from the line (a server that hangs), every handler of a
    // shift returns, and what the agent does meanwhile is queued in order.
    line_->hold = true;
    int ran = 0;
    line_->beforeRun = [&ran](const LineRequest&) { ++ran; };
    console_->OnLogin();
    EXPECT_EQ(view_.Mask(), 0x0); // nothing can be pressed twice
    console_->OnLogin();
    EXPECT_EQ(line_->Waiting(), 1u);
    line_->RunAll();
    EXPECT_EQ(ran, 2); // the sign-in once, then the read of the floor's options
    TransferCall(500751);
    console_->PollTransfer();
    console_->PollTransfer(); // one poll at a time
    EXPECT_EQ(line_->Waiting(), 1u);
    line_->RunAll();
    console_->OnCallInfoTimer();
    view_.resultControl = 0;
    ran = 0;
    console_->RegistConfResult();
    console_->UpdateTodayStats();
    console_->OnClose();
    EXPECT_EQ(ran, 0);
    EXPECT_GE(line_->Waiting(), 2u);
    EXPECT_EQ(boxes_.Count(), 1u); // the close question; nothing else waited for
    line_->RunAll();
    EXPECT_EQ(Result(500751), "01/");
}

TEST_F(ShiftFault, AnOutageShowsOneOwnerlessModelessBoxAndPollingResumesByItself) {
    SignIn();
    LoseTheServer();
    for (int i = 0; i < 3; ++i)
        console_->PollTransfer();
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_[0].owner, nullptr);
    EXPECT_TRUE(boxes_[0].modeless);
    EXPECT_EQ(boxes_[0].caption, "에러");
    EXPECT_EQ(view_.pollTimer, AgentConsole::kPollIntervalMs);

    // The server comes back: the next call is taken without anybody touching a box.
    ServerBack();
    TransferCall(500531);
    ASSERT_EQ(console_->PollTransfer(), 1);
    console_->PollTransfer(); // a whole poll without an error ends the outage
    // A new outage is a new box.
    LoseTheServer();
    console_->PollTransfer();
    console_->PollTransfer();
    EXPECT_EQ(boxes_.Count(), 2u);
}

TEST_F(ShiftFault, ACloseRetriesTheSignOutOnAFreshConnection) {
    SignIn();
    BreakConnection(); // the old connection is gone, the server is there
    console_->OnClose();
    EXPECT_EQ(view_.closed, 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
    EXPECT_EQ(Desk("concat(IS_READY, '/', STATUS_START_TIME)"), "1/00000000000000");
}

TEST_F(ShiftFault, ACloseThatCannotSignOutSaysWhatTheDeskHoldsAndEndsOnlyIfTheAgentInsists) {
    SignIn();
    console_->OnBreak();
    LoseTheServer();
    boxes_.Clear();
    boxes_.answers = {platform::IDYES, platform::IDOK, platform::IDOK, platform::IDNO};
    console_->OnClose();
    const auto all = boxes_.All();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[2].text, "로그아웃 실패");
    const platform::MessageBoxRequest& question = all.back();
    EXPECT_EQ(question.style & 0xF, platform::MB_YESNO);
    EXPECT_NE(question.style & platform::MB_DEFBUTTON2, 0u); // No is the default
    EXPECT_NE(question.text.find("휴식중"), std::string::npos);
    EXPECT_EQ(question.text.find("대기중"), std::string::npos);
    EXPECT_EQ(view_.closed, 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_BREAK);

    // Answering Yes twice ends it anyway.
    boxes_.Clear();
    boxes_.answers = {platform::IDYES, platform::IDOK, platform::IDOK, platform::IDYES};
    console_->OnClose();
    EXPECT_EQ(view_.closed, 1);
    EXPECT_EQ(Desk("IS_READY"), "1");
}

} // namespace
} // namespace contest
