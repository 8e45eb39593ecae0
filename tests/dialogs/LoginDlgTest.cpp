// The sign-in dialog as a window: what it shows at opening, its input limits, the
// start-up warning, the ways out, the 설정 button, and the paths that end the program
// before the database is asked anything about the agent.
#include <chrono>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/textctrl.h>

#include "config/IniFile.h"
#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "db/AgentEnv.h"
#include "dialogs/LoginDlg.h"
#include "dialogs/ServerAddrDlg.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/SysColors.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"

namespace dlgtest {
namespace {

constexpr const char* kWarning = "처음 설치후에는 설정 버튼을 눌러 서버 주소를 변경하셔야 합니다.";

class LoginDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CTELVOAgentEnv& env = theAgentEnv();
        env.serverAddress = "10.1.2.3";
        env.connection = 0; // no database: any query fails
        env.userId.clear();
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
    // Types text at the insertion point as the keyboard or an input method's commit does.
    static void Type(wxDialog& dialog, int id, const std::string& text) {
        Edit(dialog, id)->WriteText(wxString::FromUTF8(text));
    }

    zel::test::TempWorkDir work_{false};
    guitest::ScriptedMessageBoxes boxes_;
    ExitRecorder exits_;
};

// Runs act on the server address dialog once the sign-in dialog has opened it.
void WhenServerAddressDialogOpens(std::function<void(CServerAddrDlg&)> act) {
    wxTheApp->CallAfter([act] {
        for (wxWindow* window : wxTopLevelWindows) {
            if (auto* dialog = dynamic_cast<CServerAddrDlg*>(window); dialog && dialog->IsModal()) {
                act(*dialog);
                return;
            }
        }
        ADD_FAILURE() << "the server address dialog did not open";
    });
}

TEST_F(LoginDlgTest, OpensWithTheLastSignInAndTheFocusInThePasswordField) {
    StoreLast("LAST_USER_ID", "agent01");
    StoreLast("LAST_SVC_ID", "1001");
    StoreLast("LAST_AGENT_NM", "김상담");
    StoreLast("LAST_EXTENSION", "2001");
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.GetTitle(), wxString::FromUTF8("로그인"));
        EXPECT_EQ(Text(dialog, IDC_EDIT_USER_ID), "agent01");
        EXPECT_EQ(Text(dialog, IDC_EDIT_SVC_ID), "1001");
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담");
        EXPECT_EQ(Text(dialog, IDC_EDIT_EXTENSION), "2001");
        EXPECT_EQ(Text(dialog, IDC_EDIT_PASSWORD), "");
        EXPECT_TRUE(HasGtkFocus(Edit(dialog, IDC_EDIT_PASSWORD)));
        EXPECT_TRUE(Edit(dialog, IDC_EDIT_PASSWORD)->HasFlag(wxTE_PASSWORD));
    });
}

TEST_F(LoginDlgTest, MissingSettingsFileOpensWithEmptyFields) {
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        for (int id : {IDC_EDIT_USER_ID, IDC_EDIT_SVC_ID, IDC_EDIT_AGENT_NM, IDC_EDIT_EXTENSION,
                       IDC_EDIT_PASSWORD})
            EXPECT_EQ(Text(dialog, id), "");
    });
}

