// The worker thread: polls the desk's row for transferred calls.
#include "console/AgentConsole.h"

#include <chrono>
#include <condition_variable>
#include <memory>

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
    // Shown on the UI thread through the process-wide handler; a worker told to stop
    // leaves the box to the agent and goes on as if it had been dismissed.
    auto answer = std::make_shared<std::atomic<int>>(
        (request.style & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK);
    OnUi([answer, request] { *answer = platform::ShowMessageBox(request); });
    return *answer;
}

void AgentConsole::PollLoop(std::stop_token stop) {
    platform::SetThreadMessageBoxHandler(
        [this](const platform::MessageBoxRequest& request) { return ShowBoxFromWorker(request); });
    while (!stop.stop_requested()) {
        if (m_bPolling) {
            PollTransfer();
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
    {
        std::lock_guard lock(m_mutex);
        m_transferInfo = info;
        mode = m_nAgentMode;
    }
    if (read != 1)
        return 0;

    if (info.transferStatus == 1) {
        if (mode == AGENT_MODE_INCALL)
            return 0;
        m_env.UpdateHistAgentName(info.xanId);
        // The mode change comes before TIMER_CALL_INFO, so the worker waits for it. A
        // sign-out that got in meanwhile wins: a signed-out agent takes no call.
        auto changed = std::make_shared<std::atomic<bool>>(false);
        OnUi([this, changed] {
            if (!m_bPolling || AgentMode() == AGENT_MODE_INCALL)
                return;
            OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_INCALL, "통화중");
            m_view.StartCallInfoTimer();
            m_view.RequestAttention();
            *changed = true;
        });
        return *changed ? 1 : 0;
    }

    if (mode != AGENT_MODE_INCALL)
        return 0;
    auto changed = std::make_shared<std::atomic<bool>>(false);
    OnUi([this, changed] {
        if (AgentMode() != AGENT_MODE_INCALL)
            return;
        OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중");
        *changed = true;
    });
    if (!*changed)
        return 0;
    UpdateTodayStats();
    return 1;
}
