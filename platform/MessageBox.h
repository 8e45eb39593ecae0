// One function that shows every message box of the program. The GUI installs the
// real implementation at start-up; tests install a scripted responder.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace platform {

// Style flags and results, with the values the program's texts and tests use.
enum : unsigned {
    MB_OK = 0x0,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100, // the second button (No) is the default
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// One box as the program asked for it (texts are UTF-8).
struct MessageBoxRequest {
    wxWindow* owner = nullptr; // may be null: a box owned by no window
    std::string text;
    std::string caption;
    unsigned style = MB_OK;
    // Shown without blocking: the box stays up while the program goes on, and the call
    // returns IDOK at once. For the worker's error box, which must leave the console usable.
    bool modeless = false;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows a modal box and returns the button pressed. Safe from any thread: the
// installed handler decides how the box reaches the UI thread.
int ShowMessageBox(const MessageBoxRequest& request);

// Installs the handler used by ShowMessageBox and returns the previous one. With no
// handler installed, a box is written to stderr and answered with IDOK (or IDYES).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Installs a handler for the boxes of the calling thread only, ahead of the handler
// above (null removes it), and returns the thread's previous one. A worker thread uses
// it to route its boxes through a path it can abandon when it is told to stop.
MessageBoxHandler SetThreadMessageBoxHandler(MessageBoxHandler handler);

} // namespace platform
