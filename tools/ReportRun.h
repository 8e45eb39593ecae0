// `zelagent-callcenter report`: reads a day's state history, call counts and break
// reasons from the database and writes the time report as a table or as CSV.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/CallCenterDb.h"
#include "tools/TimeReport.h"

namespace callcenter {

struct ReportOptions {
    std::string day;                   // yyyymmdd
    std::vector<std::string> services; // only these (digits); empty: every service
    std::string csvFile;               // also write CSV there; "-": CSV instead of the table
    std::optional<std::int64_t> now;   // wall seconds; the clock's when not given
};

// What the report needs of the day: its rows, the state each desk began it in (its last
// row of the day before, if any), the calls of the day, and the reasons' names.
bool ReadReportDay(CallCenterDb& db, const ReportOptions& options, DayInput& input,
                   ReportText& text, std::string& error);

// The whole command: 0 written, 1 a database or file error, 2 a bad --day (said on err).
int RunReport(CallCenterDb& db, const ReportOptions& options, std::ostream& out, std::ostream& err);

} // namespace callcenter
