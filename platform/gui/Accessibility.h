// Accessible names, roles, relations and announcements for assistive technology
// (AT-SPI through ATK).
#pragma once

#include <span>
#include <string>
#include <string_view>

class wxWindow;

namespace platform {

// A caption as it should be read out: the blanks that space its syllables apart
// ("비  밀  번  호") and a line break inside a word ("로그\n아웃") are dropped, other
// runs of blanks and line breaks become one blank.
std::string PlainAccessibleText(std::string_view text);

// Tells assistive technology that label names field: the field's accessible name
// becomes the label's plain text (and so does the label's own), and the two get the
// labelled-by / label-for relations. Call after both exist.
void SetAccessibleLabel(wxWindow* field, wxWindow* label);

// The labelled-by / label-for relations alone, for a field whose own text is its
// value (a statistic shown as a static text): its name stays the value it shows, the
// caption becomes its description.
void RelateLabel(wxWindow* field, wxWindow* label);

// Every member of a group of controls is labelled by label (a heading that may stand
// outside the window's tree).
void LabelGroup(std::span<wxWindow* const> members, void* labelWidget);

// The accessible name of a window as assistive technology sees it ("" if none).
std::string GetAccessibleName(wxWindow* window);
void SetAccessibleName(wxWindow* window, const std::string& name);

// A top-level window that is a dialog, not an application frame, is exposed as one.
void ExposeAsDialog(wxWindow* topLevel);

// Has a screen reader say text now (an ATK announcement from source), without moving
// the keyboard focus. False if the toolkit cannot announce.
bool Announce(wxWindow* source, const std::string& text);

} // namespace platform
