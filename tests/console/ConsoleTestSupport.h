// Support of the console's logic tests: a view that records what the logic shows, a
// UI queue that the test thread pumps in place of the wx event loop, scripted message
// boxes that record the thread they were asked on, and a fixture over the private
// database with a desk of these tests.
// Keys of these tests: SVC_ID 500-549, TEL_NUM '55xx', XAN_ID 500000-549999,
// USER_ID 'contest*'.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "console/AgentConsole.h"
#include "db/SqlText.h"
#include "platform/MessageBox.h"
#include "res/ResourceIds.h"
#include "tests/support/DbTestSupport.h"

namespace contest {

using Ms = std::chrono::milliseconds;

inline constexpr const char* kSvcId = "501";
inline constexpr const char* kTelNum = "5501";
inline constexpr const char* kUserId = "contest1";
inline constexpr const char* kAgentName = "김상담";

// The console window as the logic sees it. Tests read it on their own thread, the UI
// thread of these tests; a call from any other thread is counted as a fault.
class FakeView : public IAgentConsoleView {
  public:
    void SetWindowTitle(const std::string& title) override { m_texts[kTitle] = Check(title); }
    void EnableButton(int id, bool enable) override { m_enabled[id] = Check(enable); }
    void SetFieldText(int id, const std::string& text) override {
        m_texts[id] = Check(text);
        if (id == IDC_EDIT_MEMO)
            memoControl = text;
    }
    void ExchangeCallResult(bool save, std::string& memo, int& grade) override {
        if (Check(save)) {
            memo = memoControl;
            grade = resultControl;
        } else {
            memoControl = memo;
            resultControl = grade;
        }
    }
    void StartCallInfoTimer() override { timerStarts += Check(1); }
    void RequestAttention() override { attention += Check(1); }
    wxWindow* BoxOwner() override { return Owner(); }

    // A stand-in owner window, only ever compared.
    static wxWindow* Owner() { return reinterpret_cast<wxWindow*>(0x5501); }

    std::string Title() { return m_texts[kTitle]; }
    std::string Text(int id) { return m_texts[id]; }
    // The four state buttons as a mask (login 1, logout 2, ready 4, break 8).
    int Mask() {
        return m_enabled[IDC_BTN_LOGIN] | m_enabled[IDC_BTN_LOGOUT] << 1 |
               m_enabled[IDC_BTN_READY] << 2 | m_enabled[IDC_BTN_BREAK] << 3;
    }

    // The "controls" of the call result, as the agent left them.
    std::string memoControl;
    int resultControl = -1;
    int timerStarts = 0, attention = 0;
    std::atomic<int> wrongThread{0};

  private:
    static constexpr int kTitle = -1;
    template <class T> const T& Check(const T& value) {
        if (std::this_thread::get_id() != m_uiThread)
            ++wrongThread;
        return value;
    }
    std::thread::id m_uiThread = std::this_thread::get_id();
    std::map<int, std::string> m_texts;
    std::map<int, bool> m_enabled;
};

// Tasks for the "UI thread": the test thread runs them when it pumps.
class UiQueue {
  public:
    UiCaller::Poster Poster() {
        return [this](std::function<void()> task) {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
            m_queued.notify_all();
        };
    }
    // Runs the tasks queued so far (and those they queue); returns how many ran.
    int Pump() {
        for (int ran = 0;; ++ran) {
            std::function<void()> task;
            {
                std::lock_guard lock(m_mutex);
                if (m_tasks.empty())
                    return ran;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }
    // Pumps until done() or the timeout; returns done().
    bool PumpUntil(const std::function<bool()>& done, Ms timeout = Ms(3000)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            if (Pump() == 0)
                std::this_thread::sleep_for(Ms(5));
        }
        return true;
    }
    void PumpFor(Ms time) {
        PumpUntil([] { return false; }, time);
    }
    // Waits (without pumping) until a task is queued.
    bool WaitForTask(Ms timeout = Ms(3000)) {
        std::unique_lock lock(m_mutex);
        return m_queued.wait_for(lock, timeout, [this] { return !m_tasks.empty(); });
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_tasks;
};

struct Box {
    platform::MessageBoxRequest request;
    std::thread::id thread;
};

// Message boxes answered from a script (then IDOK / IDYES), recorded with their thread.
// whileShown runs while a box is "on screen", before it is answered.
class Boxes {
  public:
    Boxes() {
        m_previous = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
            int answer = (r.style & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
            std::function<void()> shown;
            {
                std::lock_guard lock(m_mutex);
                m_boxes.push_back({r, std::this_thread::get_id()});
                if (!m_answers.empty()) {
                    answer = m_answers.front();
                    m_answers.pop_front();
                }
                shown = std::exchange(whileShown, nullptr);
            }
            if (shown)
                shown();
            return answer;
        });
    }
    ~Boxes() { platform::SetMessageBoxHandler(m_previous); }
    void Push(int answer) {
        std::lock_guard lock(m_mutex);
        m_answers.push_back(answer);
    }
    std::vector<Box> All() const {
        std::lock_guard lock(m_mutex);
        return m_boxes;
    }
    std::size_t Count() const { return All().size(); }
    std::string Text(std::size_t i) const { return All().at(i).request.text; }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_boxes.clear();
    }

