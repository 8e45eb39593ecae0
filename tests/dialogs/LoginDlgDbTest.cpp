// Sign-in through the dialog against the private database: a refused attempt keeps
// what was typed, a successful one ends the dialog with OK.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "db/AgentEnv.h"
#include "dialogs/LoginDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/dialogs/SignInDbFixture.h"

namespace dlgtest {
namespace {

class LoginDlgDbTest : public SignInDbTest {
  protected:
    static wxTextCtrl* Edit(wxDialog& dialog, int id) {
        return platform::GetDlgItemAs<wxTextCtrl>(&dialog, id);
    }
    // Fills the fields in the order of the dialog: user, service, agent, password, phone.
    static void Fill(wxDialog& dialog, const std::vector<const char*>& texts) {
        const int ids[] = {IDC_EDIT_USER_ID, IDC_EDIT_SVC_ID, IDC_EDIT_AGENT_NM, IDC_EDIT_PASSWORD,
                           IDC_EDIT_EXTENSION};
        for (std::size_t i = 0; i < texts.size(); ++i)
            Edit(dialog, ids[i])->ChangeValue(wxString::FromUTF8(texts[i]));
    }

    ExitRecorder exits_;
};

TEST_F(LoginDlgDbTest, RefusedAttemptKeepsWhatWasTypedAndALaterOneStoresItTrimmed) {
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        Fill(dialog, {" dlgtest1 ", "201\t", " 김상담", "secret 1", "4201 "});
        dialog.OnOK();
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, "비밀번호가 일치하지 않습니다.");
        EXPECT_EQ(Boxes()[0].caption, "알림");
        EXPECT_EQ(Boxes()[0].owner, &dialog);
        EXPECT_EQ(Edit(dialog, IDC_EDIT_USER_ID)->GetValue(), " dlgtest1 ");
        EXPECT_EQ(Edit(dialog, IDC_EDIT_PASSWORD)->GetValue(), "secret 1");
        EXPECT_TRUE(SettingsFileBytes().empty());

        Edit(dialog, IDC_EDIT_PASSWORD)->ChangeValue(kPassword);
        ClickButton(dialog, IDOK_BUTTON);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(theAgentEnv().userId, "dlgtest1");
    EXPECT_EQ(theAgentEnv().agentName, "김상담");
    EXPECT_NE(SettingsFileBytes().find("LAST_EXTENSION=4201\r\n"), std::string::npos);

    // The next opening offers the stored values, and never a password.
    CLoginDlg again;
    RunModal(again, [&] {
        EXPECT_EQ(Edit(again, IDC_EDIT_SVC_ID)->GetValue(), "201");
        EXPECT_EQ(Edit(again, IDC_EDIT_AGENT_NM)->GetValue(), wxString::FromUTF8("김상담"));
        EXPECT_EQ(Edit(again, IDC_EDIT_PASSWORD)->GetValue(), "");
    });
}

} // namespace
} // namespace dlgtest
