#include "tests/dialogs/DialogTestSupport.h"

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/dialog.h>

#include "dialogs/ProcessExit.h"
#include "platform/gui/DialogBuilder.h"

namespace dlgtest {

int RunModal(wxDialog& dialog, const std::function<void()>& script) {
    dialog.CallAfter([&dialog, script] {
        script();
        if (dialog.IsModal())
            dialog.EndModal(kStillOpen);
    });
    return dialog.ShowModal();
}

ExitRecorder::ExitRecorder() {
    SetExitProcessHandler([this](int status) { statuses_.push_back(status); });
}

ExitRecorder::~ExitRecorder() { SetExitProcessHandler({}); }

bool HasGtkFocus(wxWindow* window) {
    if (!window)
        return false;
    GtkWidget* toplevel = gtk_widget_get_toplevel(window->m_widget);
    return GTK_IS_WINDOW(toplevel) &&
           gtk_window_get_focus(GTK_WINDOW(toplevel)) == window->m_widget;
}

void ClickButton(wxDialog& dialog, int buttonId) {
    auto* button = platform::GetDlgItemAs<wxButton>(&dialog, buttonId);
    if (!button)
        return;
    gtk_button_clicked(GTK_BUTTON(button->m_widget));
}

void PressEscape(wxDialog& dialog) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    key.SetEventObject(&dialog);
    dialog.ProcessWindowEvent(key);
}

void PressCloseBox(wxDialog& dialog) {
    // What the window manager's close request becomes.
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(dialog.m_widget)));
    event->any.send_event = TRUE;
    gtk_main_do_event(event);
    gdk_event_free(event);
}

} // namespace dlgtest
