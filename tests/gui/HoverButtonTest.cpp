// CHoverButton: drawing state by state, rendered into images, and real input.
#include "controls/HoverButton.h"
#include "platform/gui/SysColors.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

using guitest::BoundsOfColour;
using guitest::CountPixels;
using guitest::PixelAt;
using guitest::PumpEvents;
using guitest::PumpUntil;
using platform::GetSysColor;

namespace {

// Colours unlike every system colour, so each pixel tells which part drew it.
const wxColour kBackHot(0, 0, 255);
const wxColour kTextHot(255, 255, 0);
const wxColour kBackNormal(245, 245, 220);
const wxColour kTextNormal(128, 0, 0);
const wxRect kInterior(1, 1, 86, 42); // inside the one-pixel frame of an 88x44 button

class HoverButtonTest : public testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "hover", wxPoint(50, 50), wxSize(400, 200));
        button = new CHoverButton(frame, 1005, wxString::FromUTF8("로그인"), wxPoint(20, 20),
                                  wxSize(88, 44));
        other = new wxTextCtrl(frame, wxID_ANY, "", wxPoint(200, 20), wxSize(120, 24));
        button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ++clicks; });
        ASSERT_TRUE(guitest::ShowAndActivate(frame));
    }
    void TearDown() override {
        sim.MouseUp();
        frame->Destroy();
        PumpEvents(20);
    }

    wxImage Render(bool hot, bool pressed, bool disabled = false) {
        return button->RenderToImage({hot, pressed, disabled});
    }
    void MoveTo(wxWindow* window) {
        sim.MouseMove(
            window->ClientToScreen(wxPoint(window->GetSize().x / 2, window->GetSize().y / 2)));
        PumpEvents(30);
    }
    void Hover() {
        MoveTo(other);
        MoveTo(button);
        ASSERT_TRUE(PumpUntil([this] { return button->IsHot(); }));
    }
    wxFrame* Front() {
        auto* front = new wxFrame(nullptr, wxID_ANY, "front", wxPoint(600, 400), wxSize(200, 100));
        EXPECT_TRUE(guitest::ShowAndActivate(front));
        return front;
    }

    wxUIActionSimulator sim;
    wxFrame* frame = nullptr;
    CHoverButton* button = nullptr;
    wxTextCtrl* other = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(HoverButtonTest, EachStateDrawsItsFaceCaptionAndFrame) {
    const std::pair<unsigned, wxColour> colours[] = {{CHoverButton::ColorBackHot, kBackHot},
                                                     {CHoverButton::ColorTextHot, kTextHot},
                                                     {CHoverButton::ColorBackNormal, kBackNormal},
                                                     {CHoverButton::ColorTextNormal, kTextNormal}};
    for (const auto& [slot, colour] : colours)
        button->SetStateColor(slot, colour, true);
    const wxColour light = GetSysColor(platform::COLOR_BTNHIGHLIGHT);
    const wxColour dark = GetSysColor(platform::COLOR_BTNSHADOW);
    struct Case {
        const char* what;
        bool hot, pressed;
        wxColour face, caption, topLeft, bottomRight;
    };
    const Case cases[] = {
        {"normal: no frame", false, false, kBackNormal, kTextNormal, kBackNormal, kBackNormal},
        {"hot: raised", true, false, kBackHot, kTextHot, light, dark},
        {"pressed: sunken", false, true, kBackHot, kTextHot, dark, light},
        {"hot and pressed", true, true, kBackHot, kTextHot, dark, light},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const wxImage image = Render(c.hot, c.pressed);
        EXPECT_EQ(PixelAt(image, 2, 2), c.face);
        EXPECT_GT(CountPixels(image, c.caption, kInterior), 10);
        EXPECT_EQ(CountPixels(image, c.caption == kTextHot ? kTextNormal : kTextHot), 0);
        for (const wxPoint& p : {wxPoint(0, 0), wxPoint(40, 0), wxPoint(0, 20)})
            EXPECT_EQ(PixelAt(image, p.x, p.y), c.topLeft) << p.x << "," << p.y;
        for (const wxPoint& p : {wxPoint(87, 43), wxPoint(40, 43), wxPoint(87, 20)})
            EXPECT_EQ(PixelAt(image, p.x, p.y), c.bottomRight) << p.x << "," << p.y;
    }

    // The caption is centred; pressed, it moves one pixel down and right.
    const wxRect caption = BoundsOfColour(Render(true, false), kTextHot, kInterior);
    EXPECT_NEAR(caption.x + caption.width / 2.0, 44, 3);
    EXPECT_NEAR(caption.y + caption.height / 2.0, 22, 3);
    EXPECT_EQ(BoundsOfColour(Render(true, true), kTextHot, kInterior),
              wxRect(caption.x + 1, caption.y + 1, caption.width, caption.height));

    // Disabled: embossed, the highlight copy one pixel down and right of the shadow copy.
    const wxImage disabled = Render(false, false, true);
    EXPECT_EQ(PixelAt(disabled, 0, 0), kBackNormal);
    EXPECT_EQ(CountPixels(disabled, kTextNormal) + CountPixels(disabled, kTextHot), 0);
    EXPECT_GT(CountPixels(disabled, dark), 10);
    EXPECT_EQ(BoundsOfColour(disabled, light).GetBottomRight(),
              BoundsOfColour(disabled, dark).GetBottomRight() + wxPoint(1, 1));
}

