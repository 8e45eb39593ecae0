// The sign-in dialog against the private database: refused, it stays open with the wrong
// password selected; accepted, it stores the last sign-in and ends with OK. The attempt's
// statements run off the window's thread: with the server hung the window goes on, and
// an agent who leaves meanwhile is not signed in when the server answers. The console's
// start-up does not wait for the server either.
#include <algorithm>
#include <chrono>
#include <functional>

#include <gtest/gtest.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include "console/window/AgentConsoleDlg.h"
#include "dialogs/LoginDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/dialogs/SignInDbFixture.h"
#include "tests/gui/support/GuiTestSupport.h"

namespace dlgtest {
namespace {

// What the agent could change a submission with: the five fields and the three buttons.
constexpr int kControls[] = {IDC_EDIT_USER_ID,  IDC_EDIT_SVC_ID,    IDC_EDIT_AGENT_NM,
                             IDC_EDIT_PASSWORD, IDC_EDIT_EXTENSION, IDOK_BUTTON,
                             IDCANCEL_BUTTON,   IDC_BTN_SETTING};

void Set(CLoginDlg& dialog, int id, const char* text) {
    platform::GetDlgItemAs<wxTextCtrl>(&dialog, id)->ChangeValue(wxString::FromUTF8(text));
}

void FillIn(CLoginDlg& dialog, const char* password) {
    const std::pair<int, const char*> typed[] = {{IDC_EDIT_USER_ID, " dlgtest1 "},
                                                 {IDC_EDIT_SVC_ID, kSvcId},
                                                 {IDC_EDIT_AGENT_NM, kAgent},
                                                 {IDC_EDIT_PASSWORD, password},
                                                 {IDC_EDIT_EXTENSION, kTelNum}};
    for (const auto& [id, text] : typed)
        Set(dialog, id, text);
}

// The controls that are enabled.
int ControlsOn(CLoginDlg& dialog) {
    int on = 0;
    for (const int id : kControls)
        on += platform::GetDlgItem(&dialog, id)->IsEnabled() ? 1 : 0;
    return on;
}

// Runs script inside the dialog's loop; unlike RunModal the dialog then stays open for an
// attempt still out to end it, at most boundMs (then it ends with kStillOpen).
int RunUntilEnded(CLoginDlg& dialog, const std::function<void()>& script, int boundMs = 15000) {
    wxTimer bound;
    bound.Bind(wxEVT_TIMER, [&dialog](wxTimerEvent&) {
        if (dialog.IsModal())
            dialog.EndModal(kStillOpen);
    });
    dialog.CallAfter([&] {
        script();
        bound.StartOnce(boundMs);
    });
    return dialog.ShowModal();
}

// A 10 ms timer of the UI thread: its ticks show that the thread is free.
struct Heartbeat {
    Heartbeat() {
        timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            const auto now = std::chrono::steady_clock::now();
            longestGap = std::max(longestGap, now - last);
            last = now;
            ++ticks;
            if (onTick)
                onTick(ticks);
        });
        timer.Start(10);
    }
    wxTimer timer;
    int ticks = 0;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration longestGap{};
    std::function<void(int)> onTick;
};

// The sign-in dialog open now, if any.
CLoginDlg* OpenSignInDialog() {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<CLoginDlg*>(window); dialog && dialog->IsModal())
            return dialog;
    return nullptr;
}

TEST_F(SignInDbTest, DialogStaysOpenOnARefusalAndClosesWithOkOnceSignedIn) {
    ExitRecorder exits;
    CLoginDlg dialog;
    const int result = RunUntilEnded(dialog, [&] {
        FillIn(dialog, "secret 1");
        wxTextCtrl* password = platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_PASSWORD);
        wxTextCtrl* phone = platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_EXTENSION);
        phone->SetFocus();
        dialog.OnOK();
        ASSERT_TRUE(guitest::PumpUntil([&] { return !dialog.IsSigningIn(); }, 10000));
        EXPECT_TRUE(dialog.IsModal());
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, "비밀번호가 일치하지 않습니다.");
        EXPECT_EQ(boxes_[0].owner, &dialog);
        // The wrong password is selected, so the next try replaces it; the focus stays.
        long from = -1;
        long to = -1;
        password->GetSelection(&from, &to);
        EXPECT_EQ(std::pair(from, to), std::pair(0L, password->GetLastPosition()));
        EXPECT_TRUE(HasGtkFocus(phone));
        EXPECT_EQ(ControlsOn(dialog), 8);
        Set(dialog, IDC_EDIT_PASSWORD, kPassword);
        ClickButton(dialog, IDOK_BUTTON);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(exits.statuses.empty());
    // Signed in: the identity in theAgentEnv, the trimmed last sign-in in its four keys
    // in their order, CP949 on disk, and no trace of the password.
    const CTELVOAgentEnv& env = theAgentEnv();
    EXPECT_EQ(env.userId + "|" + env.svcId + "|" + env.agentName + "|" + env.telNum + "|" +
                  env.password,
              std::string(kUser) + "|" + kSvcId + "|" + kAgent + "|" + kTelNum + "|" + kPassword);
    const std::string file = SettingsFileBytes();
    std::size_t at = 0;
    for (const std::string line :
         {"LAST_USER_ID=dlgtest1", "LAST_SVC_ID=201", "LAST_AGENT_NM=\xB1\xE8\xBB\xF3\xB4\xE3",
          "LAST_EXTENSION=4201"}) {
        at = file.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " in\n" << file;
    }
    EXPECT_EQ(file.find("Secret"), std::string::npos);
}

