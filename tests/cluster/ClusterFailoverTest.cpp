// An agent on the cluster (scripts/cluster start) through HAProxy: the node serving it is
// killed with SIGKILL mid-shift. The console's own logic and worker thread keep running,
// show at most one database error box, poll successfully again, pick up the next call,
// and the killed node rejoins. Prints failover_s=<seconds from the kill to the next
// successful poll> for bench/run.
// Keys: SVC_ID 590, TEL_NUM '5590', USER_ID 'cluster1'.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "console/line/ConsoleLines.h"
#include "console/logic/AgentConsole.h"
#include "console/logic/ConsoleView.h"
#include "db/AgentEnv.h"
#include "platform/MessageBox.h"
#include "platform/TraceChannel.h"
#include "tools/CallCenter.h"
#include "tools/CallCenterDb.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using namespace callcenter;

constexpr const char* kFront = "127.0.0.2"; // HAProxy (the program's port is always 8907)
constexpr const char* kSvc = "590";
constexpr const char* kTel = "5590";
constexpr const char* kAgent = "김클러";

// The console's window as the test needs it: the call-information timer runs at once
// through the UI queue, and the poll timer is kept for the queue to fire.
class QuietView : public IAgentConsoleView {
  public:
    explicit QuietView(std::function<void()> callInfo, std::function<void(int)> pollTimer)
        : callInfo_(std::move(callInfo)), pollTimer_(std::move(pollTimer)) {}
    void SetWindowTitle(const std::string&) override {}
    void EnableButton(int, bool) override {}
    void SetFieldText(int, const std::string&) override {}
    void ExchangeCallResult(bool, std::string&, int&) override {}
    void StartCallInfoTimer() override { callInfo_(); }
    void StartPollTimer(int ms) override { pollTimer_(ms); }
    void RequestAttention() override {}
    wxWindow* BoxOwner() override { return nullptr; }

  private:
    std::function<void()> callInfo_;
    std::function<void(int)> pollTimer_;
};

// The UI thread's queue: the test's thread runs what the worker posts while it waits.
class UiQueue {
  public:
    void Post(std::function<void()> task) {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    // A one-shot timer of the UI thread: onTick runs in PumpUntil once it is due.
    void StartTimer(int ms, std::function<void()> onTick) {
        due_ = Clock::now() + std::chrono::milliseconds(ms);
        onTick_ = std::move(onTick);
    }
    // Runs posted tasks until done() holds or the time is up; false on time-out.
    bool PumpUntil(const std::function<bool()>& done, Clock::duration limit) {
        const Clock::time_point end = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() >= end)
                return false;
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (!tasks_.empty()) {
                    task = std::move(tasks_.front());
                    tasks_.pop_front();
                }
            }
            if (task) {
                task();
            } else if (onTick_ && Clock::now() >= due_) {
                std::exchange(onTick_, nullptr)();
            } else {
                std::this_thread::sleep_for(5ms);
            }
        }
        return true;
    }

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    Clock::time_point due_;
    std::function<void()> onTick_;
};

std::string ClusterDir() {
    return ZEL_CLUSTER_BUILD_DIR "/cluster";
}

class ClusterFailoverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path cnf = fs::path(ClusterDir()) / "client.cnf";
        if (!fs::exists(cnf))
            GTEST_SKIP() << "no cluster (scripts/cluster start, or scripts/test-cluster)";
        char pattern[] = "/tmp/zelagent-cluster-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        work_ = pattern;
        fs::create_directory(work_ / "Env");
        fs::copy_file(cnf, work_ / "Env" / "rdbclient.cnf");
        previousDir_ = fs::current_path();
        fs::current_path(work_);
        ASSERT_TRUE(db_.Open(kFront, "8907")) << db_.Error();
        DeleteRows();
        ASSERT_TRUE(db_.Execute(std::string("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, "
                                            "PASSWORD) values ('cluster1', '") +
                                kAgent + "', 'x')"))
            << db_.Error();
        ASSERT_TRUE(db_.Execute(std::string("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, "
                                            "USER_ID) values (") +
                                kSvc + ", '" + kTel + "', 'cluster1')"))
            << db_.Error();
    }
    void TearDown() override {
        platform::SetTraceSink({});
        platform::SetMessageBoxHandler({});
        if (work_.empty())
            return;
        for (int attempt = 0; attempt < 3 && !DeleteRows(); ++attempt)
            std::this_thread::sleep_for(1s);
        fs::current_path(previousDir_);
        fs::remove_all(work_);
    }
    bool DeleteRows() {
        return db_.Execute(std::string("delete from TRANSFER_NUM_INFO where SVC_ID = ") + kSvc) &&
               db_.Execute(std::string("delete from TRANSFER_HIST where SVC_ID = ") + kSvc) &&
               db_.Execute(std::string("delete from REQ_XAN where SVC_ID = ") + kSvc) &&
               db_.Execute("delete from USER_AGENT_INFO where USER_ID = 'cluster1'");
    }
    // The call centre's transfer, repeated while the cluster cannot take writes yet.
    bool TransferCall(TransferResult& result, Clock::duration limit) {
        const Clock::time_point end = Clock::now() + limit;
        for (;;) {
            TransferRequest request;
            request.desk = {kSvc, kTel};
            if (center_.Transfer(request, result))
                return true;
            if (Clock::now() >= end)
                return false;
            std::this_thread::sleep_for(200ms);
        }
    }

    fs::path work_, previousDir_;
    CallCenterDb db_;
    std::mt19937 random_{590};
    CallCenter center_{db_, random_};
};

