// CAgentApp: the application object. Its start-up prepares the platform and runs the
// agent console as a modal dialog; the program ends when the console has closed.
#pragma once

#include <memory>

#include <wx/app.h>

class DialogColours;

class CAgentApp : public wxApp {
  public:
    CAgentApp();
    ~CAgentApp() override;

    bool OnInit() override; // the program takes no arguments
    int OnRun() override { return InitInstance(); }
    int OnExit() override;

    // Runs the console; returns the exit status: 0 after a normal close, 128 + the
    // signal number after a shutdown signal.
    int InitInstance();

  private:
    std::unique_ptr<DialogColours> m_dialogColours;
};

wxDECLARE_APP(CAgentApp);
