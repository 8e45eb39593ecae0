// zelagent-board: the supervisors' live status board. Reads the floor from the call
// centre's database once a second with an account that may only read, and pushes it
// to every open page.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "board/BoardDb.h"
#include "board/BoardServer.h"
#include "board/BoardSettings.h"
#include "board/Grants.h"
#include "board/Publisher.h"

namespace {

constexpr const char* kUsage = R"(usage: zelagent-board [--config FILE] [--stats]

The supervisors' live status board of ZELAgent: a web page that shows every desk of
the call centre, its state and its calls of the day, updated every second.

  --config FILE  the settings file (default /etc/zelagent/board.conf)
  --stats        print "board desks=.. query_ms=.. push_bytes=.." when ending
  --help         this text
)";

std::atomic<int> g_exitCode{0};

void Log(const std::string& text) {
    std::cerr << "zelagent-board: " << text << std::endl;
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream all;
    all << file.rdbuf();
    text = all.str();
    return true;
}

// Connects, and refuses an account that could write. fatal is set for that refusal.
bool ConnectReadOnly(board::BoardDb& db, const board::DbTarget& target, bool& fatal,
                     std::string& error) {
    fatal = false;
    if (!db.Connect(target)) {
        error = db.Error();
        return false;
    }
    std::vector<std::string> grants;
    if (!db.Grants(grants)) {
        error = db.Error();
        return false;
    }
    std::string why;
    if (!board::GrantsOnlyRead(grants, why)) {
        db.Close();
        fatal = true;
        error = "the database account may do more than read (" + why +
                "); give the board an account of its own with board-grants.sql";
        return false;
    }
    return true;
}

double Percentile99(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(values.size())));
    return values[std::min(values.size() - 1, rank == 0 ? 0 : rank - 1)];
}

} // namespace

int main(int argc, char** argv) {
    std::string configPath = "/etc/zelagent/board.conf";
    bool stats = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            configPath = argv[++i];
        } else if (arg.rfind("--config=", 0) == 0) {
            configPath = arg.substr(9);
        } else if (arg == "--stats") {
            stats = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }

    board::BoardSettings settings;
    std::string text, error;
    if (!ReadFile(configPath, text)) {
        Log("cannot read the settings file " + configPath + ": " + std::strerror(errno));
        return 1;
    }
    if (!board::ParseSettings(text, settings, error)) {
        Log(configPath + ": " + error);
        return 1;
    }
    if (!board::CheckExposure(settings, error)) {
        Log("refusing to start: " + error);
        return 1;
    }
    struct stat info {};
    if (!settings.authPassword.empty() && stat(configPath.c_str(), &info) == 0 &&
        (info.st_mode & S_IROTH)) {
        Log("refusing to start: " + configPath +
            " holds a password and anyone may read it (chmod o-r)");
        return 1;
    }

    // Signals are taken by one thread of their own; every other thread blocks them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const board::DbTarget target{settings.dbCnf, settings.dbHost, settings.dbPort};
    auto db = std::make_shared<board::BoardDb>();
    bool fatal = false;
    if (!ConnectReadOnly(*db, target, fatal, error)) {
        if (fatal) {
            Log("refusing to start: " + error);
            return 1;
        }
        Log("the database is not reachable yet (" + error + "); trying every second");
    }

    board::ReadFloor read = [db, target](board::Snapshot& snapshot, std::string& trouble) {
        static std::string lastError;
        std::string error;
        bool fatal = false;
        bool ok = db->Connected() || ConnectReadOnly(*db, target, fatal, error);
        if (ok && !db->ReadSnapshot(snapshot)) {
            ok = false;
            error = db->Error();
        }
        if (fatal) {
            Log("stopping: " + error);
            g_exitCode = 1;
            kill(getpid(), SIGTERM);
        }
        if (!ok && error != lastError)
            Log("cannot read the database: " + error);
        if (ok && !lastError.empty())
            Log("reading the database again");
        lastError = ok ? "" : error;
        // The page says only that the data is missing; the details stay in this log.
        trouble = "데이터베이스에서 읽을 수 없습니다.";
        return ok;
    };
    board::Publisher publisher(read, {settings.breakAlertSeconds, settings.callAlertSeconds},
                               std::chrono::milliseconds(1000));
    board::BoardServer server(settings, publisher);
    if (!server.Bind(error)) {
        Log("refusing to start: " + error);
        return 1;
    }
    publisher.Start();
    std::thread signalThread([&] {
        int signal = 0;
        sigwait(&signals, &signal);
        server.Stop();
    });
    Log("serving " + server.Address());
    const bool served = server.Serve();
    publisher.Stop();
    // When serving ended without a signal, the signal thread is woken by one.
    kill(getpid(), SIGTERM);
    signalThread.join();

    if (stats) {
        std::printf("board desks=%lld query_ms=%.1f push_bytes=%.0f\n", publisher.Desks(),
                    Percentile99(publisher.ReadTimes()), server.PushBytesPerSecond());
    }
    return served ? g_exitCode.load() : 1;
}
