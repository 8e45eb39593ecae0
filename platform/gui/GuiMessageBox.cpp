// Message boxes as modal wxMessageDialogs on the UI thread.
#include "platform/gui/GuiMessageBox.h"

#include "platform/gui/UiThread.h"

#include <wx/msgdlg.h>

namespace platform {
namespace {

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

long DialogStyle(unsigned style) {
    long wxStyle = (style & kButtonMask) == MB_YESNO ? wxYES_NO : wxOK;
    switch (style & kIconMask) {
    case MB_ICONSTOP:
        wxStyle |= wxICON_ERROR;
        break;
    case MB_ICONQUESTION:
        wxStyle |= wxICON_QUESTION;
        break;
    case MB_ICONEXCLAMATION:
        wxStyle |= wxICON_WARNING;
        break;
    case MB_ICONINFORMATION:
        wxStyle |= wxICON_INFORMATION;
        break;
    default:
        break;
    }
    return wxStyle | wxCENTRE;
}

// The program's texts break lines with "\r\n"; GTK would show the '\r'.
wxString LineBreaks(const std::string& text) {
    wxString result = wxString::FromUTF8(text);
    result.Replace("\r\n", "\n");
    result.Replace("\r", "\n");
    return result;
}

int ShowOnUiThread(const MessageBoxRequest& request) {
    wxMessageDialog dialog(request.owner, LineBreaks(request.text),
                           wxString::FromUTF8(request.caption), DialogStyle(request.style));
    // The program speaks Korean whatever the desktop's language is.
    dialog.SetYesNoLabels(wxString::FromUTF8("예(&Y)"), wxString::FromUTF8("아니요(&N)"));
    dialog.SetOKLabel(wxString::FromUTF8("확인"));
    const int answer = dialog.ShowModal();
    if ((request.style & kButtonMask) == MB_YESNO)
        return answer == wxID_YES ? IDYES : IDNO;
    return IDOK;
}

} // namespace

int ShowGuiMessageBox(const MessageBoxRequest& request) {
    const int answer = RunOnUiThreadAndWait([&request] { return ShowOnUiThread(request); });
    if (answer != 0)
        return answer;
    // The program ended before the box could be shown: the answer of a closed box.
    return (request.style & kButtonMask) == MB_YESNO ? IDNO : IDOK;
}

void InstallGuiMessageBoxHandler() {
    SetMessageBoxHandler(&ShowGuiMessageBox);
}

} // namespace platform
