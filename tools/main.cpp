// zelagent-callcenter: the call-centre side of the agent's work, for demonstrations,
// tests and load. It writes call transfers into the shared tables as the call
// centre does, ends them, shows the desks, and can run as a small distributor.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "db/SqlText.h"
#include "tools/CallCenter.h"
#include "tools/CallCenterDb.h"
#include "tools/CredentialsCopy.h"
#include "tools/Distributor.h"
#include "tools/HistorySeed.h"
#include "tools/PasswordCommands.h"
#include "tools/PickupRun.h"
#include "tools/ReportRun.h"
#ifdef ZEL_WITH_LOAD
#include "tools/LoadRun.h"
#endif

namespace fs = std::filesystem;
using namespace callcenter;

namespace {

constexpr const char* kUsage =
    R"(usage: zelagent-callcenter [--cnf FILE] [--host H] [--port P] COMMAND [options]

The call-centre side of ZELAgent: transfers calls to agents' desks in the database
NEW_XAN and ends them again, as the call centre does.

Commands:
  transfer --svc N --tel T [--xan ID] [--phone P] [--cust TEXT]...
        Transfers a call to the desk (service N, phone number T): a request in REQ_XAN
        (a new one with made-up Korean customer data, or the existing request ID),
        its TRANSFER_HIST row of today, and TRANSFER_STATUS 1 on the desk. Up to four
        --cust give the customer lines. Prints the call's XAN_ID.
  hangup --svc N --tel T
        Ends the desk's call: TRANSFER_STATUS 0, and the call's seconds as CONF_TIME.
  status [--svc N]...
        Every desk (or those of the services): readiness, since when, and its call.
  run [--svc N]... [--count N] [--duration S] [--min S] [--max S] [--gap S] [--seed N]
        Distributes calls to desks that are ready and free, each lasting between
        --min and --max seconds (default 20 and 60), with a pause of --gap seconds
        (default 5) for the desk after each call. Waiting requests of the service are
        used first. Stops after --count calls have ended, after --duration seconds, or
        on Ctrl+C / SIGTERM; calls under way are then ended.
  load --agents N --seconds S [--threads T] [--svc N] [--rate R] [--min S] [--max S]
        Runs N simulated agents, each the console's own logic on its own connection
        (as N programs would), polled by T threads (default 100) once a second, while
        calls of --min to --max seconds (default 2 to 6) are handed out at R a second
        (default N/10, at most 50). Makes the desks of service N (default 900) and
        removes them afterwards. Reports poll and pick-up times over S seconds and the
        server's CPU and memory (when it runs on this machine); the last line reads
        agents n=.. poll_p99_ms=.. pickup_p99_ms=.. server_cpu_pct=.. server_rss_mb=..
  pickup --svc N --tel T [--calls C]
        Times how fast the agent signed in at the desk picks up calls: C calls (default
        200), each transferred at a random moment of its poll period and timed from the
        commit until its history row carries the agent's name. Prints
        pickup_ms p50=.. p99=.. max=.. n=..
  report --day YYYYMMDD [--svc N]... [--csv FILE]
        How each agent spent the day, from the desks' state history and the calls:
        first sign-in, last sign-out, time signed in, ready, on break by reason, in
        calls and in after-call work, calls taken and talk time, and each service's
        total. A state running over midnight counts up to midnight. --csv also writes
        the figures as CSV (durations in seconds) to FILE; --csv - writes only the CSV.
  seed-history --agents N [--svc N] [--days D] [--calls-per-day C] [--duration S]
        Fills REQ_XAN and TRANSFER_HIST with the calls of N agents (desks and accounts
        of service N, default 700) over D days up to today (default 365), C calls per
        agent and day (default 2), many rows per statement; stops after S seconds
        (default 3600). Does nothing when the service holds calls already. Prints
        history_seed rows=.. calls=.. seconds=.. complete=..
  passwd --user ID --agent NAME
        Stores a new sign-in password for the agent as a one-way hash. The password is
        read from the terminal (twice, not shown), or from one line of standard input
        when that is not a terminal; never from the command line.
  hash-passwords
        Replaces every sign-in password still stored in clear by its one-way hash, all
        in one transaction; the agents sign in with the same passwords as before.

Connection:
  --cnf FILE    the client option file with the account (e.g. build/db/client.cnf);
                also --defaults FILE or --defaults-file=FILE. Without it the program's
                own Env/rdbclient.cnf of the working folder is used, as the agent's
                program does, else the standard MariaDB option files.
  --host H      the server's address (default: host of the option file, else 127.0.0.1)
  --port P      the server's port (default: port of the option file, else 8907)
  --db NAME     the database of the tables (default NEW_XAN); where the agents' NEW_XAN
                holds views, the database under them (not for load)
  --help        this text
)";

