// Two measurements of the database server alone, over Connector/C:
//
//   bench_capacity raw --cnf FILE --agents N --seconds S [--threads T]
//     N connections, each sending the agent's poll statement once a second after its
//     previous poll ended, and nothing else: the least any console can cost the server.
//     Prints: raw n=.. poll_p50_ms=.. poll_p99_ms=.. server_cpu_pct=.. server_rss_mb=..
//
//   bench_capacity history --cnf FILE --svc N --agents N [--samples K]
//     On a floor filled by `zelagent-callcenter seed-history`: for K random agents the
//     statements a call costs on today's rows (customer information, the stamp, the
//     registration, the day's statistics), each timed, and the desk's readiness beside
//     them (a commit on a small table).
//     Prints: history rows=.. stats_p99_ms=.. stamp_p99_ms=.. register_p99_ms=..
//             customer_p99_ms=.. busy_stats_p99_ms=.. (the statistics of an 80-call day)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <queue>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <mysql.h>

#include "db/AgentStatements.h"
#include "db/SqlBuilder.h"
#include "db/SqlText.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr const char* kRawSvc = "910";

std::map<std::string, std::string> g_options;

std::string Option(const std::string& name, const std::string& fallback) {
    const auto found = g_options.find(name);
    return found == g_options.end() ? fallback : found->second;
}
int IntOption(const std::string& name, int fallback) {
    return std::atoi(Option(name, std::to_string(fallback)).c_str());
}

MYSQL* Connect() {
    MYSQL* mysql = mysql_init(nullptr);
    const std::string cnf = Option("cnf", "");
    mysql_optionsv(mysql, MYSQL_READ_DEFAULT_FILE, cnf.c_str());
    if (mysql_real_connect(mysql, "127.0.0.1", nullptr, nullptr, "NEW_XAN", 8907, nullptr, 0))
        return mysql;
    std::fprintf(stderr, "bench_capacity: cannot connect: %s\n", mysql_error(mysql));
    mysql_close(mysql);
    return nullptr;
}

// Sends the statement and reads its result; false on an error.
bool Run(MYSQL* mysql, const std::string& sql) {
    if (mysql_real_query(mysql, sql.data(), sql.size()) != 0) {
        std::fprintf(stderr, "bench_capacity: %s: %s\n", sql.c_str(), mysql_error(mysql));
        return false;
    }
    if (MYSQL_RES* result = mysql_store_result(mysql))
        mysql_free_result(result);
    return true;
}

std::string Scalar(MYSQL* mysql, const std::string& sql) {
    std::string value;
    if (mysql_real_query(mysql, sql.data(), sql.size()) != 0)
        return value;
    if (MYSQL_RES* result = mysql_store_result(mysql)) {
        if (MYSQL_ROW row = mysql_fetch_row(result); row != nullptr && row[0] != nullptr)
            value = row[0];
        mysql_free_result(result);
    }
    return value;
}

double Percentile(std::vector<double> samples, double share) {
    if (samples.empty())
        return -1;
    std::sort(samples.begin(), samples.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(samples.size()));
    return samples[std::min(at, samples.size() - 1)];
}

