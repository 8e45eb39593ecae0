// Support of the console's logic tests: a view that records what the logic shows, a
// UI queue that the test thread pumps in place of the wx event loop, scripted message
// boxes that record the thread they were asked on, and a fixture over the private
// database with a desk of these tests.
// Keys of these tests: SVC_ID 500-549, TEL_NUM '55xx', XAN_ID 500000-549999,
// USER_ID 'contest*'.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console/AgentConsole.h"
#include "platform/MessageBox.h"
#include "platform/TraceChannel.h"
#include "tests/support/DbTestSupport.h"

namespace contest {

inline constexpr const char* kSvcId = "501";
inline constexpr const char* kTelNum = "5501";
inline constexpr const char* kUserId = "contest1";
inline constexpr const char* kAgentName = "김상담";

// The console window as the logic sees it. Calls from a thread other than the one
// that made the view are counted as faults.
class FakeView : public IAgentConsoleView {
  public:
    FakeView();

    void SetWindowTitle(const std::string& title) override;
    void EnableButton(int buttonId, bool enable) override;
    void SetFieldText(int controlId, const std::string& text) override;
    void ExchangeCallResult(bool saveAndValidate, std::string& memo, int& consultResult) override;
    void StartCallInfoTimer() override;
    void RequestAttention() override;
    wxWindow* BoxOwner() override { return Owner(); }

    // A stand-in owner window, only ever compared.
    static wxWindow* Owner() { return reinterpret_cast<wxWindow*>(0x5501); }

    std::string Title() const;
    bool Enabled(int buttonId) const;
    // The four state buttons as a mask (login 1, logout 2, ready 4, break 8).
    int Mask() const;
    std::string Text(int controlId) const;
    int CallInfoTimerStarts() const { return m_timerStarts; }
    int AttentionRequests() const { return m_attention; }
    int WrongThreadCalls() const { return m_wrongThread; }

    // The "controls" of the call result, as the agent left them.
    std::string memoControl;
    int resultControl = -1;

  private:
    void CheckThread();

    mutable std::mutex m_mutex;
    std::thread::id m_uiThread;
    std::string m_title;
    std::map<int, bool> m_enabled;
    std::map<int, std::string> m_texts;
    std::atomic<int> m_timerStarts{0};
    std::atomic<int> m_attention{0};
    std::atomic<int> m_wrongThread{0};
};

// Tasks for the "UI thread": the test thread runs them when it pumps.
class UiQueue {
  public:
    UiCaller::Poster Poster();
    // Runs the tasks queued so far (and those they queue); returns how many ran.
    int Pump();
    // Pumps until done() or the timeout; returns done().
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    std::size_t Pending() const;
    // Waits (without pumping) until a task is queued.
    bool WaitForTask(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_tasks;
};

struct Box {
    platform::MessageBoxRequest request;
    std::thread::id thread;
};

// Message boxes answered from a script (then IDOK / IDYES), recorded with their thread.
class Boxes {
  public:
    Boxes();
    ~Boxes();
    void Push(int answer);
    std::vector<Box> All() const;
    std::size_t Count() const;
    void Clear();

  private:
    int Answer(const platform::MessageBoxRequest& request);
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
    platform::MessageBoxHandler m_previous;
};

// The database error box text for a code and message.
std::string DBErrorText(int code, const std::string& message);

class ConsoleDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A request and its history row (AGENT_NM empty), and the desk's row set to the
    // call with TRANSFER_STATUS status.
    void TransferCall(long long xanId, const std::string& phone = "0212345678", int status = 1);
    void SetTransferStatus(int status);
    zel::test::DbValue Desk(const std::string& column);
    zel::test::DbValue Hist(long long xanId, const std::string& column);
    // Today as yyyymmdd (local time).
    static std::string Today();
    // Makes every statement of the console fail, as with the database gone.
    void BreakConnection();
    void RepairConnection();
    bool HasTrace(const std::string& line) const;
    // Signs in through the Login action, boxes and traces cleared afterwards.
    void SignIn();

    std::unique_ptr<zel::test::TempWorkDir> work_;
    std::unique_ptr<CTELVOAgentEnv> env_;
    FakeView view_;
    UiQueue ui_;
    std::unique_ptr<Boxes> boxes_;
    std::atomic<std::time_t> now_{1700000000};
    std::unique_ptr<AgentConsole> console_;
    mutable std::mutex traceMutex_;
    std::vector<std::string> traces_;

  private:
    void DeleteOwnRows();
    bool ready_ = false;
    int goodConnection_ = 0;
    platform::TraceSink previousSink_;
};

} // namespace contest