std::atomic<bool> g_stop{false};
std::atomic<bool> g_distributing{false};

// The distributor ends its calls before it stops; any other command ends at once, with
// the copy of its option file removed.
void OnStopSignal(int signal) {
    if (g_distributing) {
        g_stop = true;
        return;
    }
    RemoveCredentialsCopy();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

struct Arguments {
    std::string command;
    std::string cnf, host, port, db;
    std::vector<std::string> services;
    std::string tel, xan, phone;
    std::string day, csv;
    std::string user, agent;
    std::vector<std::string> cust;
    DistributorOptions run;
    std::optional<unsigned> seed;
    bool lengthGiven = false;
    int agents = 100, seconds = 30, threads = 0, calls = 200;
    double rate = 0;
    int days = 365, callsPerDay = 2;
};

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "zelagent-callcenter: " << message << "\n(see zelagent-callcenter --help)\n";
    std::exit(2);
}

int NumberOption(const std::string& name, const std::string& text) {
    if (!IsPlainDigits(text) || text.size() > 9)
        UsageError(name + " needs a whole number, not '" + text + "'");
    return std::atoi(text.c_str());
}

Arguments ParseArguments(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.resize(eq);
                inlineValue = true;
            }
        }
        auto next = [&]() -> std::string {
            if (inlineValue)
                return value;
            if (i + 1 >= argc)
                UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else if (arg == "--cnf" || arg == "--defaults" || arg == "--defaults-file") {
            args.cnf = next();
        } else if (arg == "--host") {
            args.host = next();
        } else if (arg == "--port") {
            args.port = next();
        } else if (arg == "--db") {
            args.db = next();
        } else if (arg == "--svc") {
            args.services.push_back(next());
        } else if (arg == "--tel") {
            args.tel = next();
        } else if (arg == "--xan") {
            args.xan = next();
        } else if (arg == "--phone") {
            args.phone = next();
        } else if (arg == "--user") {
            args.user = next();
        } else if (arg == "--agent") {
            args.agent = next();
        } else if (arg == "--cust") {
            args.cust.push_back(next());
        } else if (arg == "--count") {
            args.run.count = NumberOption(arg, next());
        } else if (arg == "--duration") {
            args.run.durationSeconds = NumberOption(arg, next());
        } else if (arg == "--min") {
            args.run.minSeconds = NumberOption(arg, next());
            args.lengthGiven = true;
        } else if (arg == "--max") {
            args.run.maxSeconds = NumberOption(arg, next());
            args.lengthGiven = true;
        } else if (arg == "--agents") {
            args.agents = NumberOption(arg, next());
        } else if (arg == "--seconds") {
            args.seconds = NumberOption(arg, next());
        } else if (arg == "--threads") {
            args.threads = NumberOption(arg, next());
        } else if (arg == "--calls") {
            args.calls = NumberOption(arg, next());
        } else if (arg == "--rate") {
            args.rate = NumberOption(arg, next());
        } else if (arg == "--day") {
            args.day = next();
        } else if (arg == "--csv") {
            // Made absolute now: with --cnf the run moves to a folder of its own.
            args.csv = next();
            if (args.csv != "-")
                args.csv = fs::absolute(args.csv).string();
        } else if (arg == "--days") {
            args.days = NumberOption(arg, next());
        } else if (arg == "--calls-per-day") {
            args.callsPerDay = NumberOption(arg, next());
        } else if (arg == "--gap") {
            args.run.gapSeconds = NumberOption(arg, next());
        } else if (arg == "--seed") {
            args.seed = static_cast<unsigned>(NumberOption(arg, next()));
        } else if (arg.rfind("-", 0) == 0) {
            UsageError("unknown option " + arg);
        } else if (args.command.empty()) {
            args.command = arg;
        } else {
            UsageError("unexpected argument " + arg);
        }
    }
    if (args.command.empty())
        UsageError("no command given");
    if (args.run.maxSeconds < args.run.minSeconds)
        args.run.maxSeconds = args.run.minSeconds;
    for (const std::string& svc : args.services)
        if (!IsPlainDigits(svc))
            UsageError("--svc needs a service ID (a number), not '" + svc + "'");
    if (args.cust.size() > 4)
        UsageError("at most four --cust lines");
    args.run.services = args.services;
    return args;
}

