// Start-up of the GUI platform layer.
#include "platform/gui/GuiPlatform.h"

#include "platform/gui/AppCss.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/GuiMessageBox.h"

#include <wx/image.h>

namespace platform {

void InitGuiPlatform() {
    static bool imageHandlers = false;
    LoadFontAliases();
    InstallAppCss();
    InstallGuiMessageBoxHandler();
    if (!imageHandlers) {
        wxInitAllImageHandlers();
        imageHandlers = true;
    }
}

} // namespace platform
