// The time report against the private database: a seeded day (a day shift, a night shift
// on both sides of midnight, an agent at two desks, a desk left running days ago) whose
// figures are checked against a second-by-second count made here from the same table,
// once for a day that is over and once for one still under way; and the table's columns.
// Keys: SVC_ID 650-651, TEL_NUM '65xx', XAN_ID 650000-650099, CODE_INFO 'BREAK_REASON'.
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/DbTestSupport.h"
#include "tools/CallCenterDb.h"
#include "tools/ReportRun.h"
#include "tools/TimeReport.h"

namespace {

using namespace callcenter;

constexpr const char* kDay = "20260314";

// One change of a desk's state; day -1 is the day before the report's, +1 the day after.
struct Change {
    const char* tel;
    const char* user;
    const char* name;
    int day;
    const char* time; // hh:mm:ss
    int state;
    const char* reason;
};

// In the order they happened (rows of the same second keep this order).
const Change kChanges[] = {
    {"6513", "rep05", "정지된", -3, "09:00:00", 2, ""}, // left running: not carried
    {"6513", "rep05", "정지된", -3, "09:00:00", 3, ""},
    {"6502", "rep02", "이밤샘", -1, "21:00:00", 2, ""}, // an earlier shift, over by midnight
    {"6502", "rep02", "이밤샘", -1, "21:00:00", 3, ""},
    {"6502", "rep02", "이밤샘", -1, "21:30:00", 1, ""},
    {"6502", "rep02", "이밤샘", -1, "22:00:00", 2, ""}, // the night shift
    {"6502", "rep02", "이밤샘", -1, "22:00:00", 3, ""},
    {"6502", "rep02", "이밤샘", -1, "23:50:00", 4, "01"},
    {"6502", "rep02", "이밤샘", 0, "00:20:00", 3, ""},
    {"6502", "rep02", "이밤샘", 0, "00:40:00", 7, ""},
    {"6502", "rep02", "이밤샘", 0, "01:00:05", 3, ""},
    {"6502", "rep02", "이밤샘", 0, "06:00:00", 1, ""},
    {"6501", "rep01", "김하루", 0, "08:59:58", 2, ""},
    {"6501", "rep01", "김하루", 0, "08:59:58", 3, ""},
    {"6501", "rep01", "김하루", 0, "10:15:00", 4, "01"},
    {"6501", "rep01", "김하루", 0, "11:00:30", 3, ""},
    {"6501", "rep01", "김하루", 0, "11:05:00", 7, ""},
    {"6501", "rep01", "김하루", 0, "11:12:10", 5, ""},
    {"6501", "rep01", "김하루", 0, "11:13:00", 3, ""},
    {"6513", "rep05", "정지된", 0, "12:00:00", 2, ""},
    {"6513", "rep05", "정지된", 0, "12:00:00", 3, ""},
    {"6513", "rep05", "정지된", 0, "12:31:07", 1, ""},
    {"6501", "rep01", "김하루", 0, "14:00:00", 4, "02"},
    {"6501", "rep01", "김하루", 0, "14:20:00", 4, ""},
    {"6501", "rep01", "김하루", 0, "14:30:00", 3, ""},
    {"6501", "rep01", "김하루", 0, "18:02:11", 1, ""},
    {"6503", "rep01", "김하루", 0, "19:00:00", 2, ""}, // the same agent at another desk
    {"6503", "rep01", "김하루", 0, "19:00:00", 3, ""},
    {"6503", "rep01", "김하루", 0, "19:30:00", 7, ""},
    {"6503", "rep01", "김하루", 0, "19:45:00", 1, ""}, // signed out during a call
    {"6504", "rep04", "=박,콤마", 0, "20:00:00", 2, ""},
    {"6504", "rep04", "=박,콤마", 0, "20:00:00", 4, "09"}, // a reason since removed
    {"6504", "rep04", "=박,콤마", 0, "20:10:00", 1, ""},
    {"6502", "rep02", "이밤샘", 0, "22:00:00", 2, ""}, // into the next day
    {"6502", "rep02", "이밤샘", 0, "22:00:00", 3, ""},
    {"6502", "rep02", "이밤샘", 1, "00:30:00", 4, "02"},
    {"6502", "rep02", "이밤샘", 1, "02:00:00", 1, ""},
};

struct Call {
    const char* name;
    int day;
    int seconds;
};
const Call kCalls[] = {{"김하루", 0, 300},  {"김하루", 0, 130}, {"김하루", -1, 999},
                       {"이밤샘", 0, 1200}, {"없는이", 0, 60},  {"", 0, 45}};

std::int64_t StartOf(const Change& c) {
    const std::int64_t day = *WallSeconds(kDay) + c.day * kDaySeconds;
    const std::string t = c.time;
    return day + std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 +
           std::stoi(t.substr(6, 2));
}

// The figures an agent's CSV line should hold, by column name.
using Figures = std::map<std::string, std::string>;

std::string Clock(std::int64_t s) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    return text;
}

