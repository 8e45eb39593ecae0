// The sign-in dialog against the private database: refused, it stays open; accepted, OK.
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
        dialog.OnOK();
        EXPECT_TRUE(dialog.IsModal());
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, "비밀번호가 일치하지 않습니다.");
        set(IDC_EDIT_PASSWORD, kPassword);
        ClickButton(dialog, IDOK_BUTTON);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(exits.statuses.empty());
    EXPECT_EQ(theAgentEnv().userId, kUser);
}

} // namespace
} // namespace dlgtest
