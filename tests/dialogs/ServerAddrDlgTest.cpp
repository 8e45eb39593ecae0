// The server address dialog: stored exactly as typed in both files, or refused whole when
// too long or not CP949.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "dialogs/ServerAddrDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"
#include "util/Cp949.h"

namespace dlgtest {
namespace {

// The value of key as it stands in Env/file, blanks included.
std::string Stored(const char* file, const char* key) {
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

TEST(ServerAddrDlg, ConfirmStoresTheTextAsTypedOrRefusesItUncut) {
    zel::test::TempWorkDir work(false);
    guitest::ScriptedMessageBoxes boxes;
    const std::pair<std::string, const char*> cases[] = {
        {std::string(84, '9'), "서버 주소는 83바이트 이하로 입력하십시오."},
        {std::string(81, 'a') + "가", nullptr}, // 83 bytes in CP949, 84 in UTF-8
        {"10.0.0.1\xF0\x9F\x98\x80", "서버 주소에 쓸 수 없는 문자가 있습니다."},
        {"10.0.0.1\nZEL_CTI_SERVER_IP_ADDR=6.6.6.6", "서버 주소에 쓸 수 없는 문자가 있습니다."},
        {" 192.168.0.7 ", nullptr},
        {"", nullptr},
        {"서버.example", nullptr},
    };
    for (const auto& [typed, refusal] : cases) {
        SCOPED_TRACE(typed);
        // The address and the files as an earlier run left them.
        theAgentEnv().serverAddress = "10.1.2.3";
        CIniFile("Env/ZELAgent.INI", "GENERAL").WriteString("10.1.2.3", "ZEL_CTI_SERVER_IP_ADDR");
        CIniFile("Env/tnvx.INI", "VERSION_CHECK_CONNECT")
            .WriteString("10.1.2.3", "VC_SERVER_IP_ADDR");
        const std::size_t before = boxes.Count();
        CServerAddrDlg d;
        wxTextCtrl* field = platform::GetDlgItemAs<wxTextCtrl>(&d, IDC_EDIT_SERVER_ADDR);
        const int result = RunModal(d, [&] {
            field->ChangeValue(wxString::FromUTF8(typed));
            ClickButton(d, IDOK_BUTTON);
            if (refusal) {
                EXPECT_TRUE(HasGtkFocus(field));
            }
        });
        const std::string stored = refusal ? "10.1.2.3" : typed;
        EXPECT_EQ(theAgentEnv().serverAddress, stored);
        EXPECT_EQ(Stored("ZELAgent.INI", "ZEL_CTI_SERVER_IP_ADDR"), stored);
        EXPECT_EQ(Stored("tnvx.INI", "VC_SERVER_IP_ADDR"), stored);
        EXPECT_EQ(result, refusal ? kStillOpen : wxID_OK);
        ASSERT_EQ(boxes.Count(), before + (refusal ? 1 : 0));
        if (!refusal)
            continue;
        EXPECT_EQ(field->GetValue(), wxString::FromUTF8(typed)); // not cut
        const platform::MessageBoxRequest box = boxes.Last();
        EXPECT_EQ(box.text, refusal);
        EXPECT_EQ(box.caption, "에러");
        EXPECT_EQ(box.style, platform::MB_ICONERROR);
        EXPECT_EQ(box.owner, &d);
    }
}

// With Env/ missing, a settings file or Env/ itself read-only, or the companion's file
// not a file at all, the address is not stored: the dialog says so and stays open, and
// neither the environment nor a file keeps half of it.
TEST(ServerAddrDlg, AnAddressThatCannotBeStoredIsSaidSoAndTheDialogStaysOpen) {
    namespace fs = std::filesystem;
    guitest::ScriptedMessageBoxes boxes;
    const struct {
        const char* what;
        void (*spoil)(const fs::path& env);
    } cases[] = {
        {"Env missing", [](const fs::path& env) { fs::remove_all(env); }},
        {"ZELAgent.INI read-only",
         [](const fs::path& env) {
             fs::permissions(env / "ZELAgent.INI", fs::perms::owner_write,
                             fs::perm_options::remove);
         }},
        {"tnvx.INI a folder",
         [](const fs::path& env) {
             fs::remove(env / "tnvx.INI");
             fs::create_directory(env / "tnvx.INI");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zel::test::TempWorkDir work(false);
        theAgentEnv().serverAddress = "10.1.2.3";
        CIniFile("Env/ZELAgent.INI", "GENERAL").WriteString("10.1.2.3", "ZEL_CTI_SERVER_IP_ADDR");
        CIniFile("Env/tnvx.INI", "VERSION_CHECK_CONNECT")
            .WriteString("10.1.2.3", "VC_SERVER_IP_ADDR");
        c.spoil(work.Env());
        const std::size_t before = boxes.Count();
        CServerAddrDlg d;
        wxTextCtrl* field = platform::GetDlgItemAs<wxTextCtrl>(&d, IDC_EDIT_SERVER_ADDR);
        const int result = RunModal(d, [&] {
            field->ChangeValue("192.168.9.9");
            ClickButton(d, IDOK_BUTTON);
            EXPECT_TRUE(HasGtkFocus(field));
        });
        EXPECT_EQ(result, kStillOpen);
        EXPECT_EQ(theAgentEnv().serverAddress, "10.1.2.3");
        EXPECT_EQ(field->GetValue(), "192.168.9.9");
        ASSERT_EQ(boxes.Count(), before + 1);
        const platform::MessageBoxRequest box = boxes.Last();
        EXPECT_EQ(box.text, "서버 주소를 저장하지 못했습니다.\r\n"
                            "Env 폴더와 그 안의 설정 파일에 쓸 수 있는지 확인하십시오.");
        EXPECT_EQ(box.caption, "에러");
        EXPECT_EQ(box.style, platform::MB_ICONERROR);
        EXPECT_EQ(box.owner, &d);
        EXPECT_NE(Stored("ZELAgent.INI", "ZEL_CTI_SERVER_IP_ADDR"), "192.168.9.9");
        if (fs::exists(work.Env()))
            fs::permissions(work.Env() / "ZELAgent.INI", fs::perms::owner_write,
                            fs::perm_options::add);
    }
}

} // namespace
} // namespace dlgtest
