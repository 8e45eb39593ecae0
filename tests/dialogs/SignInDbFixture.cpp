#include "tests/dialogs/SignInDbFixture.h"

#include <fstream>
#include <sstream>

#include "db/AgentEnv.h"

namespace dlgtest {
namespace {

void DeleteOwnRows(zel::test::AdminConnection& admin) {
    admin.Execute("delete from USER_AGENT_INFO where USER_ID like 'dlg%test%'; "
                  "delete from TRANSFER_NUM_INFO where SVC_ID between 200 and 299");
}
} // namespace

void SignInDbTest::SetUp() {
    DbFixture::SetUp();
    if (HasFatalFailure())
        return;
    adminReady_ = true;
    previousHandler_ = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
        boxes_.push_back(r);
        return platform::IDOK;
    });
    work_ = std::make_unique<zel::test::TempWorkDir>();

    DeleteOwnRows(Admin());
    Admin().Execute(std::string("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) "
                                "values ('") +
                    kUser + "', '" + kAgent + "', '" + kPassword +
                    "'); insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values (" +
                    kSvcId + ", '" + kTelNum + "', '" + kUser + "')");

    CTELVOAgentEnv& env = theAgentEnv();
    env.serverAddress = "127.0.0.1";
    env.dbType = 0;
    for (std::string* value : {&env.userId, &env.svcId, &env.telNum, &env.agentName, &env.password})
        value->clear();
    ASSERT_TRUE(env.RDBServerOpen()) << "rdbclient cannot reach the private server";
}

// Runs after failed tests too.
void SignInDbTest::TearDown() {
    if (adminReady_) {
        CTELVOAgentEnv& env = theAgentEnv();
        env.ServerClose();
        env.connection = 0;
        DeleteOwnRows(Admin());
        Admin().Execute("insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values ('SYSTEM_VALUE', "
                        "'DB_TYPE', 'MYSQL') on duplicate key update CD_NM = 'MYSQL'");
        work_.reset();
        platform::SetMessageBoxHandler(previousHandler_);
    }
    DbFixture::TearDown();
}

void SignInDbTest::SetDbTypeRow(const std::string& value) {
    if (value.empty())
        Admin().Execute(
            "delete from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'");
    else
        Admin().Execute("update CODE_INFO set CD_NM = " + Admin().Quote(value) +
                        " where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'");
}

std::string SignInDbTest::SettingsFileBytes() const {
    std::ifstream in(work_->Env() / "ZELAgent.INI", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace dlgtest
