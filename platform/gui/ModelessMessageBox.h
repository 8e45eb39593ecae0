// A message box that does not block: it stays on screen, owned by no window, while the
// program goes on, and closes itself when its button is pressed. The worker's database
// error box uses it so that an outage never locks the agent out of the console.
#pragma once

#include "platform/MessageBox.h"

namespace platform {

// Queues the box for the UI thread and returns at once. Safe from any thread.
void ShowModelessMessageBox(const MessageBoxRequest& request);

} // namespace platform
