#include "util/FormatText.h"

#include <algorithm>
#include <cstdio>

namespace util {

std::size_t CompleteUtf8Length(std::string_view text) {
    // Find the start of the last sequence, at most three continuation bytes back.
    std::size_t start = text.size();
    for (int back = 0; back < 4 && start > 0; ++back) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80)
            break;
    }
    if (start == text.size())
        return text.size();
    const auto lead = static_cast<unsigned char>(text[start]);
    std::size_t need = 1;
    if (lead >= 0xF0)
        need = 4;
    else if (lead >= 0xE0)
        need = 3;
    else if (lead >= 0xC0)
        need = 2;
    return start + need > text.size() ? start : text.size();
}

std::string VFormatText(const char* format, va_list args) {
    char buffer[kFormatBufferSize];
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0)
        return {};
    const auto written = std::min(static_cast<std::size_t>(n), sizeof buffer - 1);
    std::string_view text(buffer, written);
    if (written < static_cast<std::size_t>(n))
        text = text.substr(0, CompleteUtf8Length(text));
    return std::string(text);
}

} // namespace util
