// The text of a profile file as bytes of its code page: finding a value and setting
// one while keeping every other byte. Names and values are CP949 here; CP949 trail
// bytes never take the values of '[', ']', '=', ';', '"', blanks or line ends, so
// the structure can be read byte by byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::profile {

// True when two names are equal, ASCII letters compared without case; double-byte
// characters compare exactly (their trail bytes may look like ASCII letters).
bool NamesEqual(std::string_view a, std::string_view b);

// The value of key in the first section called section: blanks around it removed,
// and one pair of enclosing quotes (both double or both single). CR LF, LF and a lone
// CR each end a line. nullopt when there is no such key, or the key's line has no '='.
std::optional<std::string_view> FindValue(std::string_view content, std::string_view section,
                                          std::string_view key);

// The content with key = value in section: an existing key line is replaced in place,
// a missing key goes after the last key line of its section, a missing section goes
// at the end. Every other line keeps its bytes and its own line ending; new lines take
// the ending of the file's first line (CRLF for a file without one).
std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value);

// The longest prefix of CP949 bytes of at most maxBytes, not splitting a double-byte
// character.
std::string_view CutAtCharacter(std::string_view cp949, std::size_t maxBytes);

} // namespace platform::profile