std::string Fixed(double value, int decimals) {
    if (value < 0)
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// The server's CPU seconds and resident MB from /proc, when it runs on this machine.
struct ServerUse {
    double cpuSeconds = -1, rssMb = -1;
};
ServerUse ReadServerUse(long pid) {
    ServerUse use;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (pid <= 0 || !std::getline(stat, text))
        return use;
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::stoull(field);
    use.cpuSeconds = static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    while (std::getline(status, text))
        if (text.rfind("VmRSS:", 0) == 0)
            use.rssMb = std::stod(text.substr(6)) / 1024.0;
    return use;
}

std::string TelNum(int agent) {
    return std::to_string(910000 + agent);
}

// One thread's share of the connections, each polled a second after its last poll ended.
void PollThread(int first, int step, int agents, const std::atomic<bool>& measuring,
                const std::atomic<bool>& stop, std::atomic<int>& connected,
                std::atomic<int>& failed, std::vector<double>& samples) {
    struct Desk {
        MYSQL* mysql;
        std::string sql;
    };
    std::vector<Desk> desks;
    for (int i = first; i < agents; i += step) {
        MYSQL* mysql = Connect();
        if (mysql == nullptr) {
            ++failed;
            continue;
        }
        desks.push_back({mysql, *agentsql::TransferInfoSql(kRawSvc, TelNum(i))});
        ++connected;
    }
    using Due = std::pair<Clock::time_point, std::size_t>;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> queue;
    std::mt19937 random(static_cast<unsigned>(first));
    for (std::size_t k = 0; k < desks.size(); ++k)
        queue.push({Clock::now() + std::chrono::milliseconds(random() % 1000), k});
    while (!stop && !queue.empty()) {
        const auto [due, k] = queue.top();
        if (const auto now = Clock::now(); now < due) {
            std::this_thread::sleep_until(std::min(due, now + std::chrono::milliseconds(50)));
            continue;
        }
        queue.pop();
        const Clock::time_point begin = Clock::now();
        if (!Run(desks[k].mysql, desks[k].sql))
            ++failed;
        const Clock::time_point end = Clock::now();
        if (measuring)
            samples.push_back(Ms(end - begin).count());
        queue.push({end + std::chrono::seconds(1), k});
    }
    for (Desk& desk : desks)
        mysql_close(desk.mysql);
}

int RawPoll() {
    const int agents = IntOption("agents", 1000);
    const int seconds = IntOption("seconds", 20);
    const int threads = std::clamp(IntOption("threads", 100), 1, agents);
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    MYSQL* admin = Connect();
    if (admin == nullptr)
        return 1;
    const std::string desks = std::string("TRANSFER_NUM_INFO where SVC_ID = ") + kRawSvc;
    Run(admin, "delete from " + desks);
    for (int from = 0; from < agents; from += 1000) {
        std::string sql = "insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ";
        for (int i = from; i < std::min(agents, from + 1000); ++i)
            sql += std::string(i == from ? "" : ", ") + "(" + kRawSvc + ", '" + TelNum(i) +
                   "', 'raw" + std::to_string(i) + "')";
        if (!Run(admin, sql))
            return 1;
    }
    long pid = 0;
    std::ifstream(Scalar(admin, "select @@pid_file")) >> pid;

    std::atomic<bool> measuring{false}, stop{false};
    std::atomic<int> connected{0}, failed{0};
    std::vector<std::vector<double>> samples(threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(PollThread, t, threads, agents, std::cref(measuring), std::cref(stop),
                          std::ref(connected), std::ref(failed), std::ref(samples[t]));
    const Clock::time_point signInEnd = Clock::now() + std::chrono::minutes(3);
    while (connected + failed < agents && Clock::now() < signInEnd)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const ServerUse before = ReadServerUse(pid);
    const Clock::time_point start = Clock::now();
    measuring = true;
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    measuring = false;
    const double window = std::chrono::duration<double>(Clock::now() - start).count();
    const ServerUse after = ReadServerUse(pid);
    stop = true;
    for (std::thread& thread : pool)
        thread.join();
    Run(admin, "delete from " + desks);
    mysql_close(admin);

    std::vector<double> all;
    for (const auto& part : samples)
        all.insert(all.end(), part.begin(), part.end());
    const double cpu = before.cpuSeconds < 0 || after.cpuSeconds < 0
                           ? -1
                           : 100.0 * (after.cpuSeconds - before.cpuSeconds) / window;
    std::printf("raw: %d connections (%d failures), %zu polls in %.1f s\n", connected.load(),
                failed.load(), all.size(), window);
    std::printf("raw n=%d poll_p50_ms=%s poll_p99_ms=%s server_cpu_pct=%s server_rss_mb=%s\n",
                connected.load(), Fixed(Percentile(all, 0.5), 3).c_str(),
                Fixed(Percentile(all, 0.99), 2).c_str(), Fixed(cpu, 1).c_str(),
                Fixed(after.rssMb, 0).c_str());
    return connected == agents && failed == 0 ? 0 : 1;
}

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

int History() {
    const std::string svc = Option("svc", "700");
    const int agents = IntOption("agents", 10000);
    const int samples = IntOption("samples", 2000);
    if (!IsPlainDigits(svc))
        return 2;
    MYSQL* mysql = Connect();
    if (mysql == nullptr)
        return 1;
    const std::string rows = Scalar(mysql, "select (select count(*) from TRANSFER_HIST) + "
                                           "(select count(*) from REQ_XAN)");
    const std::string today = Today();
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> pick(0, agents - 1), grade(1, 7);
    std::map<std::string, std::vector<double>> timings;
    auto timed = [&](const char* name, const std::string& sql) {
        const Clock::time_point begin = Clock::now();
        const bool ok = Run(mysql, sql);
        timings[name].push_back(Ms(Clock::now() - begin).count());
        return ok;
    };
    int measured = 0;
    for (int i = 0; i < samples * 3 && measured < samples; ++i) {
        const int agent = pick(random);
        const std::string name = "상담사" + std::to_string(agent);
        const std::string quotedName = EscapeSqlText(name);
        // One of the agent's calls of today, its stamp taken off again as before the pick-up.
        const std::string xan = Scalar(
            mysql, "select XAN_ID from TRANSFER_HIST where SVC_ID = " + svc + " and CONF_DT = '" +
                       today + "' and AGENT_NM = '" + quotedName + "' limit 1");
        if (xan.empty())
            continue;
        Run(mysql, "update TRANSFER_HIST set AGENT_NM = '' where XAN_ID = " + xan);
        // The console's statements of a call, in its order.
        SqlBuilder registration(SqlBuilder::Update);
        registration.table = "TRANSFER_HIST";
        char result[16];
        std::snprintf(result, sizeof result, "%02d", grade(random));
        registration.AddString("CONSULT_RESULT", result);
        registration.AddString("COMMENT", EscapeSqlText("다음 주 재연락 요청"));
        registration.where = "XAN_ID = " + xan + " ";
        const std::string stats = "select count(*) CNT, sum(CONF_TIME) CONF_TIME from "
                                  "TRANSFER_HIST where SVC_ID = " +
                                  svc + " and CONF_DT = '" + today + "' and AGENT_NM = '" +
                                  quotedName + "' ";
        if (!timed("stamp", *agentsql::HistAgentNameSql(name, xan)) ||
            !timed("customer", *agentsql::CustInfoSql(xan)) ||
            !timed("register", registration.BuildSQL()) || !timed("stats", stats) ||
            !timed("ready", *agentsql::ReadyStatusSql(3, DB_TYPE_MYSQL, svc,
                                                      std::to_string(800000 + agent))))
            return 1;
        ++measured;
    }
    // A busy agent's full day: the statistics read every call of the agent's day, so a day
    // of 80 calls (rows of agents of the bench's own, removed again) costs more than the
    // seeded two.
    constexpr int kBusyAgents = 20, kBusyCalls = 80;
    const std::string maxXan = Scalar(mysql, "select max(XAN_ID) from TRANSFER_HIST");
    const long long busyFirst = (maxXan.empty() ? 0 : std::stoll(maxXan)) + 1000000;
    std::string busyRows = "insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, "
                           "CONF_TIME, AGENT_NM) values ";
    for (int k = 0; k < kBusyAgents * kBusyCalls; ++k)
        busyRows += std::string(k == 0 ? "" : ", ") + "(" + std::to_string(busyFirst + k) + ", " +
                    svc + ", '0', '" + today + "', 120, '바쁜상담사" +
                    std::to_string(k % kBusyAgents) + "')";
    if (Run(mysql, busyRows)) {
        for (int round = 0; round < 10; ++round)
            for (int a = 0; a < kBusyAgents; ++a)
                timed("busy", "select count(*) CNT, sum(CONF_TIME) CONF_TIME from TRANSFER_HIST "
                              "where SVC_ID = " +
                                  svc + " and CONF_DT = '" + today +
                                  "' and AGENT_NM = '바쁜상담사" + std::to_string(a) + "' ");
        Run(mysql, "delete from TRANSFER_HIST where XAN_ID between " + std::to_string(busyFirst) +
                       " and " + std::to_string(busyFirst + kBusyAgents * kBusyCalls - 1));
    }
    mysql_close(mysql);
    if (measured == 0) {
        std::fprintf(stderr,
                     "bench_capacity: no calls of today for service %s: seed it first "
                     "(zelagent-callcenter seed-history)\n",
                     svc.c_str());
        return 1;
    }
    // The desk's readiness is a one-row update of a small table: what any commit costs.
    std::printf("history: %d calls of today, p50 ms: stats %s stamp %s register %s customer %s; "
                "a commit on the small desk table (readiness) p50 %s p99 %s\n",
                measured, Fixed(Percentile(timings["stats"], 0.5), 3).c_str(),
                Fixed(Percentile(timings["stamp"], 0.5), 3).c_str(),
                Fixed(Percentile(timings["register"], 0.5), 3).c_str(),
                Fixed(Percentile(timings["customer"], 0.5), 3).c_str(),
                Fixed(Percentile(timings["ready"], 0.5), 3).c_str(),
                Fixed(Percentile(timings["ready"], 0.99), 2).c_str());
    std::printf("history rows=%s stats_p99_ms=%s stamp_p99_ms=%s register_p99_ms=%s "
                "customer_p99_ms=%s busy_stats_p99_ms=%s\n",
                rows.empty() ? "n/a" : rows.c_str(),
                Fixed(Percentile(timings["stats"], 0.99), 2).c_str(),
                Fixed(Percentile(timings["stamp"], 0.99), 2).c_str(),
                Fixed(Percentile(timings["register"], 0.99), 2).c_str(),
                Fixed(Percentile(timings["customer"], 0.99), 2).c_str(),
                Fixed(Percentile(timings["busy"], 0.99), 2).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    for (int i = 2; i + 1 < argc; i += 2)
        if (std::string(argv[i]).rfind("--", 0) == 0)
            g_options[argv[i] + 2] = argv[i + 1];
    if (Option("cnf", "").empty() || (mode != "raw" && mode != "history")) {
        std::fprintf(stderr, "usage: bench_capacity raw|history --cnf FILE [--agents N] "
                             "[--seconds S] [--threads T] [--svc N] [--samples K]\n");
        return 2;
    }
    mysql_library_init(0, nullptr, nullptr);
    const int status = mode == "raw" ? RawPoll() : History();
    mysql_library_end();
    return status;
}
