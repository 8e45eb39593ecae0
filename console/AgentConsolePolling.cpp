// The worker thread: polls the desk's row for transferred calls.
#include "console/AgentConsole.h"

#include <chrono>
#include <condition_variable>
#include <memory>

#include "util/Trace.h"

void AgentConsole::StartWorker() {
    if (m_worker.joinable() || m_stop.stop_requested())
        return;
    m_worker = std::thread([this, stop = m_stop.get_token()] { PollLoop(stop); });
}

void AgentConsole::StopWorker() {
    m_stop.request_stop();
    if (m_worker.joinable())
        m_worker.join();
}

void AgentConsole::Sleep(int ms, std::stop_token stop) {
    // Nothing but a stop request wakes the worker early.
    std::unique_lock lock(m_sleepMutex);
    m_sleepWake.wait_for(lock, stop, std::chrono::milliseconds(ms), [] { return false; });
}

int AgentConsole::ShowBoxFromWorker(const platform::MessageBoxRequest& request) {
    // One box per outage, shown without an owner and without blocking: the console stays
    // usable (the agent may sign out) and polling goes on. Until a poll succeeds again
    // the further errors are only traced.
    m_pollHadError = true;
    if (m_outageBoxShown.exchange(true)) {
        DebugTrace("box not shown again in this outage [%s] %s", request.caption.c_str(),
                   request.text.c_str());
        return (request.style & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
    }
    platform::MessageBoxRequest box = request;
    box.owner = nullptr;
    box.modeless = true;
    OnUi([box] { platform::ShowMessageBox(box); });
    return (request.style & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
}

void AgentConsole::PollLoop(std::stop_token stop) {
    platform::SetThreadMessageBoxHandler(
        [this](const platform::MessageBoxRequest& request) { return ShowBoxFromWorker(request); });
    while (!stop.stop_requested()) {
        if (m_bPolling) {
            m_pollHadError = false;
            PollTransfer();
            if (!m_pollHadError)
                m_outageBoxShown = false;
            Sleep(kPollIntervalMs, stop);
        } else {
            Sleep(kIdleCheckMs, stop);
        }
    }
    platform::SetThreadMessageBoxHandler({});
}

int AgentConsole::PollTransfer() {
    TransferInfo info;
    const int read = m_env.GetTransferInfo(info);
    int mode;
    std::string callInProgress;
    {
        std::lock_guard lock(m_mutex);
        m_transferInfo = info;
        mode = m_nAgentMode;
        callInProgress = m_takenXanId;
    }
    if (read != 1)
        return 0;

    if (info.transferStatus == 1) {
        // A next call already on the desk when the poll first sees it (the call centre
        // hung up and transferred again between two polls) is a new call, not the one in
        // progress: it is taken like any other, and the ended call's result kept.
        const bool nextCall =
            mode == AGENT_MODE_INCALL && !callInProgress.empty() && info.xanId != callInProgress;
        if (mode == AGENT_MODE_INCALL && !nextCall)
            return 0;
        // The UI thread decides whether the console takes the call: a sign-out that got
        // in meanwhile wins, and a signed-out agent takes no call. Only a call taken is
        // stamped with the agent's name.
        const int afterCallWork = AfterCallWorkSeconds();
        auto taken = std::make_shared<std::atomic<bool>>(false);
        OnUi([this, taken, afterCallWork, nextCall, xanId = info.xanId] {
            if (!m_bPolling || (AgentMode() == AGENT_MODE_INCALL) != nextCall)
                return;
            {
                std::lock_guard lock(m_mutex);
                m_takenXanId = xanId;
            }
            m_callAfterWorkSec = afterCallWork;
            OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_INCALL, "통화중");
            m_view.StartCallInfoTimer();
            m_view.RequestAttention();
            *taken = true;
        });
        if (!*taken)
            return 0;
        m_env.UpdateHistAgentName(info.xanId);
        // With after-call work the desk leaves the distribution for the call, so that no
        // call can reach it between the hang-up and the end of the work.
        if (afterCallWork > 0)
            m_env.UpdateReadyStatus(AGENT_MODE_BREAK);
        if (nextCall)
            UpdateTodayStats(); // the call before it has ended
        return 1;
    }

    if (mode != AGENT_MODE_INCALL)
        return 0;
    auto changed = std::make_shared<std::atomic<bool>>(false);
    OnUi([this, changed] {
        if (AgentMode() != AGENT_MODE_INCALL)
            return;
        *changed = true;
        if (const int seconds = m_callAfterWorkSec; seconds > 0) {
            // Out of the distribution since the call was taken: after-call work while the
            // result is unregistered, else ready again at once.
            const bool registered = m_strXanId.empty();
            EnterAfterCallWork(registered ? 0 : seconds);
            if (registered)
                EndAfterCallWork();
        } else {
            OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중");
        }
        RetryUnsavedResults();
    });
    if (!*changed)
        return 0;
    UpdateTodayStats();
    return 1;
}
