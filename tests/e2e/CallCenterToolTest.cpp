// The call-centre tool as a user runs it, against the private database: the services
// given to `run` are the only ones served, `load` removes only what it made, and the
// private copy of --cnf is gone after every kind of end.
// Keys: SVC_ID 583 and 584, TEL_NUM '558x', XAN_ID 583000-583999, USER_ID 'tooltest'.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/DbTestSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct ToolRun {
    bool ended = false; // within the time allowed
    int exitCode = -1;  // when it exited
    int signal = 0;     // when a signal ended it
};

// The texts as a null-ended array, as exec takes them.
std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers(texts.size() + 1, nullptr);
    std::transform(texts.begin(), texts.end(), pointers.begin(),
                   [](std::string& text) { return text.data(); });
    return pointers;
}

// Runs the tool with TMPDIR set to tmpDir; `during` (when given) is called every 50 ms
// while it runs and may signal it. Killed after the time allowed.
ToolRun RunTool(const std::vector<std::string>& args, const fs::path& tmpDir,
                const fs::path& output, std::chrono::seconds allowed,
                const std::function<void(pid_t)>& during = {}) {
    std::vector<std::string> texts{ZEL_CALLCENTER_BIN};
    texts.insert(texts.end(), args.begin(), args.end());
    std::vector<char*> argv = Pointers(texts);
    std::vector<std::string> env{"TMPDIR=" + tmpDir.string()};
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string(*e).rfind("TMPDIR=", 0) != 0)
            env.emplace_back(*e);
    std::vector<char*> envp = Pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ToolRun run;
    if (spawned != 0)
        return run;
    const Clock::time_point limit = Clock::now() + allowed;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > limit) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return run;
        }
        if (during)
            during(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    run.ended = true;
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    return run;
}

class CallCenterToolTest : public zel::test::DbWorkFixture {
  protected:
    void SetUp() override {
        DbWorkFixture::SetUp();
        if (HasFatalFailure())
            return;
        tmp_ = work_->Path() / "tmp";
        fs::create_directory(tmp_);
        output_ = work_->Path() / "tool.log";
    }
    std::string OwnRows() const override {
        return "delete from TRANSFER_NUM_INFO where SVC_ID in (583, 584); delete from REQ_XAN "
               "where "
               "SVC_ID in (583, 584); delete from TRANSFER_HIST where SVC_ID in (583, 584); "
               "delete from USER_AGENT_INFO where USER_ID like 'load583-%'";
    }
    std::string Value(const std::string& sql) { return Admin().Scalar(sql).value_or("NULL"); }
    std::vector<std::string> Tool(std::vector<std::string> args) {
        args.insert(args.begin(), {"--cnf", zel::test::DbClientCnfPath()});
        return args;
    }
    std::string Output() { return zel::test::FileBytes(output_); }

    fs::path tmp_, output_;
};

TEST_F(CallCenterToolTest, RunServesOnlyTheServicesGiven) {
    // The desk of service 584 has waited longest: the first any distributor would choose.
    Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, "
                    "STATUS_START_TIME) values (583, '5583', 'tooltest', 0, '20240101090000'), "
                    "(584, '5584', 'tooltest', 0, '19000101000000')");
    const ToolRun run = RunTool(
        Tool({"run", "--svc", "583", "--count", "2", "--min", "0", "--max", "0", "--gap", "0"}),
        tmp_, output_, std::chrono::seconds(30));
    ASSERT_TRUE(run.ended) << Output();
    EXPECT_EQ(run.exitCode, 0) << Output();
    EXPECT_EQ(Value("select concat(sum(SVC_ID = 583), '/', sum(SVC_ID = 584)) from TRANSFER_HIST "
                    "where SVC_ID in (583, 584)"),
              "2/0")
        << Output();
}

