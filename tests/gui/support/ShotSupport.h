// Support for screenshot programs (zel-shot-*, run by scripts/screenshots): each
// takes the output folder as its only argument. Link zel_gui_test_support; a program
// with its own main() does not get the test main.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace guitest {

// Starts wx and the GUI platform layer, calls shoot(folder) with the folder of argv[1]
// (created if missing), cleans up, and returns the exit status: 0 when shoot returned
// true, 1 when it returned false or wx could not start, 2 without a folder argument.
int RunShotProgram(int argc, char** argv,
                   const std::function<bool(const std::string& folder)>& shoot);

// Shows the top-level window, lets it paint, and writes what the screen shows of its
// client area to path as PNG. The window stays shown. Returns false on failure.
bool SaveWindowShot(wxWindow* topLevel, const std::string& path);

} // namespace guitest
