// Screenshot programs (zel-shot-* <folder>, run by scripts/screenshots).
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace guitest {

// Starts wx, calls shoot(argv[1]) and returns 0 if it succeeded, 1 if not, 2 without a folder.
int RunShotProgram(int argc, char** argv,
                   const std::function<bool(const std::string& folder)>& shoot);

// Shows the window, lets it paint and writes its client area as shown to path as PNG.
bool SaveWindowShot(wxWindow* topLevel, const std::string& path);

} // namespace guitest
