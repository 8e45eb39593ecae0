// The dialog templates and the builder: layout on screen, ids, order, factory.
#include "controls/ColorEdit.h"
#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/StaticEdge.h"
#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

constexpr int kTemplateIds[] = {IDD_AGENT_CONSOLE, IDD_LOGIN, IDD_SERVER_ADDR, IDD_ABOUTBOX};

struct DialogDeleter {
    void operator()(wxDialog* d) const { d->Destroy(); }
};
using DialogPtr = std::unique_ptr<wxDialog, DialogDeleter>;

DialogPtr Build(int templateId, const platform::ControlFactory& factory = {}) {
    DialogPtr dialog(new wxDialog());
    EXPECT_TRUE(platform::CreateDialogFromTemplate(dialog.get(), nullptr, templateId, factory));
    return dialog;
}

// The widget's rectangle as GTK allocated it, in the dialog's client coordinates.
wxRect Allocation(wxWindow* window) {
    GtkAllocation a;
    gtk_widget_get_allocation(window->m_widget, &a);
    return wxRect(a.x, a.y, a.width, a.height);
}

std::string Name(const res::ControlTemplate& c) {
    return std::to_string(c.id) + " \"" + c.text + "\"";
}

} // namespace

namespace {

// The custom controls where the program's dialogs put them.
wxWindow* CustomControls(wxWindow* parent, const res::ControlTemplate& c, const wxPoint& pos,
                         const wxSize& size) {
    const wxString text = wxString::FromUTF8(c.text);
    if (c.kind == res::ControlKind::PushButton || c.kind == res::ControlKind::DefPushButton)
        return new CHoverButton(parent, c.id, text, pos, size);
    if (c.kind == res::ControlKind::StaticText && c.id != IDC_STATIC)
        return new CColorLabel(parent, c.id, text, pos, size, platform::StandardWindowStyle(c));
    if (c.kind == res::ControlKind::Edit && !(c.style & res::StyleMultiLine))
        return new CColorEdit(parent, c.id, text, pos, size, platform::StandardWindowStyle(c));
    return nullptr;
}

} // namespace

// The template's kinds, styles, extras and fonts, on standard and factory-made controls.
TEST(DialogBuilder, KindsStylesExtrasAndFontsFollowTheTemplate) {
    for (bool custom : {false, true}) {
        SCOPED_TRACE(custom ? "custom controls" : "standard controls");
        DialogPtr login = Build(IDD_LOGIN, custom ? platform::ControlFactory(CustomControls)
                                                  : platform::ControlFactory());
        EXPECT_EQ(login->GetDefaultItem(), platform::GetDlgItem(login.get(), IDOK_BUTTON));
        EXPECT_TRUE(platform::GetDlgItem(login.get(), IDC_EDIT_PASSWORD)->HasFlag(wxTE_PASSWORD));
        wxWindow* userLabel = platform::GetDlgItem(login.get(), IDC_STATIC_USER_ID);
        EXPECT_FLOAT_EQ(gtk_label_get_yalign(GTK_LABEL(userLabel->m_widget)), 0.5f);
        EXPECT_TRUE(platform::HasStaticEdge(userLabel));
        EXPECT_EQ(platform::GetDlgItemAs<CColorLabel>(login.get(), IDC_STATIC_USER_ID) != nullptr,
                  custom);
        for (int id : {IDOK_BUTTON, IDCANCEL_BUTTON, IDC_BTN_SETTING})
            EXPECT_EQ(platform::GetDlgItemAs<CHoverButton>(login.get(), id) != nullptr, custom);
        EXPECT_EQ(platform::GetDlgItem(login.get(), IDC_EDIT_USER_ID)->GetFont().GetFaceName(),
                  "NanumGothicCoding");
    }
    DialogPtr console = Build(IDD_AGENT_CONSOLE);
    EXPECT_NEAR(console->GetClientSize().x, 674, 8);
    EXPECT_NEAR(console->GetClientSize().y, 386, 8);
    EXPECT_EQ(console->GetTitle(), "ZELAgent");
    EXPECT_EQ(console->GetFont().GetFaceName(), "NanumGothic");
    EXPECT_EQ(console->GetFont().GetPointSize(), 9);
    EXPECT_TRUE(platform::GetDlgItemAs<wxTextCtrl>(console.get(), IDC_EDIT_MEMO)->IsMultiLine());
    // The seven grades are one radio group.
    EXPECT_TRUE(platform::GetDlgItem(console.get(), IDC_RADIO_RESULT1)->HasFlag(wxRB_GROUP));
    for (int id = IDC_RADIO_RESULT1 + 1; id < IDC_RADIO_RESULT1 + 7; ++id)
        EXPECT_FALSE(platform::GetDlgItem(console.get(), id)->HasFlag(wxRB_GROUP)) << id;
    EXPECT_TRUE(platform::HasStaticEdge(platform::GetDlgItem(console.get(), IDC_RADIO_RESULT3)));
}

