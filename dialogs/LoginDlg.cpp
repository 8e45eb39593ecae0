#include "dialogs/LoginDlg.h"

#include <string>
#include <utility>

#include <gtk/gtk.h>
#include <wx/evtloop.h>
#include <wx/textctrl.h>

#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "db/AgentEnv.h"
#include "dialogs/ByteLimit.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/ProcessExit.h"
#include "dialogs/ServerAddrDlg.h"
#include "platform/MessageBox.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/AppResources.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/SysColors.h"
#include "platform/gui/UiThread.h"
#include "res/ResourceIds.h"
#include "util/Cp949.h"
#include "util/Trace.h"

namespace {

constexpr int kLabelIds[] = {IDC_STATIC_USER_ID, IDC_STATIC_SVC_ID, IDC_STATIC_AGENT_NM,
                             IDC_STATIC_PASSWORD, IDC_STATIC_EXTENSION};
constexpr int kButtonIds[] = {IDOK_BUTTON, IDCANCEL_BUTTON, IDC_BTN_SETTING};

// Each field with the label that names it.
constexpr std::pair<int, int> kFieldLabels[] = {
    {IDC_EDIT_USER_ID, IDC_STATIC_USER_ID},     {IDC_EDIT_SVC_ID, IDC_STATIC_SVC_ID},
    {IDC_EDIT_AGENT_NM, IDC_STATIC_AGENT_NM},   {IDC_EDIT_PASSWORD, IDC_STATIC_PASSWORD},
    {IDC_EDIT_EXTENSION, IDC_STATIC_EXTENSION},
};

// The fields in the order they are exchanged with their controls.
constexpr SignInField kExchangeOrder[] = {SignInField::Password, SignInField::TelNum,
                                          SignInField::AgentName, SignInField::SvcId,
                                          SignInField::UserId};

int ControlId(SignInField field) {
    switch (field) {
    case SignInField::Password:
        return IDC_EDIT_PASSWORD;
    case SignInField::TelNum:
        return IDC_EDIT_EXTENSION;
    case SignInField::AgentName:
        return IDC_EDIT_AGENT_NM;
    case SignInField::SvcId:
        return IDC_EDIT_SVC_ID;
    case SignInField::UserId:
        return IDC_EDIT_USER_ID;
    default:
        return IDC_STATIC;
    }
}

std::string& FieldText(SignInFields& fields, SignInField field) {
    switch (field) {
    case SignInField::Password:
        return fields.password;
    case SignInField::TelNum:
        return fields.telNum;
    case SignInField::AgentName:
        return fields.agentName;
    case SignInField::SvcId:
        return fields.svcId;
    default:
        return fields.userId;
    }
}

void EnableControl(wxWindow* dialog, int id, bool enable) {
    if (wxWindow* control = platform::GetDlgItem(dialog, id))
        control->Enable(enable);
}

// While an attempt is out every control is off, so GTK leaves no widget with the focus
// and wx takes the keys without passing them on: Escape is taken from the window's
// events before wx sees them.
gboolean OnWindowEvent(GtkWidget*, GdkEvent* event, gpointer dialog) {
    return event->type == GDK_KEY_PRESS && event->key.keyval == GDK_KEY_Escape &&
           static_cast<CLoginDlg*>(dialog)->AskToCancel();
}

} // namespace

CLoginDlg::CLoginDlg(wxWindow* parent, ConnectionOpening* opening)
    : m_backBrush(wxColour(209, 247, 254)), m_timer(this, kWarningTimerId), m_opening(opening),
      m_worker([](std::function<void()> fn) { platform::PostToUiThread(std::move(fn)); }, opening) {
    platform::CreateDialogFromTemplate(
        this, parent, IDD_LOGIN,
        [this](wxWindow* dlg, const res::ControlTemplate& control, const wxPoint& pos,
               const wxSize& size) -> wxWindow* {
            using platform::CreateListedControl;
            if (wxWindow* made = CreateListedControl(dlg, control, pos, size, kLabelIds, m_labels))
                return made;
            return CreateListedControl(dlg, control, pos, size, kButtonIds, m_buttons);
        });
    SetBackgroundColour(m_backBrush.GetColour());
    SetIcons(platform::LoadAppIcons());
    SetEscapeId(IDCANCEL_BUTTON);

    Bind(wxEVT_INIT_DIALOG, &CLoginDlg::OnInitDialog, this);
    Bind(wxEVT_TIMER, &CLoginDlg::OnTimer, this);
    g_signal_connect(m_widget, "event", G_CALLBACK(OnWindowEvent), this);
    Bind(wxEVT_CLOSE_WINDOW, &CLoginDlg::OnCloseWindow, this);
    Bind(wxEVT_IDLE, &CLoginDlg::OnIdle, this);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, IDOK_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_CANCEL); }, IDCANCEL_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnServerAddress(); }, IDC_BTN_SETTING);
}

