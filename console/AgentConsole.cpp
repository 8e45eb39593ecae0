// The agent's state machine: mode changes, the state buttons and the close path.
#include "console/AgentConsole.h"

#include <chrono>
#include <cstdlib>
#include <utility>

#include "rdbclient/RDBClient.h"
#include "res/ResourceIds.h"
#include "util/Cp949.h"
#include "util/PhoneNumber.h"
#include "util/Trace.h"

namespace {

constexpr const char* kTitlePrefix = "ZELAgent-";

} // namespace

int ButtonMaskOf(int agentMode) {
    switch (agentMode) {
    case AGENT_MODE_LOGOUT:
        return BUTTON_LOGIN;
    case AGENT_MODE_LOGIN:
        return BUTTON_LOGOUT | BUTTON_READY | BUTTON_BREAK;
    case AGENT_MODE_READY:
        return BUTTON_LOGOUT | BUTTON_BREAK;
    case AGENT_MODE_BREAK:
        return BUTTON_LOGOUT | BUTTON_READY;
    case AGENT_MODE_AFTERCALL:
        return BUTTON_LOGOUT | BUTTON_READY | BUTTON_BREAK;
    default:
        return 0;
    }
}

AgentConsole::AgentConsole(IAgentConsoleView& view, CTELVOAgentEnv& env, UiCaller::Poster post,
                           Clock clock)
    : m_view(view), m_env(env), m_ui(std::move(post)),
      m_clock(clock ? std::move(clock) : Clock([] { return std::time(nullptr); })) {
    m_tCallStart = m_clock();
}

AgentConsole::~AgentConsole() {
    StopWorker();
}

void AgentConsole::ShowInitialState() {
    SetButtonMask(BUTTON_LOGIN);
    m_view.SetWindowTitle(std::string(kTitlePrefix) + "로그아웃");
}

int AgentConsole::AgentMode() const {
    std::lock_guard lock(m_mutex);
    return m_nAgentMode;
}

std::time_t AgentConsole::CallStart() const {
    std::lock_guard lock(m_mutex);
    return m_tCallStart;
}

TransferInfo AgentConsole::LastPoll() const {
    std::lock_guard lock(m_mutex);
    return m_transferInfo;
}

bool AgentConsole::OnUi(std::function<void()> fn) {
    return m_ui.RunAndWait(std::move(fn), m_stop.get_token());
}

void AgentConsole::InfoBox(const char* text) {
    m_env.InfoMessageBox(m_view.BoxOwner(), "%s", text);
}

void AgentConsole::OnChangedEvent(int eventType, int agentMode, const std::string& agentModeMsg) {
    DebugTrace("OnChangedEvent eventType(%d), agentMode(%d), agentModeMsg(%s)", eventType,
               agentMode, agentModeMsg.c_str());
    if (eventType == EVENT_MODE_CHANGED) {
        m_view.SetWindowTitle(kTitlePrefix + m_env.telNum + "-" + agentModeMsg);
        {
            std::lock_guard lock(m_mutex);
            m_nAgentMode = agentMode;
            ++m_modeChanges;
            if (agentMode == AGENT_MODE_INCALL)
                m_tCallStart = m_clock();
        }
        SetButtonMask(ButtonMaskOf(agentMode));
    } else if (eventType == EVENT_CALL_INFO) {
        ClearCallInfo();
        ShowCallInfo();
    }
}

void AgentConsole::SetButtonMask(int mask) {
    m_view.EnableButton(IDC_BTN_LOGIN, (mask & BUTTON_LOGIN) != 0);
    m_view.EnableButton(IDC_BTN_LOGOUT, (mask & BUTTON_LOGOUT) != 0);
    m_view.EnableButton(IDC_BTN_READY, (mask & BUTTON_READY) != 0);
    m_view.EnableButton(IDC_BTN_BREAK, (mask & BUTTON_BREAK) != 0);
}

unsigned AgentConsole::ModeChanges() const {
    std::lock_guard lock(m_mutex);
    return m_modeChanges;
}

