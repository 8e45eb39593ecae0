#include "dialogs/AboutDlg.h"

#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"

CAboutDlg::CAboutDlg(wxWindow* parent) {
    platform::CreateDialogFromTemplate(this, parent, IDD_ABOUTBOX);
    SetEscapeId(IDOK_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_OK); }, IDOK_BUTTON);
    // Set before the first show, so the template's caption is never seen.
    SetTitle(wxString::FromUTF8(Caption()));
}

std::string CAboutDlg::Caption() {
    return FormatCaption(__DATE__, __TIME__);
}

std::string CAboutDlg::FormatCaption(const char* buildDate, const char* buildTime) {
    return std::string("ZELAgent(") + buildDate + "-" + buildTime + ")";
}
