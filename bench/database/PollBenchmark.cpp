// Round trip of the agent's one-per-second poll through librdbclient against the
// private server (scripts/db start), next to the same select over Connector/C alone.
// Reports the median and the 99th percentile of single calls (median_us, p99_us); the
// benchmark in turns also the floor's (raw_median_us, raw_p99_us).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <mysql.h>
#include <unistd.h>

#include "rdbclient/RDBClient.h"

namespace {

constexpr const char* kDb = "NEW_XAN";
constexpr const char* kSvcId = "990";
constexpr const char* kTelNum = "9901";
constexpr const char* kPollFormat = "select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from "
                                    "TRANSFER_NUM_INFO where SVC_ID = %s and TEL_NUM = '%s'";

std::string ClientCnf() {
    if (const char* overridden = std::getenv("ZEL_DB_CLIENT_CNF"); overridden && *overridden)
        return overridden;
    std::error_code ec;
    if (!std::filesystem::exists(ZEL_DB_CLIENT_CNF, ec))
        return ZEL_DB_SHARED_CLIENT_CNF;
    return ZEL_DB_CLIENT_CNF;
}

std::string PollStatement() {
    char sql[256];
    std::snprintf(sql, sizeof sql, kPollFormat, kSvcId, kTelNum);
    return sql;
}

// A working folder with Env/rdbclient.cnf and one desk row of the benchmark's own,
// for the life of the program.
class BenchEnvironment {
  public:
    BenchEnvironment() {
        std::error_code ec;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        dir_ = pattern;
        std::filesystem::create_directory(dir_ / "Env", ec);
        std::filesystem::copy_file(ClientCnf(), dir_ / "Env" / "rdbclient.cnf", ec);
        std::filesystem::current_path(dir_, ec);
        handle_ = RDBServerOpen("127.0.0.1", "8907");
        if (handle_ > 0)
            Run("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, XAN_ID, RECV_PHONE, "
                "CUST_INFO, TRANSFER_STATUS) values (990, '9901', 'rdbtest990', 990001, "
                "'01012345678', '벤치마크 고객님', 1) on duplicate key update TRANSFER_STATUS = 1");
    }
    ~BenchEnvironment() {
        if (handle_ > 0) {
            Run("delete from TRANSFER_NUM_INFO where SVC_ID = 990 and TEL_NUM = '9901'");
            RDBServerClose(handle_);
        }
        std::error_code ec;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ec);
    }
    int Handle() const { return handle_; }
    std::string Cnf() const { return (dir_ / "Env" / "rdbclient.cnf").string(); }

  private:
    void Run(const char* sql) {
        RDBStatus status;
        if (RDBExecuteSQL(handle_, kDb, sql, &status) <= 0)
            std::fprintf(stderr, "setup failed: %d %s\n", status.code, status.message);
    }
    std::filesystem::path dir_;
    int handle_ = 0;
};

BenchEnvironment& Environment() {
    static BenchEnvironment environment;
    return environment;
}

// Times each call; the counters give the median and 99th percentile in microseconds.
template <typename Call> void TimeCalls(benchmark::State& state, Call call) {
    std::vector<double> micros;
    micros.reserve(200000);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!call()) {
            state.SkipWithError("the call failed: is the private server up (scripts/db start)?");
            return;
        }
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(micros.begin(), micros.end());
    if (micros.empty())
        return;
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

void BM_PollThroughRdbclient(benchmark::State& state) {
    const int handle = Environment().Handle();
    if (handle <= 0) {
        state.SkipWithError("cannot connect: is the private server up (scripts/db start)?");
        return;
    }
    const std::string sql = PollStatement();
    char record[RDB_RECORD_SIZE];
    RDBStatus status;
    TimeCalls(state, [&] {
        return RDBQueryFirstRecord(handle, kDb, sql.c_str(), record, &status) > 0 &&
               status.code == RDB_STATUS_RECORD;
    });
}
BENCHMARK(BM_PollThroughRdbclient)->MinTime(2.0);

// The floor: the same select on one Connector/C session, without the library.
void BM_PollOverConnectorAlone(benchmark::State& state) {
    if (Environment().Handle() <= 0) {
        state.SkipWithError("cannot connect: is the private server up (scripts/db start)?");
        return;
    }
    MYSQL* mysql = mysql_init(nullptr);
    const std::string cnf = Environment().Cnf();
    mysql_optionsv(mysql, MYSQL_READ_DEFAULT_FILE, cnf.c_str());
    if (!mysql_real_connect(mysql, "127.0.0.1", nullptr, nullptr, kDb, 8907, nullptr, 0)) {
        state.SkipWithError(mysql_error(mysql));
        mysql_close(mysql);
        return;
    }
    const std::string sql = PollStatement();
    TimeCalls(state, [&] {
        if (mysql_real_query(mysql, sql.data(), sql.size()) != 0)
            return false;
        MYSQL_RES* result = mysql_store_result(mysql);
        const bool ok = result != nullptr && mysql_fetch_row(result) != nullptr;
        mysql_free_result(result);
        return ok;
    });
    mysql_close(mysql);
}
BENCHMARK(BM_PollOverConnectorAlone)->MinTime(2.0);

// Both side by side: one call through librdbclient, then one over Connector/C alone, in
// turns, so that a busy machine slows both alike and their ratio stays fair.
void BM_PollInTurns(benchmark::State& state) {
    const int handle = Environment().Handle();
    MYSQL* mysql = mysql_init(nullptr);
    const std::string cnf = Environment().Cnf();
    mysql_optionsv(mysql, MYSQL_READ_DEFAULT_FILE, cnf.c_str());
    if (handle <= 0 ||
        !mysql_real_connect(mysql, "127.0.0.1", nullptr, nullptr, kDb, 8907, nullptr, 0)) {
        state.SkipWithError("cannot connect: is the private server up (scripts/db start)?");
        mysql_close(mysql);
        return;
    }
    const std::string sql = PollStatement();
    char record[RDB_RECORD_SIZE];
    RDBStatus status;
    std::vector<double> ours, raw;
    auto timed = [](auto call, std::vector<double>& micros) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = call();
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        return ok;
    };
    for (auto _ : state) {
        const bool ok =
            timed(
                [&] {
                    return RDBQueryFirstRecord(handle, kDb, sql.c_str(), record, &status) > 0 &&
                           status.code == RDB_STATUS_RECORD;
                },
                ours) &&
            timed(
                [&] {
                    if (mysql_real_query(mysql, sql.data(), sql.size()) != 0)
                        return false;
                    MYSQL_RES* result = mysql_store_result(mysql);
                    const bool read = result != nullptr && mysql_fetch_row(result) != nullptr;
                    mysql_free_result(result);
                    return read;
                },
                raw);
        if (!ok) {
            state.SkipWithError("a call failed");
            break;
        }
    }
    mysql_close(mysql);
    if (ours.empty() || raw.empty())
        return;
    std::sort(ours.begin(), ours.end());
    std::sort(raw.begin(), raw.end());
    state.counters["median_us"] = ours[ours.size() / 2];
    state.counters["p99_us"] = ours[ours.size() * 99 / 100];
    state.counters["raw_median_us"] = raw[raw.size() / 2];
    state.counters["raw_p99_us"] = raw[raw.size() * 99 / 100];
}
BENCHMARK(BM_PollInTurns)->MinTime(4.0);

} // namespace

BENCHMARK_MAIN();
