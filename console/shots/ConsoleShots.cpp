// zel-shot-console <folder>: the agent console as the agent sees it, ready for calls
// (console-ready.png) and during a call with the caller's information, a grade and a
// memo (console-in-call.png). The window shows what its logic would put there; no
// database is needed.
#include <string>

#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "console/window/AgentConsoleDlg.h"
#include "controls/HoverButton.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/gui/support/ShotSupport.h"

namespace {

// The console without its start-up: no sign-in, no database.
class ShotConsole : public CAgentConsoleDlg {
  public:
    ShotConsole() : CAgentConsoleDlg(nullptr) {}
    void OnStartup() override {}
};

void ShowMode(ShotConsole& console, int mode, const std::string& modeText) {
    console.SetWindowTitle("ZELAgent-2001-" + modeText);
    console.Console().SetButtonMask(ButtonMaskOf(mode));
}

bool Shoot(const std::string& folder) {
    ShotConsole console;
    console.Show();
    guitest::PumpEvents(100);

    ShowMode(console, AGENT_MODE_READY, "대기중");
    console.SetFieldText(IDC_STATIC_TODAY_COUNT, "12");
    console.SetFieldText(IDC_STATIC_TODAY_TIME, "01:47:32");
    // The pointer over 휴식중 shows a state button's hover colours (its tooltip kept
    // quiet: under Xvfb a tooltip window has no compositor to draw it).
    if (auto* breakButton = platform::GetDlgItemAs<CHoverButton>(&console, IDC_BTN_BREAK)) {
        breakButton->SetTipText("휴식중 상태로 설정합니다.", false);
        guitest::ShowAndActivate(&console);
        wxUIActionSimulator pointer;
        pointer.MouseMove(breakButton->ClientToScreen(breakButton->GetClientRect().GetPosition() +
                                                      breakButton->GetClientSize() / 2));
        guitest::PumpEvents(200);
    }
    if (!guitest::SaveWindowShot(&console, folder + "/console-ready.png"))
        return false;
    wxUIActionSimulator().MouseMove(console.ClientToScreen(wxPoint(600, 360)));
    guitest::PumpEvents(100);

    ShowMode(console, AGENT_MODE_INCALL, "통화중");
    console.SetFieldText(IDC_EDIT_TELNUM, "010-2345-6789");
    console.SetFieldText(IDC_EDIT_CUSTINFO1, "홍길동 고객님 (VIP)");
    console.SetFieldText(IDC_EDIT_CUSTINFO2, "가입일 2019-03-02");
    console.SetFieldText(IDC_EDIT_CUSTINFO3, "서울시 강남구 역삼동");
    console.SetFieldText(IDC_EDIT_CUSTINFO4, "최근 문의: 요금제 변경");
    console.SetFieldText(IDC_STATIC_CALLTIME, "00:03:17");
    std::string memo = "요금제 변경 문의.\n다음 달부터 5G 슬림 요금제로 변경 안내 완료";
    int grade = 0;
    console.ExchangeCallResult(false, memo, grade);
    if (!guitest::SaveWindowShot(&console, folder + "/console-in-call.png"))
        return false;
    console.Hide();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    return guitest::RunShotProgram(argc, argv, Shoot);
}
