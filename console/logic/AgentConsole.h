// AgentConsole: the agent console without its window and without a thread of its own -
// the agent's state machine, the pick-up of transferred calls, the call results and
// the day's statistics. CAgentConsoleDlg is the window over it.
//
// Everything here runs on the UI thread and never waits: a statement is submitted to
// the console's line (IConsoleLine) and its outcome acts when it comes back, in the
// order the statements were submitted. What an outcome acts on (the call's result, the
// mode it was meant for) is taken when it is submitted, never read from the screen when
// it returns. Time comes from the injected clock and the window's timers; message boxes
// are asked of the view and their answers come back the same way, so that anything may
// happen while one is open: each answer checks that what it decides still holds.
#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "console/logic/ConsoleLine.h"
#include "console/logic/ConsoleView.h"
#include "db/AgentEnv.h"
#include "db/AgentRecords.h"
#include "db/FloorOptions.h"
#include "db/StateHistory.h"

class ResultJournal;

// Event types of OnChangedEvent.
enum ConsoleEvent : int {
    EVENT_MODE_CHANGED = 1,
    EVENT_CALL_INFO = 4,
};

// Masks of SetButtonMask.
enum ButtonMask : int {
    BUTTON_LOGIN = 0x1,
    BUTTON_LOGOUT = 0x2,
    BUTTON_READY = 0x4,
    BUTTON_BREAK = 0x8,
};

// After-call work: a call ended with its result unregistered keeps the desk out of the
// call centre's distribution for a while (opt-in; see AfterCallWorkSeconds).
inline constexpr int AGENT_MODE_AFTERCALL = 5;

// The buttons enabled in a mode (0 for a mode without buttons or an unknown one).
int ButtonMaskOf(int agentMode);

// The memo as the database keeps it (line breaks CR LF, at most maxBytes CP949 bytes,
// a line break counting two) and as the memo field shows it (LF).
std::string MemoForDatabase(const std::string& fieldText, std::size_t maxBytes);
std::string MemoForField(const std::string& stored);

class AgentConsole {
  public:
    using Clock = std::function<std::time_t()>;
    // Milliseconds since 1970, for the times of the state history.
    using MilliClock = std::function<std::int64_t()>;

    // clock gives whole seconds since 1970 (the system clock unless a test sets
    // another); journal (may be null) keeps the results across a crash.
    AgentConsole(IAgentConsoleView& view, CTELVOAgentEnv& env, IConsoleLine& line, Clock clock = {},
                 ResultJournal* journal = nullptr);
    AgentConsole(const AgentConsole&) = delete;
    AgentConsole& operator=(const AgentConsole&) = delete;

    // The journal of the agent signed in (known once the sign-in dialog has ended).
    void SetJournal(ResultJournal* journal) { m_journal = journal; }
    // The state history's clock: by default the system's, or the seconds of the clock
    // given to the constructor.
    void SetMilliClock(MilliClock clock) { m_milliClock = std::move(clock); }

    // The signed-out state of a new window: only Login enabled, title "ZELAgent-로그아웃".
    void ShowInitialState();

    // State machine. A change of mode is also a row of the state history (with the
    // break's reason code), where the floor keeps one.
    void OnChangedEvent(int eventType, int agentMode, const std::string& agentModeMsg,
                        const std::string& reasonCode = {});
    void SetButtonMask(int mask);
    void OnLogin();
    void OnReady();
    // With break reasons configured, the list is asked of the view first: nothing is
    // sent without a choice.
    void OnBreak();
    void OnLogout();
    void ClearCallInfo();
    void ShowCallInfo();
    void OnCallInfoTimer(); // the TIMER_CALL_INFO tick
    // The poll timer's tick: one poll of the desk unless one is out or polling is off.
    // 1 when it made a transition before it returned (a line that runs statements at
    // once), else 0: with the program's line the outcome acts later.
    int PollTransfer();

    // Data exchange of the memo and the response grade with the window's controls.
    void UpdateData(bool saveAndValidate);

    // Call result, call clock and statistics.
    void RegistConfResult();
    void UpdateCallTime();
    void UpdateTodayStats();
    // The draft timer's tick: the grade and memo being entered go to the journal when
    // they changed.
    void SaveDraft();

