#include "dialogs/ServerAddrDlg.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "controls/HoverButton.h"
#include "db/AgentEnv.h"
#include "dialogs/DialogButtons.h"
#include "platform/MessageBox.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "util/Cp949.h"

CServerAddrDlg::CServerAddrDlg(wxWindow* parent) {
    platform::CreateDialogFromTemplate(
        this, parent, IDD_SERVER_ADDR,
        [this](wxWindow* dlg, const res::ControlTemplate& control, const wxPoint& pos,
               const wxSize& size) -> wxWindow* {
            const wxString text = wxString::FromUTF8(control.text);
            const long style = platform::StandardWindowStyle(control);
            switch (control.id) {
            case IDOK_BUTTON:
            case IDCANCEL_BUTTON:
                return m_buttons[control.id - IDOK_BUTTON] =
                           new CHoverButton(dlg, control.id, text, pos, size, style);
            case IDC_EDIT_SERVER_ADDR:
                return m_editAddress = new wxTextCtrl(dlg, control.id, text, pos, size, style);
            case IDC_STATIC:
                return m_labelAddress = new wxStaticText(dlg, wxID_ANY, text, pos, size, style);
            default:
                return nullptr;
            }
        });
    SetEscapeId(IDCANCEL_BUTTON);
    Bind(wxEVT_INIT_DIALOG, &CServerAddrDlg::OnInitDialog, this);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, IDOK_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_CANCEL); }, IDCANCEL_BUTTON);
}

void CServerAddrDlg::OnInitDialog(wxInitDialogEvent&) {
    for (CHoverButton* button : m_buttons)
        if (button)
            ColorDialogButton(*button);
    if (m_editAddress && m_labelAddress)
        platform::SetAccessibleLabel(m_editAddress, m_labelAddress);
    m_strAddress = theAgentEnv().serverAddress;
    DoDataExchange(false);
    if (m_editAddress)
        m_editAddress->SetFocus();
}

bool CServerAddrDlg::DoDataExchange(bool saveAndValidate) {
    if (!m_editAddress)
        return false;
    if (saveAndValidate)
        m_strAddress = m_editAddress->GetValue().utf8_string();
    else
        m_editAddress->ChangeValue(wxString::FromUTF8(m_strAddress));
    return true;
}

void CServerAddrDlg::OnOK() {
    DoDataExchange(true);

    // The environment holds at most 83 CP949 bytes: a longer address, or one that
    // cannot be written in the settings files at all, is refused rather than cut.
    const auto bytes = cp949::ByteLength(m_strAddress);
    const bool writable = bytes && m_strAddress.find_first_of("\r\n") == std::string::npos;
    if (!writable || *bytes > CTELVOAgentEnv::kServerAddressMaxBytes) {
        Refuse(writable ? "서버 주소는 83바이트 이하로 입력하십시오."
                        : "서버 주소에 쓸 수 없는 문자가 있습니다.");
        return;
    }

    // Stored exactly as typed: no trimming, the empty address included. An address that
    // did not reach the files is not kept either: the agent may fix Env/ and try again.
    CTELVOAgentEnv& env = theAgentEnv();
    const std::string previous = env.serverAddress;
    env.serverAddress = m_strAddress;
    if (!env.SaveServerAddress()) {
        // One file may have taken it: put the address the program runs with back.
        env.serverAddress = previous;
        env.SaveServerAddress();
        Refuse("서버 주소를 저장하지 못했습니다.\r\n"
               "Env 폴더와 그 안의 설정 파일에 쓸 수 있는지 확인하십시오.");
        return;
    }
    EndModal(wxID_OK);
}

void CServerAddrDlg::Refuse(const std::string& message) {
    platform::ShowMessageBox({this, message, "에러", platform::MB_ICONERROR});
    if (m_editAddress) {
        m_editAddress->SetFocus();
        m_editAddress->SelectAll();
    }
}
