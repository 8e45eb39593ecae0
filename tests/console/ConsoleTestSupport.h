// The console's logic against the private database, with a fake window, a UI queue the
// test thread pumps and scripted message boxes.
// Keys: SVC_ID 500-549, TEL_NUM '55xx', XAN_ID 500000-549999, USER_ID 'contest*'.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "console/AgentConsole.h"
#include "db/SqlText.h"
#include "res/ResourceIds.h"
#include "tests/support/DbTestSupport.h"

namespace contest {

using Ms = std::chrono::milliseconds;

inline constexpr const char* kSvcId = "501";
inline constexpr const char* kTelNum = "5501";
inline constexpr const char* kUserId = "contest1";
inline constexpr const char* kAgentName = "김상담";

// The console window as the logic sees it; a call off the test (UI) thread is counted.
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
    static wxWindow* Owner() { return reinterpret_cast<wxWindow*>(0x5501); } // only compared

    std::string Title() { return m_texts[kTitle]; }
    std::string Text(int id) { return m_texts[id]; }
    // The state buttons as a mask: login 1, logout 2, ready 4, break 8.
    int Mask() {
        return m_enabled[IDC_BTN_LOGIN] | m_enabled[IDC_BTN_LOGOUT] << 1 |
               m_enabled[IDC_BTN_READY] << 2 | m_enabled[IDC_BTN_BREAK] << 3;
    }

    std::string memoControl; // the call result's controls, as the agent left them
    int resultControl = -1;
    int timerStarts = 0, attention = 0;
    std::atomic<int> wrongThread{0};

  private:
    static constexpr int kTitle = -1;
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
    UiCaller::Poster Poster() {
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
    bool PumpUntil(const std::function<bool()>& done, Ms timeout = Ms(3000)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done() && std::chrono::steady_clock::now() < end)
            if (Pump() == 0)
                std::this_thread::sleep_for(Ms(5));
        return done();
    }
    void PumpFor(Ms time) {
        PumpUntil([] { return false; }, time);
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

struct Box {
    platform::MessageBoxRequest request;
    std::thread::id thread;
};

// Message boxes recorded with their thread and answered from answers (else IDOK / IDYES),
// set while no worker runs; whileShown runs once while a box is "on screen".
class Boxes {
  public:
    Boxes() {
        m_previous = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
            int answer = (r.style & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
            std::unique_lock lock(m_mutex);
            m_boxes.push_back({r, std::this_thread::get_id()});
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

    std::deque<int> answers;
    std::function<void()> whileShown;

  private:
    mutable std::mutex m_mutex;
    std::vector<Box> m_boxes;
    platform::MessageBoxHandler m_previous;
};

// A signed-out console over a desk of these tests.
class ConsoleDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
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
        ASSERT_TRUE(env_->RDBServerOpen());
        goodConnection_ = env_->connection;
        console_ = std::make_unique<AgentConsole>(view_, *env_, ui_.Poster(),
                                                  [this] { return now_.load(); });
        console_->ShowInitialState();
    }
    void TearDown() override {
        console_.reset();
        ui_.Pump();
        if (env_) {
            RepairConnection();
            env_->ServerClose();
        }
        if (work_)
            DeleteOwnRows();
        DbFixture::TearDown();
    }

    // A request and its history row (AGENT_NM empty), the desk's row set to the call.
    void TransferCall(long long xanId, const std::string& phone = "0212345678") {
        const std::string id = std::to_string(xanId), quoted = Admin().Quote(phone);
        Admin().Execute(
            "insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2, "
            "CUST_INFO3, CUST_INFO4) values (" +
            id + ", " + kSvcId + ", " + quoted + ", '홍길동 고객님 " + id +
            "', '가입일 2019-03-02', '서울시 강남구 역삼동', '최근 문의: 요금제 변경')");
        Admin().Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, AGENT_NM) "
                        "values (" +
                        id + ", " + kSvcId + ", '" + kTelNum + "', '" + Today() + "', '')");
        Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = 1, XAN_ID = " + id +
                        ", RECV_PHONE = " + quoted + ", CUST_INFO = 'desk line'" + DeskKey());
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
    static std::string Today() { // yyyymmdd, local time
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        char text[16];
        std::strftime(text, sizeof text, "%Y%m%d", localtime_r(&now, &local));
        return text;
    }
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
    std::unique_ptr<zel::test::TempWorkDir> work_;
    std::unique_ptr<CTELVOAgentEnv> env_;
    FakeView view_;
    UiQueue ui_;
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

    int goodConnection_ = 0;
};

} // namespace contest
