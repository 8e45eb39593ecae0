// printf-style formatting into the program's 4096-byte message buffers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace util {

// Size of the buffers that traces and message boxes are formatted into.
constexpr std::size_t kFormatBufferSize = 4096;

// Length of the longest prefix of text that does not end inside a UTF-8 sequence.
std::size_t CompleteUtf8Length(std::string_view text);

// Formats into a buffer of kFormatBufferSize bytes: at most 4095 bytes, cut at a
// character boundary.
std::string VFormatText(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

} // namespace util
