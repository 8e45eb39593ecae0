// Driving modal dialogs in tests: scripts, clicks, keys and closing paths.
#include "tests/dialogs/DialogTestSupport.h"

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/dialog.h>

#include "platform/gui/DialogBuilder.h"
#include "tests/gui/support/GuiTestSupport.h"

namespace dlgtest {

int RunModal(wxDialog& dialog, const std::function<void()>& script) {
    dialog.CallAfter([&dialog, script] {
        script();
        if (dialog.IsModal())
            dialog.EndModal(kStillOpen);
    });
    return dialog.ShowModal();
}

bool HasGtkFocus(wxWindow* window) {
    if (!window)
        return false;
    GtkWidget* toplevel = gtk_widget_get_toplevel(window->m_widget);
    return GTK_IS_WINDOW(toplevel) &&
           gtk_window_get_focus(GTK_WINDOW(toplevel)) == window->m_widget;
}

void ClickButton(wxDialog& dialog, int buttonId) {
    if (auto* button = platform::GetDlgItemAs<wxButton>(&dialog, buttonId))
        gtk_button_clicked(GTK_BUTTON(button->m_widget));
}

void PressKey(wxDialog& dialog, unsigned keyval) {
    guitest::SendKey(&dialog, keyval);
}

void CloseOneWay(wxDialog& dialog, int way, int buttonId) {
    if (way == 0) {
        ClickButton(dialog, buttonId);
    } else if (way == 1) {
        PressKey(dialog, GDK_KEY_Escape);
    } else { // what the window manager's close request becomes
        GdkEvent* event = gdk_event_new(GDK_DELETE);
        event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(dialog.m_widget)));
        event->any.send_event = TRUE;
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
    guitest::PumpEvents(20);
}

} // namespace dlgtest
