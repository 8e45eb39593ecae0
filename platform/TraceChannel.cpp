// The trace channel: one message at a time, to the installed sink or to stderr.
#include "platform/TraceChannel.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

namespace platform {
namespace {

std::mutex sinkMutex;
std::shared_ptr<const TraceSink> currentSink;
// Serialises delivery so messages of two threads never interleave. Recursive, so a
// sink that traces itself does not deadlock.
std::recursive_mutex deliveryMutex;

void WriteToStderr(std::string_view message) {
    // Only with a listener, as a debugger channel with nobody attached drops its input.
    if (std::getenv("ZELAGENT_TRACE") == nullptr)
        return;
    std::string line(message);
    if (line.empty() || line.back() != '\n')
        line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

void SendTraceMessage(std::string_view message) {
    std::shared_ptr<const TraceSink> sink;
    {
        std::lock_guard lock(sinkMutex);
        sink = currentSink;
    }
    std::lock_guard delivery(deliveryMutex);
    if (sink)
        (*sink)(message);
    else
        WriteToStderr(message);
}

TraceSink SetTraceSink(TraceSink sink) {
    auto next = sink ? std::make_shared<const TraceSink>(std::move(sink))
                     : std::shared_ptr<const TraceSink>();
    std::shared_ptr<const TraceSink> previous;
    {
        std::lock_guard lock(sinkMutex);
        previous = std::exchange(currentSink, std::move(next));
    }
    return previous ? *previous : TraceSink();
}

} // namespace platform