// The server stops answering under the attempt. The window's thread goes on (a 10 ms
// timer ticks, the start-up warning opens half a second after the dialog), with the fields
// and buttons off and the cursor busy. The outcome, back while the warning is open, waits
// for it: the dialog is still there when the box closes, and then signs in, once.
TEST_F(SignInDbTest, AHungServerLeavesTheDialogRunningAndItsOutcomeWaitsForTheBoxOpenMeanwhile) {
    ExitRecorder exits;
    FrozenServer server;
    CLoginDlg dialog; // the address is 127.0.0.1: the warning comes
    Heartbeat heartbeat;
    int ticksAtClick = -1;
    struct {
        int ticks = -1;
        int controlsOn = -1;
        bool busy = false;
        bool waited = false;
        bool openAfterWait = false;
    } inBox;
    const platform::MessageBoxHandler fixture =
        platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& box) {
            boxes_.push_back(box);
            if (boxes_.size() == 1) {
                inBox.ticks = heartbeat.ticks - ticksAtClick;
                inBox.controlsOn = ControlsOn(dialog);
                inBox.busy = wxIsBusy();
                server.Thaw();
                // The box's own loop runs while it is open: the outcome comes back there.
                inBox.waited = guitest::PumpUntil([&] { return dialog.IsOutcomeWaiting(); }, 8000);
                inBox.openAfterWait = dialog.IsModal();
            }
            return platform::IDOK;
        });
    const int result = RunUntilEnded(dialog, [&] {
        FillIn(dialog, kPassword);
        ASSERT_TRUE(server.Freeze()) << "the private server's process was not found";
        ticksAtClick = heartbeat.ticks;
        ClickButton(dialog, IDOK_BUTTON);
    });
    platform::SetMessageBoxHandler(fixture);
    ASSERT_EQ(boxes_.size(), 1u) << boxes_.back().text;
    EXPECT_EQ(boxes_[0].text, "처음 설치후에는 설정 버튼을 눌러 서버 주소를 변경하셔야 합니다.");
    EXPECT_GE(inBox.ticks, 5);
    EXPECT_EQ(inBox.controlsOn, 0);
    EXPECT_TRUE(inBox.busy);
    EXPECT_TRUE(inBox.waited);
    EXPECT_TRUE(inBox.openAfterWait);
    EXPECT_EQ(result, wxID_OK);
    EXPECT_FALSE(wxIsBusy());
    EXPECT_TRUE(exits.statuses.empty());
    EXPECT_EQ(theAgentEnv().userId, kUser);
    EXPECT_NE(SettingsFileBytes().find("LAST_USER_ID=dlgtest1"), std::string::npos);
}

