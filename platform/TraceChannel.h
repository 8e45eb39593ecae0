// Where trace lines go: stderr when ZELAGENT_TRACE is set, nowhere otherwise.
// Tests install a sink to capture the messages.
#pragma once

#include <functional>
#include <string_view>

namespace platform {

using TraceSink = std::function<void(std::string_view message)>;

// Hands one message to the channel as a unit (thread-safe).
void SendTraceMessage(std::string_view message);

// Installs a sink (null restores the default) and returns the previous one.
TraceSink SetTraceSink(TraceSink sink);

} // namespace platform
