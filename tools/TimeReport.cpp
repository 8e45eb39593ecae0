// The day's figures from the state history: each row's state lasts until the desk's
// next row, cut to the day; and the two written forms of the result.
#include "tools/TimeReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <numeric>
#include <tuple>

namespace callcenter {

namespace {

using std::int64_t;

bool Digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view text) {
    return std::accumulate(text.begin(), text.end(), 0,
                           [](int value, char c) { return value * 10 + (c - '0'); });
}

std::string ClockText(int64_t secondsAfterMidnight) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(secondsAfterMidnight / 3600),
                  static_cast<long long>(secondsAfterMidnight / 60 % 60),
                  static_cast<long long>(secondsAfterMidnight % 60));
    return text;
}

std::string OptionalClock(const std::optional<int64_t>& seconds) {
    return seconds ? ClockText(*seconds) : std::string("-");
}

void AddUp(AgentDay& sum, const AgentDay& agent) {
    sum.signedIn += agent.signedIn;
    sum.ready += agent.ready;
    sum.inCalls += agent.inCalls;
    sum.afterCall += agent.afterCall;
    for (const auto& [code, seconds] : agent.breaks)
        sum.breaks[code] += seconds;
    sum.calls += agent.calls;
    sum.talkSeconds += agent.talkSeconds;
    if (agent.firstSignIn && (!sum.firstSignIn || *agent.firstSignIn < *sum.firstSignIn))
        sum.firstSignIn = agent.firstSignIn;
    if (agent.lastSignOut && (!sum.lastSignOut || *agent.lastSignOut > *sum.lastSignOut))
        sum.lastSignOut = agent.lastSignOut;
}

long long ServiceNumber(const std::string& svcId) {
    return std::strtoll(svcId.c_str(), nullptr, 10);
}

// The break reasons that occur anywhere in the report, in code order.
std::vector<std::string> BreakCodes(const std::vector<ServiceDay>& services) {
    std::map<std::string, bool> codes;
    for (const ServiceDay& service : services)
        for (const auto& [code, seconds] : service.total.breaks)
            codes[code] = true;
    std::vector<std::string> list;
    for (const auto& [code, unused] : codes)
        list.push_back(code);
    return list;
}

std::string BreakHeader(const std::string& code, const ReportText& text) {
    if (code.empty())
        return "휴식";
    const auto name = text.reasonNames.find(code);
    return "휴식(" + (name != text.reasonNames.end() ? name->second : code) + ")";
}

std::string DateWithDashes(const std::string& day) {
    return day.size() == 8 ? day.substr(0, 4) + "-" + day.substr(4, 2) + "-" + day.substr(6, 2)
                           : day;
}

struct Column {
    std::string header;
    bool right = false;
};

std::vector<Column> Columns(const std::vector<std::string>& breakCodes, const ReportText& text) {
    std::vector<Column> columns{{"상담원"},          {"사용자"},       {"첫 로그인"},
                                {"마지막 로그아웃"}, {"로그인", true}, {"대기", true}};
    std::transform(breakCodes.begin(), breakCodes.end(), std::back_inserter(columns),
                   [&text](const std::string& code) {
                       return Column{BreakHeader(code, text), true};
                   });
    for (const char* header : {"통화", "정리", "통화 수", "통화 시간"})
        columns.push_back({header, true}); // cppcheck-suppress useStlAlgorithm ; four constants
    return columns;
}

// An agent's (or a total's) cells; durations as hh:mm:ss or as seconds.
std::vector<std::string> Cells(const AgentDay& agent, const std::vector<std::string>& breakCodes,
                               bool seconds) {
    const auto duration = [seconds](int64_t value) {
        return seconds ? std::to_string(value) : ClockText(value);
    };
    std::vector<std::string> cells{agent.agentName,
                                   agent.userId,
                                   OptionalClock(agent.firstSignIn),
                                   OptionalClock(agent.lastSignOut),
                                   duration(agent.signedIn),
                                   duration(agent.ready)};
    for (const std::string& code : breakCodes) {
        const auto found = agent.breaks.find(code);
        cells.push_back(duration(found == agent.breaks.end() ? 0 : found->second));
    }
    cells.push_back(duration(agent.inCalls));
    cells.push_back(duration(agent.afterCall));
    cells.push_back(std::to_string(agent.calls));
    cells.push_back(duration(agent.talkSeconds));
    return cells;
}

std::string Padded(const std::string& text, int width, bool right) {
    const std::string blanks(static_cast<std::size_t>(std::max(0, width - DisplayWidth(text))),
                             ' ');
    return right ? blanks + text : text + blanks;
}

