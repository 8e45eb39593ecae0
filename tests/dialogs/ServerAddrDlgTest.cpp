// The server address dialog: what it shows, what it stores, and what it refuses.
#include <fstream>

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "config/IniFile.h"
#include "controls/HoverButton.h"
#include "db/AgentEnv.h"
#include "dialogs/ServerAddrDlg.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"
#include "util/Cp949.h"

namespace dlgtest {
namespace {

class ServerAddrDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        theAgentEnv().serverAddress = "10.1.2.3";
        // The files as an earlier run left them.
        Write("ZELAgent.INI", "GENERAL", "ZEL_CTI_SERVER_IP_ADDR", "10.1.2.3");
        Write("tnvx.INI", "VERSION_CHECK_CONNECT", "VC_SERVER_IP_ADDR", "10.1.2.3");
    }

    static void Write(const char* file, const char* section, const char* key, const char* value) {
        CIniFile(std::string("Env/") + file, section).WriteString(value, key);
    }
    static std::string Read(const char* file, const char* section, const char* key) {
        std::string value;
        CIniFile(std::string("Env/") + file, section).ReadString(value, key);
        return value;
    }
    // The value of key as it stands in the file, blanks included.
    static std::string RawValue(const char* file, const char* key) {
        std::ifstream in(std::string("Env/") + file, std::ios::binary);
        const std::string prefix = std::string(key) + "=";
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.rfind(prefix, 0) == 0)
                return cp949::ToUtf8Lossy(line.substr(prefix.size()));
        }
        return "(missing)";
    }
    static std::string StoredAddress() {
        return Read("ZELAgent.INI", "GENERAL", "ZEL_CTI_SERVER_IP_ADDR");
    }
    static std::string CompanionAddress() {
        return Read("tnvx.INI", "VERSION_CHECK_CONNECT", "VC_SERVER_IP_ADDR");
    }
    static wxTextCtrl* Field(wxDialog& dialog) {
        return platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_SERVER_ADDR);
    }

    zel::test::TempWorkDir work_{false};
    guitest::ScriptedMessageBoxes boxes_;
};

TEST_F(ServerAddrDlgTest, OpensWithTheAddressReadAtStartUpAndTheFocusInTheField) {
    CServerAddrDlg dialog;
    RunModal(dialog, [&] {
        EXPECT_EQ(Field(dialog)->GetValue(), "10.1.2.3");
        EXPECT_TRUE(HasGtkFocus(Field(dialog)));
        EXPECT_EQ(dialog.GetTitle(), wxString::FromUTF8("서버 주소 설정"));
        EXPECT_EQ(platform::GetAccessibleName(Field(dialog)), "서버 주소");
        for (int id : {IDOK_BUTTON, IDCANCEL_BUTTON}) {
            auto* button = platform::GetDlgItemAs<CHoverButton>(&dialog, id);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackNormal),
                      wxColour(245, 245, 220));
            EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackHot), wxColour(0, 0, 255));
            EXPECT_EQ(button->GetStateColor(CHoverButton::ColorTextHot), wxColour(255, 255, 255));
        }
        EXPECT_EQ(dialog.GetDefaultItem(), platform::GetDlgItem(&dialog, IDOK_BUTTON));
    });
}

TEST_F(ServerAddrDlgTest, ConfirmStoresTheTextExactlyAsTypedInBothFiles) {
    for (const char* typed : {" 192.168.0.7 ", "10.1.2.3", "", "서버.example"}) {
        SCOPED_TRACE(typed);
        CServerAddrDlg dialog;
        const int result = RunModal(dialog, [&] {
            Field(dialog)->ChangeValue(wxString::FromUTF8(typed));
            ClickButton(dialog, IDOK_BUTTON);
        });
        EXPECT_EQ(result, wxID_OK);
        EXPECT_EQ(theAgentEnv().serverAddress, typed);
        EXPECT_EQ(RawValue("ZELAgent.INI", "ZEL_CTI_SERVER_IP_ADDR"), typed);
        EXPECT_EQ(RawValue("tnvx.INI", "VC_SERVER_IP_ADDR"), typed);
    }
    EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(ServerAddrDlgTest, CancelStoresNothingWhicheverWayItComes) {
    const std::function<void(CServerAddrDlg&)> cancels[] = {
        [](CServerAddrDlg& d) { ClickButton(d, IDCANCEL_BUTTON); },
        [](CServerAddrDlg& d) { PressEscape(d); },
        [](CServerAddrDlg& d) { PressCloseBox(d); },
    };
    for (const auto& cancel : cancels) {
        CServerAddrDlg dialog;
        const int result = RunModal(dialog, [&] {
            Field(dialog)->ChangeValue("10.9.9.9");
            cancel(dialog);
            guitest::PumpEvents(20);
        });
        EXPECT_EQ(result, wxID_CANCEL);
    }
    EXPECT_EQ(theAgentEnv().serverAddress, "10.1.2.3");
    EXPECT_EQ(StoredAddress(), "10.1.2.3");
    EXPECT_EQ(CompanionAddress(), "10.1.2.3");
}

TEST_F(ServerAddrDlgTest, AddressLongerThanTheEnvironmentHoldsIsRefusedNotCut) {
    const std::string longest(83, '9');
    const std::pair<std::string, const char*> refused[] = {
        {longest + "9", "서버 주소는 83바이트 이하로 입력하십시오."},
        {std::string(82, 'a') + "가", "서버 주소는 83바이트 이하로 입력하십시오."}, // 84 bytes
        {"10.0.0.1\xF0\x9F\x98\x80", "서버 주소에 쓸 수 없는 문자가 있습니다."},    // no CP949 form
    };
    for (const auto& [typed, message] : refused) {
        SCOPED_TRACE(typed);
        CServerAddrDlg dialog;
        const int result = RunModal(dialog, [&] {
            Field(dialog)->ChangeValue(wxString::FromUTF8(typed));
            boxes_.Clear();
            dialog.OnOK();
            ASSERT_EQ(boxes_.Count(), 1u);
            const auto box = boxes_.Last();
            EXPECT_EQ(box.text, message);
            EXPECT_EQ(box.caption, "에러");
            EXPECT_EQ(box.style, platform::MB_ICONERROR);
            EXPECT_EQ(box.owner, &dialog);
            EXPECT_TRUE(dialog.IsModal());
            EXPECT_TRUE(HasGtkFocus(Field(dialog)));
            EXPECT_EQ(Field(dialog)->GetValue(), wxString::FromUTF8(typed)); // not cut
        });
        EXPECT_EQ(result, kStillOpen);
    }
    EXPECT_EQ(theAgentEnv().serverAddress, "10.1.2.3");
    EXPECT_EQ(StoredAddress(), "10.1.2.3");

    CServerAddrDlg dialog;
    boxes_.Clear();
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           Field(dialog)->ChangeValue(longest);
                           dialog.OnOK();
                       }),
              wxID_OK);
    EXPECT_EQ(StoredAddress(), longest);
    EXPECT_EQ(boxes_.Count(), 0u);
}

} // namespace
} // namespace dlgtest