TEST_F(CallCenterToolTest, LoadRemovesOnlyTheRowsItMade) {
    // A real desk, requests and calls of the service, and what a load killed earlier left.
    Admin().Execute(
        "insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values (583, '5583', "
        "'tooltest'); insert into REQ_XAN (XAN_ID, SVC_ID, CUST_INFO, CUST_INFO4) values "
        "(583001, 583, '실제 고객', 'VIP'), (583002, 583, '부하', 'zelagent-load'), (583003, 583, "
        "'실제 고객', ''); insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, AGENT_NM, "
        "CONF_TIME) "
        "values (583001, 583, '5583', '실제', 40), (583002, 583, '700000', '상담원0', 3), (583003, "
        "583, '5583', '실제', 50)");
    const ToolRun run = RunTool(Tool({"load", "--agents", "2", "--seconds", "1", "--rate", "2",
                                      "--min", "0", "--max", "1", "--svc", "583"}),
                                tmp_, output_, std::chrono::seconds(90));
    ASSERT_TRUE(run.ended) << Output();
    EXPECT_EQ(Value("select group_concat(XAN_ID order by XAN_ID) from TRANSFER_HIST where SVC_ID = "
                    "583"),
              "583001,583003")
        << Output();
    EXPECT_EQ(Value("select group_concat(XAN_ID order by XAN_ID) from REQ_XAN where SVC_ID = 583"),
              "583001,583003");
    EXPECT_EQ(Value("select group_concat(TEL_NUM) from TRANSFER_NUM_INFO where SVC_ID = 583"),
              "5583");
    EXPECT_EQ(Value("select count(*) from USER_AGENT_INFO where USER_ID like 'load583-%'"), "0");
}

// What is left in TMPDIR after the tool ended, and whether the copy was private while
// it was there.
TEST_F(CallCenterToolTest, TheCopyOfTheOptionFileIsPrivateAndGoneAfterEveryEnd) {
    Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY) values "
                    "(583, '5583', 'tooltest', 0)");
    // While pickup waits for a stamp that never comes, the desk holds its call.
    const auto onCall = [this] {
        return Value("select TRANSFER_STATUS from TRANSFER_NUM_INFO where SVC_ID = 583") == "1";
    };
    const std::vector<std::string> pickup{"pickup", "--svc",   "583", "--tel",
                                          "5583",   "--calls", "5"};
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int signal; // sent once the desk holds a call; 0: none
        int exitCode;
    };
    const std::vector<Case> cases{
        {"usage error after the copy", {"transfer", "--svc", "583"}, 0, 2},
        {"unknown desk", {"hangup", "--svc", "583", "--tel", "9999"}, 0, 1},
        {"Ctrl+C", pickup, SIGINT, -1},
        {"SIGTERM", pickup, SIGTERM, -1},
        {"SIGHUP", pickup, SIGHUP, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = 0 where SVC_ID = 583");
        bool signalled = false;
        std::string modes;
        const ToolRun run =
            RunTool(Tool(c.args), tmp_, output_, std::chrono::seconds(30), [&](pid_t pid) {
                if (c.signal == 0 || signalled || !onCall())
                    return;
                // The folder, then Env/ and the file, each with its mode.
                for (const auto& entry : fs::recursive_directory_iterator(tmp_)) {
                    struct stat info {};
                    lstat(entry.path().c_str(), &info);
                    const std::string path = fs::relative(entry.path(), tmp_).string();
                    char mode[16];
                    std::snprintf(mode, sizeof mode, "=%o;", info.st_mode & 07777);
                    modes += path.substr(std::min(path.size(), path.find('/'))) + mode;
                }
                kill(pid, c.signal);
                signalled = true;
            });
        ASSERT_TRUE(run.ended) << Output();
        if (c.signal != 0) {
            EXPECT_TRUE(signalled) << Output();
            EXPECT_EQ(run.signal, c.signal) << Output();
            EXPECT_EQ(modes, "=700;/Env=700;/Env/rdbclient.cnf=600;");
        } else {
            EXPECT_EQ(run.exitCode, c.exitCode) << Output();
        }
        EXPECT_TRUE(fs::is_empty(tmp_)) << fs::directory_iterator(tmp_)->path();
        fs::remove_all(tmp_);
        fs::create_directory(tmp_);
    }
}

} // namespace