// A text from the database as a spreadsheet cell: never read as a formula, quoted when
// it holds a separator, a quote or a line break.
std::string CsvText(const std::string& text) {
    std::string cell = text;
    if (!cell.empty() && std::string_view("=+-@\t\r").find(cell[0]) != std::string_view::npos)
        cell.insert(cell.begin(), '\'');
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::optional<int64_t> WallSeconds(std::string_view stamp) {
    if ((stamp.size() != 8 && stamp.size() != 14) || !Digits(stamp))
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year{Number(stamp.substr(0, 4))},
                              month{static_cast<unsigned>(Number(stamp.substr(4, 2)))},
                              day{static_cast<unsigned>(Number(stamp.substr(6, 2)))}};
    if (!date.ok())
        return std::nullopt;
    int64_t seconds = static_cast<int64_t>(sys_days(date).time_since_epoch().count()) * kDaySeconds;
    if (stamp.size() == 14) {
        const int h = Number(stamp.substr(8, 2)), m = Number(stamp.substr(10, 2)),
                  s = Number(stamp.substr(12, 2));
        if (h > 23 || m > 59 || s > 59)
            return std::nullopt;
        seconds += h * 3600 + m * 60 + s;
    }
    return seconds;
}

std::string WallDateText(int64_t seconds) {
    using namespace std::chrono;
    const int64_t days = (seconds >= 0 ? seconds : seconds - (kDaySeconds - 1)) / kDaySeconds;
    const year_month_day date{sys_days{std::chrono::days{days}}};
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string WallTimeText(int64_t seconds) {
    const std::string date = WallDateText(seconds);
    const int64_t inDay = ((seconds % kDaySeconds) + kDaySeconds) % kDaySeconds;
    return DateWithDashes(date) + " " + ClockText(inDay);
}

std::vector<ServiceDay> ComputeDay(const DayInput& input) {
    using AgentKey = std::tuple<std::string, std::string, std::string>; // service, user, name
    std::map<AgentKey, AgentDay> agents;
    const auto agentOf = [&agents](const StateRow& row) -> AgentDay& {
        AgentDay& agent = agents[{row.svcId, row.userId, row.agentName}];
        agent.svcId = row.svcId;
        agent.userId = row.userId;
        agent.agentName = row.agentName;
        return agent;
    };

    // Each desk's rows in order, the state it began the day in first (marked carried).
    using DeskRow = std::pair<const StateRow*, bool>;
    std::map<std::pair<std::string, std::string>, std::vector<DeskRow>> desks;
    for (const StateRow& row : input.carried)
        desks[{row.svcId, row.telNum}].push_back({&row, true});
    for (const StateRow& row : input.rows)
        desks[{row.svcId, row.telNum}].push_back({&row, false});

    const int64_t dayEnd = input.dayStart + kDaySeconds;
    for (const auto& [desk, rows] : desks) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto& [rowPointer, carried] = rows[i];
            const StateRow& row = *rowPointer;
            if (carried && row.state == 1)
                continue; // signed out before midnight: nothing of it belongs to the day
            if (row.start >= input.until)
                continue; // not yet, by the report's clock
            AgentDay& agent = agentOf(row);
            if (!carried && row.start >= input.dayStart) {
                const int64_t at = row.start - input.dayStart;
                if (row.state == 2 && (!agent.firstSignIn || at < *agent.firstSignIn))
                    agent.firstSignIn = at;
                if (row.state == 1 && (!agent.lastSignOut || at > *agent.lastSignOut))
                    agent.lastSignOut = at;
            }
            const int64_t from = std::max(row.start, input.dayStart);
            const int64_t next = i + 1 < rows.size() ? rows[i + 1].first->start : input.until;
            const int64_t to = std::min({next, input.until, dayEnd});
            const int64_t seconds = std::max<int64_t>(0, to - from);
            if (row.state == 1)
                continue;
            agent.signedIn += seconds;
            if (row.state == 3)
                agent.ready += seconds;
            else if (row.state == 4)
                agent.breaks[row.reasonCode] += seconds;
            else if (row.state == 5)
                agent.afterCall += seconds;
            else if (row.state == 7)
                agent.inCalls += seconds;
        }
    }

    // Calls go to the agent of that service and name (the first, should two users share
    // a name); calls of an agent without history make a row of their own.
    for (const CallCount& count : input.calls) {
        auto found = std::find_if(agents.begin(), agents.end(), [&count](const auto& entry) {
            return entry.second.svcId == count.svcId && entry.second.agentName == count.agentName;
        });
        AgentDay& agent = found != agents.end()
                              ? found->second
                              : agentOf(StateRow{count.svcId, "", "", count.agentName, 0, "", 0});
        agent.calls += count.calls;
        agent.talkSeconds += count.talkSeconds;
    }

    std::map<std::pair<long long, std::string>, ServiceDay> services;
    for (auto& [key, agent] : agents) {
        ServiceDay& service = services[{ServiceNumber(agent.svcId), agent.svcId}];
        service.svcId = agent.svcId;
        AddUp(service.total, agent);
        service.agents.push_back(std::move(agent));
    }
    std::vector<ServiceDay> result;
    for (auto& [key, service] : services) {
        service.total.svcId = service.svcId;
        service.total.agentName = "합계";
        result.push_back(std::move(service));
    }
    return result;
}