TEST_F(HoverButtonTest, StateColoursStartFromTheSystemAndOnlySlotsZeroToThreeChange) {
    EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackHot),
              GetSysColor(platform::COLOR_BTNFACE));
    EXPECT_EQ(button->GetStateColor(CHoverButton::ColorTextNormal),
              GetSysColor(platform::COLOR_BTNTEXT));
    // Slots 0-3 answer 0, others 3 and change nothing; only the index's low byte counts.
    const std::pair<unsigned, unsigned> calls[] = {{0, 0}, {1, 0},   {2, 0},  {3, 0},
                                                   {4, 3}, {255, 3}, {258, 0}};
    for (const auto& [index, answer] : calls)
        EXPECT_EQ(button->SetStateColor(index, wxColour(index & 0xFF, index >> 8, 0), false),
                  answer);
    for (unsigned slot : {0u, 1u, 3u})
        EXPECT_EQ(button->GetStateColor(slot), wxColour(slot, 0, 0));
    EXPECT_EQ(button->GetStateColor(2), wxColour(2, 1, 0)); // written through 258
}

TEST_F(HoverButtonTest, HotFollowsThePointerOnlyWhileTheWindowIsActive) {
    const auto cold = [this] { return PumpUntil([this] { return !button->IsHot(); }); };
    Hover();
    EXPECT_TRUE(button->CurrentDrawState().hot);
    MoveTo(other);
    EXPECT_TRUE(cold()) << "pointer left";

    Hover();
    wxFrame* front = Front();
    EXPECT_TRUE(cold()) << "deactivation";
    MoveTo(other);
    MoveTo(button);
    PumpEvents(100);
    EXPECT_FALSE(button->IsHot()) << "inactive window";
    front->Destroy();
    ASSERT_TRUE(guitest::ShowAndActivate(frame));
    Hover();
    button->Enable(false);
    EXPECT_FALSE(button->IsHot()) << "disabling";
    EXPECT_TRUE(button->CurrentDrawState().disabled);
    button->Enable(true);
    button->SetFocus();
    Hover();
    other->SetFocus();
    EXPECT_TRUE(cold()) << "focus loss";
}

TEST_F(HoverButtonTest, ClickOnceDoubleClickTwiceSpaceAndEnterOnceAndNoClickDraggedOff) {
    MoveTo(button);
    sim.MouseClick();
    EXPECT_TRUE(PumpUntil([this] { return clicks == 1; }));
    PumpEvents(600); // past the double-click time
    sim.MouseDblClick();
    PumpEvents(200);
    EXPECT_EQ(clicks, 3);
    button->SetFocus();
    PumpUntil([this] { return button->HasFocus(); });
    sim.Char(' ');
    EXPECT_TRUE(PumpUntil([this] { return clicks == 4; }));
    sim.Char(WXK_RETURN);
    EXPECT_TRUE(PumpUntil([this] { return clicks == 5; }));

    // A press dragged off the button is no click.
    Hover();
    sim.MouseDown();
    ASSERT_TRUE(PumpUntil([this] { return button->IsPressed(); }));
    EXPECT_TRUE(button->CurrentDrawState().pressed);
    MoveTo(other);
    EXPECT_TRUE(PumpUntil([this] { return !button->IsHot(); }));
    EXPECT_FALSE(button->IsPressed());
    sim.MouseUp();
    PumpEvents(50);
    EXPECT_EQ(clicks, 5);
}

TEST_F(HoverButtonTest, TipToolIsAddedOnceAndCaptionAndTipReachAccessibility) {
    AtkObject* accessible = gtk_widget_get_accessible(button->m_widget);
    EXPECT_STREQ(atk_object_get_name(accessible), "로그인");
    EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_PUSH_BUTTON);
    ASSERT_TRUE(ATK_IS_ACTION(accessible));
    EXPECT_TRUE(atk_action_do_action(ATK_ACTION(accessible), 0));
    EXPECT_TRUE(PumpUntil([this] { return clicks == 1; }));

    button->SetTipText(nullptr, true);
    EXPECT_FALSE(button->HasTipTool());
    button->SetTipText("first", false);
    EXPECT_TRUE(button->HasTipTool());
    EXPECT_FALSE(gtk_widget_get_has_tooltip(button->m_widget));
    button->SetSize(120, 50);
    button->SetTipText("로그아웃 합니다.", true);
    EXPECT_TRUE(gtk_widget_get_has_tooltip(button->m_widget));
    EXPECT_EQ(button->GetTipToolRect(), wxRect(0, 0, 88, 44)); // the first call's rectangle
    EXPECT_STREQ(atk_object_get_description(accessible), "로그아웃 합니다.");
}