    // The close path (the close button, Alt+F4, Enter): asks while signed in, signs out,
    // writes what is entered and kept, and then has the view close the window.
    void OnClose();
    // A signal or the end of the session: no box, no question; what is entered or kept
    // is written and the desk signed out, within limitMs. readFields false when the
    // display is gone (the last draft stands for the fields). True when nothing is left
    // signed in.
    bool SignOutForShutdown(int limitMs, bool readFields = true);

    // State, for the window and for tests.
    int AgentMode() const { return m_nAgentMode; }
    unsigned ModeChanges() const { return m_modeChanges; }
    bool IsPolling() const { return m_bPolling; }
    std::time_t CallStart() const { return m_tCallStart; }
    TransferInfo LastPoll() const { return m_transferInfo; }
    const std::string& XanId() const { return m_strXanId; }
    int ConsultResult() const { return m_nConsultResult; }
    const std::string& Memo() const { return m_strMemo; }
    // Results of ended calls whose save failed, waiting for the next try.
    struct KeptResult {
        CallResult result;
        std::uint64_t seq = 0; // in the journal
    };
    const std::deque<KeptResult>& UnsavedResults() const { return m_unsaved; }
    // Statements submitted whose outcome has not come back.
    int StatementsOut() const { return m_out; }
    // The after-call work of this sign-in (read at the sign-in).
    int AfterCallWorkSetting() const { return m_afterCallSetting; }
    // The floor's options as last read (at each sign-in).
    const FloorOptions& Options() const { return m_options; }
    // State history rows not yet written (some of them perhaps in the journal).
    std::size_t HistoryWaiting() const { return m_historyRows.size(); }

    // Seconds of after-call work from the settings file (key AFTER_CALL_WORK_SEC of
    // [GENERAL]); 0, the default, turns it off. Read once at each sign-in.
    int AfterCallWorkSeconds() const;
    static constexpr const char* kAfterCallWorkKey = "AFTER_CALL_WORK_SEC";
    static constexpr int kAfterCallWorkMaxSeconds = 3600;
    // Failed saves kept for a later try; the oldest goes first beyond this (it is traced,
    // and stays in the journal for the next start).
    static constexpr std::size_t kMaxUnsavedResults = 100;

    // Memo limit in CP949 bytes.
    static constexpr std::size_t kMemoMaxBytes = 250;
    // Timing.
    static constexpr int kPollIntervalMs = 1000;
    static constexpr int kFirstPollMs = 100;
    static constexpr int kDraftIntervalMs = 3000;
    static constexpr int kShutdownLimitMs = 6000;

    // The notes of the automatic saves.
    static constexpr const char* kSavedNote = "이전 통화의 결과를 저장했습니다.";
    static constexpr const char* kNotSavedNote =
        "이전 통화의 결과를 저장하지 못했습니다. 다시 시도합니다.";
    // The ended call's result back on the fields after No to the no-grade question.
    static constexpr const char* kReturnedNote =
        "이전 통화의 결과입니다. 호응도를 선택하고 등록하십시오.";

  private:
    using Answered = std::function<void(int)>;
    // How a statement's boxes reach the agent: shown before its outcome acts, left to
    // the outcome (which shows them with its own), traced, or one per outage.
    enum class Boxes { Show, Own, Quiet, Outage };

    void Submit(LineRequest request, Boxes boxes, std::function<void(const LineOutcome&)> then);
    // Shows the boxes one after the other, then runs then.
    void ShowBoxes(std::vector<platform::MessageBoxRequest> boxes, std::function<void()> then);
    void Ask(platform::MessageBoxRequest box, Answered answered);
    void InfoBox(const char* text, std::function<void()> then = {});
    void OutageBoxes(const LineOutcome& outcome);

    // State changes.
    void ChangeState(int buttonId, int statementMode, std::function<void()> onDone,
                     const char* failText, bool freshConnection = false,
                     std::function<void(bool)> after = {});
    void OnSignedIn();
    void RecoverJournal();

    // Pick-up and the end of a call.
    void OnPolled(const LineOutcome& outcome);
    void TakeCall(const TransferInfo& call, bool nextCall);
    void EndCall();
    void RefreshTodayStats(Boxes boxes);

