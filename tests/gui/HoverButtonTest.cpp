// CHoverButton: drawing state by state, rendered into images, and real input.
#include "controls/HoverButton.h"
#include "platform/gui/SysColors.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

using namespace guitest;
using platform::GetSysColor;

namespace {

// Colours unlike every system colour, so each pixel tells which part drew it: hot face and
// caption, normal face and caption.
const wxColour kBlue(0, 0, 255), kYellow(255, 255, 0), kBeige(245, 245, 220), kMaroon(128, 0, 0);
const wxRect kInterior(1, 1, 86, 42); // inside the one-pixel frame of an 88x44 button

class HoverButtonTest : public testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "hover", wxPoint(50, 50), wxSize(400, 200));
        button = new CHoverButton(frame, 1005, wxString::FromUTF8("로그인"), wxPoint(20, 20),
                                  wxSize(88, 44));
        other = new wxTextCtrl(frame, wxID_ANY, "", wxPoint(200, 20), wxSize(120, 24));
        button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ++clicks; });
        ASSERT_TRUE(ShowAndActivate(frame));
    }
    void TearDown() override {
        sim.MouseUp();
        frame->Destroy();
        PumpEvents(20);
    }
    // Moves the pointer to a point of the window, its centre by default, and waits until
    // the X server has it there.
    void MoveTo(wxWindow* window, wxPoint at = wxDefaultPosition) {
        if (at == wxDefaultPosition)
            at = wxPoint(window->GetSize().x / 2, window->GetSize().y / 2);
        const wxPoint target = window->ClientToScreen(at);
        sim.MouseMove(target);
        ASSERT_TRUE(PumpUntil([target] { return wxGetMousePosition() == target; }));
    }
    void Hover() {
        MoveTo(other);
        MoveTo(button);
        ASSERT_TRUE(PumpUntil([this] { return button->IsHot(); }));
    }

    wxUIActionSimulator sim;
    wxFrame* frame = nullptr;
    CHoverButton* button = nullptr;
    wxTextCtrl* other = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(HoverButtonTest, StateColoursAreSetAndEachStateDrawsItsFaceCaptionAndFrame) {
    // Until set, the face and caption are the system's button colours.
    const wxImage plain = button->RenderToImage({});
    EXPECT_EQ(PixelAt(plain, 2, 2), GetSysColor(platform::COLOR_BTNFACE));
    EXPECT_GT(CountPixels(plain, GetSysColor(platform::COLOR_BTNTEXT), kInterior), 10);
    button->SetStateColor(CHoverButton::ColorBackHot, kBlue, true);
    button->SetStateColor(CHoverButton::ColorTextHot, kYellow, true);
    button->SetStateColor(CHoverButton::ColorBackNormal, kBeige, true);
    button->SetStateColor(CHoverButton::ColorTextNormal, kMaroon, true);
    const wxColour light = GetSysColor(platform::COLOR_BTNHIGHLIGHT);
    const wxColour dark = GetSysColor(platform::COLOR_BTNSHADOW);
    // The hot caption is centred; every other state's is compared with it.
    const wxRect centred =
        BoundsOfColour(button->RenderToImage({true, false, false}), kYellow, kInterior);
    EXPECT_NEAR(centred.x + centred.width / 2.0, 44, 3);
    EXPECT_NEAR(centred.y + centred.height / 2.0, 22, 3);
    struct Case {
        const char* what;
        CHoverButton::DrawItemState state; // hot, pressed, disabled
        wxColour face, caption, topLeft, bottomRight;
        int shift; // of the caption, down and right
    };
    const Case cases[] = {
        {"normal", {0, 0, 0}, kBeige, kMaroon, kBeige, kBeige, 0},
        {"hot: raised", {1, 0, 0}, kBlue, kYellow, light, dark, 0},
        {"pressed: sunken", {0, 1, 0}, kBlue, kYellow, dark, light, 1},
        {"hot and pressed", {1, 1, 0}, kBlue, kYellow, dark, light, 1},
        {"disabled: embossed", {0, 0, 1}, kBeige, dark, kBeige, kBeige, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const wxImage image = button->RenderToImage(c.state);
        EXPECT_EQ(PixelAt(image, 2, 2), c.face);
        EXPECT_GT(CountPixels(image, c.caption, kInterior), 10);
        for (const wxColour& text : {kYellow, kMaroon}) // no other caption colour
            EXPECT_TRUE(text == c.caption || CountPixels(image, text) == 0) << text;
        for (const wxPoint& p : {wxPoint(0, 0), wxPoint(40, 0), wxPoint(0, 20)})
            EXPECT_EQ(PixelAt(image, p.x, p.y), c.topLeft) << p.x << "," << p.y;
        for (const wxPoint& p : {wxPoint(87, 43), wxPoint(40, 43), wxPoint(87, 20)})
            EXPECT_EQ(PixelAt(image, p.x, p.y), c.bottomRight) << p.x << "," << p.y;
        const wxRect caption = BoundsOfColour(image, c.caption, kInterior);
        if (c.state.disabled) // the highlight copy lies one pixel down and right of the shadow one
            EXPECT_EQ(BoundsOfColour(image, light).GetBottomRight(),
                      caption.GetBottomRight() + wxPoint(1, 1));
        else
            EXPECT_EQ(caption,
                      wxRect(centred.GetPosition() + wxPoint(c.shift, c.shift), centred.GetSize()));
    }
}

TEST_F(HoverButtonTest, PointerMakesItHotPressesClicksAndDisablingCoolsIt) {
    Hover();
    EXPECT_TRUE(button->CurrentDrawState().hot);
    MoveTo(other);
    EXPECT_TRUE(PumpUntil([this] { return !button->IsHot(); }));
    Hover();
    sim.MouseDown();
    ASSERT_TRUE(PumpUntil([this] { return button->IsPressed(); }));
    EXPECT_TRUE(button->CurrentDrawState().pressed);
    sim.MouseUp();
    EXPECT_TRUE(PumpUntil([this] { return clicks == 1; }));
    // A double click counts twice. It is made further from the first click than the
    // toolkit's double-click distance, so that the two never make a triple click.
    MoveTo(button, wxPoint(12, 22));
    auto* window = GTK_WINDOW(frame->m_widget);
    gtk_window_set_focus_visible(window, FALSE);
    sim.MouseDblClick();
    // Input is handled in order: once a key pressed after them is seen, so are the clicks.
    sim.Char(WXK_SHIFT);
    ASSERT_TRUE(PumpUntil([&] { return gtk_window_get_focus_visible(window) != FALSE; }));
    EXPECT_EQ(clicks, 3);
    ASSERT_TRUE(button->IsHot());
    button->Enable(false);
    EXPECT_FALSE(button->IsHot());
    EXPECT_TRUE(button->CurrentDrawState().disabled);
}

TEST_F(HoverButtonTest, CaptionAndTipReachAccessibilityAndItsActionClicks) {
    AtkObject* accessible = gtk_widget_get_accessible(button->m_widget);
    EXPECT_STREQ(atk_object_get_name(accessible), "로그인");
    EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_PUSH_BUTTON);
    ASSERT_TRUE(ATK_IS_ACTION(accessible));
    EXPECT_TRUE(atk_action_do_action(ATK_ACTION(accessible), 0));
    EXPECT_TRUE(PumpUntil([this] { return clicks == 1; }));

    button->SetTipText("first", false);
    EXPECT_FALSE(gtk_widget_get_has_tooltip(button->m_widget));
    button->SetTipText("로그아웃 합니다.", true);
    EXPECT_TRUE(gtk_widget_get_has_tooltip(button->m_widget));
    EXPECT_STREQ(atk_object_get_description(accessible), "로그아웃 합니다.");
}

