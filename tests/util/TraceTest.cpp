// Trace lines as the trace channel receives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TraceChannel.h"
#include "util/Trace.h"

namespace {

TEST(Trace, LineIsPrefixAndFormattedTextCutToAWholeLineOf4095Bytes) {
    std::vector<std::string> messages;
    const auto previous = platform::SetTraceSink(
        [&messages](std::string_view message) { messages.emplace_back(message); });
    std::string korean;
    for (int i = 0; i < 2000; ++i)
        korean += "가";
    DebugTrace("GetFirstRecord(%s)", "select 1");
    DebugTrace("poll %d ms\n", 1000);
    DebugTrace("%s", std::string(5000, 'b').c_str());
    DebugTrace("%s", korean.c_str());
    platform::SetTraceSink(previous);
    const std::string p = "[ZELAgent]";
    // 4085 bytes of room hold 1361 syllables, not a broken 1362nd.
    EXPECT_EQ(messages, (std::vector<std::string>{p + "GetFirstRecord(select 1)",
                                                  p + "poll 1000 ms\n", p + std::string(4085, 'b'),
                                                  p + korean.substr(0, 1361 * 3)}));
}

} // namespace
