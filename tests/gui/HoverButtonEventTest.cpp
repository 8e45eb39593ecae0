// CHoverButton with real input: hot tracking, clicks, keys, tooltip, accessibility.
#include "controls/HoverButton.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

namespace {

class HoverButtonEvents : public testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "events", wxPoint(50, 50), wxSize(400, 200));
        button = new CHoverButton(frame, 1005, wxString::FromUTF8("로그인"), wxPoint(20, 20),
                                  wxSize(88, 44));
        other = new wxTextCtrl(frame, wxID_ANY, "", wxPoint(200, 20), wxSize(120, 24));
        button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ++clicks; });
        ASSERT_TRUE(guitest::ShowAndActivate(frame));
    }
    void TearDown() override {
        sim.MouseUp();
        frame->Destroy();
        guitest::PumpEvents(20);
    }

    wxPoint Centre(wxWindow* window) const {
        return window->ClientToScreen(wxPoint(window->GetSize().x / 2, window->GetSize().y / 2));
    }
    void MoveTo(const wxPoint& screen) {
        sim.MouseMove(screen);
        guitest::PumpEvents(30);
    }
    void HoverButton() {
        MoveTo(Centre(other));
        MoveTo(Centre(button));
        ASSERT_TRUE(guitest::PumpUntil([this] { return button->IsHot(); }));
    }

    wxUIActionSimulator sim;
    wxFrame* frame = nullptr;
    CHoverButton* button = nullptr;
    wxTextCtrl* other = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(HoverButtonEvents, PointerOverTheButtonMakesItHotAndLeavingClearsIt) {
    HoverButton();
    EXPECT_TRUE(button->CurrentDrawState().hot);
    MoveTo(Centre(other));
    EXPECT_TRUE(guitest::PumpUntil([this] { return !button->IsHot(); }));
}

TEST_F(HoverButtonEvents, InactiveWindowDoesNotLightUp) {
    auto* front = new wxFrame(nullptr, wxID_ANY, "front", wxPoint(600, 400), wxSize(200, 100));
    ASSERT_TRUE(guitest::ShowAndActivate(front));
    ASSERT_FALSE(frame->IsActive());
    MoveTo(Centre(other));
    MoveTo(Centre(button));
    guitest::PumpEvents(100);
    EXPECT_FALSE(button->IsHot());
    front->Destroy();
}

TEST_F(HoverButtonEvents, DeactivationDisablingAndFocusLossClearHot) {
    HoverButton();
    auto* front = new wxFrame(nullptr, wxID_ANY, "front", wxPoint(600, 400), wxSize(200, 100));
    ASSERT_TRUE(guitest::ShowAndActivate(front));
    EXPECT_TRUE(guitest::PumpUntil([this] { return !button->IsHot(); })) << "deactivation";
    front->Destroy();
    ASSERT_TRUE(guitest::ShowAndActivate(frame));

    HoverButton();
    button->Enable(false);
    EXPECT_FALSE(button->IsHot()) << "disabling";
    EXPECT_TRUE(button->CurrentDrawState().disabled);
    button->Enable(true);

    button->SetFocus();
    HoverButton();
    other->SetFocus();
    EXPECT_TRUE(guitest::PumpUntil([this] { return !button->IsHot(); })) << "focus loss";
}

TEST_F(HoverButtonEvents, ClickGivesOneNotificationDoubleClickTwo) {
    MoveTo(Centre(button));
    sim.MouseClick();
    EXPECT_TRUE(guitest::PumpUntil([this] { return clicks == 1; }));
    guitest::PumpEvents(600); // past the double-click time
    clicks = 0;
    sim.MouseDblClick();
    guitest::PumpEvents(200);
    EXPECT_EQ(clicks, 2);
}

TEST_F(HoverButtonEvents, HeldButtonIsPressedAndDraggingOffClearsHot) {
    HoverButton();
    sim.MouseDown();
    ASSERT_TRUE(guitest::PumpUntil([this] { return button->IsPressed(); }));
    EXPECT_TRUE(button->CurrentDrawState().pressed);
    MoveTo(Centre(other));
    EXPECT_TRUE(guitest::PumpUntil([this] { return !button->IsHot(); }));
    EXPECT_FALSE(button->IsPressed());
    sim.MouseUp();
    guitest::PumpEvents(50);
    EXPECT_EQ(clicks, 0); // released away from the button: no click
}

