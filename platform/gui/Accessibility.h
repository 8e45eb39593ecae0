// Accessible names and relations for assistive technology (AT-SPI through ATK).
#pragma once

#include <string>

class wxWindow;

namespace platform {

// Tells assistive technology that label names field: the field's accessible name
// becomes the label's text, and the two get the labelled-by / label-for relations.
// Call after both exist (e.g. in the dialog's initialisation).
void SetAccessibleLabel(wxWindow* field, wxWindow* label);

// The accessible name of a window as assistive technology sees it ("" if none).
std::string GetAccessibleName(wxWindow* window);

} // namespace platform
