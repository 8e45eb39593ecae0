// AgentConsole: the agent console without its window - the agent's state machine,
// the worker thread that polls the desk for transferred calls, the registration of
// call results and the day's statistics. CAgentConsoleDlg is the window over it.
//
// Threads: everything here runs on the UI thread (the thread that constructs the
// object) except the worker's loop. The worker reads the desk, stamps the agent's
// name and runs the day's statistics query itself; every change of mode and every
// window operation it causes is carried out on the UI thread while it waits (a wait
// it gives up when told to stop). m_mutex guards what both threads touch: the mode,
// the call start time and the poll record; the polling switch is atomic. The call
// result (m_strXanId, grade, memo) and m_custInfo belong to the UI thread alone.
//
// Every message box runs a nested event loop in which the worker's UI work and the
// window's timers go on: code that shows a box takes what it acts on (the call's
// XAN_ID, the grade, the memo, the mode) before it and checks afterwards that the state
// still holds.
#pragma once

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include "console/ConsoleView.h"
#include "console/UiCaller.h"
#include "db/AgentEnv.h"
#include "db/AgentRecords.h"
#include "platform/MessageBox.h"

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

// While it lives, the message boxes of the calling thread are not shown but traced
// (answered OK, or No to a question): for the console's own automatic retries.
class QuietBoxes {
  public:
    QuietBoxes();
    ~QuietBoxes();
    QuietBoxes(const QuietBoxes&) = delete;
    QuietBoxes& operator=(const QuietBoxes&) = delete;

  private:
    platform::MessageBoxHandler m_previous;
};

// What the agent entered for one call: its XAN_ID, the grade (0..6, -1 none), the memo.
struct CallResult {
    std::string xanId;
    int grade = -1;
    std::string memo;
};

class AgentConsole {
  public:
    using Clock = std::function<std::time_t()>;

    // post queues work for the UI thread (see UiCaller); clock gives whole seconds since
    // 1970 (the system clock unless a test sets another).
    AgentConsole(IAgentConsoleView& view, CTELVOAgentEnv& env, UiCaller::Poster post,
                 Clock clock = {});
    // Stops and joins the worker.
    ~AgentConsole();
    AgentConsole(const AgentConsole&) = delete;
    AgentConsole& operator=(const AgentConsole&) = delete;

    // The signed-out state of a new window: only Login enabled, title "ZELAgent-로그아웃".
    void ShowInitialState();

    // State machine (UI thread).
    void OnChangedEvent(int eventType, int agentMode, const std::string& agentModeMsg);
    void SetButtonMask(int mask);
    void OnLogin();
    void OnReady();
    void OnBreak();
    void OnLogout();
    void ClearCallInfo();
    void ShowCallInfo();
    void OnCallInfoTimer(); // the TIMER_CALL_INFO tick

    // Data exchange of the memo and the response grade with the window's controls.
    void UpdateData(bool saveAndValidate);

    // Call result, call clock and statistics.
    void RegistConfResult(); // UI thread
    void UpdateCallTime();   // UI thread
    int UpdateTodayStats();  // either thread: 1 query ran, 0 database error

    // Close path: false when the agent chose to stay; true when the window may close.
    // A signed-in agent is signed out first, retried on a fresh connection; when that
    // still fails the desk would stay ready, so ending anyway takes a second Yes. UI thread.
    bool ConfirmClose();
    // Signs a signed-in agent out without asking and without boxes, the worker stopped
    // first (a signal, the end of the session). True when nothing is left signed in.
    bool SignOutForShutdown();

    // The worker thread. StartWorker starts it once; StopWorker asks it to stop and
    // joins it (quickly: its sleeps and its waits for the UI thread end at once).
    void StartWorker();
    void StopWorker();
    bool WorkerRunning() const { return m_worker.joinable(); }

    // One poll of the desk; 1 when it changed the mode. Runs on the worker.
    int PollTransfer();