// On screen, with the standard and the custom controls: every control in template
// order with its own id where its template puts it, inside the dialog, fully showing
// its content, and overlapping no other control, except the group box that frames the
// state buttons of the console.
TEST(DialogBuilder, ControlsHaveTheirIdsAndNeitherOverlapNorClip) {
    for (int id : kTemplateIds) {
        for (bool custom : {false, true}) {
            SCOPED_TRACE(custom ? "custom controls" : "standard controls");
            const res::DialogTemplate* t = res::FindDialogTemplate(id);
            DialogPtr dialog = Build(id, custom ? platform::ControlFactory(CustomControls)
                                                : platform::ControlFactory());
            dialog->Show();
            guitest::PumpEvents(150);
            const wxRect client(wxPoint(0, 0), dialog->GetClientSize());
            ASSERT_EQ(dialog->GetChildren().size(), t->controls.size()) << id;
            std::vector<std::pair<wxRect, const res::ControlTemplate*>> placed;
            std::set<int> ids;
            std::size_t i = 0;
            for (wxWindow* child : dialog->GetChildren()) {
                const res::ControlTemplate& c = t->controls[i++];
                if (c.id != IDC_STATIC) {
                    EXPECT_TRUE(ids.insert(c.id).second) << "duplicate " << c.id;
                    EXPECT_EQ(platform::GetDlgItem(dialog.get(), c.id), child) << Name(c);
                }
                const wxRect actual = Allocation(child);
                EXPECT_EQ(actual, platform::DialogRectToPixels(dialog.get(), c.rect))
                    << id << ": " << Name(c);
                EXPECT_TRUE(client.Contains(actual)) << id << ": " << Name(c);
                int minimum = 0, natural = 0;
                gtk_widget_get_preferred_height_for_width(child->m_widget, actual.width, &minimum,
                                                          &natural);
                EXPECT_LE(minimum, actual.height) << id << ": " << Name(c) << " needs more height";
                gtk_widget_get_preferred_width(child->m_widget, &minimum, &natural);
                EXPECT_LE(minimum, actual.width) << id << ": " << Name(c) << " needs more width";
                placed.emplace_back(actual, &c);
            }
            for (std::size_t a = 0; a < placed.size(); ++a) {
                for (std::size_t b = a + 1; b < placed.size(); ++b) {
                    const auto& [rectA, ca] = placed[a];
                    const auto& [rectB, cb] = placed[b];
                    if (!rectA.Intersects(rectB))
                        continue;
                    // A group box may only hold whole controls.
                    const bool held =
                        (ca->kind == res::ControlKind::GroupBox && rectA.Contains(rectB)) ||
                        (cb->kind == res::ControlKind::GroupBox && rectB.Contains(rectA));
                    EXPECT_TRUE(held) << id << ": " << Name(*ca) << " overlaps " << Name(*cb);
                }
            }
        }
    }
}
