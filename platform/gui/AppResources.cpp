// Icon 128 and the string table in wx form.
#include "platform/gui/AppResources.h"

#include "res/AppIcon.h"
#include "res/DialogTemplates.h"

#include <cstdlib>

#include <wx/bitmap.h>
#include <wx/icon.h>

namespace platform {

wxIconBundle LoadAppIcons() {
    wxIconBundle bundle;
    for (const res::IconImage& image : res::AppIconImages())
        bundle.AddIcon(wxIcon(image.xpm));
    return bundle;
}

wxIcon LoadAppIcon(int size) {
    const res::IconImage* best = nullptr;
    for (const res::IconImage& image : res::AppIconImages()) {
        if (!best || std::abs(image.size - size) < std::abs(best->size - size))
            best = &image;
    }
    return best ? wxIcon(best->xpm) : wxIcon();
}

wxString LoadResString(int id) { return wxString::FromUTF8(res::LoadResString(id)); }

} // namespace platform