    // State, for the window and for tests.
    int AgentMode() const;
    unsigned ModeChanges() const;
    bool IsPolling() const { return m_bPolling; }
    std::time_t CallStart() const;
    TransferInfo LastPoll() const;
    const std::string& XanId() const { return m_strXanId; }
    int ConsultResult() const { return m_nConsultResult; }
    const std::string& Memo() const { return m_strMemo; }
    // Results of ended calls whose save failed, waiting for the next try (UI thread).
    const std::deque<CallResult>& UnsavedResults() const { return m_unsaved; }

    // Seconds of after-call work from the settings file (key AFTER_CALL_WORK_SEC of
    // [GENERAL]); 0, the default, turns it off.
    int AfterCallWorkSeconds() const;
    static constexpr const char* kAfterCallWorkKey = "AFTER_CALL_WORK_SEC";
    static constexpr int kAfterCallWorkMaxSeconds = 3600;
    // Failed saves kept for a later try; the oldest goes first beyond this (it is traced).
    static constexpr std::size_t kMaxUnsavedResults = 100;

    // Memo limit in CP949 bytes.
    static constexpr std::size_t kMemoMaxBytes = 250;
    // Worker timing.
    static constexpr int kPollIntervalMs = 1000;
    static constexpr int kIdleCheckMs = 100;

  private:
    void PollLoop(std::stop_token stop);
    // A failed state change has shown its boxes: Login enabled as ever, unless the mode
    // changed meanwhile (a call taken inside a box), then the buttons follow the mode.
    void AfterFailedChange(unsigned modeChangesBefore, const char* text);
    bool SignOut(bool retryOnFreshConnection);
    // Replaces the connection by a new one; false (the old one kept) when none opens.
    bool Reconnect();
    // Writes a call's result; quiet: no boxes (traced instead) and one retry.
    bool WriteCallResult(const CallResult& result, bool quiet);
    // Before a new call's fields are cleared: what the agent entered for the ended call
    // is written to that call's row, and earlier failed saves are tried again.
    void SavePendingResult(const std::string& nextXanId);
    void RetryUnsavedResults();
    // After-call work (UI thread).
    void EnterAfterCallWork(int seconds);
    void EndAfterCallWork();
    void ShowAfterCallTitle();
    void Sleep(int ms, std::stop_token stop);
    int ShowBoxFromWorker(const platform::MessageBoxRequest& request);
    // Runs fn on the UI thread (at once when already there); false if given up.
    bool OnUi(std::function<void()> fn);
    void InfoBox(const char* text);
    // The call clock's current text.
    std::string CallTimeText() const;

    IAgentConsoleView& m_view;
    CTELVOAgentEnv& m_env;
    UiCaller m_ui;
    Clock m_clock;

    // Shared by both threads.
    mutable std::mutex m_mutex;
    int m_nAgentMode = AGENT_MODE_LOGOUT;
    unsigned m_modeChanges = 0; // counts OnChangedEvent mode changes
    std::string m_takenXanId;   // the XAN_ID of the call last taken
    std::time_t m_tCallStart = 0;
    TransferInfo m_transferInfo;
    std::atomic<bool> m_bPolling{false};
    // The worker's database error box: one per outage, until a poll succeeds again.
    std::atomic<bool> m_outageBoxShown{false};
    bool m_pollHadError = false; // worker only
    // After-call work of the call in progress (seconds, 0 none), fixed when it is taken.
    std::atomic<int> m_callAfterWorkSec{0};

    // UI thread only.
    TransferInfo m_callInfo; // the poll record of the call being shown
    CustInfo m_custInfo;
    std::string m_strXanId;
    int m_nConsultResult = -1;
    std::string m_strMemo;
    std::deque<CallResult> m_unsaved;
    std::time_t m_tAfterCallEnd = 0;   // when after-call work ends
    std::time_t m_tAfterCallRetry = 0; // next try of a failed ready statement

    std::stop_source m_stop;
    std::thread m_worker;
    std::mutex m_sleepMutex; // the worker's sleeps, cut short by a stop request
    std::condition_variable_any m_sleepWake;
};
