// What keyboard users and screen readers rely on, without the database: plain names,
// the shortcut table, where focus goes, the grade group. (Boxes and dialogs as exposed:
// tests/gui.)
#include "console/logic/AgentConsole.h"
#include "console/window/ConsoleAccess.h"
#include "console/window/ConsoleFocus.h"
#include "console/window/ConsoleKeys.h"
#include "console/window/MemoLimit.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/a11y/BellCounter.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

using namespace guitest;

namespace {

std::vector<AtkObject*> Targets(AtkObject* accessible, AtkRelationType type) {
    std::vector<AtkObject*> found;
    AtkRelationSet* relations = atk_object_ref_relation_set(accessible);
    if (AtkRelation* relation = atk_relation_set_get_relation_by_type(relations, type)) {
        GPtrArray* targets = atk_relation_get_target(relation);
        for (guint i = 0; i < targets->len; ++i)
            found.push_back(ATK_OBJECT(g_ptr_array_index(targets, i)));
    }
    g_object_unref(relations);
    return found;
}

} // namespace

TEST(PlainAccessibleText, SpacedSyllablesAndBrokenWordsAreReadAsWords) {
    const std::pair<const char*, const char*> cases[] = {
        {"비  밀  번  호", "비밀번호"},
        {"상  담  원  명", "상담원명"},
        {"ZEL 사용자ID", "ZEL 사용자ID"},
        {"로그\n아웃", "로그아웃"},
        {"통화결과 등록", "통화결과 등록"},
        {"금일  통화", "금일통화"},
        {"  a   b  ", "a b"},
        {"a  나", "a 나"},
        {"", ""},
    };
    for (const auto& [text, plain] : cases)
        EXPECT_EQ(platform::PlainAccessibleText(text), plain) << text;
}

TEST(ConsoleShortcuts, F2ToF12EachActOnOneControlAndNeverWithModifiers) {
    const std::pair<int, int> keys[] = {
        {WXK_F2, IDC_BTN_READY},      {WXK_F3, IDC_BTN_BREAK},     {WXK_F4, IDC_BTN_LOGOUT},
        {WXK_F5, IDC_RADIO_RESULT1},  {WXK_F6, IDC_RADIO_RESULT2}, {WXK_F7, IDC_RADIO_RESULT3},
        {WXK_F8, IDC_RADIO_RESULT4},  {WXK_F9, IDC_RADIO_RESULT5}, {WXK_F10, IDC_RADIO_RESULT6},
        {WXK_F11, IDC_RADIO_RESULT7}, {WXK_F12, IDC_BTN_REGIST},
    };
    for (const auto& [key, control] : keys) {
        const ConsoleShortcut* shortcut = FindConsoleShortcut(key, wxMOD_NONE);
        ASSERT_NE(shortcut, nullptr) << key;
        EXPECT_EQ(shortcut->controlId, control) << shortcut->key;
        for (const int modifier : {wxMOD_ALT, wxMOD_SHIFT, wxMOD_CONTROL})
            EXPECT_EQ(FindConsoleShortcut(key, modifier), nullptr) << shortcut->key;
    }
    // F1 is About; letters and Enter belong to the fields.
    for (int key : {int(WXK_F1), int('A'), int(WXK_RETURN), int(WXK_ESCAPE)})
        EXPECT_EQ(FindConsoleShortcut(key, wxMOD_NONE), nullptr) << key;
}

TEST(PreferredFocus, TheMemoWhileAResultWaitsElseTheNextStateButtonNeverSignOutFirst) {
    const int all = BUTTON_LOGIN | BUTTON_LOGOUT | BUTTON_READY | BUTTON_BREAK;
    struct Case {
        int mode;
        bool pending;
        int enabled;
        int expected;
    };
    const Case cases[] = {
        {AGENT_MODE_LOGOUT, false, BUTTON_LOGIN, IDC_BTN_LOGIN},
        {AGENT_MODE_READY, false, ButtonMaskOf(AGENT_MODE_READY), IDC_BTN_BREAK},
        {AGENT_MODE_BREAK, false, ButtonMaskOf(AGENT_MODE_BREAK), IDC_BTN_READY},
        {AGENT_MODE_LOGIN, false, ButtonMaskOf(AGENT_MODE_LOGIN), IDC_BTN_READY},
        {AGENT_MODE_INCALL, false, 0, IDC_EDIT_MEMO},
        {AGENT_MODE_READY, true, ButtonMaskOf(AGENT_MODE_READY), IDC_EDIT_MEMO},
        {AGENT_MODE_LOGOUT, true, BUTTON_LOGIN, IDC_EDIT_MEMO},
        // A failed break leaves Login and Logout: Login, which retries.
        {AGENT_MODE_READY, false, BUTTON_LOGIN | BUTTON_LOGOUT, IDC_BTN_LOGIN},
        {AGENT_MODE_BREAK, false, BUTTON_LOGOUT, IDC_BTN_LOGOUT},
        // A state change is out: the focus waits for the buttons of its outcome.
        {AGENT_MODE_READY, false, 0, 0},
        {5, false, all, IDC_BTN_READY}, // a mode with no preference of its own
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreferredFocusId(c.mode, c.pending, c.enabled), c.expected)
            << "mode " << c.mode << " pending " << c.pending << " mask " << c.enabled;
}

class AccessWindowTest : public testing::Test {
  protected:
    void TearDown() override {
        for (wxWindow* window : windows)
            window->Destroy();
        PumpEvents(20);
    }
    std::vector<wxWindow*> windows;
};