TEST_F(HoverButtonEvents, PressStartedElsewhereDoesNotLightUp) {
    MoveTo(Centre(other));
    sim.MouseDown();
    guitest::PumpEvents(30);
    MoveTo(Centre(button));
    guitest::PumpEvents(50);
    EXPECT_FALSE(button->IsHot());
    sim.MouseUp();
    guitest::PumpEvents(30);
}

TEST_F(HoverButtonEvents, SpaceAndEnterPressTheFocusedButton) {
    button->SetFocus();
    guitest::PumpUntil([this] { return button->HasFocus(); });
    sim.Char(' ');
    EXPECT_TRUE(guitest::PumpUntil([this] { return clicks == 1; }));
    sim.Char(WXK_RETURN);
    EXPECT_TRUE(guitest::PumpUntil([this] { return clicks == 2; }));
}

TEST_F(HoverButtonEvents, NullTipTextDoesNothing) {
    button->SetTipText(nullptr, true);
    EXPECT_FALSE(button->HasTipTool());
    EXPECT_FALSE(gtk_widget_get_has_tooltip(button->m_widget));
}

TEST_F(HoverButtonEvents, TipToolIsAddedOnceAndItsTextReplaced) {
    button->SetTipText("first", false);
    EXPECT_TRUE(button->HasTipTool());
    EXPECT_FALSE(button->IsTipActive());
    EXPECT_FALSE(gtk_widget_get_has_tooltip(button->m_widget));
    const wxRect firstRect = button->GetTipToolRect();
    EXPECT_EQ(firstRect, wxRect(0, 0, 88, 44));

    button->SetSize(120, 50);
    button->SetTipText("second", true);
    EXPECT_EQ(button->GetTipText(), "second");
    EXPECT_TRUE(button->IsTipActive());
    EXPECT_TRUE(gtk_widget_get_has_tooltip(button->m_widget));
    EXPECT_EQ(button->GetTipToolRect(), firstRect); // the rectangle of the first call
}

TEST_F(HoverButtonEvents, ActiveTipShowsOverTheButton) {
    button->SetTipText("대기중 상태로 설정합니다.", true);
    MoveTo(Centre(other));
    MoveTo(Centre(button));
    // GTK shows tips after its hover timeout (about half a second).
    const bool shown = guitest::PumpUntil(
        [] {
            for (GList* l = gtk_window_list_toplevels(); l; l = l->next) {
                GtkWidget* w = GTK_WIDGET(l->data);
                if (gtk_widget_get_visible(w) &&
                    gtk_window_get_type_hint(GTK_WINDOW(w)) == GDK_WINDOW_TYPE_HINT_TOOLTIP)
                    return true;
            }
            return false;
        },
        3000);
    EXPECT_TRUE(shown);
}

TEST_F(HoverButtonEvents, CaptionIsTheAccessibleNameAndTheActionClicks) {
    AtkObject* accessible = gtk_widget_get_accessible(button->m_widget);
    ASSERT_NE(accessible, nullptr);
    EXPECT_STREQ(atk_object_get_name(accessible), "로그인");
    EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_PUSH_BUTTON);
    ASSERT_TRUE(ATK_IS_ACTION(accessible));
    EXPECT_TRUE(atk_action_do_action(ATK_ACTION(accessible), 0));
    EXPECT_TRUE(guitest::PumpUntil([this] { return clicks == 1; }));

    button->SetLabel(wxString::FromUTF8("로그\n아웃"));
    EXPECT_STREQ(atk_object_get_name(accessible), "로그\n아웃");
    button->SetTipText("로그아웃 합니다.", true);
    EXPECT_STREQ(atk_object_get_description(accessible), "로그아웃 합니다.");
}

TEST_F(HoverButtonEvents, DestroyedButtonLeavesNoHandlerBehind) {
    HoverButton();
    button->Destroy();
    button = nullptr;
    guitest::PumpEvents(30);
    // Deactivating the window reached the button's handler while it lived.
    auto* front = new wxFrame(nullptr, wxID_ANY, "front", wxPoint(600, 400), wxSize(200, 100));
    EXPECT_TRUE(guitest::ShowAndActivate(front));
    EXPECT_FALSE(frame->IsActive());
    front->Destroy();
}
