// CHoverButton drawing, state by state, rendered into images.
#include "controls/HoverButton.h"
#include "platform/gui/SysColors.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

using guitest::BoundsOfColour;
using guitest::CountPixels;
using guitest::PixelAt;
using platform::COLOR_BTNFACE;
using platform::COLOR_BTNHIGHLIGHT;
using platform::COLOR_BTNSHADOW;
using platform::COLOR_BTNTEXT;
using platform::GetSysColor;

namespace {

// Colours unlike every system colour, so each pixel tells which part drew it.
const wxColour kBackHot(0, 0, 255);
const wxColour kTextHot(255, 255, 0);
const wxColour kBackNormal(245, 245, 220);
const wxColour kTextNormal(128, 0, 0);

class HoverButtonDraw : public testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "draw");
        button = new CHoverButton(frame, 1005, wxString::FromUTF8("로그인"), wxPoint(10, 10),
                                  wxSize(88, 44));
        new wxWindow(frame, wxID_ANY, wxPoint(200, 10),
                     wxSize(10, 10)); // a lone child would fill the frame
        frame->Show();
        guitest::PumpEvents(30);
        button->SetStateColor(CHoverButton::ColorBackHot, kBackHot, true);
        button->SetStateColor(CHoverButton::ColorTextHot, kTextHot, true);
        button->SetStateColor(CHoverButton::ColorBackNormal, kBackNormal, true);
        button->SetStateColor(CHoverButton::ColorTextNormal, kTextNormal, true);
    }
    void TearDown() override { frame->Destroy(); }

    wxImage Render(bool hot, bool pressed, bool disabled) {
        return button->RenderToImage({hot, pressed, disabled});
    }
    // Inside the one-pixel frame.
    wxRect Interior() const { return wxRect(1, 1, 86, 42); }

    wxFrame* frame = nullptr;
    CHoverButton* button = nullptr;
};

} // namespace

TEST_F(HoverButtonDraw, NormalShowsNormalFaceAndCaptionWithoutFrame) {
    const wxImage image = Render(false, false, false);
    EXPECT_EQ(PixelAt(image, 0, 0), kBackNormal);
    EXPECT_EQ(PixelAt(image, 87, 43), kBackNormal);
    EXPECT_GT(CountPixels(image, kTextNormal), 10);
    EXPECT_EQ(CountPixels(image, kTextHot), 0);
    EXPECT_EQ(CountPixels(image, kBackHot), 0);
}

TEST_F(HoverButtonDraw, HotShowsHotColoursInARaisedFrame) {
    const wxImage image = Render(true, false, false);
    const wxColour highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const wxColour shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(PixelAt(image, 0, 0), highlight);
    EXPECT_EQ(PixelAt(image, 40, 0), highlight);
    EXPECT_EQ(PixelAt(image, 0, 20), highlight);
    EXPECT_EQ(PixelAt(image, 87, 20), shadow);
    EXPECT_EQ(PixelAt(image, 40, 43), shadow);
    EXPECT_EQ(PixelAt(image, 87, 43), shadow);
    EXPECT_EQ(PixelAt(image, 1, 1), kBackHot);
    EXPECT_GT(CountPixels(image, kTextHot, Interior()), 10);
    EXPECT_EQ(CountPixels(image, kTextNormal), 0);
}

TEST_F(HoverButtonDraw, PressedShowsHotColoursInASunkenFrameHotOrNot) {
    const wxColour highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const wxColour shadow = GetSysColor(COLOR_BTNSHADOW);
    for (bool hot : {false, true}) {
        const wxImage image = Render(hot, true, false);
        EXPECT_EQ(PixelAt(image, 0, 0), shadow) << hot;
        EXPECT_EQ(PixelAt(image, 40, 0), shadow) << hot;
        EXPECT_EQ(PixelAt(image, 87, 43), highlight) << hot;
        EXPECT_EQ(PixelAt(image, 87, 20), highlight) << hot;
        EXPECT_EQ(PixelAt(image, 2, 2), kBackHot) << hot;
        EXPECT_GT(CountPixels(image, kTextHot, Interior()), 10) << hot;
    }
}

TEST_F(HoverButtonDraw, PressedCaptionSitsOnePixelLowerAndFurtherRight) {
    const wxRect released = BoundsOfColour(Render(true, false, false), kTextHot, Interior());
    const wxRect pressed = BoundsOfColour(Render(true, true, false), kTextHot, Interior());
    ASSERT_FALSE(released.IsEmpty());
    EXPECT_EQ(pressed, wxRect(released.x + 1, released.y + 1, released.width, released.height));
}

TEST_F(HoverButtonDraw, CaptionIsCentred) {
    const wxRect caption = BoundsOfColour(Render(false, false, false), kTextNormal);
    ASSERT_FALSE(caption.IsEmpty());
    EXPECT_NEAR(caption.x + caption.width / 2.0, 44, 3);
    EXPECT_NEAR(caption.y + caption.height / 2.0, 22, 3);
}

