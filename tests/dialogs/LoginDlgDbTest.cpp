// Sign-in through the dialog against the private database: the boxes are owned by
// the dialog, the focus follows the refusal, a refused attempt keeps what was typed,
// and a successful one ends the dialog with OK.
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
    static void Fill(wxDialog& dialog, const char* userId, const char* svcId, const char* agent,
                     const char* password, const char* telNum) {
        const std::pair<int, const char*> values[] = {
            {IDC_EDIT_USER_ID, userId},    {IDC_EDIT_SVC_ID, svcId},     {IDC_EDIT_AGENT_NM, agent},
            {IDC_EDIT_PASSWORD, password}, {IDC_EDIT_EXTENSION, telNum},
        };
        for (const auto& [id, text] : values)
            Edit(dialog, id)->ChangeValue(wxString::FromUTF8(text));
    }

    ExitRecorder exits_;
};

TEST_F(LoginDlgDbTest, SignInWithBlanksAroundTheValuesEndsWithOkAndStoresThemTrimmed) {
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        Fill(dialog, " dlgtest1 ", "201\t", " 김상담", kPassword, "4201 ");
        ClickButton(dialog, IDOK_BUTTON);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_TRUE(Boxes().empty());
    const CTELVOAgentEnv& env = theAgentEnv();
    EXPECT_EQ(env.userId, "dlgtest1");
    EXPECT_EQ(env.svcId, "201");
    EXPECT_EQ(env.agentName, "김상담");
    EXPECT_EQ(env.telNum, "4201");
    EXPECT_EQ(env.password, kPassword);
    const std::string file = SettingsFileBytes();
    for (const char* line :
         {"LAST_USER_ID=dlgtest1\r\n", "LAST_SVC_ID=201\r\n", "LAST_EXTENSION=4201\r\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;
    EXPECT_EQ(file.find("Secret"), std::string::npos) << file;

    // The next opening offers the stored values, and never a password.
    CLoginDlg again;
    RunModal(again, [&] {
        EXPECT_EQ(Edit(again, IDC_EDIT_USER_ID)->GetValue(), "dlgtest1");
        EXPECT_EQ(Edit(again, IDC_EDIT_AGENT_NM)->GetValue(), wxString::FromUTF8("김상담"));
        EXPECT_EQ(Edit(again, IDC_EDIT_PASSWORD)->GetValue(), "");
    });
}

TEST_F(LoginDlgDbTest, EmptyFieldsAreNamedOneAtATimeWithTheFocusOnThem) {
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        Fill(dialog, "", "", "", "", "");
        const std::pair<int, const char*> steps[] = {
            {IDC_EDIT_USER_ID, "사용자ID를 입력하십시오"},
            {IDC_EDIT_SVC_ID, "서비스ID를 입력하십시오"},
            {IDC_EDIT_AGENT_NM, "상담원명을 입력하십시오"},
            {IDC_EDIT_PASSWORD, "비밀번호를 입력하십시오"},
        };
        const char* fills[] = {"dlgtest1", "201", "김상담", "x"};
        for (std::size_t i = 0; i < std::size(steps); ++i) {
            SCOPED_TRACE(steps[i].second);
            ClearBoxes();
            Edit(dialog, IDC_EDIT_EXTENSION)->SetFocus();
            dialog.OnOK();
            ASSERT_EQ(Boxes().size(), 1u);
            EXPECT_EQ(Boxes()[0].text, steps[i].second);
            EXPECT_EQ(Boxes()[0].caption, "에러");
            EXPECT_EQ(Boxes()[0].style, platform::MB_ICONERROR);
            EXPECT_EQ(Boxes()[0].owner, &dialog);
            EXPECT_TRUE(HasGtkFocus(Edit(dialog, steps[i].first)));
            Edit(dialog, steps[i].first)->ChangeValue(wxString::FromUTF8(fills[i]));
        }
    });
    EXPECT_EQ(result, kStillOpen);
    EXPECT_TRUE(exits_.Statuses().empty());
}

TEST_F(LoginDlgDbTest, RefusedAttemptKeepsWhatWasTypedAndALaterOneSucceeds) {
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        Fill(dialog, " dlgtest1 ", "201", "김상담", "secret 1", "4201");
        dialog.OnOK();
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, "비밀번호가 일치하지 않습니다.");
        EXPECT_EQ(Boxes()[0].caption, "알림");
        EXPECT_EQ(Boxes()[0].owner, &dialog);
        EXPECT_TRUE(dialog.IsModal());
        EXPECT_EQ(Edit(dialog, IDC_EDIT_USER_ID)->GetValue(), " dlgtest1 ");
        EXPECT_EQ(Edit(dialog, IDC_EDIT_PASSWORD)->GetValue(), "secret 1");
        EXPECT_TRUE(SettingsFileBytes().empty());

        Edit(dialog, IDC_EDIT_PASSWORD)->ChangeValue(kPassword);
        dialog.OnOK();
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(LoginDlgDbTest, DatabaseTypeIsLearnedAgainAtEveryAttempt) {
    SetDbTypeRow("mysql");
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        Fill(dialog, "dlgtest1", "201", "김상담", kPassword, "4201");
        dialog.OnOK(); // SQL Server form: this server rejects it
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text.rfind("데이터베이스 오류입니다.", 0), 0u);
        EXPECT_TRUE(dialog.IsModal());

        SetDbTypeRow("MYSQL");
        dialog.OnOK();
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(theAgentEnv().dbType, 2);
    EXPECT_TRUE(exits_.Statuses().empty());
}

} // namespace
} // namespace dlgtest
