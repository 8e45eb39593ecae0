// System colours by Windows index over wxSystemSettings.
#include "platform/gui/SysColors.h"

#include <wx/settings.h>

namespace platform {
namespace {

// Perceived brightness in 0..255.
int Brightness(const wxColour& colour) {
    return (colour.Red() * 299 + colour.Green() * 587 + colour.Blue() * 114) / 1000;
}

} // namespace

wxColour GetSysColor(int index) {
    switch (index) {
    case COLOR_WINDOW:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    case COLOR_WINDOWTEXT:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    case COLOR_BTNFACE:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    case COLOR_BTNSHADOW:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    case COLOR_GRAYTEXT:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    case COLOR_BTNTEXT:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    case COLOR_BTNHIGHLIGHT:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    case COLOR_INFOTEXT: {
        const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_INFOTEXT);
        return Brightness(text) > 127 ? *wxBLACK : text;
    }
    case COLOR_INFOBK:
        return wxSystemSettings::GetColour(wxSYS_COLOUR_INFOBK);
    default:
        return *wxBLACK;
    }
}

} // namespace platform