TEST_F(LoginDlgTest, ColoursDefaultButtonAndFieldNames) {
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.GetBackgroundColour(), wxColour(209, 247, 254));
        const std::pair<int, const char*> labels[] = {
            {IDC_EDIT_USER_ID, "ZEL 사용자ID"},     {IDC_EDIT_SVC_ID, "ZEL 서비스ID"},
            {IDC_EDIT_AGENT_NM, "상  담  원  명"},  {IDC_EDIT_PASSWORD, "비  밀  번  호"},
            {IDC_EDIT_EXTENSION, "전  화  번  호"},
        };
        for (const auto& [fieldId, name] : labels)
            EXPECT_EQ(platform::GetAccessibleName(Edit(dialog, fieldId)), name);
        for (int id : {IDC_STATIC_USER_ID, IDC_STATIC_SVC_ID, IDC_STATIC_AGENT_NM,
                       IDC_STATIC_PASSWORD, IDC_STATIC_EXTENSION}) {
            auto* label = platform::GetDlgItemAs<CColorLabel>(&dialog, id);
            ASSERT_NE(label, nullptr) << id;
            EXPECT_EQ(label->GetTextColor(), platform::GetSysColor(platform::COLOR_INFOTEXT));
            EXPECT_EQ(label->GetBackColor(), wxColour(230, 230, 250));
        }
        for (int id : {IDOK_BUTTON, IDCANCEL_BUTTON, IDC_BTN_SETTING}) {
            auto* button = platform::GetDlgItemAs<CHoverButton>(&dialog, id);
            ASSERT_NE(button, nullptr) << id;
            EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackNormal),
                      wxColour(245, 245, 220));
            EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackHot), wxColour(0, 0, 255));
            EXPECT_EQ(button->GetStateColor(CHoverButton::ColorTextHot), wxColour(255, 255, 255));
        }
        EXPECT_EQ(dialog.GetDefaultItem(), platform::GetDlgItem(&dialog, IDOK_BUTTON));
    });
}

TEST_F(LoginDlgTest, FieldsTakeInputOnlyUpToTheirLimitInCp949Bytes) {
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        Type(dialog, IDC_EDIT_SVC_ID, "1234567");
        EXPECT_EQ(Text(dialog, IDC_EDIT_SVC_ID), "123456");
        Type(dialog, IDC_EDIT_PASSWORD, "0123456789ab");
        EXPECT_EQ(Text(dialog, IDC_EDIT_PASSWORD), "0123456789");
        Type(dialog, IDC_EDIT_EXTENSION, std::string(25, '4'));
        EXPECT_EQ(Text(dialog, IDC_EDIT_EXTENSION), std::string(20, '4'));
        Type(dialog, IDC_EDIT_USER_ID, std::string(300, 'u')); // no limit
        EXPECT_EQ(Text(dialog, IDC_EDIT_USER_ID).size(), 300u);

        // Hangul counts two bytes a syllable, committed syllable by syllable.
        for (const char* syllable : {"김", "상", "담", "원", "님", "이"})
            Type(dialog, IDC_EDIT_AGENT_NM, syllable);
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담원님");
        // One byte left: a syllable does not fit, a letter does.
        Edit(dialog, IDC_EDIT_AGENT_NM)->ChangeValue(wxString::FromUTF8("김상담원a"));
        Edit(dialog, IDC_EDIT_AGENT_NM)->SetInsertionPointEnd();
        Type(dialog, IDC_EDIT_AGENT_NM, "님");
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담원a");
        Type(dialog, IDC_EDIT_AGENT_NM, "bc");
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담원ab");
        // A pasted text is cut at a character boundary.
        Edit(dialog, IDC_EDIT_AGENT_NM)->ChangeValue("");
        Edit(dialog, IDC_EDIT_AGENT_NM)->SetInsertionPointEnd();
        Type(dialog, IDC_EDIT_AGENT_NM, "a김상담원님");
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "a김상담원");
        // Typing over a selection replaces it within the limit.
        Edit(dialog, IDC_EDIT_SVC_ID)->SelectAll();
        Type(dialog, IDC_EDIT_SVC_ID, "999999");
        EXPECT_EQ(Text(dialog, IDC_EDIT_SVC_ID), "999999");
    });
    EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(LoginDlgTest, StoredValueOverItsLimitIsShownInFullAndRefusedAtSignIn) {
    StoreLast("LAST_USER_ID", "agent01");
    StoreLast("LAST_SVC_ID", "1234567");
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        wxTextCtrl* svcId = Edit(dialog, IDC_EDIT_SVC_ID);
        EXPECT_EQ(svcId->GetValue(), "1234567");
        svcId->SetInsertionPointEnd();
        Type(dialog, IDC_EDIT_SVC_ID, "8"); // no room for more
        EXPECT_EQ(svcId->GetValue(), "1234567");

        dialog.OnOK();
        ASSERT_EQ(boxes_.Count(), 1u); // and no database error: nothing was queried
        const auto box = boxes_.Last();
        EXPECT_EQ(box.text, "6 이하의 문자를 입력하십시오.");
        EXPECT_EQ(box.style, platform::MB_ICONEXCLAMATION);
        EXPECT_EQ(box.owner, &dialog);
        EXPECT_TRUE(HasGtkFocus(svcId));
        long from = -1, to = -1;
        svcId->GetSelection(&from, &to);
        EXPECT_EQ(from, 0);
        EXPECT_EQ(to, 7);
        EXPECT_TRUE(dialog.IsModal());
    });
    EXPECT_EQ(result, kStillOpen);
    EXPECT_TRUE(exits_.Statuses().empty());
}