TEST_F(HoverButtonDraw, DisabledCaptionIsEmbossedWhateverTheStateColours) {
    const wxColour highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const wxColour shadow = GetSysColor(COLOR_BTNSHADOW);
    const wxImage image = Render(false, false, true);
    EXPECT_EQ(PixelAt(image, 0, 0), kBackNormal);
    EXPECT_GT(CountPixels(image, shadow), 10);
    EXPECT_GT(CountPixels(image, highlight), 0);
    EXPECT_EQ(CountPixels(image, kTextNormal), 0);
    EXPECT_EQ(CountPixels(image, kTextHot), 0);
    // The highlight copy lies one pixel down and right of the shadow copy.
    const wxRect light = BoundsOfColour(image, highlight);
    const wxRect dark = BoundsOfColour(image, shadow);
    EXPECT_EQ(light.GetRight(), dark.GetRight() + 1);
    EXPECT_EQ(light.GetBottom(), dark.GetBottom() + 1);
}

TEST_F(HoverButtonDraw, EmptyCaptionShowsOnlyFaceAndFrame) {
    button->SetLabel("");
    const wxImage normal = Render(false, false, false);
    EXPECT_EQ(CountPixels(normal, kBackNormal), 88 * 44);
    const wxImage hot = Render(true, false, false);
    EXPECT_EQ(CountPixels(hot, kBackHot), 86 * 42);
    EXPECT_EQ(PixelAt(hot, 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST_F(HoverButtonDraw, LineBreakGivesTwoCentredLines) {
    const wxRect oneLine = BoundsOfColour(Render(false, false, false), kTextNormal);
    button->SetLabel(wxString::FromUTF8("로그\n아웃"));
    const wxRect twoLines = BoundsOfColour(Render(false, false, false), kTextNormal);
    EXPECT_GT(twoLines.height, oneLine.height * 3 / 2);
    EXPECT_LT(twoLines.width, oneLine.width);
    EXPECT_NEAR(twoLines.y + twoLines.height / 2.0, 22, 3);
    EXPECT_NEAR(twoLines.x + twoLines.width / 2.0, 44, 3);
}

TEST_F(HoverButtonDraw, LongCaptionWrapsAtWordsWithinTheButton) {
    button->SetLabel(wxString::FromUTF8("통화결과 등록 통화결과 등록"));
    const wxRect caption = BoundsOfColour(Render(false, false, false), kTextNormal);
    EXPECT_GE(caption.x, 0);
    EXPECT_LE(caption.GetRight(), 87);
    EXPECT_GT(caption.height, 20); // more than one line
}

namespace {

// A subclass that replaces the frame: DrawItem must reach it through the vtable.
class FramelessButton : public CHoverButton {
  public:
    using CHoverButton::CHoverButton;
    int framesDrawn = 0;

  protected:
    uint32_t DrawFrame(cairo_t*, const wxRect&) override {
        ++framesDrawn;
        return 0;
    }
};

} // namespace

TEST_F(HoverButtonDraw, SubclassReplacesTheFrame) {
    auto* frameless = new FramelessButton(frame, wxID_ANY, "x", wxPoint(10, 60), wxSize(40, 20));
    frameless->SetStateColor(CHoverButton::ColorBackHot, kBackHot, false);
    const wxImage image = frameless->RenderToImage({true, false, false});
    EXPECT_EQ(frameless->framesDrawn, 1);
    EXPECT_EQ(PixelAt(image, 0, 0), kBackHot);
    frameless->RenderToImage({false, false, false});
    EXPECT_EQ(frameless->framesDrawn, 1); // no frame while normal
}

TEST(HoverButtonColours, StartWithTheSystemFaceAndTextColours) {
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "colours");
    auto* button = new CHoverButton(frame, wxID_ANY, "x");
    EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackHot), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackNormal), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(button->GetStateColor(CHoverButton::ColorTextHot), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(button->GetStateColor(CHoverButton::ColorTextNormal), GetSysColor(COLOR_BTNTEXT));
    frame->Destroy();
}

TEST(HoverButtonColours, SetStateColorAcceptsSlotsZeroToThreeOnly) {
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "colours");
    auto* button = new CHoverButton(frame, wxID_ANY, "x");
    const wxColour red(255, 0, 0);
    for (unsigned slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(button->SetStateColor(slot, wxColour(slot, 0, 0), false), 0u);
        EXPECT_EQ(button->GetStateColor(slot), wxColour(slot, 0, 0));
    }
    for (unsigned index : {4u, 255u}) {
        EXPECT_EQ(button->SetStateColor(index, red, true), 3u);
        for (unsigned slot = 0; slot < 4; ++slot)
            EXPECT_EQ(button->GetStateColor(slot), wxColour(slot, 0, 0)) << index;
    }
    // Only the low eight bits of the index count: 258 is slot 2.
    EXPECT_EQ(button->SetStateColor(258, red, false), 0u);
    EXPECT_EQ(button->GetStateColor(2), red);
    frame->Destroy();
}
