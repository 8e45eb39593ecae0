// The program's GTK style sheet: smaller paddings and minimum heights for entries,
// buttons and radio buttons, so controls fit the rectangles of the Win32-sized dialog
// templates without overlapping, plus the classes used by the custom controls.
#pragma once

namespace platform {

// Installs the style sheet for the default screen (once; later calls do nothing).
void InstallAppCss();

// Style class names the style sheet defines.
inline constexpr const char* kCssClassStaticEdge =
    "zel-static-edge"; // 1px inset for a painted edge
inline constexpr const char* kCssClassHoverButton = "zel-hover-button";

} // namespace platform