void AgentConsole::AfterFailedChange(unsigned modeChangesBefore, const char* text) {
    InfoBox(text);
    if (ModeChanges() == modeChangesBefore)
        m_view.EnableButton(IDC_BTN_LOGIN, true);
    else
        SetButtonMask(ButtonMaskOf(AgentMode()));
}

void AgentConsole::OnLogin() {
    const unsigned before = ModeChanges();
    m_view.EnableButton(IDC_BTN_LOGIN, false);
    if (m_env.UpdateReadyStatus(AGENT_MODE_READY) == 1) {
        OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_LOGIN, "로그인");
        m_bPolling = true;
        OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중");
    } else {
        AfterFailedChange(before, "로그인 실패");
    }
}

void AgentConsole::OnReady() {
    const unsigned before = ModeChanges();
    m_view.EnableButton(IDC_BTN_READY, false);
    if (m_env.UpdateReadyStatus(AGENT_MODE_READY) == 1) {
        OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중");
    } else {
        AfterFailedChange(before, "상태변경 실패");
    }
}

void AgentConsole::OnBreak() {
    const unsigned before = ModeChanges();
    m_view.EnableButton(IDC_BTN_BREAK, false);
    if (m_env.UpdateReadyStatus(AGENT_MODE_BREAK) == 1) {
        OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_BREAK, "휴식중");
    } else {
        AfterFailedChange(before, "상태변경 실패");
    }
}

void AgentConsole::OnLogout() {
    SignOut(false);
}

bool AgentConsole::SignOut(bool retryOnFreshConnection) {
    const unsigned before = ModeChanges();
    m_view.EnableButton(IDC_BTN_LOGOUT, false);
    bool signedOut = m_env.UpdateReadyStatus(AGENT_MODE_LOGOUT) == 1;
    if (!signedOut && retryOnFreshConnection && Reconnect()) {
        const QuietBoxes quiet;
        signedOut = m_env.UpdateReadyStatus(AGENT_MODE_LOGOUT) == 1;
    }
    DebugTrace("SignOut %s", signedOut ? "signed out" : "failed");
    if (signedOut) {
        m_bPolling = false;
        OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_LOGOUT, "로그아웃");
        return true;
    }
    AfterFailedChange(before, "로그아웃 실패");
    return false;
}

bool AgentConsole::Reconnect() {
    // Opened beside the old one and swapped in whole: the worker never sees no connection.
    const int fresh = ::RDBServerOpen(m_env.serverAddress.c_str(), m_env.port.c_str());
    DebugTrace("Reconnect IP(%s) PORT(%s) %s", m_env.serverAddress.c_str(), m_env.port.c_str(),
               fresh != 0 ? "opened" : "failed, the old connection kept");
    if (fresh == 0)
        return false;
    // Closing waits for a statement the worker may be running on the old one.
    if (const int old = m_env.connection.exchange(fresh); old != 0)
        RDBServerClose(old);
    return true;
}

void AgentConsole::OnCallInfoTimer() {
    OnChangedEvent(EVENT_CALL_INFO, AGENT_MODE_INCALL, "통화중");
}

void AgentConsole::ClearCallInfo() {
    const TransferInfo next = LastPoll();
    if (next.xanId == m_strXanId && !m_strXanId.empty()) {
        // The same call shown again: what the agent entered for it stays.
        m_callInfo = next;
        for (const int id : {IDC_EDIT_TELNUM, IDC_EDIT_CUSTINFO1, IDC_EDIT_CUSTINFO2,
                             IDC_EDIT_CUSTINFO3, IDC_EDIT_CUSTINFO4})
            m_view.SetFieldText(id, "");
        return;
    }
    SavePendingResult(next.xanId);
    for (const int id : {IDC_EDIT_TELNUM, IDC_EDIT_CUSTINFO1, IDC_EDIT_CUSTINFO2,
                         IDC_EDIT_CUSTINFO3, IDC_EDIT_CUSTINFO4, IDC_EDIT_MEMO})
        m_view.SetFieldText(id, "");
    // One copy of the poll record serves both the call result and the display.
    m_callInfo = next;
    m_strXanId = m_callInfo.xanId;
    m_nConsultResult = -1;
    m_strMemo.clear();
    UpdateData(false);
}

