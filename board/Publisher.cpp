#include "board/Publisher.h"

#include <algorithm>
#include <set>

namespace board {

Publisher::Publisher(ReadFloor read, FrameLimits limits, std::chrono::milliseconds period)
    : m_read(std::move(read)), m_limits(limits), m_period(period),
      m_latest(std::make_shared<Turn>()) {}

Publisher::~Publisher() {
    Stop();
}

void Publisher::Start() {
    m_thread = std::thread([this] { Loop(); });
}

void Publisher::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool Publisher::Stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stop;
}

std::shared_ptr<const Turn> Publisher::Latest() const {
    std::lock_guard lock(m_mutex);
    return m_latest;
}

std::shared_ptr<const Turn> Publisher::WaitAfter(long long after,
                                                 std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return m_stop || m_latest->number > after; });
    return m_latest;
}

std::vector<double> Publisher::ReadTimes() const {
    std::lock_guard lock(m_mutex);
    return {m_readMs.begin(), m_readMs.end()};
}

long long Publisher::Desks() const {
    std::lock_guard lock(m_mutex);
    return m_desks;
}

void Publisher::RunTurn() {
    Snapshot snapshot;
    std::string trouble;
    const auto started = std::chrono::steady_clock::now();
    const bool ok = m_read(snapshot, trouble);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();

    auto turn = std::make_shared<Turn>();
    const std::shared_ptr<const Turn> last = Latest();
    turn->number = last->number + 1;
    turn->dataSeq = last->dataSeq + (ok ? 1 : 0);
    turn->ok = ok;
    if (ok) {
        std::set<std::optional<long long>> filters{std::nullopt, kNoService};
        for (const ServiceTotals& totals : snapshot.services)
            filters.insert(totals.svc);
        // A service that has just lost its last desk still gets its frame of removals.
        if (m_previous)
            for (const ServiceTotals& totals : m_previous->services)
                filters.insert(totals.svc);
        for (const auto& filter : filters) {
            turn->full[filter] = FrameJson(turn->dataSeq, snapshot, nullptr, filter, m_limits);
            if (m_previous)
                turn->delta[filter] =
                    FrameJson(turn->dataSeq, snapshot, &*m_previous, filter, m_limits);
        }
        m_previous = std::move(snapshot);
    } else {
        turn->trouble = trouble;
    }
    {
        std::lock_guard lock(m_mutex);
        if (ok) {
            m_readMs.push_back(ms);
            if (m_readMs.size() > 3600)
                m_readMs.pop_front();
            m_desks = std::max(m_desks, static_cast<long long>(m_previous->desks.size()));
        }
        m_latest = std::move(turn);
    }
    m_changed.notify_all();
}

void Publisher::Loop() {
    auto next = std::chrono::steady_clock::now();
    for (;;) {
        RunTurn();
        next += m_period;
        // A read that overran its second does not make the following ones hurry.
        if (next < std::chrono::steady_clock::now())
            next = std::chrono::steady_clock::now();
        std::unique_lock lock(m_mutex);
        if (m_changed.wait_until(lock, next, [&] { return m_stop; }))
            return;
    }
}

} // namespace board
