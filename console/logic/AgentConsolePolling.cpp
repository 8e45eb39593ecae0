// The pick-up of transferred calls: the poll timer's tick submits one poll of the desk,
// and its outcome takes a call or ends the one in progress.
#include "console/logic/AgentConsole.h"

#include "util/Trace.h"

int AgentConsole::PollTransfer() {
    if (!m_bPolling || m_pollOut || m_ended)
        return 0;
    const unsigned modeChanges = m_modeChanges;
    m_pollOut = true;
    Submit(LineRequest::Of(LineStatement::Poll), Boxes::Outage, [this](const LineOutcome& outcome) {
        m_pollOut = false;
        OnPolled(outcome);
        // The next poll a second after this one ended.
        if (m_bPolling && !m_ended)
            m_view->StartPollTimer(kPollIntervalMs);
    });
    return m_modeChanges != modeChanges ? 1 : 0;
}

void AgentConsole::OnPolled(const LineOutcome& outcome) {
    m_transferInfo = outcome.transfer;
    // The server answers again: history rows that waited for it are written now.
    if (outcome.ok && (m_historyStalled || (m_historyOn < 0 && !m_optionsOut)))
        RetryHistory();
    // A sign-out that got in meanwhile wins; while a state change or a pick-up is out
    // the next poll decides, when the desk's state is known.
    if (!outcome.ok || !m_bPolling || m_changeOut || m_taking || m_ended)
        return;
    const TransferInfo& info = outcome.transfer;
    if (info.transferStatus == 1) {
        // A next call already on the desk when the poll first sees it (the call centre
        // hung up and transferred again between two polls) is a new call, not the one in
        // progress: it is taken like any other, and the ended call's result kept.
        const bool nextCall = m_nAgentMode == AGENT_MODE_INCALL && !m_takenCall.xanId.empty() &&
                              info.xanId != m_takenCall.xanId;
        if (m_nAgentMode == AGENT_MODE_INCALL && !nextCall)
            return;
        TakeCall(info, nextCall);
        return;
    }
    if (m_nAgentMode == AGENT_MODE_INCALL)
        EndCall();
}

void AgentConsole::TakeCall(const TransferInfo& call, bool nextCall) {
    // Only a call the console takes is stamped with the agent's name; the stamp goes
    // first, then the mode and the call's information, as at every pick-up.
    m_taking = true;
    SetButtonMask(0);
    const int afterCallWork = m_afterCallSetting;
    Submit(LineRequest::Of(LineStatement::Stamp, 0, call.xanId), Boxes::Outage,
           [this, call, nextCall, afterCallWork](const LineOutcome&) {
               // Taken whether or not the stamp was written.
               m_taking = false;
               m_takenCall = call;
               m_callAfterWorkSec = afterCallWork;
               OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_INCALL, "통화중");
               m_view->StartCallInfoTimer();
               m_view->RequestAttention();
               CloseIfAsked();
           });
    // With after-call work the desk leaves the distribution for the call, so that no
    // call can reach it between the hang-up and the end of the work. If that fails the
    // desk stays ready: the call then ends as without after-call work.
    if (afterCallWork > 0)
        Submit(LineRequest::Of(LineStatement::Ready, AGENT_MODE_BREAK), Boxes::Outage,
               [this, xanId = call.xanId](const LineOutcome& outcome) {
                   if (outcome.ok) {
                       m_deskMode = AGENT_MODE_AFTERCALL;
                       return;
                   }
                   DebugTrace("after-call break statement failed, call %s ends as without",
                              xanId.c_str());
                   if (m_takenCall.xanId == xanId)
                       m_callAfterWorkSec = 0;
               });
    if (nextCall)
        RefreshTodayStats(Boxes::Outage); // the call before it has ended
}

void AgentConsole::EndCall() {
    if (m_callAfterWorkSec > 0) {
        // Out of the distribution since the call was taken: after-call work while the
        // result is unregistered, else ready again at once.
        const bool registered = m_strXanId.empty();
        EnterAfterCallWork(registered ? 0 : m_callAfterWorkSec);
        if (registered)
            EndAfterCallWork();
    } else {
        OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중");
    }
    RetryUnsavedResults();
    RefreshTodayStats(Boxes::Outage);
}
