// wx start-up of the GUI test and screenshot programs (zel-shot-* <folder>), window captures.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace guitest {

// Starts wx and the platform layer, runs body and returns its result; 1 if wx cannot start.
int RunInsideWx(char* program, const std::function<int()>& body);

// Starts wx, calls shoot(argv[1]) and returns 0 if it succeeded, 1 if not, 2 without a folder.
int RunShotProgram(int argc, char** argv,
                   const std::function<bool(const std::string& folder)>& shoot);

// Shows the window, lets it paint and writes its client area as shown to path as PNG.
bool SaveWindowShot(wxWindow* topLevel, const std::string& path);

} // namespace guitest