// Second by second through the day: which row holds each desk, counted for its agent.
std::map<std::string, Figures> Expected(std::int64_t until) {
    const std::int64_t day = *WallSeconds(kDay);
    const std::map<std::string, std::string> column = {
        {"", "휴식"}, {"01", "휴식(식사)"}, {"02", "휴식(교육)"}, {"09", "휴식(09)"}};
    std::map<std::string, std::map<std::string, std::int64_t>> seconds;
    std::map<std::string, std::string> first, last;
    for (std::int64_t t = day; t < std::min(until, day + kDaySeconds); ++t) {
        std::map<std::string, const Change*> holding; // desk -> its row at t
        for (const Change& c : kChanges)
            if (StartOf(c) <= t && StartOf(c) >= day - kDaySeconds)
                holding[c.tel] = &c;
        for (const auto& [tel, c] : holding) {
            if (c->state == 1)
                continue;
            auto& agent = seconds[c->name];
            ++agent["로그인"];
            if (c->state == 3)
                ++agent["대기"];
            if (c->state == 4)
                ++agent[column.at(c->reason)];
            if (c->state == 5)
                ++agent["정리"];
            if (c->state == 7)
                ++agent["통화"];
        }
    }
    for (const Change& c : kChanges) {
        const std::int64_t at = StartOf(c) - day;
        if (at < 0 || at >= kDaySeconds || StartOf(c) >= until)
            continue;
        if (c.state == 2 && !first.count(c.name))
            first[c.name] = Clock(at);
        if (c.state == 1)
            last[c.name] = Clock(at);
    }
    std::map<std::string, Figures> expected;
    for (const auto& [name, counts] : seconds) {
        Figures& f = expected[name];
        for (const auto& [what, n] : counts)
            f[what] = std::to_string(n);
        f["첫 로그인"] = first.count(name) ? first[name] : "";
        f["마지막 로그아웃"] = last.count(name) ? last[name] : "";
    }
    for (const Call& call : kCalls) {
        if (call.day != 0 || !*call.name)
            continue;
        Figures& f = expected[call.name];
        f["통화 수"] = std::to_string(std::stoi(f["통화 수"].empty() ? "0" : f["통화 수"]) + 1);
        f["통화 시간"] =
            std::to_string(std::stoi(f["통화 시간"].empty() ? "0" : f["통화 시간"]) + call.seconds);
    }
    for (auto& [name, f] : expected) {
        f.try_emplace("첫 로그인", "");
        f.try_emplace("마지막 로그아웃", "");
    }
    return expected;
}

std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

class ReportDbTest : public zel::test::DbWorkFixture {
  protected:
    void SetUp() override {
        DbWorkFixture::SetUp();
        if (HasFatalFailure())
            return;
        Admin().Execute("insert into CODE_INFO values ('BREAK_REASON', '01', '식사'), "
                        "('BREAK_REASON', '02', '교육')");
        int ms = 0;
        for (const Change& c : kChanges) {
            const std::string svc = std::string(c.tel) == "6513" ? "651" : "650";
            Admin().Execute(
                "insert into AGENT_STATE_HIST (USER_ID, AGENT_NM, SVC_ID, TEL_NUM, STATE, "
                "REASON_CD, START_TIME) values (" +
                Admin().Quote(c.user) + ", " + Admin().Quote(c.name) + ", " + svc + ", " +
                Admin().Quote(c.tel) + ", " + std::to_string(c.state) + ", " +
                Admin().Quote(c.reason) + ", '" + WallTimeText(StartOf(c)) + "." +
                std::to_string(100 + ms++ % 900) + "')");
        }
        int xan = 650000;
        for (const Call& call : kCalls) {
            const std::string date = WallDateText(*WallSeconds(kDay) + call.day * kDaySeconds);
            Admin().Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, CONF_DT, CONF_TIME, "
                            "AGENT_NM) values (" +
                            std::to_string(xan++) + ", 650, '" + date + "', " +
                            std::to_string(call.seconds) + ", " + Admin().Quote(call.name) + ")");
        }
        ASSERT_TRUE(db_.Open("127.0.0.1", "8907")) << db_.Error();
    }
    std::string OwnRows() const override {
        return "delete from AGENT_STATE_HIST where SVC_ID in (650, 651); delete from "
               "TRANSFER_HIST where XAN_ID between 650000 and 650099; delete from "
               "CODE_INFO where CD_GRP = 'BREAK_REASON'";
    }
    std::string Run(ReportOptions options) {
        std::ostringstream out, err;
        EXPECT_EQ(RunReport(db_, options, out, err), 0) << err.str();
        return out.str();
    }

    CallCenterDb db_;
};