    // Results.
    void SubmitRegistration(const CallResult& result);
    void WriteQuietly(const CallResult& result, std::uint64_t seq, bool keepOnFailure);
    std::uint64_t Journal(const CallResult& result);
    void Written(const CallResult& result, std::uint64_t seq);
    void Keep(const CallResult& result, std::uint64_t seq);
    void SavePendingResult(const std::string& nextXanId, bool readFields = true);
    void ReturnToFields(const CallResult& result);
    void NoteEmptied(const CallResult& now);
    void RetryUnsavedResults();
    bool WrittenSince(const std::string& xanId, std::uint64_t seq) const;
    bool Superseded(const KeptResult& kept) const;

    // The floor's options and the state history.
    void ReadOptions();
    void OnOptions(const LineOutcome& outcome);
    void ChangeToBreak(const BreakReason* reason);
    void RecordState(int mode, const std::string& reasonCode);
    void WriteHistory();
    void JournalHistory();
    void RetryHistory();
    void LoadJournalHistory();
    SystemTime HistoryTime();

    // After-call work.
    void EnterAfterCallWork(int seconds);
    void EndAfterCallWork();
    void ShowAfterCallTitle();

    // The close path.
    void CloseSignedIn();
    void FinishClose();
    void MaybeEnd();
    void CloseIfAsked();
    std::string DeskStateText() const;

    std::string CallTimeText() const;

    IAgentConsoleView* m_view; // a view that does nothing once the display is gone
    CTELVOAgentEnv& m_env;
    IConsoleLine& m_line;
    Clock m_clock;
    ResultJournal* m_journal;

    int m_nAgentMode = AGENT_MODE_LOGOUT;
    unsigned m_modeChanges = 0;
    bool m_bPolling = false;
    std::time_t m_tCallStart = 0;
    TransferInfo m_transferInfo; // the last poll's record
    TransferInfo m_takenCall;    // the call last taken
    TransferInfo m_callInfo;     // the call being shown
    CustInfo m_custInfo;
    std::string m_strXanId;
    int m_nConsultResult = -1;
    std::string m_strMemo;

    int m_out = 0;            // statements out
    bool m_pollOut = false;   // a poll is out
    bool m_changeOut = false; // a state change is out
    bool m_taking = false;    // a call is being taken (its stamp is out)
    bool m_outageBoxShown = false;
    int m_deskMode = AGENT_MODE_LOGOUT; // what the desk's row holds, as last written
    bool m_recovered = false;

    // Results.
    std::deque<KeptResult> m_unsaved;
    bool m_retryOut = false;
    int m_writesOut = 0;                                  // automatic saves out
    std::map<std::string, std::uint64_t> m_lastWritten;   // XAN_ID -> newest journal seq written
    std::map<std::string, std::uint64_t> m_lastSubmitted; // XAN_ID -> newest journal seq sent
    std::uint64_t m_localSeq = 0;                         // orders results when there is no journal
    bool m_registrationOut = false;
    // The result captured by an open no-grade question (written at a shutdown).
    std::vector<CallResult> m_questionResults;
    CallResult m_lastDraft; // the journal's newest record of the call on screen (draft or result)

    // After-call work.
    int m_afterCallSetting = 0; // read at sign-in
    int m_callAfterWorkSec = 0; // of the call in progress
    std::time_t m_tAfterCallEnd = 0;
    std::time_t m_tAfterCallRetry = 0;
    bool m_afterCallReadyOut = false;

    // The floor's options and the state history.
    struct HistoryEntry {
        std::uint64_t id = 0; // in this run
        agentsql::StateHistoryRow row;
        std::uint64_t seq = 0; // in the journal, once there
        bool journaled = false;
    };
    FloorOptions m_options;
    bool m_optionsOut = false;
    int m_historyOn = -1; // 1 on, 0 off, -1 not known (not read yet, or the read failed)
    std::deque<HistoryEntry> m_historyRows; // in order; the first is written first
    std::uint64_t m_historyIds = 0;
    bool m_historyOut = false;
    bool m_historyStalled = false; // a write failed: the rest waits for a sign of the server
    bool m_historyLoaded = false;  // the journal's rows are in m_historyRows
    std::int64_t m_lastHistoryMs = 0;
    MilliClock m_milliClock;
    bool m_choosingBreak = false;

    // The close path.
    bool m_closing = false;          // the close question or its sign-out is under way
    CallResult m_closeSaved;         // the call's result as the close wrote it
    bool m_closeWhenSettled = false; // a close asked for while the desk's state was out
    bool m_ending = false;           // the window closes once the writes are done
    bool m_shuttingDown = false;
    bool m_ended = false;
};
