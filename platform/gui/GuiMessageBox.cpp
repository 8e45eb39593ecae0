// Message boxes as modal wxMessageDialogs on the UI thread.
#include "platform/gui/GuiMessageBox.h"

#include "platform/gui/ModelessMessageBox.h"
#include "platform/gui/UiThread.h"

#include <gtk/gtk.h>
#include <wx/msgdlg.h>

namespace platform {
namespace {

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

long DialogStyle(unsigned style) {
    long wxStyle = (style & kButtonMask) == MB_YESNO ? wxYES_NO : wxOK;
    if ((style & MB_DEFBUTTON2) && (style & kButtonMask) == MB_YESNO)
        wxStyle |= wxNO_DEFAULT;
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

// GTK names a message box for assistive technology after its kind, in the desktop's
// language ("Information", "Question", ...): the box is named by its own title instead
// (알림, 확인, 에러), as it appears on screen.
gboolean NameMessageDialogByTitle(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
    auto* object = static_cast<GObject*>(g_value_get_object(&params[0]));
    if (object && GTK_IS_MESSAGE_DIALOG(object)) {
        const char* title = gtk_window_get_title(GTK_WINDOW(object));
        atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(object)), title ? title : "");
    }
    return TRUE; // stay installed
}

void InstallMessageDialogNaming() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, NameMessageDialogByTitle,
                               nullptr, nullptr);
}

int ShowOnUiThread(const MessageBoxRequest& request) {
    InstallMessageDialogNaming();
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
    if (request.modeless) {
        ShowModelessMessageBox(request);
        return IDOK;
    }
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
