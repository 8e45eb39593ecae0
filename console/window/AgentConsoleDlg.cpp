#include "console/window/AgentConsoleDlg.h"

#include <utility>

#include <glib.h>
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "console/window/ConsoleKeys.h"
#include "console/window/MemoLimit.h"
#include "controls/ColorEdit.h"
#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BreakReasonDlg.h"
#include "dialogs/LoginDlg.h"
#include "dialogs/ProcessExit.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/AppResources.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/SysColors.h"
#include "platform/gui/UiThread.h"
#include "res/ResourceIds.h"
#include "util/Trace.h"

namespace {

const wxColour kWindowBack(209, 247, 254);
const wxColour kLabelBack(230, 230, 250);
const wxColour kFieldBack(173, 216, 230);
const wxColour kButtonBackHot(0, 0, 255);
const wxColour kButtonTextHot(255, 255, 255);
const wxColour kButtonBackNormal(245, 245, 220);

// The state buttons in the order they are attached, with their tooltips.
constexpr int kButtonIds[] = {IDC_BTN_LOGIN, IDC_BTN_LOGOUT, IDC_BTN_READY, IDC_BTN_BREAK};
constexpr const char* kButtonTips[] = {"로그인 합니다.", "로그아웃 합니다.",
                                       "대기중 상태로 설정합니다.", "휴식중 상태로 설정합니다."};
constexpr int kLabelIds[] = {IDC_STATIC_TELNUM, IDC_STATIC_CUSTINFO1, IDC_STATIC_CUSTINFO2,
                             IDC_STATIC_CUSTINFO3, IDC_STATIC_CUSTINFO4};
constexpr int kFieldIds[] = {IDC_EDIT_TELNUM, IDC_EDIT_CUSTINFO1, IDC_EDIT_CUSTINFO2,
                             IDC_EDIT_CUSTINFO3, IDC_EDIT_CUSTINFO4};
constexpr int kGradeIds[] = {IDC_RADIO_RESULT1, IDC_RADIO_RESULT2, IDC_RADIO_RESULT3,
                             IDC_RADIO_RESULT4, IDC_RADIO_RESULT5, IDC_RADIO_RESULT6,
                             IDC_RADIO_RESULT7};

} // namespace

CAgentConsoleDlg::CAgentConsoleDlg(wxWindow* parent, CTELVOAgentEnv& env)
    : m_env(env),
      m_line(env, [](std::function<void()> fn) { platform::PostToUiThread(std::move(fn)); }),
      m_console(*this, env, m_line), m_hBackBrush(kWindowBack), m_timerStartup(this, TIMER_STARTUP),
      m_timerCallClock(this, TIMER_CALL_CLOCK), m_timerCallInfo(this, TIMER_CALL_INFO),
      m_timerNote(this, TIMER_NOTE), m_timerPoll(this, TIMER_POLL),
      m_timerDraft(this, TIMER_DRAFT) {
    platform::CreateDialogFromTemplate(
        this, parent, IDD_AGENT_CONSOLE,
        [this](wxWindow* dlg, const res::ControlTemplate& control, const wxPoint& pos,
               const wxSize& size) -> wxWindow* {
            using platform::CreateListedControl;
            if (wxWindow* made =
                    CreateListedControl(dlg, control, pos, size, kButtonIds, m_buttons))
                return made;
            if (wxWindow* made = CreateListedControl(dlg, control, pos, size, kLabelIds, m_labels))
                return made;
            return CreateListedControl(dlg, control, pos, size, kFieldIds, m_fields);
        });
    for (std::size_t i = 0; i < m_grades.size(); ++i)
        m_grades[i] = platform::GetDlgItemAs<wxRadioButton>(this, kGradeIds[i]);
    // Radio groups always have one button on: the group has a member for "no grade".
    m_gradeGroup.Attach(m_grades);
    m_memo = platform::GetDlgItemAs<wxTextCtrl>(this, IDC_EDIT_MEMO);
    // The free corner under the register button (dialog units 327,146 to 377,198).
    m_note = new wxStaticText(this, wxID_ANY, wxString(), ConvertDialogToPixels(wxPoint(327, 146)),
                              ConvertDialogToPixels(wxSize(50, 52)), wxST_NO_AUTORESIZE);
    m_note->SetForegroundColour(wxColour(0, 0, 160));
    m_note->Hide();

    SetBackgroundColour(m_hBackBrush.GetColour());
    SetEscapeId(wxID_NONE);

    Bind(wxEVT_INIT_DIALOG, &CAgentConsoleDlg::OnInitDialog, this);
    Bind(wxEVT_TIMER, &CAgentConsoleDlg::OnTimer, this);
    Bind(wxEVT_CHAR_HOOK, &CAgentConsoleDlg::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CAgentConsoleDlg::OnCloseWindow, this);
    Bind(wxEVT_CONTEXT_MENU, &CAgentConsoleDlg::OnContextMenu, this);
    Bind(wxEVT_ACTIVATE, &CAgentConsoleDlg::OnActivate, this);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_console.OnLogin(); }, IDC_BTN_LOGIN);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_console.OnReady(); }, IDC_BTN_READY);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_console.OnBreak(); }, IDC_BTN_BREAK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_console.OnLogout(); }, IDC_BTN_LOGOUT);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_console.RegistConfResult(); }, IDC_BTN_REGIST);
}

