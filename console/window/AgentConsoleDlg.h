// CAgentConsoleDlg: the agent console, the program's main window (template 102). It
// lays out and colours the controls, runs the timers and the keys, and carries out on
// screen what its logic (AgentConsole) decides. The connection is opened at start-up on
// a thread of its own (ConnectionOpening), whose result the sign-in waits for; from the
// sign-in on the statements go through its line (DbLine), the one thread that owns the
// connection then.
#pragma once

#include <array>
#include <memory>
#include <string>

#include <wx/brush.h>
#include <wx/dialog.h>
#include <wx/timer.h>

#include "console/journal/ResultJournal.h"
#include "console/line/ConsoleLines.h"
#include "console/logic/AgentConsole.h"
#include "console/logic/ConsoleView.h"
#include "console/window/ConsoleAccess.h"
#include "console/window/ConsoleFocus.h"
#include "dialogs/ConnectionOpening.h"

class CColorEdit;
class CColorLabel;
class CHoverButton;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

class CAgentConsoleDlg : public wxDialog, public IAgentConsoleView {
  public:
    // Timers of the window.
    static constexpr int TIMER_STARTUP = 0;
    static constexpr int TIMER_CALL_CLOCK = 1;
    static constexpr int TIMER_CALL_INFO = 1001;
    static constexpr int TIMER_NOTE = 2;  // hides the note of ShowNote
    static constexpr int TIMER_POLL = 3;  // the poll of the desk
    static constexpr int TIMER_DRAFT = 4; // the draft of the result being entered
    static constexpr int kNoteMs = 6000;
    static constexpr int kStartupDelayMs = 500;
    static constexpr int kCallClockMs = 1000;
    // The About command of the context menu.
    static constexpr int ID_SYSMENU_ABOUT = 16;

    // The console of the one agent environment; run it with ShowModal().
    explicit CAgentConsoleDlg(wxWindow* parent = nullptr, CTELVOAgentEnv& env = theAgentEnv());
    ~CAgentConsoleDlg() override;

    // Handlers; public so that tests can drive the window.
    void OnInitDialog(wxInitDialogEvent& event);
    void OnTimer(wxTimerEvent& event);
    virtual void OnStartup(); // the first tick of TIMER_STARTUP
    void OnOK();              // the close path
    void ShowAbout();
    // A shutdown request (a signal): sign out without asking and end with status.
    void OnShutdownRequest(int status);

    // Memo and response grade <-> the logic's members.
    bool UpdateData(bool saveAndValidate = true);

    AgentConsole& Console() { return m_console; }
    // The exit status the program should end with after ShowModal returned.
    int ExitStatus() const { return m_exitStatus; }
    bool IsAskingForAttention() const { return m_bAttention; }

    // IAgentConsoleView
    void SetWindowTitle(const std::string& title) override;
    void EnableButton(int buttonId, bool enable) override;
    void SetFieldText(int controlId, const std::string& text) override;
    void ExchangeCallResult(bool saveAndValidate, std::string& memo, int& consultResult) override;
    void StartCallInfoTimer() override;
    void RequestAttention() override;
    wxWindow* BoxOwner() override { return this; }
    void ShowNote(const std::string& text) override;
    void ChooseBreakReason(const std::vector<BreakReason>& reasons,
                           std::function<void(std::optional<std::size_t>)> chosen) override;
    void FinishTyping() override;
    void StartPollTimer(int ms) override;
    void CloseConsole() override;
    // The note's text while it is shown, else empty.
    wxString NoteText() const;

  protected:
    // Runs the sign-in dialog: wxID_OK or wxID_CANCEL. Replaceable for tests.
    virtual int ShowLoginDialog();

  private:
    void OnCharHook(wxKeyEvent& event);
    void OnCloseWindow(wxCloseEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnActivate(wxActivateEvent& event);
    void StopTimers();
    void ColourControls();

    CTELVOAgentEnv& m_env;
    // From the start-up until the sign-in: the open of the connection.
    std::unique_ptr<ConnectionOpening> m_opening;
    // Declared before the logic, which uses them until it is gone.
    std::unique_ptr<ResultJournal> m_journal;
    DbLine m_line;
    AgentConsole m_console;
    wxBrush m_hBackBrush;
    std::array<CHoverButton*, 4> m_buttons{}; // 1005, 1009, 1006, 1007
    std::array<CColorLabel*, 5> m_labels{};   // 1016, 1012, 1013, 1014, 1018
    std::array<CColorEdit*, 5> m_fields{};    // 1024, 1036, 1039, 1041, 1044
    std::array<wxRadioButton*, 7> m_grades{}; // 7001 .. 7007
    GradeGroup m_gradeGroup;                  // the grades' group, with "none on"
    ConsoleFocus m_focus;
    wxTextCtrl* m_memo = nullptr;
    wxTimer m_timerStartup;
    wxTimer m_timerCallClock;
    wxTimer m_timerCallInfo;
    wxTimer m_timerNote;
    wxTimer m_timerPoll;
    wxTimer m_timerDraft;
    wxStaticText* m_note = nullptr; // below the register button, shown for a few seconds
    bool m_bInitialised = false;
    bool m_bShuttingDown = false;
    bool m_bAttention = false;
    int m_exitStatus = 0;
};