// Escape or the close box while the server does not answer: the dialog waits, usable,
// for the attempt (the connection is the attempt's until then) and ends with Cancel when
// it comes back - though it signed in - with nothing shown, stored or handed on.
TEST_F(SignInDbTest, EscapeOrTheCloseBoxWhileTheServerHangsEndsWithCancelWhenItAnswers) {
    theAgentEnv().serverAddress = "localhost"; // no start-up warning
    for (const int way : {1, 2}) {
        SCOPED_TRACE(way == 1 ? "Escape" : "close box");
        ExitRecorder exits;
        FrozenServer server;
        CLoginDlg dialog;
        Heartbeat heartbeat;
        bool openAfterCancel = false;
        int controlsOn = -1;
        heartbeat.onTick = [&](int tick) {
            if (tick == 5) {
                CloseOneWay(dialog, way, IDCANCEL_BUTTON);
                openAfterCancel = dialog.IsModal();
                controlsOn = ControlsOn(dialog);
            } else if (tick == 15) {
                server.Thaw();
            }
        };
        const int result = RunUntilEnded(dialog, [&] {
            FillIn(dialog, kPassword);
            ASSERT_TRUE(server.Freeze()) << "the private server's process was not found";
            ClickButton(dialog, IDOK_BUTTON);
        });
        EXPECT_TRUE(openAfterCancel);
        EXPECT_EQ(controlsOn, 0);
        EXPECT_EQ(result, wxID_CANCEL);
        EXPECT_GE(heartbeat.ticks, 15);
        EXPECT_FALSE(wxIsBusy());
        EXPECT_TRUE(boxes_.empty());
        EXPECT_TRUE(exits.statuses.empty());
        EXPECT_TRUE(theAgentEnv().userId.empty());
        EXPECT_EQ(SettingsFileBytes().find("LAST_USER_ID"), std::string::npos);
    }
}

// The console's start-up as far as the sign-in dialog's result.
class StartingConsole : public CAgentConsoleDlg {
  public:
    StartingConsole() : CAgentConsoleDlg(nullptr, theAgentEnv()) {}
    void OnStartup() override {
        signIn = ShowLoginDialog();
        EndModal(wxID_OK);
    }
    int signIn = 0;
};

// The program started with the server frozen: the console and then its sign-in dialog
// show while the connection is still being opened, the window's thread never waiting on
// it (the client library's connect time-out is 3 s). 로그인 waits for the open like any
// attempt, and once the server answers the agent is signed in, with no box.
TEST_F(SignInDbTest, AConsoleStartedWithTheServerFrozenSignsInOnceTheServerAnswers) {
    CTELVOAgentEnv& env = theAgentEnv();
    env.ServerClose();
    env.connection = 0;
    env.serverAddress = "localhost"; // read back by the console; no start-up warning
    ASSERT_TRUE(env.SaveServerAddress());
    ExitRecorder exits;
    FrozenServer server;
    ASSERT_TRUE(server.Freeze()) << "the private server's process was not found";
    Heartbeat heartbeat;
    StartingConsole console;
    CLoginDlg* dialog = nullptr;
    int shownAt = -1;
    struct {
        bool consoleShown = false;
        int controlsOn = -1;
        bool settingOn = true;
    } atShow;
    struct {
        bool signingIn = false;
        int controlsOn = -1;
        bool busy = false;
    } atThaw;
    heartbeat.onTick = [&](int tick) {
        if (!dialog) {
            if ((dialog = OpenSignInDialog()) == nullptr)
                return;
            shownAt = tick;
            atShow.consoleShown = console.IsShown();
            atShow.controlsOn = ControlsOn(*dialog);
            atShow.settingOn = platform::GetDlgItem(dialog, IDC_BTN_SETTING)->IsEnabled();
            FillIn(*dialog, kPassword);
            ClickButton(*dialog, IDOK_BUTTON);
        } else if (tick == shownAt + 20) {
            atThaw.signingIn = dialog->IsSigningIn();
            atThaw.controlsOn = ControlsOn(*dialog);
            atThaw.busy = wxIsBusy();
            server.Thaw();
        }
    };
    wxTimer bound;
    bound.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (CLoginDlg* open = OpenSignInDialog())
            open->EndModal(kStillOpen);
        else if (console.IsModal())
            console.EndModal(kStillOpen);
    });
    bound.Start(15000);
    console.ShowModal();
    const auto longestGap = heartbeat.longestGap;
    heartbeat.timer.Stop();

    ASSERT_GE(shownAt, 0) << "no sign-in dialog";
    EXPECT_TRUE(atShow.consoleShown);
    EXPECT_EQ(atShow.controlsOn, 7); // typing and 로그인 go; 설정 waits for the address's use
    EXPECT_FALSE(atShow.settingOn);
    EXPECT_TRUE(atThaw.signingIn);
    EXPECT_EQ(atThaw.controlsOn, 0);
    EXPECT_TRUE(atThaw.busy);
    EXPECT_LT(longestGap, std::chrono::milliseconds(1500));
    EXPECT_EQ(console.signIn, wxID_OK);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
    EXPECT_TRUE(exits.statuses.empty());
    EXPECT_EQ(env.userId, kUser);
    EXPECT_NE(env.connection, 0);
}

} // namespace
} // namespace dlgtest