CAgentConsoleDlg::~CAgentConsoleDlg() {
    StopTimers();
}

void CAgentConsoleDlg::OnInitDialog(wxInitDialogEvent&) {
    // wx initialises a dialog at every Show; the console is set up once, when created.
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    SetIcons(platform::LoadAppIcons());
    ColourControls();
    if (m_memo)
        SetMemoByteLimit(*m_memo, AgentConsole::kMemoMaxBytes);

    // A missing address is no reason to stop: the sign-in dialog's settings button
    // sets it, and the failed connection shows there. The open goes on while the window
    // shows: a server that does not answer holds it up to the connect time-out.
    if (!m_env.LoadServerAddress())
        DebugTrace("CAgentConsoleDlg::OnInitDialog no server address");
    m_opening = std::make_unique<ConnectionOpening>(
        m_env, [](std::function<void()> fn) { platform::PostToUiThread(std::move(fn)); });

    m_console.ShowInitialState();
    m_timerStartup.StartOnce(kStartupDelayMs);
    UpdateData(false);
}

void CAgentConsoleDlg::ColourControls() {
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        CHoverButton* button = m_buttons[i];
        if (!button)
            continue;
        button->SetTipText(kButtonTips[i], true);
        button->SetStateColor(CHoverButton::ColorBackHot, kButtonBackHot, true);
        button->SetStateColor(CHoverButton::ColorTextHot, kButtonTextHot, true);
        button->SetStateColor(CHoverButton::ColorBackNormal, kButtonBackNormal, true);
    }
    const wxColour infoText = platform::GetSysColor(platform::COLOR_INFOTEXT);
    for (CColorLabel* label : m_labels) {
        if (!label)
            continue;
        label->SetTextColor(infoText);
        label->SetBackColor(kLabelBack);
    }
    for (CColorEdit* field : m_fields) {
        if (!field)
            continue;
        field->SetTextColor(infoText);
        field->SetBackColor(kFieldBack);
        field->SetReadOnly(true);
    }
    // Plain texts, the grades and the frame: black on the window's colour.
    for (wxWindow* child : GetChildren()) {
        const bool plainText =
            dynamic_cast<wxStaticText*>(child) && !dynamic_cast<CColorLabel*>(child);
        if (plainText || dynamic_cast<wxRadioButton*>(child) || dynamic_cast<wxStaticBox*>(child))
            child->SetForegroundColour(*wxBLACK);
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        platform::SetAccessibleLabel(m_fields[i], m_labels[i]);
    platform::SetAccessibleLabel(m_memo, platform::GetDlgItem(this, IDC_STATIC_MEMO));
    LabelConsoleStatistics(*this);
    m_focus.Attach(
        *this, [this] { return m_console.AgentMode(); },
        [this] { return !m_console.XanId().empty(); });
}

void CAgentConsoleDlg::StopTimers() {
    m_timerStartup.Stop();
    m_timerCallClock.Stop();
    m_timerCallInfo.Stop();
    m_timerNote.Stop();
    m_timerPoll.Stop();
    m_timerDraft.Stop();
}

