// The sign-in dialog as a window, without a database: opening, limits, warning, ways out.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "dialogs/LoginDlg.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"

namespace dlgtest {
namespace {

class LoginDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        theAgentEnv().serverAddress = "10.1.2.3";
        theAgentEnv().connection = 0; // no database: any query fails
        theAgentEnv().userId.clear();
    }

    static void StoreLast(const char* key, const std::string& value) {
        CIniFile("Env\\ZELAgent.INI", "GENERAL").WriteString(value, key);
    }
    static wxTextCtrl* Edit(wxDialog& dialog, int id) {
        return platform::GetDlgItemAs<wxTextCtrl>(&dialog, id);
    }
    static std::string Text(wxDialog& dialog, int id) {
        return Edit(dialog, id)->GetValue().utf8_string();
    }
    // Types at the insertion point as the keyboard or an input method's commit does.
    static void Type(wxDialog& dialog, int id, const std::string& text) {
        Edit(dialog, id)->WriteText(wxString::FromUTF8(text));
    }
    static void Replace(wxDialog& dialog, int id, const std::string& text) {
        Edit(dialog, id)->ChangeValue(wxString::FromUTF8(text));
        Edit(dialog, id)->SetInsertionPointEnd();
    }

    zel::test::TempWorkDir work_{false};
    guitest::ScriptedMessageBoxes boxes_;
    ExitRecorder exits_;
};

TEST_F(LoginDlgTest, OpensWithTheLastSignInNamedFieldsAndTheFocusInThePassword) {
    const std::tuple<int, const char*, const char*, const char*> fields[] = {
        {IDC_EDIT_USER_ID, "LAST_USER_ID", "agent01", "ZEL 사용자ID"},
        {IDC_EDIT_SVC_ID, "LAST_SVC_ID", "1001", "ZEL 서비스ID"},
        {IDC_EDIT_AGENT_NM, "LAST_AGENT_NM", "김상담", "상  담  원  명"},
        {IDC_EDIT_PASSWORD, "", "", "비  밀  번  호"}, // never stored
        {IDC_EDIT_EXTENSION, "LAST_EXTENSION", "2001", "전  화  번  호"},
    };
    for (const auto& [id, key, value, name] : fields)
        if (*key)
            StoreLast(key, value);
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.GetTitle(), wxString::FromUTF8("로그인"));
        EXPECT_EQ(dialog.GetBackgroundColour(), wxColour(209, 247, 254));
        for (const auto& [id, key, value, name] : fields) {
            EXPECT_EQ(Text(dialog, id), value) << key;
            EXPECT_EQ(platform::GetAccessibleName(Edit(dialog, id)), name);
        }
        EXPECT_TRUE(HasGtkFocus(Edit(dialog, IDC_EDIT_PASSWORD)));
        EXPECT_TRUE(Edit(dialog, IDC_EDIT_PASSWORD)->HasFlag(wxTE_PASSWORD));
        EXPECT_EQ(dialog.GetDefaultItem(), platform::GetDlgItem(&dialog, IDOK_BUTTON));
    });
}

TEST_F(LoginDlgTest, FieldsTakeInputOnlyUpToTheirLimitInCp949Bytes) {
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        const std::tuple<int, std::string, std::string> typed[] = {
            {IDC_EDIT_SVC_ID, "1234567", "123456"},
            {IDC_EDIT_PASSWORD, "0123456789ab", "0123456789"},
            {IDC_EDIT_EXTENSION, std::string(25, '4'), std::string(20, '4')},
            {IDC_EDIT_USER_ID, std::string(300, 'u'), std::string(300, 'u')}, // no limit
        };
        for (const auto& [id, text, kept] : typed) {
            Type(dialog, id, text);
            EXPECT_EQ(Text(dialog, id), kept);
        }
        // Hangul counts two bytes a syllable, committed syllable by syllable.
        for (const char* syllable : {"김", "상", "담", "원", "님", "이"})
            Type(dialog, IDC_EDIT_AGENT_NM, syllable);
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담원님");
        // One byte left: a syllable does not fit, a letter does.
        Replace(dialog, IDC_EDIT_AGENT_NM, "김상담원a");
        Type(dialog, IDC_EDIT_AGENT_NM, "님");
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담원a");
        Type(dialog, IDC_EDIT_AGENT_NM, "bc");
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담원ab");
    });
    EXPECT_EQ(boxes_.Count(), 0u);
}

