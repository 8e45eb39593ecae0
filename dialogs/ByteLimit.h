// A length limit on a single-line text field counted in CP949 bytes (a Hangul
// syllable counts two), as the settings files and the database hold the texts.
#pragma once

#include <cstddef>

class wxTextCtrl;
class wxString;

// From now on the field takes typed or pasted text only as far as it fits in
// maxBytes; the rest of an insertion is dropped with a bell. Text committed by an
// input method counts when it is committed, so a syllable being composed is never
// cut. maxBytes 0 removes the limit.
void SetByteLimit(wxTextCtrl& field, std::size_t maxBytes);

// Sets the text without the limit, so a stored value longer than the limit is shown
// in full (the data exchange then refuses it). No text event is sent.
void ChangeValueUnchecked(wxTextCtrl& field, const wxString& text);