// A value of the [client] group of an option file, or "".
std::string OptionFileValue(const fs::path& file, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    bool client = false;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#' || line[first] == ';')
            continue;
        line = line.substr(first);
        if (line[0] == '[') {
            client = line.rfind("[client]", 0) == 0 || line.rfind("[zelagent]", 0) == 0;
            continue;
        }
        const auto eq = line.find('=');
        if (!client || eq == std::string::npos)
            continue;
        std::string name = line.substr(0, eq);
        name.erase(name.find_last_not_of(" \t") + 1);
        if (name != key)
            continue;
        std::string value = line.substr(eq + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r") + 1);
        return value;
    }
    return {};
}

// hh:mm:ss (and how long ago) for a time of today, the date and time otherwise.
std::string SinceText(const std::string& stamp, std::time_t now) {
    const auto since = ParseLocalStamp(stamp);
    if (!since)
        return "-";
    char text[64];
    if (stamp.substr(0, 8) != LocalStamp(now).substr(0, 8)) {
        std::snprintf(text, sizeof text, "%s-%s-%s %s:%s", stamp.substr(0, 4).c_str(),
                      stamp.substr(4, 2).c_str(), stamp.substr(6, 2).c_str(),
                      stamp.substr(8, 2).c_str(), stamp.substr(10, 2).c_str());
        return text;
    }
    const long long seconds = now > *since ? static_cast<long long>(now - *since) : 0;
    std::snprintf(text, sizeof text, "%s:%s:%s (%lld:%02lld:%02lld)", stamp.substr(8, 2).c_str(),
                  stamp.substr(10, 2).c_str(), stamp.substr(12, 2).c_str(), seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

int RunStatus(CallCenter& center, const Arguments& args) {
    std::vector<DeskState> desks;
    if (!center.ListDesks(args.services, desks)) {
        std::cerr << "zelagent-callcenter: " << center.Error() << "\n";
        return 1;
    }
    std::printf("%-6s %-8s %-12s %-11s %-22s %s\n", "SVC_ID", "TEL_NUM", "USER_ID", "STATE",
                "SINCE (FOR)", "TRANSFER");
    const std::time_t now = std::time(nullptr);
    for (const DeskState& desk : desks) {
        std::string transfer = "0 (no call)";
        if (desk.transferStatus == 1)
            transfer = "1 (call " + desk.xanId + " from " + desk.recvPhone + ")";
        else if (desk.transferStatus != 0)
            transfer = std::to_string(desk.transferStatus);
        std::printf("%-6s %-8s %-12s %-11s %-22s %s\n", desk.desk.svcId.c_str(),
                    desk.desk.telNum.c_str(), desk.userId.c_str(), ReadinessText(desk),
                    SinceText(desk.statusStartTime, now).c_str(), transfer.c_str());
    }
    if (desks.empty())
        std::printf("(no desks)\n");
    return 0;
}

DeskKey OneDesk(const Arguments& args) {
    if (args.services.size() != 1)
        UsageError(args.command + " needs one --svc");
    if (args.tel.empty())
        UsageError(args.command + " needs --tel");
    return {args.services[0], args.tel};
}

} // namespace

int main(int argc, char** argv) {
    const Arguments args = ParseArguments(argc, argv);
    if (args.command != "transfer" && args.command != "hangup" && args.command != "status" &&
        args.command != "run" && args.command != "load" && args.command != "pickup" &&
        args.command != "report" && args.command != "seed-history" && args.command != "passwd" &&
        args.command != "hash-passwords")
        UsageError("unknown command " + args.command);

    fs::path cnf = args.cnf.empty() ? fs::path("Env/rdbclient.cnf") : fs::absolute(args.cnf);
    if (!args.cnf.empty() && !fs::is_regular_file(cnf)) {
        std::cerr << "zelagent-callcenter: no option file " << args.cnf << "\n";
        return 2;
    }
    std::string host = args.host.empty() ? OptionFileValue(cnf, "host") : args.host;
    std::string port = args.port.empty() ? OptionFileValue(cnf, "port") : args.port;
    if (host.empty())
        host = "127.0.0.1";
    if (port.empty())
        port = "8907";

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::string why;
    if (!args.cnf.empty() && !MakeCredentialsCopy(cnf, &why)) {
        std::cerr << "zelagent-callcenter: cannot prepare the credentials of " << args.cnf << ": "
                  << why << "\n";
        return 1;
    }
    CallCenterDb db;
    if (!args.db.empty())
        db.UseDatabase(args.db);
    if (!db.Open(host, port)) {
        std::cerr << "zelagent-callcenter: " << db.Error() << "\n";
        return 1;
    }
    std::mt19937 random(args.seed ? *args.seed : std::random_device{}());
    CallCenter center(db, random);

    if (args.command == "status")
        return RunStatus(center, args);
    if (args.command == "passwd") {
        if (args.user.empty() || args.agent.empty())
            UsageError("passwd needs --user and --agent");
        return RunPasswd(db, args.user, args.agent, std::cout);
    }
    if (args.command == "hash-passwords")
        return RunHashPasswords(db, std::cout);

    if (args.command == "report") {
        if (args.day.empty())
            UsageError("report needs --day YYYYMMDD");
        ReportOptions options;
        options.day = args.day;
        options.services = args.services;
        options.csvFile = args.csv;
        return RunReport(db, options, std::cout, std::cerr);
    }

    if (args.command == "pickup") {
        PickupOptions options;
        options.desk = OneDesk(args);
        options.calls = std::max(1, args.calls);
        return RunPickup(center, db, options, std::cout);
    }

    if (args.command == "seed-history") {
        if (args.services.size() > 1 || args.agents < 1 || args.days < 1)
            UsageError("seed-history takes one --svc, --agents and --days of at least 1");
        HistorySeedOptions options;
        if (!args.services.empty())
            options.svcId = args.services[0];
        options.agents = args.agents;
        options.days = args.days;
        options.callsPerDay = args.callsPerDay;
        if (args.run.durationSeconds > 0)
            options.maxSeconds = args.run.durationSeconds;
        return RunHistorySeed(db, options, std::cout);
    }

    if (args.command == "load") {
#ifdef ZEL_WITH_LOAD
        if (args.agents < 1 || args.seconds < 1)
            UsageError("load needs --agents and --seconds of at least 1");
        if (args.services.size() > 1)
            UsageError("load takes at most one --svc");
        LoadOptions options;
        options.agents = args.agents;
        options.seconds = args.seconds;
        options.threads = args.threads;
        options.callsPerSecond = args.rate;
        if (!args.services.empty())
            options.svcId = args.services[0];
        if (args.lengthGiven) {
            options.minCallMs = args.run.minSeconds * 1000;
            options.maxCallMs = args.run.maxSeconds * 1000;
        }
        return RunLoad(options, host, port, std::cout);
#else
        std::cerr << "zelagent-callcenter: load needs the console logic (a build with the GUI)\n";
        return 2;
#endif
    }

    if (args.command == "transfer") {
        TransferRequest request;
        request.desk = OneDesk(args);
        request.xanId = args.xan;
        request.phone = args.phone;
        request.cust = args.cust;
        TransferResult result;
        if (!center.Transfer(request, result)) {
            std::cerr << "zelagent-callcenter: " << center.Error() << "\n";
            return 1;
        }
        std::cerr << "call " << result.xanId << " from " << result.phone << " (" << result.custInfo
                  << ") transferred to desk " << request.desk.svcId << "/" << request.desk.telNum
                  << (result.replacedCall ? ", replacing the call it had" : "") << "\n";
        std::cout << result.xanId << std::endl;
        return 0;
    }

    if (args.command == "hangup") {
        const DeskKey desk = OneDesk(args);
        HangupResult result;
        if (!center.Hangup(desk, result)) {
            std::cerr << "zelagent-callcenter: " << center.Error() << "\n";
            return 1;
        }
        std::cout << "call " << result.xanId << " ended after " << result.seconds << " s"
                  << std::endl;
        return 0;
    }

    // run
    g_distributing = true;
    std::cout << "distributing calls";
    if (!args.services.empty()) {
        std::cout << " to service";
        for (const std::string& svc : args.services)
            std::cout << " " << svc;
    }
    std::cout << " (calls of " << args.run.minSeconds << "-" << args.run.maxSeconds << " s";
    if (args.run.count > 0)
        std::cout << ", " << args.run.count << " calls";
    if (args.run.durationSeconds > 0)
        std::cout << ", for " << args.run.durationSeconds << " s";
    std::cout << "); Ctrl+C stops" << std::endl;
    Distributor distributor(center, args.run, random, std::cout);
    distributor.Run(g_stop);
    return 0;
}