void WriteReportTable(std::ostream& out, const std::vector<ServiceDay>& services,
                      const ReportText& text) {
    const std::vector<std::string> codes = BreakCodes(services);
    const std::vector<Column> columns = Columns(codes, text);
    if (services.empty()) {
        out << DateWithDashes(text.day) << ": 기록이 없습니다.\n";
        return;
    }
    for (std::size_t s = 0; s < services.size(); ++s) {
        const ServiceDay& service = services[s];
        std::vector<std::vector<std::string>> lines;
        std::vector<std::string> header;
        std::transform(columns.begin(), columns.end(), std::back_inserter(header),
                       [](const Column& column) { return column.header; });
        lines.push_back(header);
        std::transform(service.agents.begin(), service.agents.end(), std::back_inserter(lines),
                       [&codes](const AgentDay& agent) { return Cells(agent, codes, false); });
        lines.push_back(Cells(service.total, codes, false));
        std::vector<int> widths(columns.size(), 0);
        for (const auto& line : lines)
            for (std::size_t c = 0; c < line.size(); ++c)
                widths[c] = std::max(widths[c], DisplayWidth(line[c]));

        if (s > 0)
            out << "\n";
        out << DateWithDashes(text.day) << "  서비스 " << service.svcId << "\n";
        for (const auto& line : lines) {
            std::string row;
            for (std::size_t c = 0; c < line.size(); ++c)
                row += (c ? "  " : "") + Padded(line[c], widths[c], columns[c].right);
            row.erase(row.find_last_not_of(' ') + 1);
            out << row << "\n";
        }
    }
}

void WriteReportCsv(std::ostream& out, const std::vector<ServiceDay>& services,
                    const ReportText& text) {
    const std::vector<std::string> codes = BreakCodes(services);
    const std::vector<Column> columns = Columns(codes, text);
    out << "\xEF\xBB\xBF"
        << "날짜,서비스";
    for (const Column& column : columns)
        out << "," << CsvText(column.header);
    out << "\r\n";
    const std::string date = DateWithDashes(text.day);
    for (const ServiceDay& service : services) {
        std::vector<const AgentDay*> rows;
        std::transform(service.agents.begin(), service.agents.end(), std::back_inserter(rows),
                       [](const AgentDay& agent) { return &agent; });
        rows.push_back(&service.total);
        for (const AgentDay* agent : rows) {
            out << date << "," << CsvText(service.svcId);
            std::vector<std::string> cells = Cells(*agent, codes, true);
            for (std::size_t time : {2u, 3u}) // no sign-in or sign-out that day: empty
                if (cells[time] == "-")
                    cells[time].clear();
            for (const std::string& cell : cells)
                out << "," << CsvText(cell);
            out << "\r\n";
        }
    }
}

int DisplayWidth(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80    ? 1
                             : byte >= 0xF0 ? 4
                             : byte >= 0xE0 ? 3
                             : byte >= 0xC0 ? 2
                                            : 1;
        if (i + length > text.size())
            length = 1;
        char32_t code = length == 1 ? byte : byte & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (code < 0x20 || (code >= 0x7F && code < 0xA0) || (code >= 0x300 && code < 0x370) ||
            (code >= 0x1160 && code < 0x1200) || code == 0x200B)
            continue;
        const bool wide = (code >= 0x1100 && code < 0x1160) || (code >= 0x2E80 && code < 0xA4D0) ||
                          (code >= 0xAC00 && code < 0xD7A4) || (code >= 0xF900 && code < 0xFB00) ||
                          (code >= 0xFE30 && code < 0xFE50) || (code >= 0xFF00 && code < 0xFF61) ||
                          (code >= 0xFFE0 && code < 0xFFE7) || (code >= 0x20000 && code < 0x3FFFE);
        width += wide ? 2 : 1;
    }
    return width;
}

} // namespace callcenter
