// Ending the process with a status from inside a dialog (a fatal database error at
// sign-in, a changed server address). Every such end goes through ExitProcess so
// that tests can watch it instead of dying.
#pragma once

#include <functional>

using ExitProcessHandler = std::function<void(int status)>;

// Ends the process at once with the status (stdio flushed, no static destructors:
// a modal dialog is still on the stack). With a handler installed, calls it instead
// and returns; callers stop what they were doing right after the call.
void ExitProcess(int status);

// Installs the handler used by ExitProcess (an empty one restores the real end) and
// returns the previous one.
ExitProcessHandler SetExitProcessHandler(ExitProcessHandler handler);
