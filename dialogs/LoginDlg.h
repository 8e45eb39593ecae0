// CLoginDlg, "로그인": the agent signs in with user ID, service ID, agent name,
// password and desk phone number. On success the identity is in theAgentEnv and the
// last sign-in (without the password) in the settings file. The attempt's statements
// run on a worker thread (SignInWorker); meanwhile the fields and buttons are off, the
// cursor is busy and the window goes on painting, and the outcome acts when it comes
// back on the UI thread. Opened while the start-up's open of the connection is still out,
// it takes typing and 로그인 at once (the attempt waits for the open); 설정 comes on when
// the open is back, as the address is the open's until then.
#pragma once

#include <array>
#include <optional>

#include <wx/brush.h>
#include <wx/dialog.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include "dialogs/ConnectionOpening.h"
#include "dialogs/SignIn.h"
#include "dialogs/SignInWorker.h"

class CColorLabel;
class CHoverButton;
class wxEventLoopBase;
class wxTextCtrl;

class CLoginDlg : public wxDialog {
  public:
    // Run with ShowModal(): wxID_OK once signed in, wxID_CANCEL for 취소, Escape or the
    // close box. A database error while learning the database type, and a confirmed
    // server address, end the process from inside with status 1 (ExitProcess).
    // Escape or the close box while an attempt is out ends the dialog with wxID_CANCEL
    // once the attempt has come back, whatever it came to: the connection is then free
    // again, and nobody is signed in who has left. opening, when given, is the start-up's
    // open of the connection; it outlives the dialog.
    explicit CLoginDlg(wxWindow* parent = nullptr, ConnectionOpening* opening = nullptr);
    ~CLoginDlg() override;

    // Handlers; public so that tests can drive the dialog.
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK();            // 로그인 or Enter: starts an attempt
    void OnServerAddress(); // 설정
    void OnTimer(wxTimerEvent& event);
    // Escape or the close box while an attempt is out: the dialog ends with wxID_CANCEL
    // when the attempt has come back. False when none is out (then they work as 취소).
    bool AskToCancel();

    // Fields <-> controls. Into the controls it also imposes the CP949 byte limits; out
    // of them it fails on the first text over its limit, after telling the agent.
    bool DoDataExchange(bool saveAndValidate);
    bool UpdateData(bool saveAndValidate = true) { return DoDataExchange(saveAndValidate); }

    bool LoadLastSignIn();
    bool SaveSignIn();

    const SignInFields& Fields() const { return m_fields; }
    bool IsWarningTimerRunning() const { return m_timer.IsRunning(); }
    // From 로그인 until the attempt's outcome has been acted on (its boxes answered).
    bool IsSigningIn() const { return m_stage != Stage::Idle; }
    // The attempt has come back and waits for one of the dialog's own boxes to close.
    bool IsOutcomeWaiting() const { return m_stage == Stage::Held; }

    static constexpr int kWarningTimerId = 0;
    static constexpr int kWarningDelayMs = 500;

  private:
    enum class Stage {
        Idle,   // no attempt
        Out,    // the worker runs the statements
        Held,   // back while one of the dialog's boxes is open: acts after it
        Acting, // its boxes are being shown
        Ending, // EndModal waits until the dialog's own loop runs again
    };
    // Counts the dialog's own boxes while they are open (see m_boxesOpen).
    class OwnBox {
      public:
        explicit OwnBox(CLoginDlg& dialog);
        ~OwnBox();
        OwnBox(const OwnBox&) = delete;
        OwnBox& operator=(const OwnBox&) = delete;

      private:
        CLoginDlg& m_dialog;
    };

    wxTextCtrl* Edit(SignInField field) const;
    void OnAttemptBack(SignInResult result);
    void ActOnOutcome();
    void End(int code);
    void EndInOwnLoop();
    void SetSubmissionControls(bool enable);
    bool OpeningBack() const { return !m_opening || m_opening->Done(); }
    void OnCloseWindow(wxCloseEvent& event);
    void OnIdle(wxIdleEvent& event);

    SignInFields m_fields;
    wxBrush m_backBrush;
    std::array<CColorLabel*, 5> m_labels{};   // 1030, 1032, 1020, 1022, 1034
    std::array<CHoverButton*, 3> m_buttons{}; // 1, 2, 1003
    wxTimer m_timer;

    ConnectionOpening* m_opening;
    SignInWorker m_worker;
    Stage m_stage = Stage::Idle;
    std::optional<SignInResult> m_held;         // Held: the result waiting
    std::optional<wxBusyCursor> m_busy;         // from 로그인 until the outcome's boxes
    bool m_cancelAsked = false;                 // Escape or the close box while an attempt was out
    int m_boxesOpen = 0;                        // the dialog's own boxes open now (nested loops)
    int m_endCode = 0;                          // Ending: the code to end with
    const wxEventLoopBase* m_ownLoop = nullptr; // the loop 로그인 was pressed in: the modal one
    wxWeakRef<wxWindow> m_focusAtSubmit;        // given back when the attempt stops
};
