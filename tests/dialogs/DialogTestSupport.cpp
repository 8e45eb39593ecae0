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
    GdkWindow* window = gtk_widget_get_window(dialog.m_widget);
    GdkDisplay* display = gdk_window_get_display(window);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count);
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(window));
        event->key.send_event = TRUE;
        event->key.time = GDK_CURRENT_TIME;
        event->key.keyval = keyval;
        event->key.hardware_keycode = count > 0 ? keys[0].keycode : 0;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
    g_free(keys);
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