void CAgentConsoleDlg::OnTimer(wxTimerEvent& event) {
    switch (event.GetId()) {
    case TIMER_STARTUP:
        OnStartup();
        break;
    case TIMER_CALL_CLOCK:
        m_timerCallClock.Stop();
        m_console.UpdateCallTime();
        m_timerCallClock.StartOnce(kCallClockMs);
        break;
    case TIMER_CALL_INFO:
        m_timerCallInfo.Stop();
        m_console.OnCallInfoTimer();
        break;
    case TIMER_NOTE:
        if (m_note)
            m_note->Hide();
        break;
    case TIMER_POLL:
        m_console.PollTransfer();
        break;
    case TIMER_DRAFT:
        m_console.SaveDraft();
        break;
    default:
        break;
    }
    event.Skip();
}

int CAgentConsoleDlg::ShowLoginDialog() {
    CLoginDlg login(nullptr, m_opening.get());
    return login.ShowModal();
}

void CAgentConsoleDlg::OnStartup() {
    m_timerStartup.Stop();
    m_timerCallClock.StartOnce(kCallClockMs);
    if (ShowLoginDialog() == wxID_CANCEL) {
        ExitProcess(1);
        return;
    }
    if (m_bShuttingDown)
        return;
    // The sign-in's attempt has waited for the open: this only finishes it.
    m_opening.reset();
    // The sign-in dialog has put the agent's identity into the environment: the
    // journal is the agent's own, and from here on the line owns the connection.
    m_journal = std::make_unique<ResultJournal>(
        std::make_unique<FileJournalStore>(ResultJournal::PathFor(m_env.userId)));
    m_console.SetJournal(m_journal.get());
    m_line.Start();
    m_timerDraft.Start(AgentConsole::kDraftIntervalMs);
    m_console.OnLogin();
    m_console.UpdateTodayStats();
}

bool CAgentConsoleDlg::UpdateData(bool saveAndValidate) {
    m_console.UpdateData(saveAndValidate);
    return true;
}

void CAgentConsoleDlg::OnOK() {
    if (m_bShuttingDown)
        return;
    m_console.OnClose();
}

void CAgentConsoleDlg::CloseConsole() {
    StopTimers();
    if (IsModal())
        EndModal(wxID_OK);
    else
        Hide();
}

void CAgentConsoleDlg::StartPollTimer(int ms) {
    m_timerPoll.StartOnce(ms);
}

void CAgentConsoleDlg::OnShutdownRequest(int status) {
    if (m_bShuttingDown)
        return;
    m_bShuttingDown = true;
    StopTimers();
    m_console.SignOutForShutdown(AgentConsole::kShutdownLimitMs);
    m_exitStatus = status;
    // Straight from the console's own event loop the window ends as after a close; from
    // inside another modal loop (a box, the sign-in dialog) the process ends at once.
    if (g_main_depth() <= 1 && IsModal())
        EndModal(wxID_CANCEL);
    else
        ExitProcess(status);
}

void CAgentConsoleDlg::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE)
        return; // never closes the console
    if (key == WXK_F1 && event.GetModifiers() == wxMOD_NONE) {
        ShowAbout();
        return;
    }
    if (key == WXK_F4 && event.GetModifiers() == wxMOD_ALT) {
        OnOK();
        return;
    }
    if (RunConsoleShortcut(*this, event))
        return;
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && event.GetModifiers() == wxMOD_NONE) {
        wxWindow* focus = FindFocus();
        // The memo takes Enter as a line break, a focused button as a press.
        if ((focus && focus == m_memo) || dynamic_cast<wxButton*>(focus)) {
            event.Skip();
            return;
        }
        OnOK();
        return;
    }
    event.Skip();
}

void CAgentConsoleDlg::OnCloseWindow(wxCloseEvent& event) {
    if (!event.CanVeto()) {
        m_console.SignOutForShutdown(AgentConsole::kShutdownLimitMs);
        event.Skip();
        return;
    }
    event.Veto();
    OnOK();
}

