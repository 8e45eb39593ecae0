// Sign-in tests against the private database: one agent and desk, theAgentEnv connected,
// boxes recorded, and the CODE_INFO database-type row put back after every test.
#pragma once

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

#include "db/AgentEnv.h"
#include "platform/MessageBox.h"
#include "tests/support/DbTestSupport.h"

namespace dlgtest {

// Stops the private server (SIGSTOP) until Thaw or the object's end: it keeps its socket,
// so a statement sent meanwhile waits for an answer as with a hung server. Only a server
// of this network namespace is touched (another one may belong to another test run).
class FrozenServer {
  public:
    ~FrozenServer() { Thaw(); }
    // False when the server's process was not found here.
    bool Freeze() {
        const std::filesystem::path dir =
            std::filesystem::path(zel::test::DbClientCnfPath()).parent_path();
        std::ifstream file(dir / "mariadbd.pid");
        pid_t pid = -1;
        if (!(file >> pid) || pid <= 1)
            return false;
        const std::string proc = "/proc/" + std::to_string(pid);
        std::error_code ec;
        if (std::filesystem::read_symlink(proc + "/ns/net", ec) !=
            std::filesystem::read_symlink("/proc/self/ns/net", ec))
            return false;
        std::string name;
        std::ifstream(proc + "/comm") >> name;
        if (name != "mariadbd" && name != "mysqld")
            return false;
        if (::kill(pid, SIGSTOP) != 0)
            return false;
        pid_ = pid;
        return true;
    }
    void Thaw() {
        if (pid_ > 0)
            ::kill(pid_, SIGCONT);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
};

// Rows of these tests: SVC_ID 200-299, USER_ID 'dlg*test*', TEL_NUM '42xx'.
inline constexpr const char* kUser = "dlgtest1";
inline constexpr const char* kAgent = "김상담";
inline constexpr const char* kPassword = "Secret 1";
inline constexpr const char* kSvcId = "201";
inline constexpr const char* kTelNum = "4201";

class SignInDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        previous_ = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
            boxes_.push_back(r);
            return platform::IDOK;
        });
        work_ = std::make_unique<zel::test::TempWorkDir>();
        zel::test::AddAgentAndDesk(Admin(), kUser, kAgent, kPassword, kSvcId, kTelNum);
        CTELVOAgentEnv& env = theAgentEnv();
        env.serverAddress = "127.0.0.1";
        env.dbType = 0;
        for (std::string* value :
             {&env.userId, &env.svcId, &env.telNum, &env.agentName, &env.password})
            value->clear();
        ASSERT_TRUE(env.RDBServerOpen()) << "rdbclient cannot reach the private server";
    }
    // Runs after failed tests too.
    void TearDown() override {
        if (work_) {
            theAgentEnv().ServerClose();
            theAgentEnv().connection = 0;
            SetDbTypeRow("MYSQL");
            work_.reset();
            platform::SetMessageBoxHandler(previous_);
        }
        DbFixture::TearDown();
    }

    // Sets (or, with an empty value, deletes) the CODE_INFO database-type row.
    void SetDbTypeRow(const std::string& value) { zel::test::SetDbTypeRow(Admin(), value); }
    // Contents of Env/ZELAgent.INI; empty when there is no such file.
    std::string SettingsFileBytes() const {
        return zel::test::FileBytes(work_->Env() / "ZELAgent.INI");
    }

    std::vector<platform::MessageBoxRequest> boxes_; // every box shown since SetUp, in order

    std::string OwnRows() const override {
        return "delete from USER_AGENT_INFO where USER_ID like 'dlg%test%'; "
               "delete from TRANSFER_NUM_INFO where SVC_ID between 200 and 299";
    }

  private:
    std::unique_ptr<zel::test::TempWorkDir> work_;
    platform::MessageBoxHandler previous_;
};

} // namespace dlgtest
