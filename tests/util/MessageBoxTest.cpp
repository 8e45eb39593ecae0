// The standard boxes as the message box handler receives them.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "util/MessageBoxes.h"

namespace {

using platform::MessageBoxRequest;

// Records every box and answers with the next scripted button.
class ScriptedBoxes : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = platform::SetMessageBoxHandler([this](const MessageBoxRequest& request) {
            requests_.push_back(request);
            return answers_.at(requests_.size() - 1);
        });
    }
    void TearDown() override { platform::SetMessageBoxHandler(previous_); }

    std::vector<MessageBoxRequest> requests_;
    std::vector<int> answers_ = {platform::IDOK, platform::IDNO, platform::IDOK};
    platform::MessageBoxHandler previous_;
};

TEST_F(ScriptedBoxes, EachBoxHasItsTextCaptionStyleAndOwner) {
    int window = 0;
    auto* owner = reinterpret_cast<wxWindow*>(&window);
    InfoMessageBox(owner, "%d건이 100%% 등록되었습니다.", 3);
    EXPECT_EQ(FormatMessageBox(nullptr, "확인", platform::MB_YESNO | platform::MB_ICONQUESTION,
                               "%s 하시겠습니까?", "등록"),
              platform::IDNO);
    ShowDBErrorBox(1146, "Table 'NEW_XAN.X' doesn't exist");

    ASSERT_EQ(requests_.size(), 3u);
    EXPECT_EQ(requests_[0].owner, owner);
    EXPECT_EQ(requests_[0].text, "3건이 100% 등록되었습니다.");
    EXPECT_EQ(requests_[0].caption, "알림");
    EXPECT_EQ(requests_[0].style, 0x40u); // MB_OK | MB_ICONINFORMATION
    EXPECT_EQ(requests_[1].caption, "확인");
    EXPECT_EQ(requests_[1].text, "등록 하시겠습니까?");
    EXPECT_EQ(requests_[1].style, 0x24u);
    EXPECT_EQ(requests_[2].owner, nullptr);
    EXPECT_EQ(requests_[2].caption, "에러");
    EXPECT_EQ(requests_[2].style, 0x10u); // MB_OK | MB_ICONERROR
    EXPECT_EQ(requests_[2].text, "데이터베이스 오류입니다.\r\n오류코드:1146\r\n"
                                 "오류메세지:Table 'NEW_XAN.X' doesn't exist");
}

TEST(MessageBoxDefault, AHandlerCanBeSwappedWhileABoxIsOpen) {
    std::promise<void> opened;
    std::promise<int> dismiss;
    const auto saved = platform::SetMessageBoxHandler(
        [&opened, answer = dismiss.get_future().share()](const MessageBoxRequest&) {
            opened.set_value();
            return answer.get();
        });
    auto box = std::async(std::launch::async, [] {
        return platform::ShowMessageBox({nullptr, "blocked", "알림", platform::MB_OK});
    });
    opened.get_future().wait();
    // Installing another handler does not wait for the open box, which is still
    // answered by the handler that showed it.
    platform::SetMessageBoxHandler([](const MessageBoxRequest&) { return int{platform::IDNO}; });
    EXPECT_EQ(platform::ShowMessageBox({nullptr, "next", "확인", platform::MB_YESNO}),
              platform::IDNO);
    dismiss.set_value(platform::IDCANCEL);
    EXPECT_EQ(box.get(), platform::IDCANCEL);
    platform::SetMessageBoxHandler(saved);
}

} // namespace
