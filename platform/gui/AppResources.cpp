// Icon 128 and the string table in wx form.
#include "platform/gui/AppResources.h"

#include "res/AppIcon.h"
#include "res/DialogTemplates.h"

#include <algorithm>
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
    const auto images = res::AppIconImages();
    const auto best =
        std::min_element(images.begin(), images.end(), [size](const auto& a, const auto& b) {
            return std::abs(a.size - size) < std::abs(b.size - size);
        });
    return best == images.end() ? wxIcon() : wxIcon(best->xpm);
}

wxString LoadResString(int id) {
    return wxString::FromUTF8(res::LoadResString(id));
}

} // namespace platform
