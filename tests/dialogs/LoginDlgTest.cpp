// The sign-in dialog as a window, without a database: limits, warning, ways out.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/textctrl.h>

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

    zel::test::TempWorkDir work_{false};
    guitest::ScriptedMessageBoxes boxes_;
    ExitRecorder exits_;
};

wxTextCtrl* Edit(wxDialog& dialog, int id) {
    return platform::GetDlgItemAs<wxTextCtrl>(&dialog, id);
}

// Types at the insertion point as the keyboard or an input method's commit does.
std::string Type(wxDialog& dialog, int id, const std::string& text) {
    Edit(dialog, id)->WriteText(wxString::FromUTF8(text));
    return Edit(dialog, id)->GetValue().utf8_string();
}

// Each field takes input up to its limit in CP949 bytes (Hangul two a syllable) and is
// named by its label.
TEST_F(LoginDlgTest, FieldsTakeInputOnlyUpToTheirLimitInCp949Bytes) {
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        const std::tuple<int, std::string, std::string, const char*> fields[] = {
            {IDC_EDIT_USER_ID, std::string(300, 'u'), std::string(300, 'u'), "ZEL 사용자ID"},
            {IDC_EDIT_SVC_ID, "1234567", "123456", "ZEL 서비스ID"},
            {IDC_EDIT_AGENT_NM, "김상담원님이", "김상담원님", "상담원명"},
            {IDC_EDIT_PASSWORD, "0123456789ab", "0123456789", "비밀번호"},
            {IDC_EDIT_EXTENSION, std::string(25, '4'), std::string(20, '4'), "전화번호"},
        };
        for (const auto& [id, typed, kept, name] : fields) {
            EXPECT_EQ(Type(dialog, id, typed), kept);
            EXPECT_EQ(platform::GetAccessibleName(Edit(dialog, id)), name);
        }
        // One byte left: a syllable does not fit, a letter does.
        Edit(dialog, IDC_EDIT_AGENT_NM)->ChangeValue(wxString::FromUTF8("김상담원a"));
        Edit(dialog, IDC_EDIT_AGENT_NM)->SetInsertionPointEnd();
        EXPECT_EQ(Type(dialog, IDC_EDIT_AGENT_NM, "님"), "김상담원a");
        EXPECT_EQ(Type(dialog, IDC_EDIT_AGENT_NM, "bc"), "김상담원ab");
    });
    EXPECT_EQ(boxes_.Count(), 0u);
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
        ASSERT_EQ(boxes_.Count(), std::string(address) == "127.0.0.1" ? 1u : 0u);
        if (boxes_.Count() == 1) {
            EXPECT_EQ(boxes_.Last().owner, &dialog);
        }
    }
    const platform::MessageBoxRequest box = boxes_.Last();
    EXPECT_EQ(box.text, "처음 설치후에는 설정 버튼을 눌러 서버 주소를 변경하셔야 합니다.");
    EXPECT_EQ(box.caption, "알림");
    EXPECT_EQ(box.style, platform::MB_ICONINFORMATION);
}

TEST_F(LoginDlgTest, CancelEscapeAndTheCloseBoxEndWithCancel) {
    EXPECT_EQ(CloseThreeWays<CLoginDlg>(IDCANCEL_BUTTON), std::vector<int>(3, wxID_CANCEL));
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_TRUE(exits_.statuses.empty());
}

TEST_F(LoginDlgTest, UnreachableServerEndsWithStatusOneBeforeAnyEmptyFieldMessage) {
    theAgentEnv().serverAddress = "127.0.0.2"; // nothing listens there
    theAgentEnv().RDBServerOpen();
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        PressKey(dialog, GDK_KEY_Return); // in the password field: presses 로그인
        guitest::PumpUntil([&] { return !exits_.statuses.empty(); }, 2000);
    });
    ASSERT_EQ(exits_.statuses, std::vector<int>{1});
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_.Last().caption, "에러");
    EXPECT_EQ(boxes_.Last().text.rfind("데이터베이스 오류입니다.", 0), 0u);
}

} // namespace
} // namespace dlgtest