TEST_F(ReportDbTest, FiguresMatchASecondBySecondCountOfTheSameDay) {
    const std::int64_t day = *WallSeconds(kDay);
    for (const std::optional<std::int64_t> now :
         {std::optional<std::int64_t>(), std::optional<std::int64_t>(day + 11 * 3600 + 8 * 60)}) {
        SCOPED_TRACE(now ? "during the day" : "after the day");
        std::istringstream csv(
            Run({kDay, {"650", "651"}, "-", now.value_or(day + 3 * kDaySeconds)}));
        std::string line;
        std::getline(csv, line);
        ASSERT_EQ(line.rfind("\xEF\xBB\xBF", 0), 0u); // for spreadsheets: UTF-8
        const std::vector<std::string> header = CsvFields(line.substr(3, line.size() - 4));
        const auto expected = Expected(now.value_or(day + 3 * kDaySeconds));
        std::set<std::string> seen;
        std::map<std::string, std::int64_t> sums; // per service, checked against its total
        while (std::getline(csv, line)) {
            ASSERT_EQ(line.back(), '\r');
            const std::vector<std::string> fields = CsvFields(line.substr(0, line.size() - 1));
            ASSERT_EQ(fields.size(), header.size()) << line;
            std::map<std::string, std::string> got;
            for (std::size_t i = 0; i < header.size(); ++i)
                got[header[i]] = fields[i];
            EXPECT_EQ(got["날짜"], "2026-03-14");
            std::string name = got["상담원"];
            if (name == "합계") {
                EXPECT_EQ(std::to_string(sums[got["서비스"]]), got["로그인"]) << got["서비스"];
                continue;
            }
            sums[got["서비스"]] += std::stoll(got["로그인"]);
            if (name.rfind("'=", 0) == 0) // not to be read as a formula
                name.erase(0, 1);
            SCOPED_TRACE(name);
            ASSERT_TRUE(expected.count(name));
            seen.insert(name);
            for (const auto& [column, value] : expected.at(name))
                EXPECT_EQ(got[column], value) << column;
            for (const auto& [column, value] : got) { // what the count has none of is zero
                if (!expected.at(name).count(column) && column != "서비스" && column != "상담원" &&
                    column != "사용자" && column != "날짜") {
                    EXPECT_EQ(value, "0") << column;
                }
            }
        }
        EXPECT_EQ(seen.size(), expected.size());
        EXPECT_FALSE(seen.count("")); // a call no agent took is nobody's
    }
}

TEST_F(ReportDbTest, TheTableLinesUpKoreanNamesAndNamesEveryReason) {
    const std::string table = Run({kDay, {"650"}, "", *WallSeconds(kDay) + 3 * kDaySeconds});
    std::istringstream in(table);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "2026-03-14  서비스 650");
    std::vector<std::string> lines;
    while (std::getline(in, line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 6u); // header, four agents, total
    EXPECT_NE(lines[0].find("휴식  휴식(식사)  휴식(교육)  휴식(09)"), std::string::npos);
    // Every column ends at the same place on every line, Korean counted double.
    const auto ends = [](const std::string& text) {
        std::vector<int> at;
        for (std::size_t i = 1; i <= text.size(); ++i)
            if (i < text.size() && text[i] == ' ' && text[i - 1] != ' ' && i + 1 < text.size() &&
                text[i + 1] == ' ')
                at.push_back(DisplayWidth(text.substr(0, i)));
        at.push_back(DisplayWidth(text));
        return at;
    };
    const std::vector<int> columns = ends(lines[0]);
    for (const std::string& l : lines) {
        const std::vector<int> got = ends(l);
        // Right-aligned figures: each line's cells end where the header's columns end.
        EXPECT_EQ(std::vector<int>(got.end() - 8, got.end()),
                  std::vector<int>(columns.end() - 8, columns.end()))
            << l;
    }
    EXPECT_EQ(lines[5].substr(0, 6), "합계");

    const std::pair<const char*, int> widths[] = {
        {"abc", 3}, {"김민준", 6}, {"가a", 3}, {"\xE1\x84\x80\xE1\x85\xA1", 2}, {"", 0}};
    for (const auto& [text, width] : widths)
        EXPECT_EQ(DisplayWidth(text), width) << text;
}

TEST_F(ReportDbTest, ABadDayIsRefusedAndAnUnwritableFileIsAnError) {
    std::ostringstream out, err;
    for (const char* day : {"2026-03-14", "20260230", "2026031", ""})
        EXPECT_EQ(RunReport(db_, {day, {}, "", std::nullopt}, out, err), 2) << day;
    EXPECT_EQ(RunReport(db_, {kDay, {"650"}, "/nonexistent/dir/r.csv", std::nullopt}, out, err), 1);
    EXPECT_NE(err.str().find("cannot write /nonexistent/dir/r.csv"), std::string::npos);
}

} // namespace
