// Trace lines as the trace channel receives them, and the channel's default output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/TraceChannel.h"
#include "util/Trace.h"

namespace {

class TraceCapture : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = platform::SetTraceSink([this](std::string_view message) {
            std::lock_guard lock(mutex_);
            messages_.emplace_back(message);
        });
    }
    void TearDown() override { platform::SetTraceSink(previous_); }

    std::vector<std::string> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

  private:
    platform::TraceSink previous_;
    std::mutex mutex_;
    std::vector<std::string> messages_;
};

TEST_F(TraceCapture, LineIsPrefixAndFormattedTextAsOneMessage) {
    DebugTrace("CTELVOAgentEnv::GetFirstRecord(%s)", "select 1");
    DebugTrace("no placeholders here");
    DebugTrace("poll %d ms\n", 1000);
    DebugTrace("%s", "");
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "[ZELAgent]CTELVOAgentEnv::GetFirstRecord(select 1)",
                              "[ZELAgent]no placeholders here",
                              "[ZELAgent]poll 1000 ms\n",
                              "[ZELAgent]",
                          }));
}

TEST_F(TraceCapture, LongTextsAreCutToAWholeLineOf4095Bytes) {
    DebugTrace("%s", std::string(4085, 'a').c_str());
    DebugTrace("%s", std::string(5000, 'b').c_str());
    // Three-byte syllables: 4085 bytes of room hold 1361 of them, not a broken 1362nd.
    std::string korean;
    for (int i = 0; i < 2000; ++i)
        korean += "가";
    DebugTrace("%s", korean.c_str());

    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "[ZELAgent]" + std::string(4085, 'a'));
    EXPECT_EQ(messages[1], "[ZELAgent]" + std::string(4085, 'b'));
    EXPECT_EQ(messages[2], "[ZELAgent]" + korean.substr(0, 1361 * 3));
}

TEST_F(TraceCapture, MessagesOfTwoThreadsNeverInterleave) {
    // An unsynchronised sink: only the channel keeps the messages apart.
    std::string stream;
    platform::SetTraceSink([&stream](std::string_view message) {
        // Byte by byte, so that overlapping calls would show as mixed text.
        for (const char c : message)
            stream.push_back(c); // cppcheck-suppress useStlAlgorithm
        stream.push_back('|');
    });
    auto sender = [](char letter) {
        const std::string text(64, letter);
        for (int i = 0; i < 300; ++i)
            DebugTrace("%s", text.c_str());
    };
    std::thread a(sender, 'a');
    std::thread b(sender, 'b');
    a.join();
    b.join();

    std::size_t count = 0;
    for (std::size_t start = 0; start < stream.size(); ++count) {
        const auto end = stream.find('|', start);
        ASSERT_NE(end, std::string::npos);
        const std::string message = stream.substr(start, end - start);
        EXPECT_TRUE(message == "[ZELAgent]" + std::string(64, 'a') ||
                    message == "[ZELAgent]" + std::string(64, 'b'))
            << message;
        start = end + 1;
    }
    EXPECT_EQ(count, 600u);
}

// The default channel writes to stderr only while someone listens (ZELAGENT_TRACE).
TEST(TraceChannel, DefaultChannelWritesLinesToStderrOnlyWhenEnabled) {
    auto saved = platform::SetTraceSink(nullptr);

    ::unsetenv("ZELAGENT_TRACE");
    testing::internal::CaptureStderr();
    DebugTrace("dropped");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    ::setenv("ZELAGENT_TRACE", "1", 1);
    testing::internal::CaptureStderr();
    DebugTrace("without line end");
    DebugTrace("with line end\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[ZELAgent]without line end\n[ZELAgent]with line end\n");
    ::unsetenv("ZELAGENT_TRACE");

    platform::SetTraceSink(saved);
}

} // namespace
