// CColorLabel and CColorEdit: colours as painted, and the field labelled by its label.
#include "controls/ColorEdit.h"
#include "controls/ColorLabel.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/SysColors.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/frame.h>

using namespace guitest;
using platform::GetSysColor;

namespace {

const wxColour kLavender(230, 230, 250), kInk(20, 40, 160);

class ColorControls : public testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "colours", wxPoint(40, 40), wxSize(420, 200));
        label = new CColorLabel(frame, 1016, wxString::FromUTF8("전화번호"), wxPoint(4, 4),
                                wxSize(80, 24), wxBORDER_SUNKEN);
        const wxString text = wxString::FromUTF8("홍길동 고객님");
        edit = new CColorEdit(frame, 1024, text, wxPoint(90, 4), wxSize(200, 24));
        readOnly = new CColorEdit(frame, 1036, text, wxPoint(90, 40), wxSize(200, 24));
        auto* focusTaker = new wxButton(frame, wxID_ANY, "x", wxPoint(300, 100));
        frame->Show();
        PumpEvents(50);
        edit->SelectNone(); // no selection colours and no caret in the images
        readOnly->SelectNone();
        focusTaker->SetFocus();
        PumpEvents(20);
    }
    void TearDown() override { frame->Destroy(); }

    wxFrame* frame = nullptr;
    CColorLabel* label = nullptr;
    CColorEdit* edit = nullptr;
    CColorEdit* readOnly = nullptr;
};

// The colour near the right end of the middle row.
wxColour Background(const wxImage& image) {
    return PixelAt(image, image.GetWidth() - 4, image.GetHeight() / 2);
}

} // namespace

TEST_F(ColorControls, DefaultColoursAndSetOnesArePainted) {
    EXPECT_EQ(Background(RenderWindow(label)), GetSysColor(platform::COLOR_BTNFACE));
    EXPECT_EQ(label->GetTextColor(), GetSysColor(platform::COLOR_BTNTEXT));
    const wxImage plain = RenderWindow(edit);
    EXPECT_EQ(Background(plain), *wxWHITE);
    EXPECT_GT(CountPixels(plain, *wxBLACK), 10);
    label->SetTextColor(kInk);
    label->SetBackColor(kLavender);
    for (CColorEdit* field : {edit, readOnly}) {
        field->SetTextColor(kInk);
        field->SetBackColor(kLavender);
    }
    readOnly->SetReadOnly(true); // painted like the editable one
    PumpEvents(30);
    for (wxWindow* control : std::initializer_list<wxWindow*>{label, edit, readOnly}) {
        const wxImage image = RenderWindow(control);
        EXPECT_EQ(Background(image), kLavender);
        EXPECT_GT(CountPixels(image, kInk), 10);
    }
    const wxImage image = RenderWindow(label); // sunken: shadow left, highlight right
    EXPECT_EQ(PixelAt(image, 0, 12), GetSysColor(platform::COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 79, 12), GetSysColor(platform::COLOR_BTNHIGHLIGHT));
}

TEST_F(ColorControls, FieldIsNamedAndLabelledByItsLabel) {
    platform::SetAccessibleLabel(edit, label);
    EXPECT_EQ(platform::GetAccessibleName(edit), "전화번호");
    AtkObject* field = gtk_widget_get_accessible(edit->GetConnectWidget());
    AtkRelationSet* relations = atk_object_ref_relation_set(field);
    AtkRelation* by = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_LABELLED_BY);
    ASSERT_NE(by, nullptr);
    GPtrArray* targets = atk_relation_get_target(by);
    ASSERT_EQ(targets->len, 1u);
    EXPECT_EQ(g_ptr_array_index(targets, 0), gtk_widget_get_accessible(label->m_widget));
    g_object_unref(relations);
}
