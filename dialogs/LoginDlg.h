// CLoginDlg, "로그인": the agent signs in with user ID, service ID, agent name,
// password and desk phone number. On success the identity is in theAgentEnv and the
// last sign-in (without the password) in the settings file.
#pragma once

#include <array>

#include <wx/brush.h>
#include <wx/dialog.h>
#include <wx/timer.h>

#include "dialogs/SignIn.h"

class CColorLabel;
class CHoverButton;
class wxTextCtrl;

class CLoginDlg : public wxDialog {
  public:
    // Run with ShowModal(): wxID_OK once signed in, wxID_CANCEL for 취소, Escape or the
    // close box. A database error while learning the database type, and a confirmed
    // server address, end the process from inside with status 1 (ExitProcess).
    explicit CLoginDlg(wxWindow* parent = nullptr);
    ~CLoginDlg() override;

    // Handlers; public so that tests can drive the dialog.
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK();            // 로그인 or Enter
    void OnServerAddress(); // 설정
    void OnTimer(wxTimerEvent& event);

    // Fields <-> controls. Into the controls it also imposes the CP949 byte limits; out
    // of them it fails on the first text over its limit, after telling the agent.
    bool DoDataExchange(bool saveAndValidate);
    bool UpdateData(bool saveAndValidate = true) { return DoDataExchange(saveAndValidate); }

    bool LoadLastSignIn();
    bool SaveSignIn();

    const SignInFields& Fields() const { return m_fields; }
    bool IsWarningTimerRunning() const { return m_timer.IsRunning(); }

    static constexpr int kWarningTimerId = 0;
    static constexpr int kWarningDelayMs = 500;

  private:
    wxTextCtrl* Edit(SignInField field) const;

    SignInFields m_fields;
    wxBrush m_backBrush;
    std::array<CColorLabel*, 5> m_labels{};   // 1030, 1032, 1020, 1022, 1034
    std::array<CHoverButton*, 3> m_buttons{}; // 1, 2, 1003
    wxTimer m_timer;
};
