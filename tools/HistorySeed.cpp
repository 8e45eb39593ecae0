#include "tools/HistorySeed.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "db/SqlText.h"
#include "tools/CallCenterDb.h"
#include "tools/CustomerData.h"

namespace callcenter {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCallsPerStatement = 1000;
// Seeded calls take their XAN_IDs from here up, clear of the small keys that tests and
// hand-made calls use; later requests of the call centre number on after them.
constexpr long long kFirstXan = 100000000;
constexpr int kShiftStart = 9 * 3600, kShiftSeconds = 9 * 3600; // 09:00 to 18:00
constexpr const char* kMemos[] = {"",
                                  "",
                                  "",
                                  "요금제 안내 후 변경 완료",
                                  "다음 주 재연락 요청",
                                  "청구서 이메일 재발송",
                                  "해지 방어, 결합 할인 안내",
                                  "고객 부재로 통화 종료",
                                  "로밍 요금 문의, 요금표 문자 발송",
                                  "단말기 할부 잔여 회차 안내"};

std::string Quoted(const std::string& text) {
    return "'" + EscapeSqlText(text) + "'";
}

struct Day {
    std::string date; // yyyymmdd
};

Day DayBefore(int daysBack) {
    const std::time_t when = std::time(nullptr) - static_cast<std::time_t>(daysBack) * 86400;
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return {text};
}

std::string Clock6(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", secondOfDay / 3600 % 24, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    return text;
}

std::string UserId(const std::string& svc, int agent) {
    return "hist" + svc + "-" + std::to_string(agent);
}
std::string AgentName(int agent) {
    return "상담사" + std::to_string(agent);
}
std::string TelNum(int agent) {
    return std::to_string(800000 + agent);
}

bool MakeDesks(CallCenterDb& db, const HistorySeedOptions& options) {
    const std::string& svc = options.svcId;
    for (int from = 0; from < options.agents; from += kCallsPerStatement) {
        std::string users =
            "insert ignore into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ";
        std::string desks =
            "insert ignore into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ";
        for (int i = from; i < std::min(options.agents, from + kCallsPerStatement); ++i) {
            const char* comma = i == from ? "" : ", ";
            users += comma + ("('" + UserId(svc, i) + "', '" + AgentName(i) + "', 'hist')");
            desks += comma + ("(" + svc + ", '" + TelNum(i) + "', '" + UserId(svc, i) + "')");
        }
        if (!db.Execute(users) || !db.Execute(desks))
            return false;
    }
    return true;
}

struct Call {
    int second; // of the day
    int agent;
};

// One day's calls, XAN_IDs in the order of their start, written kCallsPerStatement at a time.
bool WriteDay(CallCenterDb& db, const HistorySeedOptions& options, const Day& day,
              long long& nextXan, std::mt19937& random, std::string& error) {
    std::vector<Call> calls;
    calls.reserve(static_cast<std::size_t>(options.agents) * options.callsPerDay);
    std::uniform_int_distribution<int> second(kShiftStart, kShiftStart + kShiftSeconds - 1);
    for (int agent = 0; agent < options.agents; ++agent)
        for (int k = 0; k < options.callsPerDay; ++k)
            calls.push_back({second(random), agent});
    std::sort(calls.begin(), calls.end(),
              [](const Call& a, const Call& b) { return a.second < b.second; });
    std::uniform_int_distribution<int> length(30, 600), grade(1, 7);
    std::uniform_int_distribution<std::size_t> memo(0, std::size(kMemos) - 1);
    const std::string svc = options.svcId;
    // One transaction a day: a commit (and its flush) per batch would cost more than the rows.
    if (!db.Execute("start transaction")) {
        error = db.Error();
        return false;
    }
    for (std::size_t from = 0; from < calls.size(); from += kCallsPerStatement) {
        std::string requests = "insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, "
                               "CUST_INFO2, CUST_INFO3, CUST_INFO4, REQ_DT, REQ_TIME) values ";
        std::string history = "insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, RECV_PHONE, "
                              "CONF_DT, START_TIME, END_TIME, CONF_TIME, AGENT_NM, "
                              "CONSULT_RESULT, COMMENT) values ";
        const std::size_t to = std::min(calls.size(), from + kCallsPerStatement);
        for (std::size_t c = from; c < to; ++c) {
            const Call& call = calls[c];
            const Customer customer = RandomCustomer(random);
            const std::string xan = std::to_string(nextXan++);
            const int seconds = length(random);
            const char* comma = c == from ? "" : ", ";
            requests += comma + ("(" + xan + ", " + svc + ", '" + customer.phone + "', " +
                                 Quoted(customer.info[0]) + ", " + Quoted(customer.info[1]) + ", " +
                                 Quoted(customer.info[2]) + ", " + Quoted(customer.info[3]) +
                                 ", '" + day.date + "', '" + Clock6(call.second) + "')");
            char result[16];
            std::snprintf(result, sizeof result, "%02d", grade(random));
            history += comma + ("(" + xan + ", " + svc + ", '" + TelNum(call.agent) + "', '" +
                                customer.phone + "', '" + day.date + "', '" + day.date +
                                Clock6(call.second) + "', '" + day.date +
                                Clock6(std::min(call.second + seconds, 86399)) + "', " +
                                std::to_string(seconds) + ", '" + AgentName(call.agent) + "', '" +
                                result + "', " + Quoted(kMemos[memo(random)]) + ")");
        }
        if (!db.Execute(requests) || !db.Execute(history)) {
            error = db.Error();
            db.Execute("rollback");
            return false;
        }
    }
    if (db.Execute("commit"))
        return true;
    error = db.Error();
    return false;
}

long long MaxXan(CallCenterDb& db) {
    long long most = 0;
    for (const char* table : {"REQ_XAN", "TRANSFER_HIST"}) {
        const std::string value = db.Scalar(std::string("select max(XAN_ID) from ") + table);
        if (!value.empty())
            most = std::max(most, std::stoll(value));
    }
    return most;
}

} // namespace