void AgentConsole::UpdateData(bool saveAndValidate) {
    m_view.ExchangeCallResult(saveAndValidate, m_strMemo, m_nConsultResult);
    // The field stops typing at the limit; this keeps the member within it whatever
    // reached the field.
    if (saveAndValidate)
        m_strMemo = cp949::TruncateToBytes(m_strMemo, kMemoMaxBytes);
}

void AgentConsole::ShowCallInfo() {
    if (m_env.GetCustInfo(m_custInfo, m_callInfo.xanId) != 1)
        return;
    m_view.SetFieldText(IDC_EDIT_TELNUM, FormatPhoneNumber(m_callInfo.recvPhone));
    m_view.SetFieldText(IDC_EDIT_CUSTINFO1, m_custInfo.custInfo1);
    m_view.SetFieldText(IDC_EDIT_CUSTINFO2, m_custInfo.custInfo2);
    m_view.SetFieldText(IDC_EDIT_CUSTINFO3, m_custInfo.custInfo3);
    m_view.SetFieldText(IDC_EDIT_CUSTINFO4, m_custInfo.custInfo4);
}

bool AgentConsole::ConfirmClose() {
    if (AgentMode() == AGENT_MODE_LOGOUT)
        return true;
    const int answer = m_env.FormatMessageBox(m_view.BoxOwner(), "에러",
                                              platform::MB_YESNO | platform::MB_ICONSTOP,
                                              "로그인된 상태 입니다. 종료 하시겠습니까?");
    if (answer != platform::IDYES)
        return false;
    if (AgentMode() == AGENT_MODE_LOGOUT || SignOut(true)) {
        RetryUnsavedResults();
        return true;
    }
    // The database still has the desk signed in (ready, if it was): calls would keep
    // coming to an empty desk. Ending anyway is the agent's explicit second choice.
    return m_env.FormatMessageBox(
               m_view.BoxOwner(), "에러",
               platform::MB_YESNO | platform::MB_ICONSTOP | platform::MB_DEFBUTTON2,
               "데이터베이스에 연결할 수 없어 로그아웃하지 못했습니다.\r\n"
               "상담원 상태가 대기중으로 남아 있어 전화가 계속 연결될 수 있습니다.\r\n"
               "그래도 종료 하시겠습니까?") == platform::IDYES;
}

bool AgentConsole::SignOutForShutdown() {
    StopWorker();
    if (AgentMode() == AGENT_MODE_LOGOUT && !m_bPolling)
        return true;
    // Nobody may be there to answer a box: failures go to stderr and the trace.
    const platform::MessageBoxHandler previous = platform::SetMessageBoxHandler({});
    // Up to three tries, a fresh connection for the later ones, but no new try once a
    // few seconds have gone (a server that hangs): a session's end does not wait long.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    bool signedOut = false;
    for (int attempt = 0; attempt < 3 && !signedOut; ++attempt) {
        if (attempt > 0) {
            if (std::chrono::steady_clock::now() >= giveUp)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            Reconnect();
        }
        signedOut = m_env.UpdateReadyStatus(AGENT_MODE_LOGOUT) == 1;
    }
    platform::SetMessageBoxHandler(previous);
    DebugTrace("SignOutForShutdown %s", signedOut ? "signed out" : "sign-out failed");
    if (signedOut) {
        m_bPolling = false;
        std::lock_guard lock(m_mutex);
        m_nAgentMode = AGENT_MODE_LOGOUT;
    }
    return signedOut;
}

QuietBoxes::QuietBoxes()
    : m_previous(platform::SetThreadMessageBoxHandler([](const platform::MessageBoxRequest& box) {
          DebugTrace("box not shown [%s] %s", box.caption.c_str(), box.text.c_str());
          return (box.style & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
      })) {}

QuietBoxes::~QuietBoxes() {
    platform::SetThreadMessageBoxHandler(std::move(m_previous));
}
