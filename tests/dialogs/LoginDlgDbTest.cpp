// The sign-in dialog against the private database: refused, it stays open with the wrong
// password selected; accepted, it stores the last sign-in and ends with OK.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "dialogs/LoginDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/dialogs/SignInDbFixture.h"

namespace dlgtest {
namespace {

TEST_F(SignInDbTest, DialogStaysOpenOnARefusalAndClosesWithOkOnceSignedIn) {
    ExitRecorder exits;
    CLoginDlg dialog;
    const auto set = [&dialog](int id, const char* text) {
        platform::GetDlgItemAs<wxTextCtrl>(&dialog, id)->ChangeValue(wxString::FromUTF8(text));
    };
    const int result = RunModal(dialog, [&] {
        const std::pair<int, const char*> typed[] = {{IDC_EDIT_USER_ID, " dlgtest1 "},
                                                     {IDC_EDIT_SVC_ID, kSvcId},
                                                     {IDC_EDIT_AGENT_NM, kAgent},
                                                     {IDC_EDIT_PASSWORD, "secret 1"},
                                                     {IDC_EDIT_EXTENSION, kTelNum}};
        for (const auto& [id, text] : typed)
            set(id, text);
        wxTextCtrl* password = platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_PASSWORD);
        wxTextCtrl* phone = platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_EXTENSION);
        phone->SetFocus();
        dialog.OnOK();
        EXPECT_TRUE(dialog.IsModal());
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, "비밀번호가 일치하지 않습니다.");
        // The wrong password is selected, so the next try replaces it; the focus stays.
        long from = -1;
        long to = -1;
        password->GetSelection(&from, &to);
        EXPECT_EQ(std::pair(from, to), std::pair(0L, password->GetLastPosition()));
        EXPECT_TRUE(HasGtkFocus(phone));
        set(IDC_EDIT_PASSWORD, kPassword);
        ClickButton(dialog, IDOK_BUTTON);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(exits.statuses.empty());
    // Signed in: the identity in theAgentEnv, the trimmed last sign-in in its four keys
    // in their order, CP949 on disk, and no trace of the password.
    const CTELVOAgentEnv& env = theAgentEnv();
    EXPECT_EQ(env.userId + "|" + env.svcId + "|" + env.agentName + "|" + env.telNum + "|" +
                  env.password,
              std::string(kUser) + "|" + kSvcId + "|" + kAgent + "|" + kTelNum + "|" + kPassword);
    const std::string file = SettingsFileBytes();
    std::size_t at = 0;
    for (const std::string line :
         {"LAST_USER_ID=dlgtest1", "LAST_SVC_ID=201", "LAST_AGENT_NM=\xB1\xE8\xBB\xF3\xB4\xE3",
          "LAST_EXTENSION=4201"}) {
        at = file.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " in\n" << file;
    }
    EXPECT_EQ(file.find("Secret"), std::string::npos);
}

} // namespace
} // namespace dlgtest
