// Start-up of the GUI platform layer, called once wx is initialised (from the
// application object's OnInit, or a test main after wxEntryStart).
#pragma once

namespace platform {

// Loads the font aliases, installs the app CSS, the GUI message box handler and the
// wx image handlers. Safe to call more than once.
void InitGuiPlatform();

} // namespace platform
