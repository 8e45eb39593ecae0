// The real message box of the program: the caption, the text (its "\r\n" shown as line
// breaks), the icon of the style (none without one) and OK or Yes/No. A box with an
// owner window is modal; one without blocks only its caller, as on the platform the
// program comes from: the other windows go on taking clicks and keys.
#pragma once

#include "platform/MessageBox.h"

namespace platform {

// Shows the box and returns IDOK (an OK box, however it is closed), IDYES or IDNO (a
// Yes/No box closed without an answer, by Escape or the window manager, gives IDNO).
// From a thread other than the UI thread the box is shown on the UI thread and the
// calling thread waits until it is dismissed. The owner, if any, must outlive the box.
int ShowGuiMessageBox(const MessageBoxRequest& request);

// Installs ShowGuiMessageBox as the handler of platform::ShowMessageBox.
void InstallGuiMessageBoxHandler();

} // namespace platform