TEST_F(LoginDlgTest, FirstFieldOverItsLimitInExchangeOrderIsTheOneNamed) {
    StoreLast("LAST_SVC_ID", "1234567");
    StoreLast("LAST_AGENT_NM", "김상담원님이"); // 12 bytes
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        EXPECT_EQ(Text(dialog, IDC_EDIT_AGENT_NM), "김상담원님이");
        dialog.OnOK();
        EXPECT_EQ(boxes_.Last().text, "10 이하의 문자를 입력하십시오.");
        EXPECT_TRUE(HasGtkFocus(Edit(dialog, IDC_EDIT_AGENT_NM)));
    });
    EXPECT_EQ(boxes_.Count(), 1u);
}

TEST_F(LoginDlgTest, InitialAddressIsWarnedAboutOnceAboutHalfASecondAfterOpening) {
    theAgentEnv().serverAddress = "127.0.0.1";
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        const auto opened = std::chrono::steady_clock::now();
        guitest::PumpEvents(250);
        EXPECT_EQ(boxes_.Count(), 0u);
        ASSERT_TRUE(guitest::PumpUntil([&] { return boxes_.Count() > 0; }, 3000));
        const auto delay = std::chrono::steady_clock::now() - opened;
        EXPECT_GE(delay, std::chrono::milliseconds(400));
        const auto box = boxes_.Last();
        EXPECT_EQ(box.text, kWarning);
        EXPECT_EQ(box.caption, "알림");
        EXPECT_EQ(box.style, platform::MB_ICONINFORMATION);
        EXPECT_EQ(box.owner, &dialog);
        EXPECT_FALSE(dialog.IsWarningTimerRunning());
        guitest::PumpEvents(1200);
    });
    EXPECT_EQ(boxes_.Count(), 1u);
}

TEST_F(LoginDlgTest, OtherAddressesAreNotWarnedAbout) {
    for (const char* address : {"", "127.0.0.1 ", "localhost", "10.1.2.3", "127.0.0.10"}) {
        SCOPED_TRACE(address);
        theAgentEnv().serverAddress = address;
        CLoginDlg dialog;
        RunModal(dialog, [&] {
            guitest::PumpEvents(800);
            EXPECT_FALSE(dialog.IsWarningTimerRunning());
        });
    }
    EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(LoginDlgTest, CancelEscapeAndTheCloseBoxEndWithCancel) {
    const std::function<void(CLoginDlg&)> cancels[] = {
        [](CLoginDlg& d) { ClickButton(d, IDCANCEL_BUTTON); },
        [](CLoginDlg& d) { PressEscape(d); },
        [](CLoginDlg& d) { PressCloseBox(d); },
    };
    for (const auto& cancel : cancels) {
        CLoginDlg dialog;
        EXPECT_EQ(RunModal(dialog,
                           [&] {
                               cancel(dialog);
                               guitest::PumpEvents(20);
                           }),
                  wxID_CANCEL);
    }
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_TRUE(exits_.Statuses().empty());
}

TEST_F(LoginDlgTest, UnreachableServerEndsWithStatusOneBeforeAnyEmptyFieldMessage) {
    CTELVOAgentEnv& env = theAgentEnv();
    env.serverAddress = "127.0.0.2"; // nothing listens there
    env.RDBServerOpen();
    CLoginDlg dialog;
    RunModal(dialog, [&] {
        // Enter in the password field presses 로그인.
        PressKey(dialog, GDK_KEY_Return);
        // GTK shows an activated button pressed for a moment before the click.
        guitest::PumpUntil([&] { return !exits_.Statuses().empty(); }, 2000);
    });
    ASSERT_EQ(exits_.Statuses(), std::vector<int>{1});
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_.Last().caption, "에러");
    EXPECT_EQ(boxes_.Last().text.rfind("데이터베이스 오류입니다.", 0), 0u);
}

