#include "board/DeskModel.h"

#include <algorithm>
#include <chrono>

namespace board {

namespace {

std::optional<int> Digits(std::string_view text) {
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<long long> StampSeconds(std::string_view stamp) {
    if (stamp.size() != 14)
        return std::nullopt;
    const auto y = Digits(stamp.substr(0, 4)), mo = Digits(stamp.substr(4, 2)),
               d = Digits(stamp.substr(6, 2)), h = Digits(stamp.substr(8, 2)),
               mi = Digits(stamp.substr(10, 2)), s = Digits(stamp.substr(12, 2));
    if (!y || !mo || !d || !h || !mi || !s || *y == 0 || *h > 23 || *mi > 59 || *s > 59)
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year{*y}, month{static_cast<unsigned>(*mo)},
                              day{static_cast<unsigned>(*d)}};
    if (!date.ok())
        return std::nullopt;
    const long long days = sys_days{date}.time_since_epoch().count();
    return days * 86400 + *h * 3600 + *mi * 60 + *s;
}

Desk ClassifyDesk(const DeskRow& row) {
    Desk desk;
    desk.svc = row.svc;
    desk.tel = row.tel;
    desk.name = row.name;
    const auto stateStart = StampSeconds(row.statusStart);
    // Sign-out writes IS_READY 1 with fourteen zeros. A desk with IS_READY 0 gets calls
    // from the distribution whatever its time says, so it never counts as signed out.
    if (row.isReady != 0 && !stateStart) {
        desk.state = DeskState::SignedOut;
        return desk;
    }
    if (row.transferStatus == 1) {
        desk.state = DeskState::InCall;
        const auto callStart = StampSeconds(row.callStart);
        desk.since = callStart ? callStart : stateStart;
        return desk;
    }
    desk.state = row.isReady == 0 ? DeskState::Ready : DeskState::Break;
    if (desk.state == DeskState::Break)
        desk.extra = row.breakReason;
    // The end of a call writes no readiness: the state began when the last call ended
    // if that was after the readiness was last written.
    desk.since = stateStart;
    if (const auto callEnd = StampSeconds(row.callEnd);
        callEnd && (!stateStart || *callEnd > *stateStart))
        desk.since = callEnd;
    return desk;
}

Snapshot BuildSnapshot(long long now, const std::vector<DeskRow>& rows, const CallsToday& calls,
                       const std::map<long long, long long>& waiting) {
    Snapshot snapshot;
    snapshot.now = now;
    snapshot.desks.reserve(rows.size());
    std::map<long long, ServiceTotals> services;
    for (const DeskRow& row : rows) {
        Desk desk = ClassifyDesk(row);
        // The console counts the calls stamped with the agent's name; a desk without a
        // known agent has none (unstamped calls carry an empty name).
        if (!desk.name.empty()) {
            if (const auto found = calls.find({desk.svc, desk.name}); found != calls.end()) {
                desk.calls = found->second.first;
                desk.callSeconds = found->second.second;
            }
        }
        ServiceTotals& totals = services[desk.svc];
        totals.svc = desk.svc;
        ++totals.desks[static_cast<int>(desk.state)];
        snapshot.desks.push_back(std::move(desk));
    }
    for (const auto& [key, figures] : calls) {
        if (const auto found = services.find(key.first); found != services.end()) {
            found->second.calls += figures.first;
            found->second.callSeconds += figures.second;
        }
    }
    for (const auto& [svc, count] : waiting)
        if (const auto found = services.find(svc); found != services.end())
            found->second.waiting = count;
    std::sort(snapshot.desks.begin(), snapshot.desks.end(), [](const Desk& a, const Desk& b) {
        return a.svc != b.svc ? a.svc < b.svc : a.tel < b.tel;
    });
    for (auto& [svc, totals] : services)
        snapshot.services.push_back(totals);
    return snapshot;
}

} // namespace board
