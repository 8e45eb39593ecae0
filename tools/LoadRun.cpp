#include "tools/LoadRun.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <queue>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "console/line/ConsoleLines.h"
#include "console/logic/AgentConsole.h"
#include "console/logic/ConsoleView.h"
#include "db/AgentEnv.h"
#include "platform/MessageBox.h"
#include "tools/CallCenter.h"
#include "tools/CallCenterDb.h"
#include "tools/CustomerData.h"
#include "tools/Percentiles.h"

namespace callcenter {

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// Longest a worker sleeps at once, so a stop request is seen soon.
constexpr auto kWakeSlice = std::chrono::milliseconds(50);
// Time allowed for the sign-in of every agent.
constexpr auto kSignInLimit = std::chrono::minutes(5);

// A console window that shows nothing: the load needs the logic, not the pixels. The
// zero-delay call-information timer is remembered and run by the agent's thread.
class QuietView : public IAgentConsoleView {
  public:
    void SetWindowTitle(const std::string&) override {}
    void EnableButton(int, bool) override {}
    void SetFieldText(int, const std::string&) override {}
    void ExchangeCallResult(bool, std::string&, int&) override {}
    void StartCallInfoTimer() override { callInfoDue = true; }
    void RequestAttention() override {}
    wxWindow* BoxOwner() override { return nullptr; }

