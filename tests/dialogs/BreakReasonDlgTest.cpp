// The break-reason list driven by the keyboard alone (a click on its buttons at the end of
// two cases): which reason each way of choosing gives, and that cancelling gives none.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <wx/listbox.h>

#include "dialogs/BreakReasonDlg.h"
#include "platform/gui/Accessibility.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/gui/support/GuiTestSupport.h"

namespace dlgtest {
namespace {

std::vector<BreakReason> Reasons(std::size_t count) {
    static const char* const kNames[] = {"식사", "교육", "팀장 면담", "휴식", "회의", "상담 코칭"};
    std::vector<BreakReason> reasons;
    for (std::size_t i = 0; i < count; ++i)
        reasons.push_back({"0" + std::to_string(i), kNames[i % 6] + std::to_string(i)});
    return reasons;
}

wxListBox* ListOf(wxDialog& dialog) {
    const wxWindowList& children = dialog.GetChildren();
    const auto found = std::find_if(children.begin(), children.end(), [](wxWindow* child) {
        return dynamic_cast<wxListBox*>(child) != nullptr;
    });
    return found == children.end() ? nullptr : dynamic_cast<wxListBox*>(*found);
}

TEST(BreakReasonDlg, EveryWayOfChoosingGivesTheReasonMeantAndCancellingGivesNone) {
    constexpr unsigned kDown = GDK_KEY_Down, kUp = GDK_KEY_Up, kEnter = GDK_KEY_Return,
                       kTab = GDK_KEY_Tab;
    struct Case {
        const char* what;
        std::size_t reasons;
        std::vector<unsigned> keys;
        int click; // a button clicked after the keys, or 0
        int result;
        std::optional<std::size_t> chosen;
    };
    const Case cases[] = {
        {"a digit chooses at once", 12, {GDK_KEY_3, kDown}, 0, wxID_OK, 2},
        {"a keypad digit too", 12, {GDK_KEY_KP_9}, 0, wxID_OK, 8},
        {"a digit past the list does nothing", 3, {GDK_KEY_5}, 0, kStillOpen, std::nullopt},
        {"then a digit on it chooses", 3, {GDK_KEY_5, GDK_KEY_2}, 0, wxID_OK, 1},
        {"arrows and Enter", 12, {kDown, kDown, kEnter}, 0, wxID_OK, 2},
        {"up stops at the first", 4, {kDown, kUp, kUp, kEnter}, 0, wxID_OK, 0},
        {"down reaches reasons past nine",
         12,
         {kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown,
          kEnter},
         0,
         wxID_OK,
         11},
        {"Enter on 확인 takes the selection", 5, {kDown, kTab, kEnter}, 0, wxID_OK, 1},
        {"Enter on 취소 chooses nothing",
         5,
         {kDown, kTab, kTab, kEnter},
         0,
         wxID_CANCEL,
         std::nullopt},
        {"Escape chooses nothing", 5, {kDown, GDK_KEY_Escape}, 0, wxID_CANCEL, std::nullopt},
        {"a click on 확인", 5, {kDown, kDown}, wxID_OK, wxID_OK, 2},
        {"a click on 취소", 5, {kDown}, wxID_CANCEL, wxID_CANCEL, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CBreakReasonDlg dialog(nullptr, Reasons(c.reasons));
        const int result = RunModal(dialog, [&] {
            guitest::PumpEvents(20);
            for (unsigned key : c.keys) {
                if (dialog.IsModal())
                    PressKey(dialog, key);
                guitest::PumpEvents(5);
            }
            if (c.click && dialog.IsModal())
                ClickButton(dialog, c.click);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(dialog.Chosen(), c.chosen);
    }
}

TEST(BreakReasonDlg, ShowsTheDigitsOfTheFirstNineAndIsNamedForScreenReaders) {
    const std::vector<BreakReason> reasons = Reasons(10);
    CBreakReasonDlg dialog(nullptr, reasons);
    wxListBox* list = ListOf(dialog);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetCount(), 10u);
    EXPECT_EQ(list->GetString(0).utf8_string(), "1  식사0");
    EXPECT_EQ(list->GetString(8).utf8_string(), "9  팀장 면담8");
    EXPECT_EQ(list->GetString(9).utf8_string(), "   휴식9");
    EXPECT_EQ(dialog.GetTitle().utf8_string(), "휴식 사유");
    EXPECT_EQ(platform::GetAccessibleName(list), "휴식 사유를 고르십시오.");
    // The close box chooses nothing, as 취소 and Escape do (the cases above).
    CBreakReasonDlg closed(nullptr, reasons);
    EXPECT_EQ(RunModal(closed, [&] { CloseOneWay(closed, 2, wxID_CANCEL); }), wxID_CANCEL);
    EXPECT_FALSE(closed.Chosen());
}

} // namespace
} // namespace dlgtest
