// The console's logic against the private database, with a fake window, a line that runs
// each statement at once on the test thread, and scripted message boxes.
// Keys: SVC_ID 500-549, TEL_NUM '55xx', XAN_ID 500000-549999, USER_ID 'contest*'.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "console/line/ConsoleLines.h"
#include "console/line/StatementRunner.h"
#include "console/logic/AgentConsole.h"
#include "db/SqlText.h"
#include "res/ResourceIds.h"
#include "tests/support/DbTestSupport.h"
#include "util/DateTime.h"

namespace contest {

using Ms = std::chrono::milliseconds;

inline constexpr const char* kAgentName = "김상담";

// The console window as the logic sees it; a call off the test (UI) thread is counted.
class FakeView : public IAgentConsoleView {
  public:
    void SetWindowTitle(const std::string& text) override { title = Check(text); }
    void EnableButton(int id, bool enable) override { m_enabled[id] = Check(enable); }
    void SetFieldText(int id, const std::string& text) override {
        m_texts[id] = Check(text);
        if (id == IDC_EDIT_MEMO)
            memoControl = text;
    }
    void ExchangeCallResult(bool save, std::string& memo, int& grade) override {
        if (Check(save))
            memo = memoControl, grade = resultControl;
        else
            memoControl = memo, resultControl = grade;
    }
    void StartCallInfoTimer() override { timerStarts += Check(1); }
    void RequestAttention() override { attention += Check(1); }
    wxWindow* BoxOwner() override { return Owner(); }
    void ShowNote(const std::string& text) override { notes.push_back(Check(text)); }
    void StartPollTimer(int ms) override { pollTimer = Check(ms); }
    void CloseConsole() override { closed += Check(1); }
    // The list of break reasons: answered at once from reasonAnswers (else nothing chosen).
    void ChooseBreakReason(const std::vector<BreakReason>& reasons,
                           std::function<void(std::optional<std::size_t>)> chosen) override {
        listed.push_back(Check(reasons));
        std::optional<std::size_t> answer;
        if (!reasonAnswers.empty())
            answer = reasonAnswers.front(), reasonAnswers.pop_front();
        chosen(answer);
    }
    static wxWindow* Owner() { return reinterpret_cast<wxWindow*>(0x5501); } // only compared

    std::string Text(int id) { return m_texts[id]; }
    // The state buttons as a mask: login 1, logout 2, ready 4, break 8.
    int Mask() {
        return m_enabled[IDC_BTN_LOGIN] | m_enabled[IDC_BTN_LOGOUT] << 1 |
               m_enabled[IDC_BTN_READY] << 2 | m_enabled[IDC_BTN_BREAK] << 3;
    }

    std::string title;
    std::string memoControl; // the call result's controls, as the agent left them
    int resultControl = -1;
    int timerStarts = 0, attention = 0, pollTimer = -1, closed = 0;
    std::vector<std::string> notes;
    std::deque<std::optional<std::size_t>> reasonAnswers;
    std::vector<std::vector<BreakReason>> listed; // each list shown
    std::atomic<int> wrongThread{0};

  private:
    template <class T> const T& Check(const T& value) {
        wrongThread += std::this_thread::get_id() != m_uiThread;
        return value;
    }
    std::thread::id m_uiThread = std::this_thread::get_id();
    std::map<int, std::string> m_texts;
    std::map<int, bool> m_enabled;
};

// Tasks for the "UI thread", run when the test thread pumps.
class UiQueue {
  public:
    DbLine::Poster Poster() {
        return [this](std::function<void()> task) {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
            m_queued.notify_all();
        };
    }
    // Runs the queued tasks and those they queue; returns how many ran.
    int Pump() {
        for (int ran = 0;; ++ran) {
            std::unique_lock lock(m_mutex);
            if (m_tasks.empty())
                return ran;
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
        }
    }
    // Pumps until done or the time is up (never done: pumps for the whole time).
    bool PumpUntil(const std::function<bool()>& done = {}, Ms timeout = Ms(3000)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!(done && done()) && std::chrono::steady_clock::now() < end)
            if (Pump() == 0)
                std::this_thread::sleep_for(Ms(5));
        return done && done();
    }
    // Waits, without pumping, until a task is queued.
    bool WaitForTask() {
        std::unique_lock lock(m_mutex);
        return m_queued.wait_for(lock, Ms(3000), [this] { return !m_tasks.empty(); });
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_tasks;
};

// The console's line on the test thread: each statement runs at once, or, while hold is
// set, waits until the test runs it (RunNext), so that a test can put events between a
// statement and its outcome.
class TestLine : public IConsoleLine {
  public:
    explicit TestLine(CTELVOAgentEnv& env) : m_env(env) {}
    void Submit(LineRequest request, Done done) override {
        submitted.push_back(request);
        m_waiting.push_back({std::move(request), std::move(done)});
        if (!hold)
            RunAll();
    }
    bool Settle(int) override {
        RunAll();
        return true;
    }
    // Runs the oldest waiting statement and its outcome; false when none waits.
    bool RunNext() {
        if (m_waiting.empty())
            return false;
        auto [request, done] = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (beforeRun)
            beforeRun(request);
        const LineOutcome outcome = RunStatement(m_env, request);
        if (done)
            done(outcome);
        return true;
    }
    void RunAll() {
        for (int i = 0; i < 1000 && RunNext(); ++i) {
        }
    }
    std::size_t Waiting() const { return m_waiting.size(); }

