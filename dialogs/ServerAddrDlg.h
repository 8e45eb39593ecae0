// CServerAddrDlg, "서버 주소 설정": edits the database server address and stores it
// in both settings files. The program ends after a confirmed change (the sign-in
// dialog sees to that); the new address is used from the next start.
#pragma once

#include <array>
#include <string>

#include <wx/dialog.h>

class CHoverButton;
class wxTextCtrl;

class CServerAddrDlg : public wxDialog {
  public:
    // ShowModal() gives wxID_OK when the address was stored in both settings files,
    // wxID_CANCEL otherwise (취소, Escape or the close box), with nothing stored. An
    // address that could not be stored is said so, and the dialog stays open.
    explicit CServerAddrDlg(wxWindow* parent = nullptr);

    // Handlers; public so that tests can drive the dialog.
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK();

    // Address field <-> the address: no limit on the way in.
    bool DoDataExchange(bool saveAndValidate);

    const std::string& Address() const { return m_strAddress; }

  private:
    // The error box, then the focus back in the address with its text selected.
    void Refuse(const std::string& message);

    std::string m_strAddress; // UTF-8, as typed
    std::array<CHoverButton*, 2> m_buttons{};
    wxTextCtrl* m_editAddress = nullptr;
    wxWindow* m_labelAddress = nullptr;
};
