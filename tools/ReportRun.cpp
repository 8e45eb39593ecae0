// The client library brings back one record per query, so every list is read as a walk
// along an index: each query asks for the record after the last one read.
#include "tools/ReportRun.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>

#include "db/BreakReasons.h"
#include "db/SqlText.h"
#include "tools/CallCenter.h"

namespace callcenter {

namespace {

// A day of a large floor holds some hundred thousand rows; far more means a runaway walk.
constexpr std::size_t kMaxRecords = 10'000'000;

std::string Quoted(const std::string& text) {
    return "'" + EscapeSqlText(text) + "'";
}

std::string ServiceFilter(const std::vector<std::string>& services) {
    if (services.empty())
        return "";
    std::string list;
    for (const std::string& svc : services)
        list += (list.empty() ? "" : ", ") + svc;
    return " and SVC_ID in (" + list + ")";
}

bool ToRow(const std::vector<std::string>& v, std::size_t at, StateRow& row) {
    const auto start = WallSeconds(v[at + 4]);
    if (!start)
        return false;
    row.userId = v[at];
    row.agentName = v[at + 1];
    row.state = std::atoi(v[at + 2].c_str());
    row.reasonCode = v[at + 3];
    row.start = *start;
    return true;
}

bool ReadRows(CallCenterDb& db, const ReportOptions& options, const std::string& from,
              const std::string& to, DayInput& input, std::string& error) {
    std::string after;
    for (std::size_t n = 0; n < kMaxRecords; ++n) {
        std::vector<std::string> v;
        const int found = db.Query(
            "select SVC_ID, TEL_NUM, USER_ID, AGENT_NM, STATE, REASON_CD, "
            "date_format(START_TIME, '%Y%m%d%H%i%s'), START_TIME, HIST_SEQ from AGENT_STATE_HIST "
            "where START_TIME >= " +
                Quoted(from) + " and START_TIME < " + Quoted(to) + ServiceFilter(options.services) +
                after + " order by START_TIME, HIST_SEQ limit 1",
            v);
        if (found < 0) {
            error = db.Error();
            return false;
        }
        if (found == 0)
            return true;
        StateRow row;
        if (v.size() < 9 || !ToRow(v, 2, row)) {
            error = "a history row that cannot be read (HIST_SEQ " +
                    (v.size() >= 9 ? v[8] : std::string("?")) + ")";
            return false;
        }
        row.svcId = v[0];
        row.telNum = v[1];
        input.rows.push_back(std::move(row));
        after = " and (START_TIME > " + Quoted(v[7]) + " or (START_TIME = " + Quoted(v[7]) +
                " and HIST_SEQ > " + v[8] + "))";
    }
    error = "too many history rows";
    return false;
}

// The last row of each desk of the day, from the day before only: a state older than
// that is a desk that ended without signing out, not a shift.
bool ReadCarried(CallCenterDb& db, const std::string& dayBefore, const std::string& day,
                 DayInput& input, std::string& error) {
    std::set<std::pair<std::string, std::string>> desks;
    for (const StateRow& row : input.rows)
        desks.insert({row.svcId, row.telNum});
    for (const auto& [svc, tel] : desks) {
        std::vector<std::string> v;
        const int found =
            db.Query("select USER_ID, AGENT_NM, STATE, REASON_CD, date_format(START_TIME, "
                     "'%Y%m%d%H%i%s') from AGENT_STATE_HIST where SVC_ID = " +
                         svc + " and TEL_NUM = " + Quoted(tel) +
                         " and START_TIME >= " + Quoted(dayBefore) + " and START_TIME < " +
                         Quoted(day) + " order by START_TIME desc, HIST_SEQ desc limit 1",
                     v);
        if (found < 0) {
            error = db.Error();
            return false;
        }
        StateRow row;
        if (found == 0 || v.size() < 5 || !ToRow(v, 0, row))
            continue;
        row.svcId = svc;
        row.telNum = tel;
        input.carried.push_back(std::move(row));
    }
    return true;
}

bool ReadCalls(CallCenterDb& db, const ReportOptions& options, DayInput& input,
               std::string& error) {
    std::string after;
    for (std::size_t n = 0; n < kMaxRecords; ++n) {
        std::vector<std::string> v;
        const int found = db.Query(
            "select SVC_ID, AGENT_NM, count(*), ifnull(sum(CONF_TIME), 0) from TRANSFER_HIST "
            "where CONF_DT = " +
                Quoted(options.day) + " and AGENT_NM <> ''" + ServiceFilter(options.services) +
                after + " group by SVC_ID, AGENT_NM order by SVC_ID, AGENT_NM limit 1",
            v);
        if (found < 0) {
            error = db.Error();
            return false;
        }
        if (found == 0 || v.size() < 4)
            return true;
        input.calls.push_back({v[0], v[1], std::atoll(v[2].c_str()), std::atoll(v[3].c_str())});
        after = " and (SVC_ID > " + v[0] + " or (SVC_ID = " + v[0] + " and AGENT_NM > " +
                Quoted(v[1]) + "))";
    }
    error = "too many agents with calls";
    return false;
}

} // namespace

bool ReadReportDay(CallCenterDb& db, const ReportOptions& options, DayInput& input,
                   ReportText& text, std::string& error) {
    const auto dayStart = WallSeconds(options.day);
    if (!dayStart) {
        error = "--day needs a date as yyyymmdd, not '" + options.day + "'";
        return false;
    }
    const auto bad = std::find_if(options.services.begin(), options.services.end(),
                                  [](const std::string& svc) { return !IsPlainDigits(svc); });
    if (bad != options.services.end()) {
        error = "--svc needs a service ID (a number), not '" + *bad + "'";
        return false;
    }
    input = DayInput{};
    input.dayStart = *dayStart;
    const std::int64_t now =
        options.now ? *options.now : WallSeconds(LocalStamp(std::time(nullptr))).value_or(0);
    input.until = std::min(*dayStart + kDaySeconds, now);
    text.day = options.day;

    std::vector<BreakReason> reasons;
    const RecordReader query = [&db](const std::string& sql, std::vector<std::string>& values) {
        return db.Query(sql, values);
    };
    if (agentsql::ReadBreakReasons(query, reasons) < 0) {
        error = db.Error();
        return false;
    }
    for (const BreakReason& reason : reasons)
        text.reasonNames[reason.code] = reason.name;

    const std::string day = WallTimeText(*dayStart);
    return ReadRows(db, options, day, WallTimeText(*dayStart + kDaySeconds), input, error) &&
           ReadCarried(db, WallTimeText(*dayStart - kDaySeconds), day, input, error) &&
           ReadCalls(db, options, input, error);
}

int RunReport(CallCenterDb& db, const ReportOptions& options, std::ostream& out,
              std::ostream& err) {
    if (!WallSeconds(options.day) || options.day.size() != 8) {
        err << "zelagent-callcenter: --day needs a date as yyyymmdd, not '" << options.day << "'\n";
        return 2;
    }
    DayInput input;
    ReportText text;
    std::string error;
    if (!ReadReportDay(db, options, input, text, error)) {
        err << "zelagent-callcenter: " << error << "\n";
        return 1;
    }
    const std::vector<ServiceDay> services = ComputeDay(input);
    if (options.csvFile == "-") {
        WriteReportCsv(out, services, text);
        return out ? 0 : 1;
    }
    WriteReportTable(out, services, text);
    if (options.csvFile.empty())
        return 0;
    std::ofstream csv(options.csvFile, std::ios::binary | std::ios::trunc);
    if (csv)
        WriteReportCsv(csv, services, text);
    csv.close();
    if (!csv) {
        err << "zelagent-callcenter: cannot write " << options.csvFile << "\n";
        return 1;
    }
    return 0;
}

} // namespace callcenter
