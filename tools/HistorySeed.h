// A year of a floor's calls in REQ_XAN and TRANSFER_HIST, for measuring the agent's
// statements on tables of a real size: desks and accounts for the agents, and for every
// day the calls they took, written in batches of many rows per statement.
#pragma once

#include <ostream>
#include <string>

namespace callcenter {

class CallCenterDb;

struct HistorySeedOptions {
    std::string svcId = "700";
    int agents = 10000;
    int days = 365;        // up to and including today
    int callsPerDay = 2;   // per agent
    int maxSeconds = 3600; // stops after the batch that ends past it
};

// Seeds the service's history unless it holds calls already (then writes nothing).
// Prints progress and, last, "history_seed rows=<n> calls=<n> seconds=<s> complete=<0|1>".
// Returns 0 when the history is complete, 1 otherwise.
int RunHistorySeed(CallCenterDb& db, const HistorySeedOptions& options, std::ostream& out);

} // namespace callcenter