// Keyboard focus shows as a dotted rectangle in the caption's colour while the keyboard
// is in use; a mouse click hides it again, and a two-line caption is read as one word.
TEST_F(HoverButtonTest, KeyboardFocusShowsOnlyWhileTheKeyboardIsInUse) {
    button->SetStateColor(CHoverButton::ColorTextNormal, kMaroon, false);
    button->SetStateColor(CHoverButton::ColorBackNormal, kBeige, false);
    const wxRect ring(2, 2, 84, 40); // around the caption, inside the frame
    auto ringPixels = [&] {
        return CountPixels(button->RenderToImage(button->CurrentDrawState()), kMaroon, ring) -
               CountPixels(button->RenderToImage({}), kMaroon, ring);
    };
    auto* window = GTK_WINDOW(frame->m_widget);
    button->SetFocus();
    ASSERT_TRUE(PumpUntil([this] { return button->HasFocus(); }));
    gtk_window_set_focus_visible(window, FALSE);
    EXPECT_FALSE(button->CurrentDrawState().focused);
    EXPECT_EQ(ringPixels(), 0);

    sim.Char(WXK_SHIFT); // any key makes focus visible
    ASSERT_TRUE(PumpUntil([&] { return gtk_window_get_focus_visible(window) != FALSE; }));
    EXPECT_TRUE(button->CurrentDrawState().focused);
    EXPECT_GT(ringPixels(), 100); // dotted: about half of the rectangle's 240 pixels

    MoveTo(other);
    sim.MouseClick();
    ASSERT_TRUE(PumpUntil([&] { return gtk_window_get_focus_visible(window) == FALSE; }));
    EXPECT_FALSE(button->CurrentDrawState().focused);

    button->Enable(false);
    gtk_window_set_focus_visible(window, TRUE);
    EXPECT_FALSE(button->CurrentDrawState().focused);

    button->SetLabel(wxString::FromUTF8("로그\n아웃"));
    EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(button->m_widget)), "로그아웃");
}