// Seven visible grades named 호응도 as a group, no eighth member for "none" in the tree,
// and "none" really leaves every grade off.
TEST_F(AccessWindowTest, GradeGroupIsNamedHasSevenMembersAndCanHaveNoneOn) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "grades", wxPoint(40, 40), wxSize(600, 100));
    windows.push_back(frame);
    std::array<wxRadioButton*, 7> grades{};
    for (std::size_t i = 0; i < grades.size(); ++i)
        grades[i] = new wxRadioButton(frame, IDC_RADIO_RESULT1 + int(i), "g", wxPoint(80 * i, 10),
                                      wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
    auto group = std::make_unique<GradeGroup>();
    group->Attach(grades);
    ASSERT_TRUE(ShowAndActivate(frame));
    for (wxRadioButton* grade : grades)
        EXPECT_FALSE(grade->GetValue());
    // A grade clicked takes the choice from "none", so that "none" can be set again: the
    // hidden member shares the grades' radio group.
    wxUIActionSimulator sim;
    sim.MouseMove(grades[2]->ClientToScreen(wxPoint(4, grades[2]->GetSize().y / 2)));
    sim.MouseClick();
    ASSERT_TRUE(PumpUntil([&] { return grades[2]->GetValue(); }));
    for (wxRadioButton* grade : grades)
        EXPECT_EQ(grade->GetValue(), grade == grades[2]);
    group->ClearSelection();
    for (wxRadioButton* grade : grades)
        EXPECT_FALSE(grade->GetValue());

    AtkObject* container = gtk_widget_get_accessible(gtk_widget_get_parent(grades[0]->m_widget));
    int radios = 0;
    for (int i = 0; i < atk_object_get_n_accessible_children(container); ++i) {
        AtkObject* child = atk_object_ref_accessible_child(container, i);
        radios += atk_object_get_role(child) == ATK_ROLE_RADIO_BUTTON;
        g_object_unref(child);
    }
    EXPECT_EQ(radios, 7);
    for (wxRadioButton* grade : grades) {
        AtkObject* accessible = gtk_widget_get_accessible(grade->m_widget);
        EXPECT_EQ(Targets(accessible, ATK_RELATION_MEMBER_OF).size(), 7u);
        const auto labels = Targets(accessible, ATK_RELATION_LABELLED_BY);
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_STREQ(atk_object_get_name(labels[0]), GradeGroup::kName);
    }
    group.reset(); // before the grades, as in the console
}

// Focus lost by a state button that disabled itself goes to the mode's next button; focus
// on a live control stays where it is.
TEST_F(AccessWindowTest, FocusLostGoesToTheNextStateButtonFocusOnALiveControlStays) {
    auto* console = new wxDialog();
    windows.push_back(console);
    ASSERT_TRUE(platform::CreateDialogFromTemplate(console, nullptr, IDD_AGENT_CONSOLE));
    int mode = AGENT_MODE_BREAK;
    bool pending = false;
    ConsoleFocus focus;
    focus.Attach(
        *console, [&mode] { return mode; }, [&pending] { return pending; });
    ASSERT_TRUE(ShowAndActivate(console));
    wxWindow* ready = platform::GetDlgItem(console, IDC_BTN_READY);
    wxWindow* brk = platform::GetDlgItem(console, IDC_BTN_BREAK);
    wxWindow* memo = platform::GetDlgItem(console, IDC_EDIT_MEMO);
    platform::GetDlgItem(console, IDC_BTN_LOGIN)->Enable(false);

    brk->SetFocus(); // on break: 휴식중 pressed, it disables itself
    ASSERT_TRUE(PumpUntil([&] { return brk->HasFocus(); }));
    brk->Enable(false);
    EXPECT_TRUE(PumpUntil([&] { return ready->HasFocus(); }));

    mode = AGENT_MODE_READY; // 대기중 pressed: the focus goes to 휴식중
    brk->Enable(true);
    ready->Enable(false);
    EXPECT_TRUE(PumpUntil([&] { return brk->HasFocus(); }));

    memo->SetFocus(); // typing in the memo when a call comes: it keeps the focus
    ASSERT_TRUE(PumpUntil([&] { return memo->HasFocus(); }));
    // cppcheck-suppress redundantAssignment ; read by the focus keeper's lambda
    mode = AGENT_MODE_INCALL;
    pending = true;
    brk->Enable(false);
    PumpEvents(100);
    EXPECT_TRUE(memo->HasFocus());
    EXPECT_FALSE(focus.Restore());
}

// The memo's limit stops text with the bell, and text that fits rings nothing.
TEST_F(AccessWindowTest, MemoLimitRingsTheBellWhenItStopsText) {
    BellCounter bells;
    ASSERT_TRUE(bells.Works());
    auto* frame = new wxFrame(nullptr, wxID_ANY, "memo", wxPoint(40, 40), wxSize(300, 200));
    windows.push_back(frame);
    auto* memo =
        new wxTextCtrl(frame, IDC_EDIT_MEMO, "", wxPoint(10, 10), wxSize(200, 100), wxTE_MULTILINE);
    SetMemoByteLimit(*memo, 10);
    ASSERT_TRUE(ShowAndActivate(frame));
    memo->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return memo->HasFocus(); }));
    wxUIActionSimulator sim;
    const int before = bells.Bells();
    sim.Text("abcdefgh");
    ASSERT_TRUE(PumpUntil([&] { return memo->GetValue() == "abcdefgh"; }));
    PumpEvents(50);
    EXPECT_EQ(bells.Bells(), before);
    sim.Text("ijkl");
    ASSERT_TRUE(PumpUntil([&] { return memo->GetValue() == "abcdefghij"; }));
    EXPECT_TRUE(PumpUntil([&] { return bells.Bells() > before; }));
}