CLoginDlg::~CLoginDlg() {
    m_timer.Stop();
    if (m_opening)
        m_opening->WhenDone({});
}

void CLoginDlg::OnInitDialog(wxInitDialogEvent&) {
    for (CColorLabel* label : m_labels) {
        if (!label)
            continue;
        label->SetTextColor(platform::GetSysColor(platform::COLOR_INFOTEXT));
        label->SetBackColor(wxColour(230, 230, 250));
    }
    for (CHoverButton* button : m_buttons)
        if (button)
            ColorDialogButton(*button);
    for (const auto& [fieldId, labelId] : kFieldLabels)
        platform::SetAccessibleLabel(platform::GetDlgItem(this, fieldId),
                                     platform::GetDlgItem(this, labelId));

    if (!OpeningBack()) {
        EnableControl(this, IDC_BTN_SETTING, false);
        m_opening->WhenDone([this] {
            if (m_stage == Stage::Idle)
                EnableControl(this, IDC_BTN_SETTING, true);
        });
    }

    LoadLastSignIn();
    m_timer.Start(kWarningDelayMs);
    DoDataExchange(false);
    if (wxTextCtrl* password = Edit(SignInField::Password))
        password->SetFocus();
}

wxTextCtrl* CLoginDlg::Edit(SignInField field) const {
    return platform::GetDlgItemAs<wxTextCtrl>(this, ControlId(field));
}

bool CLoginDlg::DoDataExchange(bool saveAndValidate) {
    for (SignInField field : kExchangeOrder) {
        wxTextCtrl* edit = Edit(field);
        if (!edit)
            return false;
        std::string& text = FieldText(m_fields, field);
        const std::size_t limit = SignInFieldLimit(field);
        if (!saveAndValidate) {
            // A stored value over the limit is shown in full; typing then stops at it.
            ChangeValueUnchecked(*edit, wxString::FromUTF8(text));
            SetByteLimit(*edit, limit);
            continue;
        }
        text = edit->GetValue().utf8_string();
        if (limit != 0 && cp949::LimitLength(text) > limit) {
            platform::ShowMessageBox(
                {this, LimitMessage(limit), "ZELAgent", platform::MB_ICONEXCLAMATION});
            edit->SetFocus();
            edit->SelectAll();
            return false;
        }
    }
    return true;
}

void CLoginDlg::OnOK() {
    if (m_stage != Stage::Idle)
        return; // one attempt at a time
    if (!UpdateData(true))
        return;
    m_cancelAsked = false;
    m_ownLoop = wxEventLoopBase::GetActive();
    m_focusAtSubmit = FindFocus();
    // Nothing that would change the submission until it has come back.
    SetSubmissionControls(false);
    m_busy.emplace();
    m_stage = Stage::Out;
    m_worker.Start(m_fields, [this](SignInResult result) { OnAttemptBack(std::move(result)); });
}

void CLoginDlg::OnAttemptBack(SignInResult result) {
    if (m_stage != Stage::Out)
        return;
    if (!IsModal()) { // ended from outside meanwhile: nothing left to act on
        m_busy.reset();
        m_stage = Stage::Idle;
        return;
    }
    m_held = std::move(result);
    m_stage = Stage::Held;
    ActOnOutcome();
}

