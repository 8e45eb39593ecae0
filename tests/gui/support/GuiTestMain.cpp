// main() of every GUI test binary: wx is started once, the tests run inside it.
#include "platform/gui/GuiPlatform.h"

#include <cstdio>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {

class GuiTestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(GuiTestApp);

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "GUI tests: wx could not start (is there a display?)\n");
        return 1;
    }
    int result = 1;
    if (wxTheApp && wxTheApp->CallOnInit()) {
        platform::InitGuiPlatform();
        // Colour changes take effect at once instead of fading in: pixels are checked.
        g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
        result = RUN_ALL_TESTS();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return result;
}
