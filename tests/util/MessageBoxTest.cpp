// The standard boxes as the message box handler receives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "util/MessageBoxes.h"

namespace {

TEST(MessageBoxes, EachBoxHasItsTextCaptionStyleAndOwner) {
    std::vector<platform::MessageBoxRequest> requests;
    const int answers[] = {platform::IDOK, platform::IDNO, platform::IDOK};
    const auto previous =
        platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& request) {
            requests.push_back(request);
            return answers[requests.size() - 1];
        });
    int window = 0;
    auto* owner = reinterpret_cast<wxWindow*>(&window);
    InfoMessageBox(owner, "%d건이 100%% 등록되었습니다.", 3);
    EXPECT_EQ(FormatMessageBox(nullptr, "확인", platform::MB_YESNO | platform::MB_ICONQUESTION,
                               "%s 하시겠습니까?", "등록"),
              platform::IDNO);
    ShowDBErrorBox(1146, "Table 'NEW_XAN.X' doesn't exist");
    platform::SetMessageBoxHandler(previous);

    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].owner, owner);
    EXPECT_EQ(requests[0].text, "3건이 100% 등록되었습니다.");
    EXPECT_EQ(requests[0].caption, "알림");
    EXPECT_EQ(requests[0].style, 0x40u); // MB_OK | MB_ICONINFORMATION
    EXPECT_EQ(requests[1].caption, "확인");
    EXPECT_EQ(requests[1].text, "등록 하시겠습니까?");
    EXPECT_EQ(requests[1].style, 0x24u);
    EXPECT_EQ(requests[2].owner, nullptr);
    EXPECT_EQ(requests[2].caption, "에러");
    EXPECT_EQ(requests[2].style, 0x10u); // MB_OK | MB_ICONERROR
    EXPECT_EQ(requests[2].text, "데이터베이스 오류입니다.\r\n오류코드:1146\r\n"
                                "오류메세지:Table 'NEW_XAN.X' doesn't exist");
}

} // namespace