    std::function<void()> whileShown; // once, then cleared

  private:
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
    platform::MessageBoxHandler m_previous;
};

class ConsoleDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        ready_ = true;
        boxes_ = std::make_unique<Boxes>();
        work_ = std::make_unique<zel::test::TempWorkDir>();
        DeleteOwnRows();
        Admin().Execute(std::string("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, "
                                    "IS_READY, STATUS_START_TIME) values (") +
                        kSvcId + ", '" + kTelNum + "', '" + kUserId + "', 1, '00000000000000')");
        env_ = std::make_unique<CTELVOAgentEnv>();
        env_->serverAddress = "127.0.0.1";
        env_->dbType = DB_TYPE_MYSQL;
        env_->userId = kUserId;
        env_->svcId = kSvcId;
        env_->telNum = kTelNum;
        env_->agentName = kAgentName;
        ASSERT_TRUE(env_->RDBServerOpen()) << "rdbclient cannot reach the private server";
        goodConnection_ = env_->connection;
        console_ = std::make_unique<AgentConsole>(view_, *env_, ui_.Poster(),
                                                  [this] { return now_.load(); });
        console_->ShowInitialState();
    }
    void TearDown() override {
        if (ready_) {
            console_.reset();
            ui_.Pump();
            if (env_) {
                RepairConnection();
                env_->ServerClose();
            }
            env_.reset();
            DeleteOwnRows();
            work_.reset();
            boxes_.reset();
        }
        DbFixture::TearDown();
    }

    // A request and its history row (AGENT_NM empty), and the desk's row set to the
    // call with TRANSFER_STATUS status.
    void TransferCall(long long xanId, const std::string& phone = "0212345678", int status = 1) {
        const std::string id = std::to_string(xanId), quoted = Admin().Quote(phone);
        Admin().Execute(
            "insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2, "
            "CUST_INFO3, CUST_INFO4) values (" +
            id + ", " + kSvcId + ", " + quoted + ", '홍길동 고객님 " + id +
            "', '가입일 2019-03-02', '서울시 강남구 역삼동', '최근 문의: 요금제 변경')");
        Admin().Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, AGENT_NM) "
                        "values (" +
                        id + ", " + kSvcId + ", '" + kTelNum + "', '" + Today() + "', '')");
        Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = " + std::to_string(status) +
                        ", XAN_ID = " + id + ", RECV_PHONE = " + quoted +
                        ", CUST_INFO = 'desk line'" + DeskKey());
    }
    void SetTransferStatus(int status) {
        Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = " + std::to_string(status) +
                        DeskKey());
    }
    zel::test::DbValue Desk(const std::string& column) {
        return Admin().Scalar("select " + column + " from TRANSFER_NUM_INFO" + DeskKey());
    }
    zel::test::DbValue Hist(long long xanId, const std::string& column) {
        return Admin().Scalar("select " + column +
                              " from TRANSFER_HIST where XAN_ID = " + std::to_string(xanId));
    }
    // Today as yyyymmdd (local time).
    static std::string Today() {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char text[16];
        std::strftime(text, sizeof text, "%Y%m%d", &local);
        return text;
    }
    // Makes every statement of the console fail, as with the database gone.
    void BreakConnection() { env_->connection = 987654; }
    void RepairConnection() { env_->connection = goodConnection_; }
    // Signs in through the Login action, its boxes cleared.
    void SignIn() {
        console_->OnLogin();
        ASSERT_EQ(console_->AgentMode(), AGENT_MODE_READY);
        boxes_->Clear();
    }
    // Signs in and takes a call, its information shown.
    void TakeCall(long long xanId, const std::string& phone = "0212345678") {
        SignIn();
        TransferCall(xanId, phone);
        ASSERT_EQ(console_->PollTransfer(), 1);
        console_->OnCallInfoTimer();
        boxes_->Clear();
    }

    std::unique_ptr<zel::test::TempWorkDir> work_;
    std::unique_ptr<CTELVOAgentEnv> env_;
    FakeView view_;
    UiQueue ui_;
    std::unique_ptr<Boxes> boxes_;
    std::atomic<std::time_t> now_{1700000000};
    std::unique_ptr<AgentConsole> console_;

  private:
    static std::string DeskKey() {
        return std::string(" where SVC_ID = ") + kSvcId + " and TEL_NUM = '" + kTelNum + "'";
    }
    void DeleteOwnRows() {
        Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID between 500 and 549; "
                        "delete from REQ_XAN where XAN_ID between 500000 and 549999; "
                        "delete from TRANSFER_HIST where XAN_ID between 500000 and 549999");
    }

    bool ready_ = false;
    int goodConnection_ = 0;
};

} // namespace contest
