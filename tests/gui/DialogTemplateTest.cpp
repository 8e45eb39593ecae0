// The dialog templates on screen: ids, order, placement, content room, overlaps and the
// role assistive technology is told.
#include "controls/ColorEdit.h"
#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "platform/gui/DialogBuilder.h"
#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <set>
#include <string>

#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/dialog.h>

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

// Every control in template order, with its id, where the template puts it, inside the
// dialog, with room for its content, overlapping nothing but a group box around it. The
// dialogs are dialogs to assistive technology; the console stays the application's frame.
TEST(DialogBuilder, ControlsHaveTheirIdsAndNeitherOverlapNorClipAndTheRoleIsTheWindowsKind) {
    for (int id : {IDD_AGENT_CONSOLE, IDD_LOGIN, IDD_SERVER_ADDR, IDD_ABOUTBOX}) {
        for (bool custom : {false, true}) {
            SCOPED_TRACE(testing::Message() << id << (custom ? " custom" : " standard"));
            const res::DialogTemplate* t = res::FindDialogTemplate(id);
            auto* dialog = new wxDialog();
            ASSERT_TRUE(platform::CreateDialogFromTemplate(
                dialog, nullptr, id,
                custom ? platform::ControlFactory(CustomControls) : platform::ControlFactory()));
            EXPECT_EQ(atk_object_get_role(gtk_widget_get_accessible(dialog->m_widget)),
                      id == IDD_AGENT_CONSOLE ? ATK_ROLE_FRAME : ATK_ROLE_DIALOG);
            dialog->Show();
            guitest::PumpEvents(150);
            const wxRect client(wxPoint(0, 0), dialog->GetClientSize());
            ASSERT_EQ(dialog->GetChildren().size(), t->controls.size());
            std::vector<std::pair<wxRect, const res::ControlTemplate*>> placed;
            std::set<int> ids;
            std::size_t i = 0;
            for (wxWindow* child : dialog->GetChildren()) {
                const res::ControlTemplate& c = t->controls[i++];
                const std::string name = std::to_string(c.id) + " \"" + c.text + "\"";
                if (c.id != IDC_STATIC) {
                    EXPECT_TRUE(ids.insert(c.id).second) << "duplicate " << name;
                    EXPECT_EQ(platform::GetDlgItem(dialog, c.id), child) << name;
                }
                GtkAllocation at;
                gtk_widget_get_allocation(child->m_widget, &at);
                const wxRect actual(at.x, at.y, at.width, at.height);
                EXPECT_EQ(actual, platform::DialogRectToPixels(dialog, c.rect)) << name;
                EXPECT_TRUE(client.Contains(actual)) << name;
                int minimum = 0, natural = 0;
                gtk_widget_get_preferred_height_for_width(child->m_widget, actual.width, &minimum,
                                                          &natural);
                EXPECT_LE(minimum, actual.height) << name;
                gtk_widget_get_preferred_width(child->m_widget, &minimum, &natural);
                EXPECT_LE(minimum, actual.width) << name;
                placed.emplace_back(actual, &c);
            }
            for (auto a = placed.begin(); a != placed.end(); ++a)
                for (auto b = a + 1; b != placed.end(); ++b) {
                    const auto held = [](const auto& outer, const auto& inner) {
                        return outer.second->kind == res::ControlKind::GroupBox &&
                               outer.first.Contains(inner.first);
                    };
                    EXPECT_TRUE(!a->first.Intersects(b->first) || held(*a, *b) || held(*b, *a))
                        << a->second->id << " overlaps " << b->second->id;
                }
            dialog->Destroy();
        }
    }
}
