// The server address dialog: what it shows, what it stores, and what it refuses.
#include <fstream>

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "config/IniFile.h"
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
        CIniFile("Env/ZELAgent.INI", "GENERAL").WriteString("10.1.2.3", "ZEL_CTI_SERVER_IP_ADDR");
        CIniFile("Env/tnvx.INI", "VERSION_CHECK_CONNECT").WriteString("10.1.2.3", kCompanionKey);
    }

    // The value of key as it stands in the file, blanks included.
    static std::string Stored(const char* file = "ZELAgent.INI",
                              const char* key = "ZEL_CTI_SERVER_IP_ADDR") {
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
    static wxTextCtrl* Field(wxDialog& dialog) {
        return platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_SERVER_ADDR);
    }
    static int Confirm(const std::string& typed, const std::function<void(CServerAddrDlg&)>& then) {
        CServerAddrDlg dialog;
        return RunModal(dialog, [&] {
            Field(dialog)->ChangeValue(wxString::FromUTF8(typed));
            then(dialog);
        });
    }

    static constexpr const char* kCompanionKey = "VC_SERVER_IP_ADDR";
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
        EXPECT_EQ(dialog.GetDefaultItem(), platform::GetDlgItem(&dialog, IDOK_BUTTON));
    });
}

TEST_F(ServerAddrDlgTest, ConfirmStoresTheTextExactlyAsTypedInBothFiles) {
    const std::string values[] = {" 192.168.0.7 ", "", "서버.example", std::string(83, '9')};
    for (const std::string& typed : values) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(Confirm(typed, [](CServerAddrDlg& d) { ClickButton(d, IDOK_BUTTON); }), wxID_OK);
        EXPECT_EQ(theAgentEnv().serverAddress, typed);
        EXPECT_EQ(Stored(), typed);
        EXPECT_EQ(Stored("tnvx.INI", kCompanionKey), typed);
    }
    EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(ServerAddrDlgTest, CancelStoresNothingWhicheverWayItComes) {
    const auto results = CloseThreeWays<CServerAddrDlg>(
        IDCANCEL_BUTTON, [](CServerAddrDlg& d) { Field(d)->ChangeValue("10.9.9.9"); });
    EXPECT_EQ(results, std::vector<int>(3, wxID_CANCEL));
    EXPECT_EQ(theAgentEnv().serverAddress, "10.1.2.3");
    EXPECT_EQ(Stored(), "10.1.2.3");
    EXPECT_EQ(Stored("tnvx.INI", kCompanionKey), "10.1.2.3");
}

TEST_F(ServerAddrDlgTest, AddressTooLongOrWithoutCp949FormIsRefusedNotCut) {
    const std::pair<std::string, const char*> refused[] = {
        {std::string(84, '9'), "서버 주소는 83바이트 이하로 입력하십시오."},
        {std::string(82, 'a') + "가", "서버 주소는 83바이트 이하로 입력하십시오."}, // 84 bytes
        {"10.0.0.1\xF0\x9F\x98\x80", "서버 주소에 쓸 수 없는 문자가 있습니다."},
    };
    for (const auto& [typed, message] : refused) {
        SCOPED_TRACE(typed);
        boxes_.Clear();
        const int result = Confirm(typed, [&](CServerAddrDlg& d) {
            d.OnOK();
            ASSERT_EQ(boxes_.Count(), 1u);
            EXPECT_EQ(boxes_.Last().text, message);
            EXPECT_EQ(boxes_.Last().caption, "에러");
            EXPECT_EQ(boxes_.Last().style, platform::MB_ICONERROR);
            EXPECT_EQ(boxes_.Last().owner, &d);
            EXPECT_TRUE(HasGtkFocus(Field(d)));
            EXPECT_EQ(Field(d)->GetValue(), wxString::FromUTF8(typed)); // not cut
        });
        EXPECT_EQ(result, kStillOpen);
    }
    EXPECT_EQ(theAgentEnv().serverAddress, "10.1.2.3");
    EXPECT_EQ(Stored(), "10.1.2.3");
}

} // namespace
} // namespace dlgtest
