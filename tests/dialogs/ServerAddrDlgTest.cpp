// The server address dialog: stored exactly as typed in both files, or refused whole when
// too long, not CP949 or not storable.
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

// Confirmed, the address is stored as typed in the environment and both files. Refused
// (too long, not CP949, or a folder or file it cannot be written to), the dialog says so
// and stays open with the text uncut, and neither the environment nor a file keeps any
// of it.
TEST(ServerAddrDlg, ConfirmStoresTheTextAsTypedOrRefusesItUncut) {
    namespace fs = std::filesystem;
    guitest::ScriptedMessageBoxes boxes;
    const char* const unusable = "서버 주소에 쓸 수 없는 문자가 있습니다.";
    const char* const unwritable = "서버 주소를 저장하지 못했습니다.\r\n"
                                   "Env 폴더와 그 안의 설정 파일에 쓸 수 있는지 확인하십시오.";
    const struct {
        std::string typed;
        const char* refusal;                // the box's text, or none when stored
        void (*spoil)(const fs::path& env); // what is done to Env/ first, if anything
    } cases[] = {
        {std::string(84, '9'), "서버 주소는 83바이트 이하로 입력하십시오.", nullptr},
        {std::string(81, 'a') + "가", nullptr, nullptr}, // 83 bytes in CP949, 84 in UTF-8
        {"10.0.0.1\xF0\x9F\x98\x80", unusable, nullptr},
        {"10.0.0.1\nZEL_CTI_SERVER_IP_ADDR=6.6.6.6", unusable, nullptr},
        {" 192.168.0.7 ", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"서버.example", nullptr, nullptr},
        {"192.168.9.9", unwritable, [](const fs::path& env) { fs::remove_all(env); }},
        {"192.168.9.9", unwritable,
         [](const fs::path& env) {
             fs::permissions(env / "ZELAgent.INI", fs::perms::owner_write,
                             fs::perm_options::remove);
         }},
        {"192.168.9.9", unwritable,
         [](const fs::path& env) {
             fs::remove(env / "tnvx.INI");
             fs::create_directory(env / "tnvx.INI");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        // The address and the files as an earlier run left them.
        zel::test::TempWorkDir work(false);
        theAgentEnv().serverAddress = "10.1.2.3";
        CIniFile("Env/ZELAgent.INI", "GENERAL").WriteString("10.1.2.3", "ZEL_CTI_SERVER_IP_ADDR");
        CIniFile("Env/tnvx.INI", "VERSION_CHECK_CONNECT")
            .WriteString("10.1.2.3", "VC_SERVER_IP_ADDR");
        if (c.spoil)
            c.spoil(work.Env());
        const std::size_t before = boxes.Count();
        CServerAddrDlg d;
        wxTextCtrl* field = platform::GetDlgItemAs<wxTextCtrl>(&d, IDC_EDIT_SERVER_ADDR);
        const int result = RunModal(d, [&] {
            field->ChangeValue(wxString::FromUTF8(c.typed));
            ClickButton(d, IDOK_BUTTON);
            if (c.refusal) {
                EXPECT_TRUE(HasGtkFocus(field));
            }
        });
        const std::string stored = c.refusal ? "10.1.2.3" : c.typed;
        EXPECT_EQ(theAgentEnv().serverAddress, stored);
        if (c.spoil) {
            EXPECT_NE(Stored("ZELAgent.INI", "ZEL_CTI_SERVER_IP_ADDR"), c.typed);
        } else {
            EXPECT_EQ(Stored("ZELAgent.INI", "ZEL_CTI_SERVER_IP_ADDR"), stored);
            EXPECT_EQ(Stored("tnvx.INI", "VC_SERVER_IP_ADDR"), stored);
        }
        EXPECT_EQ(result, c.refusal ? kStillOpen : wxID_OK);
        ASSERT_EQ(boxes.Count(), before + (c.refusal ? 1 : 0));
        if (!c.refusal)
            continue;
        EXPECT_EQ(field->GetValue(), wxString::FromUTF8(c.typed)); // not cut
        const platform::MessageBoxRequest box = boxes.Last();
        EXPECT_EQ(box.text, c.refusal);
        EXPECT_EQ(box.caption, "에러");
        EXPECT_EQ(box.style, platform::MB_ICONERROR);
        EXPECT_EQ(box.owner, &d);
    }
}

} // namespace
} // namespace dlgtest
