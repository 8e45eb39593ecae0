// Env/ as another user of the workstation could leave it: a folder or file of theirs, one
// they may change, a credentials file they may read, links, and options that would undo
// the connection's safeguards. The start-up check and the client library both refuse,
// naming the file and what mends it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/OwnFiles.h"
#include "rdbclient/RDBClient.h"
#include "tests/support/DbTestSupport.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kCnf = "[zelagent]\nuser=agent\npassword=pw\n";

// Why the last open failed, as the agent reads it in the database error box.
std::string OpenFailure() {
    char record[RDB_RECORD_SIZE];
    RDBStatus status{};
    RDBQueryFirstRecord(0, "NEW_XAN", "select 1", record, &status);
    return status.message;
}

struct SpoiltEnv {
    const char* what;
    std::function<void(const fs::path& env)> spoil;
    const char* file;    // named in the refusal, under Env/ ("" for the folder)
    const char* mend;    // the command the refusal offers
    bool libraryRefuses; // the client library refuses too (its file or folder)
    bool needsRoot;      // giving a file away takes root
};

// Env/ spoilt one way at a time.
const std::vector<SpoiltEnv>& SpoiltEnvs() {
    static const std::vector<SpoiltEnv> cases = {
        {"folder writable by others", [](const fs::path& env) { ::chmod(env.c_str(), 0777); }, "",
         "chmod go-w", true, false},
        {"folder writable by the group", [](const fs::path& env) { ::chmod(env.c_str(), 0770); },
         "", "chmod go-w", true, false},
        {"folder of another user",
         [](const fs::path& env) { EXPECT_EQ(::chown(env.c_str(), 65534, 65534), 0); }, "", "chown",
         true, true},
        {"folder is a link",
         [](const fs::path& env) {
             fs::rename(env, env.string() + ".real");
             fs::create_directory_symlink(env.string() + ".real", env);
         },
         "", "링크", true, false},
        {"credentials readable by others",
         [](const fs::path& env) { ::chmod((env / "rdbclient.cnf").c_str(), 0644); },
         "rdbclient.cnf", "chmod 600", true, false},
        {"credentials readable by the group",
         [](const fs::path& env) { ::chmod((env / "rdbclient.cnf").c_str(), 0640); },
         "rdbclient.cnf", "chmod 600", true, false},
        {"credentials of another user",
         [](const fs::path& env) {
             EXPECT_EQ(::chown((env / "rdbclient.cnf").c_str(), 65534, 65534), 0);
         },
         "rdbclient.cnf", "chown", true, true},
        {"credentials are a link to a private file",
         [](const fs::path& env) {
             fs::rename(env / "rdbclient.cnf", env.parent_path() / "elsewhere.cnf");
             fs::create_symlink(env.parent_path() / "elsewhere.cnf", env / "rdbclient.cnf");
         },
         "rdbclient.cnf", "링크", true, false},
        {"settings writable by others",
         [](const fs::path& env) { ::chmod((env / "ZELAgent.INI").c_str(), 0666); }, "ZELAgent.INI",
         "chmod go-w", false, false},
        {"settings of another user",
         [](const fs::path& env) {
             EXPECT_EQ(::chown((env / "ZELAgent.INI").c_str(), 65534, 65534), 0);
         },
         "ZELAgent.INI", "chown", false, true},
        {"settings are a link",
         [](const fs::path& env) {
             fs::remove(env / "ZELAgent.INI");
             fs::create_symlink("/etc/hostname", env / "ZELAgent.INI");
         },
         "ZELAgent.INI", "링크", false, false},
    };
    return cases;
}

// Each case of SpoiltEnvs() that needs root or not, as asked: the start-up check names the
// file and its mend, and the client library refuses to open or fails to connect.
void ExpectRefusals(bool needingRoot) {
    const zel::test::ScratchServer nobody; // its port, never started: nothing listens there
    int run = 0;
    for (const SpoiltEnv& c : SpoiltEnvs()) {
        if (c.needsRoot != needingRoot)
            continue;
        ++run;
        SCOPED_TRACE(c.what);
        zel::test::TempWorkDir work(false);
        ASSERT_TRUE(zel::test::WriteEnvFile(work.Env() / "rdbclient.cnf", kCnf));
        std::ofstream(work.Env() / "ZELAgent.INI") << "[GENERAL]\r\n";
        ASSERT_EQ(ownfiles::CheckEnvFolder(), "") << "the unspoilt folder is refused";
        c.spoil(work.Env());
        const std::string named = (work.Env() / c.file).string();
        const std::string refusal = ownfiles::CheckEnvFolder();
        EXPECT_NE(refusal.find(std::string(c.file).empty() ? work.Env().string() : named),
                  std::string::npos)
            << refusal;
        EXPECT_NE(refusal.find(c.mend), std::string::npos) << refusal;
        EXPECT_EQ(RDBServerOpen("127.0.0.1", nobody.PortText().c_str()), 0);
        const std::string failure = OpenFailure();
        // Refused before any connection is tried, or (another file spoilt) tried and failed.
        EXPECT_EQ(failure.find(c.mend) != std::string::npos, c.libraryRefuses) << failure;
        EXPECT_EQ(failure.find("에 연결할 수 없습니다") == std::string::npos, c.libraryRefuses)
            << failure;
    }
    EXPECT_GT(run, 0);
}

TEST(OwnFilesTest, LooseOrLinkedEnvFilesAreRefusedWithTheirMend) {
    ExpectRefusals(false);
}

TEST(OwnFilesTest, EnvFilesOfAnotherUserAreRefusedWithTheirMend) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "skipped: giving a file to another user needs root";
    ExpectRefusals(true);
}

TEST(OwnFilesTest, CredentialsThatWouldUndoTheSafeguardsAreRefused) {
    const zel::test::ScratchServer nobody;
    for (const char* line :
         {"local-infile=1", "local_infile", "restricted-auth=mysql_clear_password",
          "loose-restricted_auth=dialog", "plugin-dir=/tmp/x", "default-auth=mysql_clear_password",
          "!include /tmp/other.cnf", "!includedir /tmp/conf.d"}) {
        SCOPED_TRACE(line);
        zel::test::TempWorkDir work(false);
        ASSERT_TRUE(
            zel::test::WriteEnvFile(work.Env() / "rdbclient.cnf", std::string(kCnf) + line + "\n"));
        EXPECT_EQ(RDBServerOpen("127.0.0.1", nobody.PortText().c_str()), 0);
        const std::string failure = OpenFailure();
        EXPECT_NE(failure.find("설정은 이 프로그램에서 쓸 수 없습니다"), std::string::npos)
            << failure;
    }
}

} // namespace
