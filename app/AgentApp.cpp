#include "app/AgentApp.h"

#include <string>

#include <unistd.h>

#include "app/DialogColours.h"
#include "app/ShutdownWatch.h"
#include "app/UiHeartbeat.h"
#include "console/window/AgentConsoleDlg.h"
#include "platform/MessageBox.h"
#include "platform/OwnFiles.h"
#include "platform/gui/GuiPlatform.h"
#include "util/Trace.h"

CAgentApp::CAgentApp() = default;
CAgentApp::~CAgentApp() = default;

bool CAgentApp::OnInit() {
    return true;
}

int CAgentApp::OnExit() {
    m_dialogColours.reset();
    return wxApp::OnExit();
}

int CAgentApp::InitInstance() {
    platform::InitGuiPlatform();
    // Settings or credentials of another user, or that others may change, are never used.
    if (const std::string refusal = ownfiles::CheckEnvFolder(); !refusal.empty()) {
        DebugTrace("CAgentApp %s", refusal.c_str());
        platform::MessageBoxRequest box;
        box.text = refusal;
        box.caption = "에러";
        box.style = platform::MB_ICONERROR; // MB_OK, the one button, is 0
        platform::ShowMessageBox(box);
        return 1;
    }
    m_dialogColours = std::make_unique<DialogColours>(wxColour(255, 255, 255), wxColour(0, 0, 0));

    CAgentConsoleDlg console(nullptr);
    SetTopWindow(&console);
    int signals = 0;
    ShutdownWatch watch(
        [&console, &signals](int signo) {
            DebugTrace("CAgentApp signal %d", signo);
            // A second signal while the first is being handled ends the program at once.
            if (++signals > 1)
                _exit(128 + signo);
            console.OnShutdownRequest(128 + signo);
        },
        [&console] {
            // No window may be touched: the last draft stands for the fields.
            console.Console().SignOutForShutdown(AgentConsole::kShutdownLimitMs, false);
        });
    const std::unique_ptr<UiHeartbeat> heartbeat = UiHeartbeat::FromEnvironment();
    console.ShowModal();
    SetTopWindow(nullptr);
    return console.ExitStatus();
}
