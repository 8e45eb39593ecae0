// Icon 128, the program's own headset glyph, as XPM data in several sizes.
// platform/gui/AppResources.h turns it into a wxIconBundle.
#pragma once

#include <span>

namespace res {

struct IconImage {
    int size;               // width = height in pixels
    const char* const* xpm; // XPM lines, as wxBitmap(const char* const*) takes them
};

// Icon IDR_MAINFRAME (128), smallest size first.
std::span<const IconImage> AppIconImages();

} // namespace res