    bool hold = false;
    std::vector<LineRequest> submitted;
    std::function<void(const LineRequest&)> beforeRun;

  private:
    CTELVOAgentEnv& m_env;
    std::deque<std::pair<LineRequest, Done>> m_waiting;
};

// Message boxes recorded and answered from answers (else IDOK / IDYES), set while no worker
// runs; whileShown runs once while a box is "on screen". A box off the test thread is counted.
class Boxes {
  public:
    Boxes() {
        m_previous = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
            int answer = (r.style & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
            std::unique_lock lock(m_mutex);
            m_boxes.push_back(r);
            offUiThread += std::this_thread::get_id() != m_uiThread;
            if (!answers.empty())
                answer = answers.front(), answers.pop_front();
            auto shown = std::exchange(whileShown, nullptr);
            lock.unlock();
            if (shown)
                shown();
            return answer;
        });
    }
    ~Boxes() { platform::SetMessageBoxHandler(m_previous); }
    std::vector<platform::MessageBoxRequest> All() const {
        std::lock_guard lock(m_mutex);
        return m_boxes;
    }
    std::size_t Count() const { return All().size(); }
    platform::MessageBoxRequest operator[](std::size_t i) const { return All().at(i); }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_boxes.clear();
    }

    std::deque<int> answers;
    std::function<void()> whileShown;
    std::atomic<int> offUiThread{0};

  private:
    mutable std::mutex m_mutex;
    std::vector<platform::MessageBoxRequest> m_boxes;
    std::thread::id m_uiThread = std::this_thread::get_id();
    platform::MessageBoxHandler m_previous;
};

// A signed-out console at desk 501/5501.
class ConsoleDbTest : public zel::test::DbWorkFixture {
  protected:
    void SetUp() override {
        DbWorkFixture::SetUp();
        if (HasFatalFailure())
            return;
        DeleteOwnRows();
        Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, "
                        "STATUS_START_TIME) values (501, '5501', 'contest1', 1, '00000000000000')");
        env_ = std::make_unique<CTELVOAgentEnv>();
        env_->serverAddress = "127.0.0.1";
        env_->dbType = DB_TYPE_MYSQL;
        env_->userId = "contest1";
        env_->svcId = "501";
        env_->telNum = "5501";
        env_->agentName = kAgentName;
        ASSERT_TRUE(env_->RDBServerOpen());
        goodConnection_ = env_->connection;
        line_ = std::make_unique<TestLine>(*env_);
        console_ =
            std::make_unique<AgentConsole>(view_, *env_, *line_, [this] { return now_.load(); });
        console_->ShowInitialState();
    }
    void TearDown() override {
        console_.reset();
        if (env_) {
            RepairConnection();
            env_->ServerClose();
        }
        if (work_)
            DeleteOwnRows();
        DbWorkFixture::TearDown();
    }

    // A request and its history row (AGENT_NM empty), the desk's row set to the call.
    void TransferCall(long long xanId) {
        Admin().Execute("set @x = " + std::to_string(xanId) + ", @t = '" + Today() +
                        "'; insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO) values "
                        "(@x, 501, '0212345678', concat('홍길동 고객님 ', @x)); insert into "
                        "TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, AGENT_NM) values (@x, "
                        "501, '5501', @t, ''); update TRANSFER_NUM_INFO set TRANSFER_STATUS = 1, "
                        "XAN_ID = @x, RECV_PHONE = '0212345678', CUST_INFO = 'desk line'" +
                        kDesk);
    }
    void SetTransferStatus(int status) {
        Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = " + std::to_string(status) +
                        kDesk);
    }
    zel::test::DbValue Desk(const std::string& column) {
        return Admin().Scalar("select " + column + " from TRANSFER_NUM_INFO" + kDesk);
    }
    zel::test::DbValue Hist(long long xanId, const std::string& column) {
        return Admin().Scalar("select " + column +
                              " from TRANSFER_HIST where XAN_ID = " + std::to_string(xanId));
    }
    static std::string Today() { return LocalDateTime::Now().GetDateString(); }
    // Makes every statement of the console fail, as with the database gone.
    void BreakConnection() { env_->connection = 987654; }
    void RepairConnection() { env_->connection = goodConnection_; }
    void SignIn() {
        console_->OnLogin();
        ASSERT_EQ(console_->AgentMode(), AGENT_MODE_READY);
        boxes_.Clear();
    }
    // Signs in and takes a call, its information shown.
    void TakeCall(long long xanId) {
        SignIn();
        TransferCall(xanId);
        ASSERT_EQ(console_->PollTransfer(), 1);
        console_->OnCallInfoTimer();
        boxes_.Clear();
    }

    Boxes boxes_;
    std::unique_ptr<CTELVOAgentEnv> env_;
    FakeView view_;
    std::unique_ptr<TestLine> line_;
    std::atomic<std::time_t> now_{1700000000};
    std::unique_ptr<AgentConsole> console_;

  private:
    static constexpr const char* kDesk = " where SVC_ID = 501 and TEL_NUM = '5501'";
    void DeleteOwnRows() {
        Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID between 500 and 549; "
                        "delete from REQ_XAN where XAN_ID between 500000 and 549999; "
                        "delete from TRANSFER_HIST where XAN_ID between 500000 and 549999");
    }

    int goodConnection_ = 0;
};

} // namespace contest