    bool callInfoDue = false;
};

// What the distributor and an agent's thread share about one desk.
struct DeskSlot {
    std::atomic<AgentConsole*> console{nullptr}; // set while the agent is signed in
    std::atomic<int> mode{AGENT_MODE_LOGOUT};    // the console's mode, as its thread last saw it
    std::atomic<long long> pickedUpNs{0};        // when the agent stamped the last call
};

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

std::string TelNum(int agent) {
    return std::to_string(700000 + agent);
}
std::string UserId(const std::string& svcId, int agent) {
    return "load" + svcId + "-" + std::to_string(agent);
}
// The fourth customer line of every request a load makes: what its clean-up looks for.
constexpr const char* kLoadMarker = "zelagent-load";

constexpr const char* kAgentNamePrefix = "상담원";
std::string AgentName(int agent) {
    return kAgentNamePrefix + std::to_string(agent);
}

// Shared state of one run.
struct Run {
    Run(const LoadOptions& loadOptions, std::string serverHost)
        : options(loadOptions), host(std::move(serverHost)),
          desks(std::make_unique<DeskSlot[]>(loadOptions.agents)) {}
    const LoadOptions& options;
    std::string host;
    std::unique_ptr<DeskSlot[]> desks;
    std::atomic<int> signedIn{0}, signInFailed{0}, errorBoxes{0};
    std::atomic<bool> measuring{false}, stop{false};
    std::mutex samplesMutex;
    std::vector<double> pollMs;
    long long polls = 0, latePolls = 0;
    double maxLateMs = 0;
};

// One worker: owns its agents' consoles, constructs them on its own thread (which is
// then their UI thread, so their window work runs inline) and polls each agent one
// second after its previous poll ended, as the console's worker does.
void AgentThread(Run& run, int first, int step) {
    platform::SetThreadMessageBoxHandler([&run](const platform::MessageBoxRequest&) {
        ++run.errorBoxes;
        return platform::IDOK;
    });
    struct Agent {
        int index;
        std::unique_ptr<CTELVOAgentEnv> env;
        std::unique_ptr<QuietView> view;
        std::unique_ptr<InlineLine> line;
        std::unique_ptr<AgentConsole> console;
    };
    std::vector<Agent> agents;
    for (int i = first; i < run.options.agents; i += step) {
        Agent agent{i, std::make_unique<CTELVOAgentEnv>(), std::make_unique<QuietView>(), nullptr,
                    nullptr};
        agent.env->serverAddress = run.host;
        agent.env->userId = UserId(run.options.svcId, i);
        agent.env->svcId = run.options.svcId;
        agent.env->telNum = TelNum(i);
        agent.env->agentName = AgentName(i);
        // The agent's thread runs each statement at once, as the program's line does.
        agent.line = std::make_unique<InlineLine>(*agent.env);
        agent.console = std::make_unique<AgentConsole>(*agent.view, *agent.env, *agent.line);
        if (!agent.env->RDBServerOpen() || agent.env->CheckDBType() != 1) {
            ++run.signInFailed;
            continue;
        }
        agent.console->OnLogin();
        if (agent.console->AgentMode() != AGENT_MODE_READY) {
            ++run.signInFailed;
            agent.env->ServerClose();
            continue;
        }
        run.desks[i].mode = agent.console->AgentMode();
        run.desks[i].console = agent.console.get();
        ++run.signedIn;
        agents.push_back(std::move(agent));
    }

    // Earliest poll first; the first polls spread over one second.
    using Due = std::pair<Clock::time_point, std::size_t>;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> queue;
    std::mt19937 random(static_cast<unsigned>(first));
    const Clock::time_point start = Clock::now();
    for (std::size_t k = 0; k < agents.size(); ++k)
        queue.push(
            {start + std::chrono::milliseconds(random() % AgentConsole::kPollIntervalMs), k});

    std::vector<double> pollMs;
    long long polls = 0, latePolls = 0;
    double maxLateMs = 0;
    while (!run.stop && !queue.empty()) {
        const auto [due, k] = queue.top();
        const Clock::time_point now = Clock::now();
        if (now < due) {
            std::this_thread::sleep_until(std::min(due, now + kWakeSlice));
            continue;
        }
        queue.pop();
        Agent& agent = agents[k];
        const Clock::time_point begin = Clock::now();
        const int changed = agent.console->PollTransfer();
        const Clock::time_point end = Clock::now();
        run.desks[agent.index].mode = agent.console->AgentMode();
        if (changed == 1 && agent.console->AgentMode() == AGENT_MODE_INCALL)
            run.desks[agent.index].pickedUpNs = NowNs();
        if (agent.view->callInfoDue) {
            agent.view->callInfoDue = false;
            agent.console->OnCallInfoTimer();
        }
        if (run.measuring) {
            ++polls;
            const double lateMs = Ms(begin - due).count();
            maxLateMs = std::max(maxLateMs, lateMs);
            if (lateMs > 100)
                ++latePolls;
            // The poll statement alone: polls that changed the mode also wrote.
            if (changed == 0)
                pollMs.push_back(Ms(end - begin).count());
        }
        queue.push({Clock::now() + std::chrono::milliseconds(AgentConsole::kPollIntervalMs), k});
    }

    for (Agent& agent : agents) {
        run.desks[agent.index].console = nullptr;
        agent.console->OnLogout();
        agent.env->ServerClose();
    }
    std::lock_guard lock(run.samplesMutex);
    run.pollMs.insert(run.pollMs.end(), pollMs.begin(), pollMs.end());
    run.polls += polls;
    run.latePolls += latePolls;
    run.maxLateMs = std::max(run.maxLateMs, maxLateMs);
}

// CPU time (user + system) of a process in seconds, and its resident memory in MB.
struct ProcessUse {
    double cpuSeconds = -1;
    double rssMb = -1;
};

ProcessUse ReadProcessUse(long pid) {
    ProcessUse use;
    if (pid <= 0)
        return use;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return use;
    // Fields after the command name (which may hold blanks) start at the last ')'.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    use.cpuSeconds = static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    while (std::getline(status, text))
        if (text.rfind("VmRSS:", 0) == 0)
            use.rssMb = std::stod(text.substr(6)) / 1024.0;
    return use;
}

// The server's process, when it runs on this machine and tells where its pid file is.
long ServerPid(CallCenterDb& db) {
    std::ifstream file(db.Scalar("select @@pid_file"));
    long pid = 0;
    if (!(file >> pid))
        return 0;
    return pid;
}

// Removes what a load of the service made, and nothing else: its requests carry the
// marker as their fourth customer line (their history rows have the same XAN_ID), its
// accounts and desks the user IDs 'load<service>-<n>'. Rows of a real service stay.
bool RemoveLoadRows(CallCenterDb& db, const std::string& svc) {
    const std::string marked =
        "r.SVC_ID = " + svc + " and r.CUST_INFO4 = '" + std::string(kLoadMarker) + "'";
    const std::string users = "USER_ID like 'load" + svc + "-%'";
    return db.Execute("delete h from TRANSFER_HIST h join REQ_XAN r on r.XAN_ID = h.XAN_ID where " +
                      marked + " and h.SVC_ID = " + svc) &&
           db.Execute("delete r from REQ_XAN r where " + marked) &&
           db.Execute("delete from TRANSFER_NUM_INFO where SVC_ID = " + svc + " and " + users) &&
           db.Execute("delete from USER_AGENT_INFO where " + users + " and AGENT_NM like '" +
                      kAgentNamePrefix + "%'");
}

bool MakeDesks(CallCenterDb& db, const LoadOptions& options) {
    const std::string& svc = options.svcId;
    if (!RemoveLoadRows(db, svc))
        return false;
    constexpr int kBatch = 1000;
    for (int from = 0; from < options.agents; from += kBatch) {
        std::string users = "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ";
        std::string desks = "insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ";
        for (int i = from; i < std::min(options.agents, from + kBatch); ++i) {
            const char* comma = i == from ? "" : ", ";
            users += comma + ("('" + UserId(svc, i) + "', '" + AgentName(i) + "', 'load')");
            desks += comma + ("(" + svc + ", '" + TelNum(i) + "', '" + UserId(svc, i) + "')");
        }
        if (!db.Execute(users) || !db.Execute(desks))
            return false;
    }
    return true;
}

void RemoveDesks(CallCenterDb& db, const LoadOptions& options) {
    RemoveLoadRows(db, options.svcId);
}

struct CallUnderWay {
    int agent;
    long long committedNs;
    Clock::time_point end;
    bool measured; // committed inside the measured window
};

struct DistributorCounts {
    std::vector<double> pickupMs;
    int missed = 0;   // ended before the agent took it
    int noDesk = 0;   // no free ready desk when a call was due
    int failures = 0; // transfers or hang-ups the database refused
    std::string lastError;
};

// Hands out calls at an even rate to random ready desks during the window, ends each
// after its length, and times the pick-up of each from its commit.
DistributorCounts Distribute(Run& run, CallCenter& center, Clock::time_point windowEnd) {
    const LoadOptions& options = run.options;
    const double rate = options.callsPerSecond > 0 ? options.callsPerSecond
                                                   : std::clamp(options.agents / 10.0, 1.0, 50.0);
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> length(options.minCallMs,
                                              std::max(options.minCallMs, options.maxCallMs));
    std::vector<int> idle;
    for (int i = 0; i < options.agents; ++i)
        idle.push_back(i);
    std::vector<CallUnderWay> calls;
    DistributorCounts counts;
    const Clock::time_point start = Clock::now();
    long long handedOut = 0;

    auto endCall = [&](const CallUnderWay& call) {
        HangupResult ended;
        if (!center.Hangup({options.svcId, TelNum(call.agent)}, ended)) {
            ++counts.failures;
            counts.lastError = center.Error();
        }
        const long long picked = run.desks[call.agent].pickedUpNs;
        if (call.measured) {
            if (picked == 0)
                ++counts.missed;
            else
                counts.pickupMs.push_back(std::max(0.0, (picked - call.committedNs) / 1e6));
        }
        idle.push_back(call.agent);
    };

    for (;;) {
        const Clock::time_point now = Clock::now();
        for (std::size_t c = 0; c < calls.size();) {
            if (calls[c].end <= now) {
                endCall(calls[c]);
                calls[c] = calls.back();
                calls.pop_back();
            } else {
                ++c;
            }
        }
        if (now >= windowEnd) {
            if (calls.empty())
                break;
        } else {
            const auto due = static_cast<long long>(Ms(now - start).count() / 1000.0 * rate);
            // At most a few per turn, so that calls due to end are ended on time even
            // when the database is slow to take transfers.
            for (int turn = 0; handedOut < due && turn < 5; ++turn) {
                ++handedOut;
                // A random idle desk whose agent is back in the ready mode.
                int chosen = -1;
                for (int attempt = 0; attempt < 20 && !idle.empty() && chosen < 0; ++attempt) {
                    const std::size_t at = random() % idle.size();
                    const DeskSlot& desk = run.desks[idle[at]];
                    if (desk.console != nullptr && desk.mode == AGENT_MODE_READY) {
                        chosen = idle[at];
                        idle[at] = idle.back();
                        idle.pop_back();
                    }
                }
                if (chosen < 0) {
                    ++counts.noDesk;
                    continue;
                }
                run.desks[chosen].pickedUpNs = 0;
                TransferRequest request;
                request.desk = {options.svcId, TelNum(chosen)};
                const Customer customer = RandomCustomer(random);
                request.cust = {customer.info[0], customer.info[1], customer.info[2], kLoadMarker};
                TransferResult result;
                if (!center.Transfer(request, result)) {
                    ++counts.failures;
                    counts.lastError = center.Error();
                    idle.push_back(chosen);
                    continue;
                }
                const Clock::time_point committed = Clock::now();
                calls.push_back({chosen, NowNs(),
                                 committed + std::chrono::milliseconds(length(random)),
                                 committed < windowEnd});
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return counts;
}

void RaiseOpenFilesLimit(std::ostream& out, int agents) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < static_cast<rlim_t>(agents) + 64)
        out << "load: warning: only " << limit.rlim_cur << " open files allowed for " << agents
            << " connections (raise the hard limit, ulimit -Hn)" << std::endl;
}

std::string Fixed(double value, int decimals) {
    if (value < 0)
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

int RunLoad(const LoadOptions& options, const std::string& host, const std::string& port,
            std::ostream& out) {
    RaiseOpenFilesLimit(out, options.agents);
    if (port != "8907")
        out << "load: note: the agent's program always uses port 8907; agents connect to " << host
            << ":8907" << std::endl;
    CallCenterDb db;
    if (!db.Open(host, port)) {
        out << "load: " << db.Error() << std::endl;
        return 1;
    }
    if (!MakeDesks(db, options)) {
        out << "load: cannot create the desks: " << db.Error() << std::endl;
        RemoveDesks(db, options);
        return 1;
    }
    // A box nobody answers must not reach a terminal per poll: threads count their own.
    const platform::MessageBoxHandler previous = platform::SetMessageBoxHandler(
        [](const platform::MessageBoxRequest&) { return platform::IDOK; });

    Run run(options, host);
    const int threadCount =
        std::clamp(options.threads > 0 ? options.threads : 100, 1, std::max(1, options.agents));
    const Clock::time_point signInStart = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back(AgentThread, std::ref(run), t, threadCount);
    while (run.signedIn + run.signInFailed < options.agents &&
           Clock::now() - signInStart < kSignInLimit)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double signInSeconds = Ms(Clock::now() - signInStart).count() / 1000.0;
    out << "load: " << run.signedIn << " agents signed in over " << threadCount << " threads in "
        << Fixed(signInSeconds, 1) << " s (" << run.signInFailed << " failed)" << std::endl;

    // Let the first polls settle, then measure.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long serverPid = ServerPid(db);
    const ProcessUse serverBefore = ReadProcessUse(serverPid);
    const ProcessUse selfBefore = ReadProcessUse(getpid());
    const Clock::time_point windowStart = Clock::now();
    const Clock::time_point windowEnd = windowStart + std::chrono::seconds(options.seconds);
    run.measuring = true;
    std::mt19937 random(7);
    CallCenter center(db, random);
    DistributorCounts counts = Distribute(run, center, windowEnd);
    const double windowSeconds =
        Ms(std::max(Clock::now(), windowEnd) - windowStart).count() / 1000.0;
    run.measuring = false;
    const ProcessUse serverAfter = ReadProcessUse(serverPid);
    const ProcessUse selfAfter = ReadProcessUse(getpid());
    run.stop = true;
    for (std::thread& thread : threads)
        thread.join();
    RemoveDesks(db, options);
    platform::SetMessageBoxHandler(previous);

    const Percentiles poll = Summarize(run.pollMs);
    const Percentiles pickup = Summarize(counts.pickupMs);
    auto cpuPct = [windowSeconds](const ProcessUse& before, const ProcessUse& after) {
        if (before.cpuSeconds < 0 || after.cpuSeconds < 0)
            return -1.0;
        return 100.0 * (after.cpuSeconds - before.cpuSeconds) / windowSeconds;
    };
    out << "load: polls " << run.polls << " in " << Fixed(windowSeconds, 1)
        << " s, poll_ms p50=" << Fixed(poll.p50, 3) << " p99=" << Fixed(poll.p99, 3)
        << " max=" << Fixed(poll.max, 1)
        << "; polls more than 100 ms behind their second: " << run.latePolls << " (latest "
        << Fixed(run.maxLateMs, 0) << " ms)" << std::endl;
    out << "load: pickup_ms p50=" << Fixed(pickup.p50, 0) << " p99=" << Fixed(pickup.p99, 0)
        << " max=" << Fixed(pickup.max, 0) << " n=" << pickup.n << "; missed " << counts.missed
        << ", no free desk " << counts.noDesk << ", refused " << counts.failures << std::endl;
    if (!counts.lastError.empty())
        out << "load: last refusal: " << counts.lastError << std::endl;
    out << "load: database error boxes " << run.errorBoxes
        << "; this process cpu_pct=" << Fixed(cpuPct(selfBefore, selfAfter), 1)
        << " rss_mb=" << Fixed(selfAfter.rssMb, 0) << std::endl;
    out << "agents n=" << run.signedIn << " poll_p99_ms=" << Fixed(poll.p99, 2)
        << " pickup_p99_ms=" << Fixed(pickup.p99, 0)
        << " server_cpu_pct=" << Fixed(cpuPct(serverBefore, serverAfter), 1)
        << " server_rss_mb=" << Fixed(serverAfter.rssMb, 0) << std::endl;
    const bool complete = run.signedIn == options.agents && poll.n > 0 && pickup.n > 0;
    return complete ? 0 : 1;
}

} // namespace callcenter
