// Trace lines as the trace channel receives them, and the channel's default output.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/TraceChannel.h"
#include "util/Trace.h"

namespace {

// Collects the messages; the channel delivers one at a time, so no lock is needed.
class TraceCapture : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = platform::SetTraceSink(
            [this](std::string_view message) { messages_.emplace_back(message); });
    }
    void TearDown() override { platform::SetTraceSink(previous_); }

    std::vector<std::string> messages_;
    platform::TraceSink previous_;
};

TEST_F(TraceCapture, LineIsPrefixAndFormattedTextCutToAWholeLineOf4095Bytes) {
    std::string korean;
    for (int i = 0; i < 2000; ++i)
        korean += "가";
    DebugTrace("GetFirstRecord(%s)", "select 1");
    DebugTrace("poll %d ms\n", 1000);
    DebugTrace("%s", std::string(5000, 'b').c_str());
    DebugTrace("%s", korean.c_str());
    const std::string p = "[ZELAgent]";
    EXPECT_EQ(messages_, (std::vector<std::string>{
                             p + "GetFirstRecord(select 1)",
                             p + "poll 1000 ms\n",
                             p + std::string(4085, 'b'),
                             // 4085 bytes of room hold 1361 syllables, not a broken 1362nd.
                             p + korean.substr(0, 1361 * 3),
                         }));
}

TEST_F(TraceCapture, MessagesOfTwoThreadsNeverInterleave) {
    // Byte by byte into one stream, so that overlapping calls would show as mixed text.
    std::string stream;
    platform::SetTraceSink([&stream](std::string_view message) {
        for (const char c : message)
            stream.push_back(c); // cppcheck-suppress useStlAlgorithm
        stream.push_back('|');
    });
    auto sender = [](char letter) {
        for (int i = 0; i < 300; ++i)
            DebugTrace("%s", std::string(64, letter).c_str());
    };
    std::thread a(sender, 'a'), b(sender, 'b');
    a.join();
    b.join();

    std::size_t count = 0;
    for (std::size_t start = 0, end; (end = stream.find('|', start)) != std::string::npos;
         start = end + 1, ++count) {
        const std::string message = stream.substr(start, end - start);
        ASSERT_TRUE(message == "[ZELAgent]" + std::string(64, 'a') ||
                    message == "[ZELAgent]" + std::string(64, 'b'))
            << message;
    }
    EXPECT_EQ(count, 600u);
}

} // namespace
