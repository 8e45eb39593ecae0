// What the board knows about the floor: the desks as the consoles left them in the
// database, each classified into one of four states, and the totals of each service.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace board {

// The order is the one the page sorts by and the index into the totals.
enum class DeskState { SignedOut = 0, Ready = 1, Break = 2, InCall = 3 };
constexpr int kStateCount = 4;

// One desk's row as the database holds it (TRANSFER_NUM_INFO with its call's history
// row and the agent's name); texts as read, empty for NULL.
struct DeskRow {
    long long svc = 0;
    std::string tel;
    std::string name;
    int isReady = 1;
    std::string statusStart; // yyyymmddhhmmss, fourteen zeros when signed out
    int transferStatus = 0;
    std::string callStart;   // START_TIME of the desk's current or last call
    std::string callEnd;     // END_TIME of that call, empty while it lasts
    std::string breakReason; // the reason of the desk's last break in the state history
};

struct Desk {
    long long svc = 0;
    std::string tel;
    std::string name;
    DeskState state = DeskState::SignedOut;
    std::optional<long long> since; // start of the state, in stamp seconds
    long long calls = 0;            // today's calls of the agent in this service
    long long callSeconds = 0;
    // A short text shown under the state: why a desk is on break, where the state
    // history is on and the agent gave a reason.
    std::string extra;

    bool operator==(const Desk&) const = default;
};

struct ServiceTotals {
    long long svc = 0;
    std::array<long long, kStateCount> desks{}; // indexed by DeskState
    long long calls = 0;
    long long callSeconds = 0;
    long long waiting = 0; // requests of today that no desk has taken yet

    bool operator==(const ServiceTotals&) const = default;
};

// Calls of today by service and agent name: count and seconds.
using CallsToday = std::map<std::pair<long long, std::string>, std::pair<long long, long long>>;

struct Snapshot {
    long long now = 0;       // the database's clock, in stamp seconds
    std::vector<Desk> desks; // ordered by service, then phone number
    std::vector<ServiceTotals> services;
};

// yyyymmddhhmmss as seconds since 1970-01-01 00:00:00 of the same clock (no time zone
// is applied: the board only subtracts stamps written by one server). Nothing for
// fourteen zeros, a text of another length or a date that does not exist.
std::optional<long long> StampSeconds(std::string_view stamp);

// The state a desk is in, and since when.
Desk ClassifyDesk(const DeskRow& row);

// The snapshot of one read: desks classified, today's calls per agent, totals per service.
Snapshot BuildSnapshot(long long now, const std::vector<DeskRow>& rows, const CallsToday& calls,
                       const std::map<long long, long long>& waiting);

} // namespace board
