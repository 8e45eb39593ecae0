// DebugTrace: one line, "[ZELAgent]" and the text, handed to the trace channel whole.
#include "util/Trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/TraceChannel.h"
#include "util/FormatText.h"

void DebugTrace(const char* format, ...) {
    static constexpr std::string_view kPrefix = "[ZELAgent]";
    // The whole line, prefix included, fits the 4096-byte buffer with its zero.
    char line[util::kFormatBufferSize];
    std::memcpy(line, kPrefix.data(), kPrefix.size());
    char* const text = line + kPrefix.size();
    const std::size_t room = sizeof line - kPrefix.size();

    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, room, format, args);
    va_end(args);

    std::size_t length = n < 0 ? 0 : std::min(static_cast<std::size_t>(n), room - 1);
    if (n >= 0 && length < static_cast<std::size_t>(n))
        length = util::CompleteUtf8Length(std::string_view(text, length));
    platform::SendTraceMessage(std::string_view(line, kPrefix.size() + length));
}