TEST_F(ClusterFailoverTest, AnAgentKeepsTakingCallsWhenTheNodeServingItIsKilled) {
    UiQueue ui;
    std::mutex boxMutex;
    std::vector<std::string> boxes;
    platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& request) {
        std::lock_guard lock(boxMutex);
        boxes.push_back(request.text);
        return platform::IDOK; // the agent dismisses it at once
    });

    CTELVOAgentEnv env;
    env.serverAddress = kFront;
    ASSERT_TRUE(env.RDBServerOpen());
    ASSERT_EQ(env.CheckDBType(), 1);
    env.userId = "cluster1";
    env.svcId = kSvc;
    env.telNum = kTel;
    env.agentName = kAgent;
    // Every poll's end, and whether it read the desk: the console starts its poll timer
    // as each poll's outcome comes back.
    struct PollEnd {
        Clock::time_point at;
        bool read;
    };
    std::mutex pollMutex;
    std::vector<PollEnd> pollEnds;
    AgentConsole* consolePtr = nullptr;
    QuietView view(
        [&ui, &consolePtr] { ui.Post([&consolePtr] { consolePtr->OnCallInfoTimer(); }); },
        [&](int ms) {
            {
                std::lock_guard lock(pollMutex);
                pollEnds.push_back({Clock::now(), !consolePtr->LastPoll().xanId.empty()});
            }
            ui.StartTimer(ms, [&consolePtr] { consolePtr->PollTransfer(); });
        });
    DbLine line(env, [&ui](std::function<void()> task) { ui.Post(std::move(task)); });
    AgentConsole console(view, env, line);
    consolePtr = &console;
    line.Start();

    console.ShowInitialState();
    auto mode = [&console](int expected) {
        return [&console, expected] { return console.AgentMode() == expected; };
    };
    console.OnLogin();
    ASSERT_TRUE(ui.PumpUntil(mode(AGENT_MODE_READY), 5s));

    // A first call on the healthy cluster.
    TransferResult first;
    ASSERT_TRUE(TransferCall(first, 5s)) << center_.Error();
    ASSERT_TRUE(ui.PumpUntil(mode(AGENT_MODE_INCALL), 5s));
    HangupResult ended;
    ASSERT_TRUE(center_.Hangup({kSvc, kTel}, ended)) << center_.Error();
    ASSERT_TRUE(ui.PumpUntil(mode(AGENT_MODE_READY), 5s));

    // Kill the node HAProxy sends the agent to.
    const std::string node = db_.Scalar("select @@wsrep_node_name");
    ASSERT_TRUE(node == "node1" || node == "node2" || node == "node3") << node << db_.Error();
    long pid = 0;
    std::ifstream(ClusterDir() + "/" + node + "/mariadbd.pid") >> pid;
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(static_cast<pid_t>(pid), SIGKILL), 0);
    const Clock::time_point killed = Clock::now();

    // The next successful poll: a poll that ended after the kill with the desk read.
    std::size_t seen = 0;
    std::optional<Clock::time_point> recovered;
    ASSERT_TRUE(ui.PumpUntil(
        [&] {
            std::lock_guard lock(pollMutex);
            for (; seen < pollEnds.size() && !recovered; ++seen)
                if (pollEnds[seen].at > killed && pollEnds[seen].read)
                    recovered = pollEnds[seen].at;
            return recovered.has_value();
        },
        20s))
        << "no successful poll within 20 s of the kill";
    const double failover = std::chrono::duration<double>(*recovered - killed).count();
    std::printf("failover_s=%.2f\n", failover);
    std::fflush(stdout);

    // The next call, transferred right after the kill, is picked up within 10 s of it.
    TransferResult next;
    ASSERT_TRUE(TransferCall(next, 15s)) << center_.Error();
    const std::string stamped = "select AGENT_NM from TRANSFER_HIST where XAN_ID = " + next.xanId;
    ASSERT_TRUE(ui.PumpUntil([&] { return db_.Scalar(stamped) == kAgent; }, 15s));
    const double pickedUp = std::chrono::duration<double>(Clock::now() - killed).count();
    std::printf("next call picked up %.1f s after the kill\n", pickedUp);
    EXPECT_LE(pickedUp, 10.0);
    EXPECT_TRUE(ui.PumpUntil(mode(AGENT_MODE_INCALL), 3s));
    {
        std::lock_guard lock(boxMutex);
        EXPECT_LE(boxes.size(), 1u) << (boxes.empty() ? "" : boxes.back());
        std::printf("database error boxes after the kill: %zu\n", boxes.size());
    }
    ASSERT_TRUE(center_.Hangup({kSvc, kTel}, ended)) << center_.Error();
    EXPECT_TRUE(ui.PumpUntil(mode(AGENT_MODE_READY), 5s));

    // The killed node rejoins (from its recovered position) and the cluster is whole.
    const std::string nodeNumber = node.substr(4);
    const std::string restart = std::string("ZEL_BUILD_DIR='" ZEL_CLUSTER_BUILD_DIR
                                            "' '" ZEL_SOURCE_DIR "/scripts/cluster' start-node ") +
                                nodeNumber + " >&2";
    EXPECT_EQ(std::system(restart.c_str()), 0);
    EXPECT_EQ(db_.Scalar("select variable_value from information_schema.global_status where "
                         "variable_name = 'wsrep_cluster_size'"),
              "3");

    console.OnLogout();
    EXPECT_TRUE(ui.PumpUntil(mode(AGENT_MODE_LOGOUT), 5s));
}

} // namespace
