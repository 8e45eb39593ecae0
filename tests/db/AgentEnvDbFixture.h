// An environment connected to the private server as a desk of these tests, with boxes and
// traces recorded. Keys: SVC_ID 100-199, TEL_NUM '31xx', XAN_ID 300000-399999.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/AgentEnv.h"
#include "db/SqlText.h"
#include "platform/MessageBox.h"
#include "platform/TraceChannel.h"
#include "tests/support/DbTestSupport.h"

namespace dbtest {

inline constexpr const char* kSvcId = "101";
inline constexpr const char* kTelNum = "3101";
inline constexpr const char* kOtherTelNum = "3102"; // a neighbour that must stay untouched
inline constexpr const char* kAgentName = "김상담";

inline std::string DBErrorText(int code, const std::string& message) {
    return "데이터베이스 오류입니다.\r\n오류코드:" + std::to_string(code) +
           "\r\n오류메세지:" + message;
}

class AgentEnvDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        ready_ = true;
        previousHandler_ = platform::SetMessageBoxHandler([this](const auto& request) {
            boxes_.push_back(request);
            return platform::IDOK;
        });
        previousSink_ = platform::SetTraceSink(
            [this](std::string_view message) { traces_.emplace_back(message); });
        work_ = std::make_unique<zel::test::TempWorkDir>();
        DeleteOwnRows();
        AddDesk(kTelNum);
        AddDesk(kOtherTelNum);

        env_ = std::make_unique<CTELVOAgentEnv>();
        env_->serverAddress = "127.0.0.1";
        env_->dbType = DB_TYPE_MYSQL;
        env_->userId = "dbtest1";
        env_->svcId = kSvcId;
        env_->telNum = kTelNum;
        env_->agentName = kAgentName;
        ASSERT_TRUE(env_->RDBServerOpen()) << "rdbclient cannot reach the private server";
        boxes_.clear();
        traces_.clear();
    }
    void TearDown() override {
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

    void AddDesk(const std::string& telNum) {
        Admin().Execute(std::string("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, "
                                    "IS_READY, STATUS_START_TIME) values (") +
                        kSvcId + ", " + Admin().Quote(telNum) +
                        ", 'dbtest1', 7, '19990101000000')");
    }
    // Adds a call request (CUST_INFO '고객 정보') and its history row (AGENT_NM 'nobody').
    void AddCall(long long xanId) {
        const std::string id = std::to_string(xanId);
        Admin().Execute("insert into REQ_XAN (XAN_ID, SVC_ID, CUST_INFO) values (" + id + ", " +
                        kSvcId + ", '고객 정보'); insert into TRANSFER_HIST (XAN_ID, SVC_ID, " +
                        "AGENT_NM) values (" + id + ", " + kSvcId + ", 'nobody')");
    }
    zel::test::DbValue DeskValue(const std::string& telNum, const std::string& column) {
        return Admin().Scalar("select " + column + " from TRANSFER_NUM_INFO where SVC_ID = " +
                              kSvcId + " and TEL_NUM = " + Admin().Quote(telNum));
    }

    void DeleteOwnRows() {
        Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID between 100 and 199; "
                        "delete from REQ_XAN where XAN_ID between 300000 and 399999; "
                        "delete from TRANSFER_HIST where XAN_ID between 300000 and 399999");
    }

    bool ready_ = false; // SetUp got past the server check
    std::unique_ptr<zel::test::TempWorkDir> work_;
    std::unique_ptr<CTELVOAgentEnv> env_;
    std::vector<platform::MessageBoxRequest> boxes_;
    std::vector<std::string> traces_;
    platform::MessageBoxHandler previousHandler_;
    platform::TraceSink previousSink_;
};

} // namespace dbtest
