// Shared set-up of the agent environment's tests against the private database: a
// working folder with the client credentials, an environment connected to the
// server as a desk of these tests, recorded boxes and traces, and the test rows
// removed again. Keys of these tests: SVC_ID 100-199, TEL_NUM '31xx',
// XAN_ID 300000-399999, USER_ID 'dbtest*'.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/AgentEnv.h"
#include "platform/MessageBox.h"
#include "platform/TraceChannel.h"
#include "tests/support/DbTestSupport.h"

namespace dbtest {

inline constexpr const char* kSvcId = "101";
inline constexpr const char* kTelNum = "3101";
inline constexpr const char* kOtherTelNum = "3102"; // a neighbouring desk that must stay untouched
inline constexpr const char* kUserId = "dbtest1";
inline constexpr const char* kAgentName = "김상담";

class AgentEnvDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a desk row of service kSvcId with a known state.
    void AddDesk(const std::string& telNum);
    // Adds a call request and its history row.
    void AddCall(long long xanId, const std::string& custInfo = "고객 정보");
    // A value of the desk's row, as text.
    zel::test::DbValue DeskValue(const std::string& telNum, const std::string& column);

    const std::vector<platform::MessageBoxRequest>& Boxes() const { return boxes_; }
    const std::vector<std::string>& Traces() const { return traces_; }
    // True once SetUp got past the server check (Admin() is usable).
    bool Ready() const { return ready_; }
    void ClearRecords() {
        boxes_.clear();
        traces_.clear();
    }

    std::unique_ptr<zel::test::TempWorkDir> work_;
    std::unique_ptr<CTELVOAgentEnv> env_;

  private:
    void DeleteOwnRows();

    bool ready_ = false;
    std::vector<platform::MessageBoxRequest> boxes_;
    std::vector<std::string> traces_;
    platform::MessageBoxHandler previousHandler_;
    platform::TraceSink previousSink_;
};

// The text of the database error box for a code and message.
std::string DBErrorText(int code, const std::string& message);

} // namespace dbtest
