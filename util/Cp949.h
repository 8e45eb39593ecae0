// CP949 is the code page of the settings files and of every length limit.
// Inside the program texts are UTF-8; this module converts and counts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cp949 {

// UTF-8 -> CP949 bytes; nullopt when the text has a character with no CP949 form
// or is not valid UTF-8.
std::optional<std::string> FromUtf8(std::string_view utf8);

// CP949 bytes -> UTF-8; nullopt when the bytes are not valid CP949.
std::optional<std::string> ToUtf8(std::string_view cp949);

// CP949 bytes -> UTF-8, each byte or pair that is not valid CP949 becoming U+FFFD:
// for text read from files that other programs may have written.
std::string ToUtf8Lossy(std::string_view cp949);

// Length of the text in CP949 bytes (a Hangul syllable counts two); nullopt when it
// has no CP949 form.
std::optional<std::size_t> ByteLength(std::string_view utf8);

// The longest prefix of the UTF-8 text whose CP949 form has at most maxBytes bytes,
// cut at a character boundary. Characters with no CP949 form count 2 bytes.
std::string TruncateToBytes(std::string_view utf8, std::size_t maxBytes);

// Length in CP949 bytes as the length limits count it: one for ASCII, two for any
// other character, also for one with no CP949 form. No conversion is needed.
std::size_t LimitLength(std::string_view utf8);

// What of an insertion fits beside usedBytes under limitBytes, cut at a character;
// nullopt when all of it fits.
std::optional<std::string> FitInsertion(std::size_t usedBytes, std::string_view inserted,
                                        std::size_t limitBytes);

} // namespace cp949
