#include "db/FloorOptions.h"

#include "db/StateHistory.h"

namespace agentsql {

int ReadFloorOptions(const RecordReader& query, FloorOptions& out) {
    out = {};
    std::vector<std::string> values;
    if (query(kFloorOptionsSql, values) != 1 || values.size() < 2)
        return -1;
    FloorOptions read;
    read.stateHistory = StateHistorySwitchOn(values[0]);
    if (values[1] != "0" && ReadBreakReasons(query, read.breakReasons) < 0)
        return -1;
    out = std::move(read);
    return 1;
}

} // namespace agentsql
