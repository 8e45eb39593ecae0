// wx start-up of the test and screenshot programs, and window captures to PNG.
#include "tests/gui/support/ShotSupport.h"

#include "platform/gui/GuiPlatform.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <cstdio>
#include <filesystem>

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/toplevel.h>

namespace guitest {

int RunInsideWx(char* program, const std::function<int()>& body) {
    if (!wxApp::GetInstance())
        wxApp::SetInstance(new wxApp());
    int argc = 1; // the arguments are the program's own, not wx's
    if (!wxEntryStart(argc, &program)) {
        std::fprintf(stderr, "%s: wx could not start (is there a display?)\n", program);
        return 1;
    }
    int result = 1;
    if (wxTheApp->CallOnInit()) {
        platform::InitGuiPlatform();
        // Colour changes take effect at once instead of fading in: pixels are checked.
        g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
        result = body();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return result;
}

int RunShotProgram(int argc, char** argv,
                   const std::function<bool(const std::string& folder)>& shoot) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    return RunInsideWx(argv[0], [&] { return shoot(argv[1]) ? 0 : 1; });
}

bool SaveWindowShot(wxWindow* topLevel, const std::string& path) {
    if (auto* frame = dynamic_cast<wxTopLevelWindow*>(topLevel))
        ShowAndActivate(frame);
    else
        topLevel->Show();
    PumpEvents(300);
    GdkWindow* window = gtk_widget_get_window(topLevel->m_widget);
    if (!window)
        return false;
    const wxSize size = topLevel->GetClientSize();
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(window, 0, 0, size.x, size.y);
    if (!pixbuf)
        return false;
    const bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr) != FALSE;
    g_object_unref(pixbuf);
    if (saved)
        std::printf("%s %dx%d\n", path.c_str(), size.x, size.y);
    return saved;
}

} // namespace guitest