TEST_F(LoginDlgTest, CancelledServerAddressLeavesTheDialogAsItWas) {
    CLoginDlg dialog;
    const int result = RunModal(dialog, [&] {
        Edit(dialog, IDC_EDIT_USER_ID)->ChangeValue("typed");
        Edit(dialog, IDC_EDIT_PASSWORD)->ChangeValue("pw");
        WhenServerAddressDialogOpens([](CServerAddrDlg& d) {
            EXPECT_EQ(platform::GetDlgItemAs<wxTextCtrl>(&d, IDC_EDIT_SERVER_ADDR)->GetValue(),
                      "10.1.2.3");
            ClickButton(d, IDCANCEL_BUTTON);
        });
        ClickButton(dialog, IDC_BTN_SETTING);
        EXPECT_TRUE(dialog.IsModal());
        EXPECT_EQ(Text(dialog, IDC_EDIT_USER_ID), "typed");
        EXPECT_EQ(Text(dialog, IDC_EDIT_PASSWORD), "pw");
        EXPECT_TRUE(HasGtkFocus(Edit(dialog, IDC_EDIT_PASSWORD)));
    });
    EXPECT_EQ(result, kStillOpen);
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_TRUE(exits_.Statuses().empty());
    EXPECT_EQ(theAgentEnv().serverAddress, "10.1.2.3");
}

TEST_F(LoginDlgTest, ConfirmedServerAddressEndsTheProgramEvenWhenUnchanged) {
    for (const char* typed : {"10.1.2.3", "192.168.0.9"}) {
        SCOPED_TRACE(typed);
        boxes_.Clear();
        CLoginDlg dialog;
        const std::size_t exitsBefore = exits_.Statuses().size();
        RunModal(dialog, [&] {
            WhenServerAddressDialogOpens([typed](CServerAddrDlg& d) {
                platform::GetDlgItemAs<wxTextCtrl>(&d, IDC_EDIT_SERVER_ADDR)->ChangeValue(typed);
                ClickButton(d, IDOK_BUTTON);
            });
            ClickButton(dialog, IDC_BTN_SETTING);
        });
        ASSERT_EQ(boxes_.Count(), 1u);
        EXPECT_EQ(boxes_.Last().text, "서버 주소를 변경하면 프로그램을 다시 시작 하여야 합니다.");
        EXPECT_EQ(boxes_.Last().caption, "알림");
        EXPECT_EQ(boxes_.Last().owner, &dialog);
        ASSERT_EQ(exits_.Statuses().size(), exitsBefore + 1);
        EXPECT_EQ(exits_.Statuses().back(), 1);
        std::string stored;
        CIniFile("Env\\ZELAgent.INI", "GENERAL").ReadString(stored, "ZEL_CTI_SERVER_IP_ADDR");
        EXPECT_EQ(stored, typed);
    }
}

} // namespace
} // namespace dlgtest