// A stored value over its limit is shown in full, takes no more input and is refused.
TEST_F(LoginDlgTest, StoredValueOverItsLimitIsRefusedBeforeAnyQuery) {
    StoreLast("LAST_SVC_ID", "1234567");
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        wxTextCtrl* svcId = Edit(dialog, IDC_EDIT_SVC_ID);
        svcId->SetInsertionPointEnd();
        Type(dialog, IDC_EDIT_SVC_ID, "8");
        EXPECT_EQ(Text(dialog, IDC_EDIT_SVC_ID), "1234567");
        dialog.OnOK();
        EXPECT_EQ(boxes_.Last().text, "6 이하의 문자를 입력하십시오.");
        EXPECT_EQ(boxes_.Last().style, platform::MB_ICONEXCLAMATION);
        EXPECT_TRUE(HasGtkFocus(svcId));
        long from = -1, to = -1;
        svcId->GetSelection(&from, &to);
        EXPECT_EQ(std::make_pair(from, to), std::make_pair(0L, 7L));
    });
    EXPECT_EQ(result, kStillOpen);
    EXPECT_EQ(boxes_.Count(), 1u); // and no database error: nothing was queried
    EXPECT_TRUE(exits_.Statuses().empty());
}

TEST_F(LoginDlgTest, OnlyTheInitialAddressIsWarnedAboutOnceAboutHalfASecondAfterOpening) {
    for (const char* address : {"", "127.0.0.1 ", "localhost", "127.0.0.10", "127.0.0.1"}) {
        SCOPED_TRACE(address);
        theAgentEnv().serverAddress = address;
        CLoginDlg dialog;
        RunModal(dialog, [&] {
            guitest::PumpEvents(350);
            EXPECT_EQ(boxes_.Count(), 0u);
            guitest::PumpEvents(1000);
        });
        if (std::string(address) != "127.0.0.1") {
            EXPECT_EQ(boxes_.Count(), 0u);
            continue;
        }
        ASSERT_EQ(boxes_.Count(), 1u);
        const platform::MessageBoxRequest box = boxes_.Last();
        EXPECT_EQ(box.text, "처음 설치후에는 설정 버튼을 눌러 서버 주소를 변경하셔야 합니다.");
        EXPECT_EQ(box.caption, "알림");
        EXPECT_EQ(box.style, platform::MB_ICONINFORMATION);
        EXPECT_EQ(box.owner, &dialog);
    }
}

TEST_F(LoginDlgTest, CancelEscapeAndTheCloseBoxEndWithCancel) {
    EXPECT_EQ(CloseThreeWays<CLoginDlg>(IDCANCEL_BUTTON), std::vector<int>(3, wxID_CANCEL));
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_TRUE(exits_.Statuses().empty());
}

TEST_F(LoginDlgTest, UnreachableServerEndsWithStatusOneBeforeAnyEmptyFieldMessage) {
    theAgentEnv().serverAddress = "127.0.0.2"; // nothing listens there
    theAgentEnv().RDBServerOpen();
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        PressKey(dialog, GDK_KEY_Return); // in the password field: presses 로그인
        guitest::PumpUntil([&] { return !exits_.Statuses().empty(); }, 2000);
    });
    ASSERT_EQ(exits_.Statuses(), std::vector<int>{1});
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_.Last().caption, "에러");
    EXPECT_EQ(boxes_.Last().text.rfind("데이터베이스 오류입니다.", 0), 0u);
}

} // namespace
} // namespace dlgtest
