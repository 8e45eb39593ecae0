#include "tools/Distributor.h"

#include <algorithm>
#include <iterator>
#include <thread>

namespace callcenter {

namespace {

std::string DeskName(const DeskKey& desk) {
    return desk.svcId + "/" + desk.telNum;
}

} // namespace

void Distributor::EndCall(const ActiveCall& call) {
    HangupResult result;
    if (m_center.Hangup(call.desk, result))
        m_out << "hung up call " << result.xanId << " on desk " << DeskName(call.desk) << " after "
              << result.seconds << " s" << std::endl;
    else
        m_out << "could not hang up call " << call.xanId << " on desk " << DeskName(call.desk)
              << ": " << m_center.Error() << std::endl;
}

void Distributor::EndDueCalls(Clock::time_point now) {
    auto due = std::stable_partition(m_active.begin(), m_active.end(),
                                     [now](const ActiveCall& call) { return call.end > now; });
    for (auto it = due; it != m_active.end(); ++it) {
        EndCall(*it);
        m_paused.push_back({it->desk, now + std::chrono::seconds(m_options.gapSeconds)});
    }
    m_active.erase(due, m_active.end());
    std::erase_if(m_paused, [now](const Pause& pause) { return pause.until <= now; });
}

bool Distributor::HandOutCall(Clock::time_point now) {
    std::vector<DeskKey> busy;
    std::transform(m_active.begin(), m_active.end(), std::back_inserter(busy),
                   [](const ActiveCall& call) { return call.desk; });
    std::transform(m_paused.begin(), m_paused.end(), std::back_inserter(busy),
                   [](const Pause& pause) { return pause.desk; });
    const std::optional<DeskKey> desk = m_center.FindReadyDesk(m_options.services, busy);
    if (!desk) {
        if (!m_center.Error().empty())
            m_out << "looking for a ready desk failed: " << m_center.Error() << std::endl;
        return false;
    }
    TransferRequest request;
    request.desk = *desk;
    if (const auto waiting = m_center.FindWaitingRequest(desk->svcId))
        request.xanId = *waiting;
    TransferResult result;
    if (!m_center.Transfer(request, result)) {
        m_out << "transfer to desk " << DeskName(*desk) << " failed: " << m_center.Error()
              << std::endl;
        // Leave the desk alone for a while rather than failing on it every tick.
        m_paused.push_back({*desk, now + std::chrono::seconds(m_options.gapSeconds)});
        return false;
    }
    const int length =
        std::uniform_int_distribution<int>(m_options.minSeconds, m_options.maxSeconds)(m_random);
    m_active.push_back({*desk, result.xanId, now + std::chrono::seconds(length)});
    m_out << "call " << result.xanId << " from " << result.phone << " (" << result.custInfo
          << ") to desk " << DeskName(*desk) << " for " << length << " s" << std::endl;
    return true;
}

int Distributor::Run(const std::atomic<bool>& stop) {
    const Clock::time_point start = Clock::now();
    int handedOut = 0;
    for (;;) {
        if (stop)
            break;
        const Clock::time_point now = Clock::now();
        if (m_options.durationSeconds > 0 &&
            now - start >= std::chrono::seconds(m_options.durationSeconds)) {
            m_out << "time is up after " << m_options.durationSeconds << " s" << std::endl;
            break;
        }
        EndDueCalls(now);
        const bool countReached = m_options.count > 0 && handedOut >= m_options.count;
        if (countReached && m_active.empty()) {
            m_out << "all " << handedOut << " calls handed out and ended" << std::endl;
            break;
        }
        // Fill every free ready desk before resting.
        while (!countReached && (m_options.count == 0 || handedOut < m_options.count) &&
               HandOutCall(now))
            ++handedOut;
        const Clock::time_point wake = Clock::now() + std::chrono::milliseconds(m_options.tickMs);
        while (!stop && Clock::now() < wake)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (const ActiveCall& call : m_active)
        EndCall(call);
    m_active.clear();
    return handedOut;
}

} // namespace callcenter
