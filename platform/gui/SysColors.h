// System colours by their Windows index, read from wxSystemSettings. The program's
// colour rules name them (COLOR_BTNFACE, COLOR_INFOTEXT, ...); this is their one home.
#pragma once

#include <wx/colour.h>

namespace platform {

// Windows system-colour indexes (the values of GetSysColor).
enum SysColorIndex : int {
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};

// The current colour of a system colour index; black for an unknown index.
// COLOR_INFOTEXT is the tooltip text colour of the theme, except that a light one
// (dark-tooltip themes such as Adwaita) gives black: the program puts it on its own
// pale backgrounds, where the classic dark tooltip text is what stays readable.
wxColour GetSysColor(int index);

} // namespace platform
