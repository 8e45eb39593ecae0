// The memo's length limit in CP949 bytes (a Hangul syllable counts two, and so does a
// line break, which the database keeps as CR LF), for a multi-line text field.
#pragma once

#include <cstddef>

class wxTextCtrl;

// From now on text typed, pasted or committed by an input method goes into the field
// only as far as it fits in maxBytes; the rest of an insertion is dropped with a bell.
// A syllable still being composed is not part of the text yet and is never cut: it
// counts when the input method commits it.
void SetMemoByteLimit(wxTextCtrl& memo, std::size_t maxBytes);
