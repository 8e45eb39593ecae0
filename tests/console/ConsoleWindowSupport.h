// The console window under test: its start-up is held back until a test asks for it,
// and the sign-in dialog is replaced by a scripted answer.
#pragma once

#include <string>

#include <wx/modalhook.h>

#include "console/AgentConsoleDlg.h"

namespace contest {

class TestConsoleDlg : public CAgentConsoleDlg {
  public:
    explicit TestConsoleDlg(CTELVOAgentEnv& env) : CAgentConsoleDlg(nullptr, env) {}

    void OnStartup() override {
        ++startupTicks;
        if (runStartup)
            CAgentConsoleDlg::OnStartup();
    }
    int ShowLoginDialog() override {
        ++loginDialogs;
        return loginResult;
    }

    bool runStartup = false;
    int loginResult = wxID_OK;
    int startupTicks = 0;
    int loginDialogs = 0;
};

// Answers every modal dialog (About, sign-in ...) without showing it, recording titles.
class ModalDialogRecorder : public wxModalDialogHook {
  public:
    ModalDialogRecorder() { Register(); }
    ~ModalDialogRecorder() override { Unregister(); }
    std::vector<std::string> titles;

  protected:
    int Enter(wxDialog* dialog) override {
        titles.push_back(dialog->GetTitle().utf8_string());
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

} // namespace contest
