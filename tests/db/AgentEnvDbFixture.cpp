#include "tests/db/AgentEnvDbFixture.h"

#include "db/SqlText.h"

namespace dbtest {

std::string DBErrorText(int code, const std::string& message) {
    return "데이터베이스 오류입니다.\r\n오류코드:" + std::to_string(code) +
           "\r\n오류메세지:" + message;
}

void AgentEnvDbTest::SetUp() {
    DbFixture::SetUp();
    if (HasFatalFailure())
        return;
    ready_ = true;
    // Boxes and traces may come from any thread; these tests call from this one only.
    previousHandler_ = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
        boxes_.push_back(r);
        return platform::IDOK;
    });
    previousSink_ =
        platform::SetTraceSink([this](std::string_view message) { traces_.emplace_back(message); });
    work_ = std::make_unique<zel::test::TempWorkDir>();

    DeleteOwnRows();
    AddDesk(kTelNum);
    AddDesk(kOtherTelNum);

    env_ = std::make_unique<CTELVOAgentEnv>();
    env_->serverAddress = "127.0.0.1";
    env_->dbType = DB_TYPE_MYSQL;
    env_->userId = kUserId;
    env_->svcId = kSvcId;
    env_->telNum = kTelNum;
    env_->agentName = kAgentName;
    ASSERT_TRUE(env_->RDBServerOpen()) << "rdbclient cannot reach the private server";
    ClearRecords();
}

void AgentEnvDbTest::TearDown() {
    if (ready_) {
        if (env_ && env_->connection != 0)
            env_->ServerClose();
        env_.reset();
        DeleteOwnRows();
        work_.reset();
        platform::SetTraceSink(previousSink_);
        platform::SetMessageBoxHandler(previousHandler_);
    }
    DbFixture::TearDown();
}

void AgentEnvDbTest::DeleteOwnRows() {
    Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID between 100 and 199; "
                    "delete from REQ_XAN where XAN_ID between 300000 and 399999; "
                    "delete from TRANSFER_HIST where XAN_ID between 300000 and 399999");
}

void AgentEnvDbTest::AddDesk(const std::string& telNum) {
    Admin().Execute(std::string("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, "
                                "IS_READY, STATUS_START_TIME) values (") +
                    kSvcId + ", " + Admin().Quote(telNum) + ", '" + kUserId +
                    "', 7, '19990101000000')");
}

void AgentEnvDbTest::AddCall(long long xanId, const std::string& custInfo) {
    const std::string id = std::to_string(xanId);
    Admin().Execute("insert into REQ_XAN (XAN_ID, SVC_ID, CUST_INFO) values (" + id + ", " +
                    kSvcId + ", " + Admin().Quote(custInfo) +
                    "); insert into TRANSFER_HIST (XAN_ID, SVC_ID, AGENT_NM) values (" + id + ", " +
                    kSvcId + ", 'nobody')");
}

zel::test::DbValue AgentEnvDbTest::DeskValue(const std::string& telNum, const std::string& column) {
    return Admin().Scalar("select " + column + " from TRANSFER_NUM_INFO where SVC_ID = " + kSvcId +
                          " and TEL_NUM = " + Admin().Quote(telNum));
}

} // namespace dbtest
