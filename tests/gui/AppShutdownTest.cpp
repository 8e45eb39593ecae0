// The program's shutdown wiring without a database or a network namespace: each signal
// that ends the program, sent while the sign-in dialog is open, ends it with 128 + the
// signal through the console's shutdown (tests/fault runs the signed-in cases, a second
// signal and the lost display against the real program). Each case runs in a process of
// its own.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include "app/AgentApp.h"
#include "app/ShutdownWatch.h"
#include "dialogs/LoginDlg.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"

namespace {

// The program as main starts it, in a working folder without settings; once the sign-in
// dialog is open the signal comes.
[[noreturn]] void RunProgramUntilSignal(int signo) {
    zel::test::TempWorkDir work(false);
    setenv("ZELAGENT_TRACE", "1", 1);
    wxTimer watch;
    bool raised = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    watch.Bind(wxEVT_TIMER, [signo, &raised, deadline](wxTimerEvent&) {
        if (std::chrono::steady_clock::now() > deadline)
            std::_Exit(31); // the signal ended nothing, or the sign-in never showed
        for (wxWindow* window : wxTopLevelWindows)
            if (!raised && dynamic_cast<CLoginDlg*>(window) && window->IsShown()) {
                raised = true;
                kill(getpid(), signo);
            }
    });
    watch.Start(50);
    wxAppConsole* const running = wxApp::GetInstance();
    auto* program = new CAgentApp(); // never deleted: the process ends inside
    wxApp::SetInstance(running);
    const int status = program->InitInstance();
    std::fprintf(stderr, "InitInstance returned %d\n", status);
    std::_Exit(30);
}

TEST(AgentAppDeathTest, ASignalDuringTheSignInEndsTheProgramThroughTheConsolesShutdown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a child with an X connection of its own
    for (const int signo : ShutdownWatch::kSignals) {
        SCOPED_TRACE(signo);
        EXPECT_EXIT(RunProgramUntilSignal(signo), testing::ExitedWithCode(128 + signo),
                    "CAgentApp signal " + std::to_string(signo));
    }
}

} // namespace
