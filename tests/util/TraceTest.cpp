// Trace lines and standard boxes as the trace channel and the box handler receive them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/TraceChannel.h"
#include "util/MessageBoxes.h"
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

TEST(MessageBoxes, EachBoxHasItsTextCaptionStyleAndOwner) {
    std::vector<platform::MessageBoxRequest> requests;
    const auto previous =
        platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& request) {
            requests.push_back(request);
            return requests.size() == 1 ? platform::IDOK : platform::IDNO;
        });
    int window = 0;
    auto* owner = reinterpret_cast<wxWindow*>(&window);
    InfoMessageBox(owner, "%d건이 100%% 등록되었습니다.", 3);
    EXPECT_EQ(FormatMessageBox(nullptr, "확인", platform::MB_YESNO | platform::MB_ICONQUESTION,
                               "%s 하시겠습니까?", "등록"),
              platform::IDNO);
    platform::SetMessageBoxHandler(previous);

    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].owner == owner && requests[0].caption == "알림" &&
                requests[0].style == 0x40u); // MB_OK | MB_ICONINFORMATION
    EXPECT_EQ(requests[0].text, "3건이 100% 등록되었습니다.");
    EXPECT_TRUE(requests[1].owner == nullptr && requests[1].caption == "확인" &&
                requests[1].style == 0x24u);
    EXPECT_EQ(requests[1].text, "등록 하시겠습니까?");
}

} // namespace
