// Message boxes on the UI thread: modal wxMessageDialogs for an owner window, GTK
// message dialogs that leave the other windows usable for none.
#include "platform/gui/GuiMessageBox.h"

#include "platform/gui/ModelessMessageBox.h"
#include "platform/gui/UiThread.h"

#include <gtk/gtk.h>
#include <wx/evtloop.h>
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
        // wx would add its own icon (a question mark for Yes/No): the box shows none.
        wxStyle |= wxICON_NONE;
        break;
    }
    return wxStyle | wxCENTRE;
}

GtkMessageType MessageType(unsigned style) {
    switch (style & kIconMask) {
    case MB_ICONSTOP:
        return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION:
        return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION:
        return GTK_MESSAGE_WARNING;
    case MB_ICONINFORMATION:
        return GTK_MESSAGE_INFO;
    default:
        return GTK_MESSAGE_OTHER;
    }
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

const char* IconName(GtkMessageType type) {
    switch (type) {
    case GTK_MESSAGE_ERROR:
        return "dialog-error";
    case GTK_MESSAGE_QUESTION:
        return "dialog-question";
    case GTK_MESSAGE_WARNING:
        return "dialog-warning";
    case GTK_MESSAGE_INFO:
        return "dialog-information";
    default:
        return nullptr;
    }
}

// The one way to put an image into a message dialog: deprecated, not removed, in GTK 3.
void SetDialogImage(GtkMessageDialog* dialog, GtkWidget* image) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    gtk_message_dialog_set_image(dialog, image);
#pragma GCC diagnostic pop
}

// GTK 3 message dialogs show no icon of their own: a box shows the icon of its kind
// beside the text, as the program's boxes always have; a box of no kind shows none.
gboolean ShowKindIcon(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
    auto* object = static_cast<GObject*>(g_value_get_object(&params[0]));
    if (!object || !GTK_IS_MESSAGE_DIALOG(object) || g_object_get_data(object, "zel-icon"))
        return TRUE;
    GtkMessageType type = GTK_MESSAGE_OTHER;
    g_object_get(object, "message-type", &type, nullptr);
    if (const char* name = IconName(type)) {
        GtkWidget* image = gtk_image_new_from_icon_name(name, GTK_ICON_SIZE_DIALOG);
        gtk_widget_set_valign(image, GTK_ALIGN_START);
        gtk_widget_show(image);
        SetDialogImage(GTK_MESSAGE_DIALOG(object), image);
        g_object_set_data(object, "zel-icon", image);
    }
    return TRUE; // stay installed
}

void InstallMessageDialogHooks() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    g_signal_add_emission_hook(g_signal_lookup("show", GTK_TYPE_WIDGET), 0, ShowKindIcon, nullptr,
                               nullptr);
    g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, NameMessageDialogByTitle,
                               nullptr, nullptr);
}

struct OwnerlessAnswer {
    int response = GTK_RESPONSE_NONE;
};

void OnOwnerlessResponse(GtkDialog*, gint response, gpointer data) {
    static_cast<OwnerlessAnswer*>(data)->response = response;
}

// The close box and Escape answer like a closed modal box; the dialog stays for its
// owner to destroy.
gboolean OnOwnerlessDelete(GtkWidget*, GdkEvent*, gpointer data) {
    static_cast<OwnerlessAnswer*>(data)->response = GTK_RESPONSE_DELETE_EVENT;
    return TRUE;
}

// A box with no owner window blocks only the code that waits for it: it is not modal,
// and a window group of its own keeps a modal window's grab (the console's, the
// sign-in dialog's) from taking its clicks and keys. Every other window goes on
// working meanwhile; the caller waits in a nested event loop until the box is answered.
int ShowOwnerless(const MessageBoxRequest& request) {
    GtkWidget* dialog =
        gtk_message_dialog_new(nullptr, GtkDialogFlags(0), MessageType(request.style),
                               GTK_BUTTONS_NONE, "%s", LineBreaks(request.text).utf8_str().data());
    g_object_ref_sink(dialog);
    gtk_window_set_title(GTK_WINDOW(dialog), request.caption.c_str());
    const bool yesNo = (request.style & kButtonMask) == MB_YESNO;
    if (yesNo) {
        // In the order of the boxes that have an owner.
        gtk_dialog_add_button(GTK_DIALOG(dialog), "아니요(_N)", GTK_RESPONSE_NO);
        gtk_dialog_add_button(GTK_DIALOG(dialog), "예(_Y)", GTK_RESPONSE_YES);
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), (request.style & MB_DEFBUTTON2)
                                                                ? GTK_RESPONSE_NO
                                                                : GTK_RESPONSE_YES);
    } else {
        gtk_dialog_add_button(GTK_DIALOG(dialog), "확인", GTK_RESPONSE_OK);
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    }
    // Kept above the modal window it leaves usable, as a window manager expects of a
    // dialog; the window group, not this hint, decides where input goes.
    if (GtkWidget* grab = gtk_grab_get_current())
        if (GtkWidget* modal = gtk_widget_get_toplevel(grab); GTK_IS_WINDOW(modal))
            gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(modal));
    GtkWindowGroup* group = gtk_window_group_new();
    gtk_window_group_add_window(group, GTK_WINDOW(dialog));
    g_object_unref(group);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);

    OwnerlessAnswer answer;
    g_signal_connect(dialog, "response", G_CALLBACK(OnOwnerlessResponse), &answer);
    g_signal_connect(dialog, "delete-event", G_CALLBACK(OnOwnerlessDelete), &answer);
    gtk_widget_show_all(dialog);
    gtk_window_present(GTK_WINDOW(dialog));
    {
        // Dispatching one event at a time (not Run/Exit) lets boxes shown meanwhile
        // nest in any order: each waits only for its own answer.
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        while (answer.response == GTK_RESPONSE_NONE)
            loop.Dispatch();
    }
    g_signal_handlers_disconnect_by_data(dialog, &answer);
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    if (yesNo)
        return answer.response == GTK_RESPONSE_YES ? IDYES : IDNO;
    return IDOK;
}

int ShowOnUiThread(const MessageBoxRequest& request) {
    InstallMessageDialogHooks();
    if (!request.owner)
        return ShowOwnerless(request);
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
