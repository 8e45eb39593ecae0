// The floor's options the console reads at each sign-in: its break reasons and the
// switch of the state history. A floor that configures neither costs one select.
#pragma once

#include <vector>

#include "db/BreakReasons.h"
#include "db/RecordReader.h"

struct FloorOptions {
    std::vector<BreakReason> breakReasons; // empty: the plain break
    bool stateHistory = false;
};

namespace agentsql {

// The history switch's value and the number of break reasons, in one record.
inline constexpr const char* kFloorOptionsSql =
    "select (select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = "
    "'STATE_HIST'), (select count(*) from CODE_INFO where CD_GRP = 'BREAK_REASON')";

// 1 when read, -1 when a query failed (out is then the defaults). The reasons are read
// one by one only where there are any.
int ReadFloorOptions(const RecordReader& query, FloorOptions& out);

} // namespace agentsql