int RunHistorySeed(CallCenterDb& db, const HistorySeedOptions& options, std::ostream& out) {
    const Clock::time_point start = Clock::now();
    auto elapsed = [&start] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    // Whether the service has calls, by the first one found: counting a year of them
    // takes longer than the client library waits for an answer.
    const std::string present =
        db.Scalar("select XAN_ID from TRANSFER_HIST where SVC_ID = " + options.svcId + " limit 1");
    if (!db.Error().empty()) {
        out << "history_seed: " << db.Error() << std::endl;
        return 1;
    }
    if (!present.empty()) {
        out << "history_seed: service " << options.svcId << " holds calls already; nothing written"
            << std::endl;
        out << "history_seed rows=0 calls=0 seconds=0 complete=1" << std::endl;
        return 0;
    }
    if (!MakeDesks(db, options)) {
        out << "history_seed: cannot make the desks: " << db.Error() << std::endl;
        return 1;
    }
    std::mt19937 random(20261209);
    long long nextXan = std::max(MaxXan(db) + 1, kFirstXan);
    long long calls = 0;
    bool complete = true;
    for (int d = 0; d < options.days; ++d) {
        const Day day = DayBefore(options.days - 1 - d);
        // Calls the call centre made meanwhile took the next numbers: go on after them.
        nextXan = std::max(nextXan, MaxXan(db) + 1);
        std::string error;
        if (!WriteDay(db, options, day, nextXan, random, error)) {
            out << "history_seed: " << error.substr(0, 300) << std::endl;
            complete = false;
            break;
        }
        calls += static_cast<long long>(options.agents) * options.callsPerDay;
        if ((d + 1) % 30 == 0 || d + 1 == options.days)
            out << "history_seed: " << d + 1 << " of " << options.days << " days, " << 2 * calls
                << " rows in " << static_cast<int>(elapsed()) << " s" << std::endl;
        if (elapsed() > options.maxSeconds && d + 1 < options.days) {
            out << "history_seed: stopped at the time limit of " << options.maxSeconds << " s"
                << std::endl;
            complete = false;
            break;
        }
    }
    out << "history_seed rows=" << 2 * calls << " calls=" << calls
        << " seconds=" << static_cast<int>(elapsed()) << " complete=" << (complete ? 1 : 0)
        << std::endl;
    return complete ? 0 : 1;
}

} // namespace callcenter
