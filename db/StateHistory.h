// The history of a desk's states (table AGENT_STATE_HIST), written only where the
// floor switches it on in CODE_INFO. Each change of state appends one row after the
// console's own statement; the start time is taken when the state begins and travels
// with the row, so a row written late (after an outage) keeps its time.
#pragma once

#include <optional>
#include <string>

#include "util/DateTime.h"

namespace agentsql {

// Reads the switch (SYSTEM_VALUE / STATE_HIST).
inline constexpr const char* kStateHistorySwitchSql =
    "select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'STATE_HIST' ";

// On for 'Y', 'YES', 'ON' or '1' (any case, blanks around ignored); off for anything
// else and for a missing row.
bool StateHistorySwitchOn(const std::string& value);

struct StateHistoryRow {
    std::string userId, agentName, svcId, telNum;
    int state = 0;          // the console's mode: 1, 2, 3, 4, 5 or 7
    std::string reasonCode; // a break's reason code, else empty
    SystemTime start;       // the desk's local time when the state began
};

// "yyyy-mm-dd hh:mm:ss.mmm", the form of START_TIME.
std::string HistoryTimeText(const SystemTime& time);

// The insert of one row; a row sent twice is stored once. nullopt (nothing to send) when
// the service ID is not plain digits, the state is not a mode, the time is not a valid
// date, or a text is longer than its column (nothing is ever stored cut).
std::optional<std::string> StateHistoryInsertSql(const StateHistoryRow& row);

} // namespace agentsql
