// What ends the program from outside, without a database: a signal reaches the handler
// through the main loop and a further one ends the process at once; a lost display
// reaches its handler; and the program's start-up ends with 128 + the signal through
// the console's shutdown. Each case runs in a process of its own (a signal handler,
// once installed, stays for the process).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include "app/AgentApp.h"
#include "app/ShutdownWatch.h"
#include "dialogs/LoginDlg.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"

// Xlib last: its macros clash with names in the headers above.
#include <gdk/gdkx.h>

namespace {

// A further signal once the first has been handled: the handler of the first must have
// run on this thread, from the loop and not from the signal handler.
[[noreturn]] void FirstSignalThenAnother(int first) {
    int seen = 0;
    std::thread::id where;
    ShutdownWatch watch(
        [&](int signo) {
            seen = signo;
            where = std::this_thread::get_id();
        },
        {});
    kill(getpid(), first);
    if (seen != 0)
        std::_Exit(10); // ran inside the signal handler
    if (!guitest::PumpUntil([&] { return seen != 0; }))
        std::_Exit(11);
    if (seen != first || where != std::this_thread::get_id())
        std::_Exit(12);
    kill(getpid(), SIGTERM);
    std::_Exit(13); // the further signal did not end the process
}

TEST(ShutdownWatchDeathTest, ASignalReachesTheHandlerFromTheLoopAndAFurtherOneEndsAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a child of its own X connection
    for (const int signo : ShutdownWatch::kSignals) {
        SCOPED_TRACE(signo);
        EXPECT_EXIT(FirstSignalThenAnother(signo), testing::ExitedWithCode(128 + SIGTERM), "");
    }
}

[[noreturn]] void LoseTheDisplay() {
    ShutdownWatch watch({}, [] { std::fputs("display lost\n", stderr); });
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    shutdown(ConnectionNumber(display), SHUT_RDWR);
    XSync(display, False);
    std::_Exit(20);
}

TEST(ShutdownWatchDeathTest, ALostDisplayReachesItsHandlerAndEndsWithOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LoseTheDisplay(), testing::ExitedWithCode(1), "display lost");
}

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
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signo : ShutdownWatch::kSignals) {
        SCOPED_TRACE(signo);
        EXPECT_EXIT(RunProgramUntilSignal(signo), testing::ExitedWithCode(128 + signo),
                    "CAgentApp signal " + std::to_string(signo));
    }
}

} // namespace
