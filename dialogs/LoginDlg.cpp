#include "dialogs/LoginDlg.h"

#include <string>
#include <utility>

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
#include "res/ResourceIds.h"
#include "util/Cp949.h"

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

} // namespace

CLoginDlg::CLoginDlg(wxWindow* parent)
    : m_backBrush(wxColour(209, 247, 254)), m_timer(this, kWarningTimerId) {
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
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, IDOK_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_CANCEL); }, IDCANCEL_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnServerAddress(); }, IDC_BTN_SETTING);
}

CLoginDlg::~CLoginDlg() {
    m_timer.Stop();
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
    if (!UpdateData(true))
        return;
    const SignInOutcome outcome = RunSignIn(m_fields);
    switch (outcome.result) {
    case SignInOutcome::Result::ExitProcess:
        ExitProcess(1);
        return;
    case SignInOutcome::Result::SignedIn:
        SaveSignIn();
        EndModal(wxID_OK);
        return;
    case SignInOutcome::Result::Stopped:
        break;
    }
    if (!outcome.message.empty())
        platform::ShowMessageBox({this, outcome.message, outcome.caption, outcome.style});
    if (wxTextCtrl* edit = Edit(outcome.focus))
        edit->SetFocus();
    if (wxTextCtrl* edit = Edit(outcome.select))
        edit->SelectAll();
}

void CLoginDlg::OnServerAddress() {
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
    if (theAgentEnv().serverAddress == "127.0.0.1")
        theAgentEnv().InfoMessageBox(
            this, "처음 설치후에는 설정 버튼을 눌러 서버 주소를 변경하셔야 합니다.");
}

bool CLoginDlg::LoadLastSignIn() {
    ::LoadLastSignIn(m_fields);
    return true;
}

bool CLoginDlg::SaveSignIn() {
    ::SaveSignIn(m_fields);
    return true;
}
