// The sign-in dialog as a window, without a database: limits, stored values over them,
// the warning, 설정, ways out.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "dialogs/LoginDlg.h"
#include "dialogs/ServerAddrDlg.h"
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

// The warning waits for the dialog's timer (half a second), which fires once.
TEST_F(LoginDlgTest, OnlyTheInitialAddressIsWarnedAboutOnceWhenTheTimerFires) {
    for (const char* address : {"", "127.0.0.1 ", "localhost", "127.0.0.10", "127.0.0.1"}) {
        SCOPED_TRACE(address);
        theAgentEnv().serverAddress = address;
        CLoginDlg dialog;
        RunModal(dialog, [&] {
            EXPECT_TRUE(dialog.IsWarningTimerRunning());
            EXPECT_EQ(boxes_.Count(), 0u);
            EXPECT_TRUE(guitest::PumpUntil([&] { return !dialog.IsWarningTimerRunning(); }));
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

// A stored last sign-in over its field's limit is shown in full; 로그인 then names the
// first such field in exchange order, selects its text and sends nothing (with no
// database here, any statement would end the program).
TEST_F(LoginDlgTest, AStoredValueOverItsLimitIsShownInFullAndStopsTheSignInBeforeAnyStatement) {
    const struct {
        const char* settings; // the [GENERAL] keys as stored
        int field;
        const char* shown;
        const char* message;
    } cases[] = {
        {"LAST_SVC_ID=1234567", IDC_EDIT_SVC_ID, "1234567", "6 이하의 문자를 입력하십시오."},
        {"LAST_AGENT_NM=\xB1\xE8\xBB\xF3\xB4\xE3\xBF\xF8\xB4\xD4"
         "a",
         IDC_EDIT_AGENT_NM, "김상담원님a", "10 이하의 문자를 입력하십시오."},
        {"LAST_SVC_ID=1234567\r\nLAST_AGENT_NM=abcdefghijk\r\nLAST_EXTENSION="
         "012345678901234567890",
         IDC_EDIT_EXTENSION, "012345678901234567890", "20 이하의 문자를 입력하십시오."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        std::filesystem::create_directories("Env");
        std::ofstream("Env/ZELAgent.INI", std::ios::binary)
            << "[GENERAL]\r\nLAST_USER_ID=agent01\r\n"
            << c.settings << "\r\n";
        const std::size_t before = boxes_.Count();
        CLoginDlg dialog;
        wxTextCtrl* field = Edit(dialog, c.field);
        RunModal(dialog, [&] {
            EXPECT_EQ(field->GetValue().utf8_string(), c.shown);
            Edit(dialog, IDC_EDIT_PASSWORD)->ChangeValue("1234");
            ClickButton(dialog, IDOK_BUTTON);
            EXPECT_TRUE(dialog.IsModal());
            EXPECT_TRUE(HasGtkFocus(field));
            long from = -1;
            long to = -1;
            field->GetSelection(&from, &to);
            EXPECT_EQ(from, 0);
            EXPECT_EQ(to, field->GetLastPosition());
        });
        ASSERT_EQ(boxes_.Count(), before + 1);
        EXPECT_EQ(boxes_.Last().text, c.message);
        EXPECT_EQ(boxes_.Last().style, platform::MB_ICONEXCLAMATION);
        EXPECT_EQ(boxes_.Last().owner, &dialog);
        EXPECT_TRUE(exits_.statuses.empty());
    }
}

// 설정: confirmed, even with the address unchanged, the dialog stores it, says the
// program must be started again and ends it with status 1; cancelled, nothing changes.
TEST_F(LoginDlgTest, ServerAddressConfirmedEndsTheProgramCancelledChangesNothing) {
    for (const bool confirm : {true, false}) {
        SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
        CIniFile("Env/ZELAgent.INI", "GENERAL").WriteString("10.1.2.3", "ZEL_CTI_SERVER_IP_ADDR");
        CIniFile("Env/ZELAgent.INI", "GENERAL").WriteString("agent01", "LAST_USER_ID");
        CIniFile("Env/tnvx.INI", "VERSION_CHECK_CONNECT")
            .WriteString("10.1.2.3", "VC_SERVER_IP_ADDR");
        const std::size_t before = boxes_.Count();
        exits_.statuses.clear();
        CLoginDlg dialog;
        RunModal(dialog, [&] {
            Edit(dialog, IDC_EDIT_AGENT_NM)->SetFocus();
            dialog.CallAfter([&] { // inside the server address dialog's modal loop
                for (wxWindow* window : wxTopLevelWindows) {
                    auto* address = dynamic_cast<CServerAddrDlg*>(window);
                    if (!address || !address->IsModal())
                        continue;
                    platform::GetDlgItemAs<wxTextCtrl>(address, IDC_EDIT_SERVER_ADDR)
                        ->ChangeValue(confirm ? "10.1.2.3" : "10.9.9.9");
                    ClickButton(*address, confirm ? IDOK_BUTTON : IDCANCEL_BUTTON);
                }
            });
            ClickButton(dialog, IDC_BTN_SETTING);
            EXPECT_TRUE(HasGtkFocus(Edit(dialog, IDC_EDIT_AGENT_NM)));
            EXPECT_EQ(Edit(dialog, IDC_EDIT_USER_ID)->GetValue(), "agent01");
        });
        std::string stored;
        CIniFile("Env/ZELAgent.INI", "GENERAL").ReadString(stored, "ZEL_CTI_SERVER_IP_ADDR");
        EXPECT_EQ(stored, "10.1.2.3");
        CIniFile("Env/tnvx.INI", "VERSION_CHECK_CONNECT").ReadString(stored, "VC_SERVER_IP_ADDR");
        EXPECT_EQ(stored, "10.1.2.3");
        EXPECT_EQ(theAgentEnv().serverAddress, "10.1.2.3");
        if (!confirm) {
            EXPECT_EQ(boxes_.Count(), before);
            EXPECT_TRUE(exits_.statuses.empty());
            continue;
        }
        ASSERT_EQ(boxes_.Count(), before + 1);
        EXPECT_EQ(boxes_.Last().text, "서버 주소를 변경하면 프로그램을 다시 시작 하여야 합니다.");
        EXPECT_EQ(boxes_.Last().caption, "알림");
        EXPECT_EQ(boxes_.Last().owner, &dialog);
        EXPECT_EQ(exits_.statuses, std::vector<int>{1});
    }
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
