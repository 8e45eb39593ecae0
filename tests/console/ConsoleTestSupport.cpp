#include "tests/console/ConsoleTestSupport.h"

#include <algorithm>
#include <ctime>

#include "db/SqlText.h"
#include "res/ResourceIds.h"

namespace contest {

FakeView::FakeView() : m_uiThread(std::this_thread::get_id()) {}

void FakeView::CheckThread() {
    if (std::this_thread::get_id() != m_uiThread)
        ++m_wrongThread;
}

void FakeView::SetWindowTitle(const std::string& title) {
    CheckThread();
    std::lock_guard lock(m_mutex);
    m_title = title;
}

void FakeView::EnableButton(int buttonId, bool enable) {
    CheckThread();
    std::lock_guard lock(m_mutex);
    m_enabled[buttonId] = enable;
}

void FakeView::SetFieldText(int controlId, const std::string& text) {
    CheckThread();
    std::lock_guard lock(m_mutex);
    m_texts[controlId] = text;
    if (controlId == IDC_EDIT_MEMO)
        memoControl = text;
}

void FakeView::ExchangeCallResult(bool saveAndValidate, std::string& memo, int& consultResult) {
    CheckThread();
    std::lock_guard lock(m_mutex);
    if (saveAndValidate) {
        memo = memoControl;
        consultResult = resultControl;
    } else {
        memoControl = memo;
        resultControl = consultResult;
    }
}

void FakeView::StartCallInfoTimer() {
    CheckThread();
    ++m_timerStarts;
}

void FakeView::RequestAttention() {
    CheckThread();
    ++m_attention;
}

std::string FakeView::Title() const {
    std::lock_guard lock(m_mutex);
    return m_title;
}

bool FakeView::Enabled(int buttonId) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_enabled.find(buttonId);
    return it != m_enabled.end() && it->second;
}

int FakeView::Mask() const {
    return (Enabled(IDC_BTN_LOGIN) ? 1 : 0) | (Enabled(IDC_BTN_LOGOUT) ? 2 : 0) |
           (Enabled(IDC_BTN_READY) ? 4 : 0) | (Enabled(IDC_BTN_BREAK) ? 8 : 0);
}

std::string FakeView::Text(int controlId) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_texts.find(controlId);
    return it == m_texts.end() ? std::string() : it->second;
}

UiCaller::Poster UiQueue::Poster() {
    return [this](std::function<void()> task) {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_queued.notify_all();
    };
}

int UiQueue::Pump() {
    int ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty())
                return ran;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
        ++ran;
    }
}

bool UiQueue::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        if (Pump() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::size_t UiQueue::Pending() const {
    std::lock_guard lock(m_mutex);
    return m_tasks.size();
}

bool UiQueue::WaitForTask(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_queued.wait_for(lock, timeout, [this] { return !m_tasks.empty(); });
}

Boxes::Boxes() {
    m_previous = platform::SetMessageBoxHandler(
        [this](const platform::MessageBoxRequest& request) { return Answer(request); });
}

Boxes::~Boxes() {
    platform::SetMessageBoxHandler(m_previous);
}

void Boxes::Push(int answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

int Boxes::Answer(const platform::MessageBoxRequest& request) {
    std::lock_guard lock(m_mutex);
    m_boxes.push_back({request, std::this_thread::get_id()});
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return (request.style & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
}

std::vector<Box> Boxes::All() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::size_t Boxes::Count() const {
    std::lock_guard lock(m_mutex);
    return m_boxes.size();
}

void Boxes::Clear() {
    std::lock_guard lock(m_mutex);
    m_boxes.clear();
}

std::string DBErrorText(int code, const std::string& message) {
    return "데이터베이스 오류입니다.\r\n오류코드:" + std::to_string(code) +
           "\r\n오류메세지:" + message;
}

void ConsoleDbTest::SetUp() {
    DbFixture::SetUp();
    if (HasFatalFailure())
        return;
    ready_ = true;
    boxes_ = std::make_unique<Boxes>();
    previousSink_ = platform::SetTraceSink([this](std::string_view message) {
        std::lock_guard lock(traceMutex_);
        traces_.emplace_back(message);
    });
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
    console_ =
        std::make_unique<AgentConsole>(view_, *env_, ui_.Poster(), [this] { return now_.load(); });
    console_->ShowInitialState();
}

void ConsoleDbTest::TearDown() {
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
        platform::SetTraceSink(previousSink_);
        boxes_.reset();
    }
    DbFixture::TearDown();
}

void ConsoleDbTest::DeleteOwnRows() {
    Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID between 500 and 549; "
                    "delete from REQ_XAN where XAN_ID between 500000 and 549999; "
                    "delete from TRANSFER_HIST where XAN_ID between 500000 and 549999");
}

void ConsoleDbTest::TransferCall(long long xanId, const std::string& phone, int status) {
    const std::string id = std::to_string(xanId);
    Admin().Execute("insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2, "
                    "CUST_INFO3, CUST_INFO4) values (" +
                    id + ", " + kSvcId + ", " + Admin().Quote(phone) + ", '홍길동 고객님 " + id +
                    "', '가입일 2019-03-02', '서울시 강남구 역삼동', '최근 문의: 요금제 변경')");
    Admin().Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, AGENT_NM) "
                    "values (" +
                    id + ", " + kSvcId + ", '" + kTelNum + "', '" + Today() + "', '')");
    Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = " + std::to_string(status) +
                    ", XAN_ID = " + id + ", RECV_PHONE = " + Admin().Quote(phone) +
                    ", CUST_INFO = 'desk line' where SVC_ID = " + kSvcId + " and TEL_NUM = '" +
                    kTelNum + "'");
}

void ConsoleDbTest::SetTransferStatus(int status) {
    Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = " + std::to_string(status) +
                    " where SVC_ID = " + kSvcId + " and TEL_NUM = '" + kTelNum + "'");
}

zel::test::DbValue ConsoleDbTest::Desk(const std::string& column) {
    return Admin().Scalar("select " + column + " from TRANSFER_NUM_INFO where SVC_ID = " + kSvcId +
                          " and TEL_NUM = '" + kTelNum + "'");
}

zel::test::DbValue ConsoleDbTest::Hist(long long xanId, const std::string& column) {
    return Admin().Scalar("select " + column +
                          " from TRANSFER_HIST where XAN_ID = " + std::to_string(xanId));
}

std::string ConsoleDbTest::Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

void ConsoleDbTest::BreakConnection() {
    env_->connection = 987654;
}

void ConsoleDbTest::RepairConnection() {
    env_->connection = goodConnection_;
}

bool ConsoleDbTest::HasTrace(const std::string& line) const {
    std::lock_guard lock(traceMutex_);
    return std::find(traces_.begin(), traces_.end(), line) != traces_.end();
}

void ConsoleDbTest::SignIn() {
    console_->OnLogin();
    ASSERT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    boxes_->Clear();
    std::lock_guard lock(traceMutex_);
    traces_.clear();
}

} // namespace contest