// A box of the dialog runs a nested event loop: an outcome that comes back inside it
// waits for it to close, so that it acts once, on the dialog as the agent left it.
void CLoginDlg::ActOnOutcome() {
    if (m_stage != Stage::Held || m_boxesOpen > 0)
        return;
    SignInResult result = std::move(*m_held);
    m_held.reset();
    m_stage = Stage::Acting;
    m_busy.reset();
    m_fields = result.fields; // trimmed, as the statements used them
    if (m_cancelAsked) {
        // The agent has left: nothing is shown, nobody signed in, the settings untouched.
        for (const auto& box : result.boxes)
            DebugTrace("CLoginDlg box not shown after a cancel [%s] %s", box.caption.c_str(),
                       box.text.c_str());
        End(wxID_CANCEL);
        return;
    }
    for (const auto& box : result.boxes)
        platform::ShowMessageBox(box);
    const SignInOutcome& outcome = result.outcome;
    switch (outcome.result) {
    case SignInOutcome::Result::ExitProcess:
        SetSubmissionControls(true);
        m_stage = Stage::Idle;
        ExitProcess(1);
        return;
    case SignInOutcome::Result::SignedIn:
        SaveSignIn();
        End(wxID_OK);
        return;
    case SignInOutcome::Result::Stopped:
        break;
    }
    if (!outcome.message.empty())
        platform::ShowMessageBox({this, outcome.message, outcome.caption, outcome.style});
    SetSubmissionControls(true);
    m_stage = Stage::Idle;
    // Asked for while the boxes were open (an ownerless one leaves the dialog usable).
    if (m_cancelAsked) {
        End(wxID_CANCEL);
        return;
    }
    if (m_focusAtSubmit && m_focusAtSubmit->GetParent() == this)
        m_focusAtSubmit->SetFocus();
    if (wxTextCtrl* edit = Edit(outcome.focus))
        edit->SetFocus();
    if (wxTextCtrl* edit = Edit(outcome.select))
        edit->SelectAll();
}

void CLoginDlg::End(int code) {
    m_stage = Stage::Ending;
    m_endCode = code;
    EndInOwnLoop();
}

// EndModal from inside a nested loop would hide the dialog but leave its own loop
// running; the idle of the dialog's loop ends it instead.
void CLoginDlg::EndInOwnLoop() {
    if (m_stage != Stage::Ending || wxEventLoopBase::GetActive() != m_ownLoop)
        return;
    m_stage = Stage::Idle;
    if (IsModal())
        EndModal(m_endCode);
}

void CLoginDlg::OnIdle(wxIdleEvent& event) {
    if (m_stage == Stage::Held)
        ActOnOutcome();
    else if (m_stage == Stage::Ending)
        EndInOwnLoop();
    event.Skip();
}

void CLoginDlg::SetSubmissionControls(bool enable) {
    for (SignInField field : kExchangeOrder)
        if (wxTextCtrl* edit = Edit(field))
            edit->Enable(enable);
    for (CHoverButton* button : m_buttons)
        if (button)
            button->Enable(enable);
    if (enable && !OpeningBack())
        EnableControl(this, IDC_BTN_SETTING, false);
}

bool CLoginDlg::AskToCancel() {
    if (m_stage == Stage::Idle)
        return false;
    if (m_stage != Stage::Ending) // an end already decided stands
        m_cancelAsked = true;
    return true;
}

void CLoginDlg::OnCloseWindow(wxCloseEvent& event) {
    if (!AskToCancel()) {
        event.Skip(); // as 취소
        return;
    }
    if (event.CanVeto())
        event.Veto();
}

CLoginDlg::OwnBox::OwnBox(CLoginDlg& dialog) : m_dialog(dialog) {
    ++m_dialog.m_boxesOpen;
}

CLoginDlg::OwnBox::~OwnBox() {
    if (--m_dialog.m_boxesOpen == 0 && m_dialog.m_stage == Stage::Held)
        m_dialog.CallAfter([dialog = &m_dialog] { dialog->ActOnOutcome(); });
}

void CLoginDlg::OnServerAddress() {
    if (m_stage != Stage::Idle || !OpeningBack())
        return;
    wxWindow* focus = FindFocus();
    {
        CServerAddrDlg dialog(nullptr);
        if (dialog.ShowModal() == wxID_OK) {
            theAgentEnv().InfoMessageBox(
                this, "서버 주소를 변경하면 프로그램을 다시 시작 하여야 합니다.");
            ExitProcess(1);
            return;
        }
    }
    // Cancelled: the sign-in dialog goes on as it was.
    if (focus && focus->GetParent() == this)
        focus->SetFocus();
}

void CLoginDlg::OnTimer(wxTimerEvent&) {
    m_timer.Stop(); // the warning is given at most once
    if (theAgentEnv().serverAddress == "127.0.0.1") {
        const OwnBox box(*this);
        theAgentEnv().InfoMessageBox(
            this, "처음 설치후에는 설정 버튼을 눌러 서버 주소를 변경하셔야 합니다.");
    }
}

bool CLoginDlg::LoadLastSignIn() {
    ::LoadLastSignIn(m_fields);
    return true;
}

bool CLoginDlg::SaveSignIn() {
    ::SaveSignIn(m_fields);
    return true;
}
