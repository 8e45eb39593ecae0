// The program's GTK style sheet. Win32 dialog templates give entries, buttons and
// radio buttons 12 to 14 dialog units (about 22 to 26 pixels) of height; the default
// GTK theme wants more (an entry is 34 pixels), so paddings and minimum sizes shrink.
#include "platform/gui/AppCss.h"

#include <gtk/gtk.h>

namespace platform {
namespace {

constexpr const char kCss[] = R"(
entry {
    min-height: 0;
    padding: 0 3px;
}
button {
    min-height: 0;
    min-width: 0;
    padding: 0 2px;
}
radiobutton, checkbutton {
    min-height: 0;
    padding: 0 1px;
}
radiobutton radio, checkbutton check {
    min-width: 12px;
    min-height: 12px;
    margin: 0 3px 0 1px;
}
textview text {
    padding: 0;
}
scrollbar slider {
    min-width: 6px;
    min-height: 6px;
}
.zel-static-edge {
    padding: 1px;
}
button.zel-hover-button {
    min-height: 0;
    min-width: 0;
    padding: 0;
    border-width: 0;
}
)";

bool installed = false;

} // namespace

void InstallAppCss() {
    GdkScreen* screen = gdk_screen_get_default();
    if (installed || !screen)
        return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider); // the screen keeps its own reference
    installed = true;
}

} // namespace platform
