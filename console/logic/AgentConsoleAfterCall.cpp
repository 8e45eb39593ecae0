// After-call work: with AFTER_CALL_WORK_SEC > 0 a call is taken out of the call centre's
// distribution (the break statement), and when it ends with its result unregistered the
// desk stays out for that many seconds while the agent writes it up. Registering the
// result, 대기중 or the end of the time make it ready again; 휴식중 and 로그아웃 work as
// in any mode.
#include <charconv>

#include "console/logic/AgentConsole.h"
#include "util/Trace.h"

namespace {

// A failed ready statement (an outage) is tried again this often, without boxes.
constexpr std::time_t kReadyRetrySeconds = 5;
constexpr const char* kAfterCallText = "정리중";

} // namespace

int AgentConsole::AfterCallWorkSeconds() const {
    std::string text;
    if (!m_env.iniFile.ReadString(text, kAfterCallWorkKey) || text.empty())
        return 0;
    int seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (ec != std::errc() || end != text.data() + text.size() || seconds < 0) {
        DebugTrace("AfterCallWorkSeconds unreadable value (%s), off", text.c_str());
        return 0;
    }
    return seconds > kAfterCallWorkMaxSeconds ? kAfterCallWorkMaxSeconds : seconds;
}

void AgentConsole::EnterAfterCallWork(int seconds) {
    m_tAfterCallEnd = m_clock() + seconds;
    m_tAfterCallRetry = 0;
    OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_AFTERCALL, kAfterCallText);
    ShowAfterCallTitle();
}

void AgentConsole::EndAfterCallWork() {
    if (m_nAgentMode != AGENT_MODE_AFTERCALL || m_afterCallReadyOut || m_changeOut || m_ended)
        return;
    const std::time_t now = m_clock();
    if (now < m_tAfterCallRetry)
        return;
    m_afterCallReadyOut = true;
    const unsigned modeChanges = m_modeChanges;
    Submit(LineRequest::Of(LineStatement::Ready, AGENT_MODE_READY), Boxes::Quiet,
           [this, modeChanges](const LineOutcome& outcome) {
               m_afterCallReadyOut = false;
               if (outcome.ok) {
                   m_deskMode = AGENT_MODE_READY;
                   if (m_modeChanges == modeChanges)
                       OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중");
                   return;
               }
               // The desk stays out of the distribution until the database takes it.
               DebugTrace("EndAfterCallWork ready statement failed, tried again in %ld s",
                          static_cast<long>(kReadyRetrySeconds));
               m_tAfterCallRetry = m_clock() + kReadyRetrySeconds;
           });
}

void AgentConsole::ShowAfterCallTitle() {
    const std::time_t left = m_tAfterCallEnd - m_clock();
    if (left <= 0) {
        EndAfterCallWork();
        if (m_nAgentMode != AGENT_MODE_AFTERCALL)
            return;
    }
    m_view->SetWindowTitle("ZELAgent-" + m_env.telNum + "-" + kAfterCallText + "(" +
                           std::to_string(left > 0 ? left : 0) + ")");
}