void CAgentConsoleDlg::OnContextMenu(wxContextMenuEvent&) {
    const wxString text = platform::LoadResString(IDS_ABOUTBOX);
    if (text.empty())
        return;
    wxMenu menu;
    menu.Append(ID_SYSMENU_ABOUT, text);
    if (GetPopupMenuSelectionFromUser(menu) == ID_SYSMENU_ABOUT)
        ShowAbout();
}

void CAgentConsoleDlg::ShowAbout() {
    CAboutDlg about(this);
    about.ShowModal();
}

void CAgentConsoleDlg::OnActivate(wxActivateEvent& event) {
    if (event.GetActive() && m_bAttention) {
        gtk_window_set_urgency_hint(GTK_WINDOW(m_widget), FALSE);
        m_bAttention = false;
    }
    event.Skip();
}

void CAgentConsoleDlg::SetWindowTitle(const std::string& title) {
    SetTitle(wxString::FromUTF8(title));
}

void CAgentConsoleDlg::EnableButton(int buttonId, bool enable) {
    if (wxWindow* button = platform::GetDlgItem(this, buttonId))
        button->Enable(enable);
}

void CAgentConsoleDlg::SetFieldText(int controlId, const std::string& text) {
    wxWindow* control = platform::GetDlgItem(this, controlId);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control))
        edit->ChangeValue(wxString::FromUTF8(text));
    else if (auto* label = dynamic_cast<wxStaticText*>(control))
        label->SetLabelText(wxString::FromUTF8(text));
    if (controlId == IDC_EDIT_TELNUM)
        AnnounceCall(control, text);
}

void CAgentConsoleDlg::ExchangeCallResult(bool saveAndValidate, std::string& memo,
                                          int& consultResult) {
    if (saveAndValidate) {
        memo = m_memo ? m_memo->GetValue().utf8_string() : std::string();
        consultResult = -1;
        for (std::size_t i = 0; i < m_grades.size(); ++i)
            if (m_grades[i] && m_grades[i]->GetValue())
                consultResult = int(i);
        return;
    }
    if (m_memo)
        m_memo->ChangeValue(wxString::FromUTF8(memo));
    if (consultResult >= 0 && consultResult < int(m_grades.size()) && m_grades[consultResult])
        m_grades[consultResult]->SetValue(true);
    else
        m_gradeGroup.ClearSelection();
}

void CAgentConsoleDlg::ShowNote(const std::string& text) {
    DebugTrace("note: %s", text.c_str());
    if (!m_note)
        return;
    m_note->SetLabelText(wxString::FromUTF8(text));
    m_note->Wrap(m_note->GetSize().GetWidth());
    m_note->Show();
    m_timerNote.StartOnce(kNoteMs);
    platform::Announce(m_note, text); // a screen reader says it too
}

void CAgentConsoleDlg::ChooseBreakReason(const std::vector<BreakReason>& reasons,
                                         std::function<void(std::optional<std::size_t>)> chosen) {
    std::optional<std::size_t> index;
    {
        CBreakReasonDlg list(this, reasons);
        if (list.ShowModal() == wxID_OK)
            index = list.Chosen();
    }
    if (chosen)
        chosen(index);
}

void CAgentConsoleDlg::FinishTyping() {
    if (!m_memo || FindFocus() != m_memo)
        return;
    // An input method commits the syllable it is composing when its field loses the
    // focus, and only then at once: out and back, and the agent types on where he was.
    if (wxWindow* other = platform::GetDlgItem(this, IDC_BTN_REGIST)) {
        other->SetFocus();
        m_memo->SetFocus();
    }
}

wxString CAgentConsoleDlg::NoteText() const {
    return m_note && m_note->IsShown() ? m_note->GetLabelText() : wxString();
}

void CAgentConsoleDlg::StartCallInfoTimer() {
    m_timerCallInfo.StartOnce(0);
}

void CAgentConsoleDlg::RequestAttention() {
    // The desktop's way: the urgency hint, shown in the task bar, no focus taken.
    if (IsActive() && !IsIconized())
        return;
    gtk_window_set_urgency_hint(GTK_WINDOW(m_widget), TRUE);
    m_bAttention = true;
}
