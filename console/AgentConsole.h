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
#pragma once

#include <atomic>
#include <condition_variable>
#include <ctime>
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

// The buttons enabled in a mode (0 for a mode without buttons or an unknown one).
int ButtonMaskOf(int agentMode);

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

    // Close path: false when the agent chose to stay; true when the window may close
    // (signed out first if signed in, whatever the result). UI thread.
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
    bool IsPolling() const { return m_bPolling; }
    std::time_t CallStart() const;
    TransferInfo LastPoll() const;
    const std::string& XanId() const { return m_strXanId; }
    int ConsultResult() const { return m_nConsultResult; }
    const std::string& Memo() const { return m_strMemo; }

    // Memo limit in CP949 bytes.
    static constexpr std::size_t kMemoMaxBytes = 250;
    // Worker timing.
    static constexpr int kPollIntervalMs = 1000;
    static constexpr int kIdleCheckMs = 100;

  private:
    void PollLoop(std::stop_token stop);
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
    std::time_t m_tCallStart = 0;
    TransferInfo m_transferInfo;
    std::atomic<bool> m_bPolling{false};

    // UI thread only.
    TransferInfo m_callInfo; // the poll record of the call being shown
    CustInfo m_custInfo;
    std::string m_strXanId;
    int m_nConsultResult = -1;
    std::string m_strMemo;

    std::stop_source m_stop;
    std::thread m_worker;
    std::mutex m_sleepMutex; // the worker's sleeps, cut short by a stop request
    std::condition_variable_any m_sleepWake;
};
