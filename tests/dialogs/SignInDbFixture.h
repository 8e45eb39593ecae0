// Sign-in tests against the private database: one agent and desk, theAgentEnv connected,
// recorded boxes, and the CODE_INFO database-type row put back after every test.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "tests/support/DbTestSupport.h"

namespace dlgtest {

// Rows of these tests: SVC_ID 200-299, USER_ID 'dlg*test*', TEL_NUM '42xx'.
inline constexpr const char* kUser = "dlgtest1";
inline constexpr const char* kAgent = "김상담";
inline constexpr const char* kPassword = "Secret 1";
inline constexpr const char* kSvcId = "201";
inline constexpr const char* kTelNum = "4201";

class SignInDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Sets (or, with an empty value, deletes) the CODE_INFO database-type row.
    void SetDbTypeRow(const std::string& value);
    // Every box shown since SetUp, in order.
    const std::vector<platform::MessageBoxRequest>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }
    // Contents of Env/ZELAgent.INI; empty when there is no such file.
    std::string SettingsFileBytes() const;

  private:
    std::unique_ptr<zel::test::TempWorkDir> work_;
    bool adminReady_ = false;
    std::vector<platform::MessageBoxRequest> boxes_;
    platform::MessageBoxHandler previousHandler_;
};

} // namespace dlgtest
