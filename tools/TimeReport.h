// How each agent spent a day, from the history of the desks' states and the day's calls:
// the figures of `zelagent-callcenter report`, and their table and CSV forms. Times are
// local wall-clock seconds (a day is 86,400 of them, from midnight to midnight).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace callcenter {

// Seconds since 1970-01-01 00:00 of a local date and time read as a calendar, without
// time zones; nullopt for a text that is not yyyymmdd[hhmmss] of a real date.
std::optional<std::int64_t> WallSeconds(std::string_view stamp);
// "yyyymmdd" and "yyyy-mm-dd hh:mm:ss" of wall-clock seconds.
std::string WallDateText(std::int64_t seconds);
std::string WallTimeText(std::int64_t seconds);

inline constexpr std::int64_t kDaySeconds = 86400;

// One row of the state history: the desk's state from start until its next row.
struct StateRow {
    std::string svcId, telNum, userId, agentName;
    int state = 0; // 1 signed out, 2 signed in, 3 ready, 4 on break, 5 after-call work, 7 call
    std::string reasonCode;
    std::int64_t start = 0; // wall seconds
};

// An agent's calls of the day as the call history counts them.
struct CallCount {
    std::string svcId, agentName;
    long long calls = 0, talkSeconds = 0;
};

struct DayInput {
    std::int64_t dayStart = 0; // midnight that begins the day
    std::int64_t until = 0;    // where the last states end: the next midnight, or now
    // Per desk, the state it was in when the day began (its last row of the day before).
    std::vector<StateRow> carried;
    // The day's rows, in the order they happened.
    std::vector<StateRow> rows;
    std::vector<CallCount> calls;
};

struct AgentDay {
    std::string svcId, userId, agentName;
    std::optional<std::int64_t> firstSignIn, lastSignOut; // seconds after midnight
    std::int64_t signedIn = 0, ready = 0, inCalls = 0, afterCall = 0;
    std::map<std::string, std::int64_t> breaks; // by reason code ("" without one)
    long long calls = 0, talkSeconds = 0;
};

struct ServiceDay {
    std::string svcId;
    std::vector<AgentDay> agents; // by user ID, then agent name
    AgentDay total;               // every agent's figures added up
};

// The figures of every agent by service (services in numeric order). A state is counted
// only between midnight and until; an agent with calls but no history gets the calls.
std::vector<ServiceDay> ComputeDay(const DayInput& input);

struct ReportText {
    std::string day;                                // yyyymmdd
    std::map<std::string, std::string> reasonNames; // code -> name
};

// Aligned columns for a terminal (Korean text counted two columns a character).
void WriteReportTable(std::ostream& out, const std::vector<ServiceDay>& services,
                      const ReportText& text);
// CSV for a spreadsheet: UTF-8 with a byte-order mark, durations in seconds.
void WriteReportCsv(std::ostream& out, const std::vector<ServiceDay>& services,
                    const ReportText& text);

// Columns a text takes in a terminal: East Asian wide characters (Hangul, CJK) two,
// combining marks and conjoining vowels and finals none, others one.
int DisplayWidth(std::string_view utf8);

} // namespace callcenter
