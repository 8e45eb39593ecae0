// The dialog templates and the builder: layout on screen, ids, order, factory.
#include "controls/ColorEdit.h"
#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/StaticEdge.h"
#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
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

TEST(DialogTemplates, HaveUniqueIdsAndControlsInsideTheirDialog) {
    for (int id : kTemplateIds) {
        const res::DialogTemplate* t = res::FindDialogTemplate(id);
        ASSERT_NE(t, nullptr) << id;
        EXPECT_EQ(t->pointSize, 9);
        std::set<int> ids;
        for (const res::ControlTemplate& c : t->controls) {
            if (c.id != IDC_STATIC) {
                EXPECT_TRUE(ids.insert(c.id).second) << "duplicate " << c.id;
            }
            EXPECT_GE(c.rect.x, 0) << Name(c);
            EXPECT_GE(c.rect.y, 0) << Name(c);
            EXPECT_LE(c.rect.x + c.rect.width, t->width) << Name(c);
            EXPECT_LE(c.rect.y + c.rect.height, t->height) << Name(c);
        }
    }
    EXPECT_EQ(res::FindDialogTemplate(999), nullptr);
}

TEST(DialogTemplates, ResponseGradesComeFirstAsOneGroupInIdOrder) {
    const res::DialogTemplate* console = res::FindDialogTemplate(IDD_AGENT_CONSOLE);
    ASSERT_NE(console, nullptr);
    for (int i = 0; i < 7; ++i) {
        const res::ControlTemplate& c = console->controls[i];
        EXPECT_EQ(c.id, IDC_RADIO_RESULT1 + i);
        EXPECT_EQ(c.kind, res::ControlKind::AutoRadioButton);
        EXPECT_EQ((c.style & res::StyleGroup) != 0, i == 0);
    }
    EXPECT_NE(console->controls[7].kind, res::ControlKind::AutoRadioButton);
    EXPECT_STREQ(res::FindControl(*console, IDC_BTN_LOGOUT)->text, "로그\n아웃");
}

TEST(DialogTemplates, StringTableHoldsTheAboutItem) {
    EXPECT_STREQ(res::LoadResString(IDS_ABOUTBOX), "ZELAgent 정보(&A)...");
    EXPECT_STREQ(res::LoadResString(12345), "");
}

TEST(DialogBuilder, ControlsComeInTemplateOrderWithTheTemplateIds) {
    for (int id : kTemplateIds) {
        DialogPtr dialog = Build(id);
        const res::DialogTemplate* t = res::FindDialogTemplate(id);
        const wxWindowList& children = dialog->GetChildren();
        ASSERT_EQ(children.size(), t->controls.size()) << id;
        std::size_t i = 0;
        for (wxWindow* child : children) {
            const res::ControlTemplate& c = t->controls[i++];
            if (c.id != IDC_STATIC) {
                EXPECT_EQ(child->GetId(), c.id);
                EXPECT_EQ(platform::GetDlgItem(dialog.get(), c.id), child);
            }
        }
    }
}

TEST(DialogBuilder, ConsoleIsAboutSixHundredSeventyFourByThreeHundredEightySixPixels) {
    DialogPtr dialog = Build(IDD_AGENT_CONSOLE);
    const wxSize size = dialog->GetClientSize();
    EXPECT_NEAR(size.x, 674, 8);
    EXPECT_NEAR(size.y, 386, 8);
    EXPECT_EQ(dialog->GetTitle(), "ZELAgent");
    EXPECT_TRUE(dialog->HasFlag(wxMINIMIZE_BOX));
}

TEST(DialogBuilder, DialogFontIsTheKoreanFaceOfTheTemplate) {
    DialogPtr console = Build(IDD_AGENT_CONSOLE);
    EXPECT_EQ(console->GetFont().GetFaceName(), "NanumGothic");
    EXPECT_EQ(console->GetFont().GetPointSize(), 9);
    DialogPtr login = Build(IDD_LOGIN);
    EXPECT_EQ(login->GetFont().GetFaceName(), "NanumGothicCoding");
    EXPECT_EQ(platform::GetDlgItem(login.get(), IDC_EDIT_USER_ID)->GetFont().GetFaceName(),
              "NanumGothicCoding");
}

TEST(DialogBuilder, KindsAndStylesFollowTheTemplate) {
    DialogPtr login = Build(IDD_LOGIN);
    auto* ok = platform::GetDlgItemAs<wxButton>(login.get(), IDOK_BUTTON);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(login->GetDefaultItem(), ok);
    EXPECT_TRUE(platform::GetDlgItem(login.get(), IDC_EDIT_PASSWORD)->HasFlag(wxTE_PASSWORD));
    auto* userLabel = platform::GetDlgItemAs<wxStaticText>(login.get(), IDC_STATIC_USER_ID);
    ASSERT_NE(userLabel, nullptr);
    EXPECT_TRUE(userLabel->HasFlag(wxALIGN_CENTRE_HORIZONTAL));
    EXPECT_FLOAT_EQ(gtk_label_get_yalign(GTK_LABEL(userLabel->m_widget)), 0.5f);
    EXPECT_TRUE(platform::HasStaticEdge(userLabel));

    DialogPtr console = Build(IDD_AGENT_CONSOLE);
    auto* memo = platform::GetDlgItemAs<wxTextCtrl>(console.get(), IDC_EDIT_MEMO);
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->IsMultiLine());
    EXPECT_TRUE(platform::GetDlgItem(console.get(), IDC_RADIO_RESULT1)->HasFlag(wxRB_GROUP));
    EXPECT_FALSE(platform::GetDlgItem(console.get(), IDC_RADIO_RESULT2)->HasFlag(wxRB_GROUP));
    EXPECT_TRUE(platform::HasStaticEdge(platform::GetDlgItem(console.get(), IDC_RADIO_RESULT3)));
    EXPECT_EQ(platform::GetDlgItem(console.get(), IDC_BTN_LOGOUT)->GetLabel(),
              wxString::FromUTF8("로그\n아웃"));
    auto* callTime = platform::GetDlgItemAs<wxStaticText>(console.get(), IDC_STATIC_CALLTIME);
    ASSERT_NE(callTime, nullptr);
    EXPECT_FLOAT_EQ(gtk_label_get_yalign(GTK_LABEL(callTime->m_widget)), 0.0f);
}

TEST(DialogBuilder, FactoryChoosesTheClassOfChosenControls) {
    int asked = 0;
    auto factory = [&asked](wxWindow* parent, const res::ControlTemplate& c, const wxPoint& pos,
                            const wxSize& size) -> wxWindow* {
        ++asked;
        if (c.kind == res::ControlKind::PushButton || c.kind == res::ControlKind::DefPushButton)
            return new CHoverButton(parent, c.id, wxString::FromUTF8(c.text), pos, size);
        if (c.id == IDC_STATIC_USER_ID)
            return new CColorLabel(parent, c.id, wxString::FromUTF8(c.text), pos, size,
                                   platform::StandardWindowStyle(c));
        return nullptr;
    };
    DialogPtr login = Build(IDD_LOGIN, factory);
    EXPECT_EQ(asked, 13);
    for (int id : {IDOK_BUTTON, IDCANCEL_BUTTON, IDC_BTN_SETTING})
        EXPECT_NE(platform::GetDlgItemAs<CHoverButton>(login.get(), id), nullptr) << id;
    auto* label = platform::GetDlgItemAs<CColorLabel>(login.get(), IDC_STATIC_USER_ID);
    ASSERT_NE(label, nullptr);
    // The template's extras reach factory-made controls too.
    EXPECT_TRUE(platform::HasStaticEdge(label));
    EXPECT_FLOAT_EQ(gtk_label_get_yalign(GTK_LABEL(label->m_widget)), 0.5f);
    EXPECT_EQ(login->GetDefaultItem(), platform::GetDlgItem(login.get(), IDOK_BUTTON));
    EXPECT_EQ(platform::GetDlgItemAs<CHoverButton>(login.get(), IDC_EDIT_USER_ID), nullptr);
}

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

TEST(DialogBuilder, GroupBoxFrameStaysUnderTheStateButtons) {
    const wxColour face(245, 245, 220);
    DialogPtr dialog = Build(IDD_AGENT_CONSOLE,
                             [&face](wxWindow* parent, const res::ControlTemplate& c,
                                     const wxPoint& pos, const wxSize& size) -> wxWindow* {
                                 if (c.kind != res::ControlKind::PushButton)
                                     return nullptr;
                                 auto* button = new CHoverButton(
                                     parent, c.id, wxString::FromUTF8(c.text), pos, size);
                                 button->SetStateColor(CHoverButton::ColorBackNormal, face, false);
                                 return button;
                             });
    dialog->Show();
    guitest::PumpEvents(100);
    const wxImage image = guitest::RenderWindow(dialog.get());
    const wxRect login = platform::GetDlgItem(dialog.get(), IDC_BTN_LOGIN)->GetRect();
    ASSERT_EQ(login.x, 0); // on the frame's left line
    EXPECT_EQ(guitest::PixelAt(image, 0, login.y + login.height / 2), face);
    EXPECT_EQ(guitest::PixelAt(image, login.x + login.width / 2, login.GetBottom()), face);
}

// On screen: every control where its template puts it, inside the dialog, fully
// showing its content, and overlapping no other control, except the group box that
// frames the state buttons of the console. With the standard and the custom controls.
TEST(DialogBuilder, ControlsNeitherOverlapNorClip) {
    for (int id : kTemplateIds) {
        for (bool custom : {false, true}) {
            SCOPED_TRACE(custom ? "custom controls" : "standard controls");
            const res::DialogTemplate* t = res::FindDialogTemplate(id);
            DialogPtr dialog = Build(id, custom ? platform::ControlFactory(CustomControls)
                                                : platform::ControlFactory());
            dialog->Show();
            guitest::PumpEvents(150);
            const wxRect client(wxPoint(0, 0), dialog->GetClientSize());
            std::vector<std::pair<wxRect, const res::ControlTemplate*>> placed;
            std::size_t i = 0;
            for (wxWindow* child : dialog->GetChildren()) {
                const res::ControlTemplate& c = t->controls[i++];
                const wxRect expected = platform::DialogRectToPixels(dialog.get(), c.rect);
                const wxRect actual = Allocation(child);
                EXPECT_EQ(actual, expected) << id << ": " << Name(c);
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
                    const bool frame = placed[a].second->kind == res::ControlKind::GroupBox ||
                                       placed[b].second->kind == res::ControlKind::GroupBox;
                    if (frame) {
                        const wxRect& box = placed[a].second->kind == res::ControlKind::GroupBox
                                                ? placed[a].first
                                                : placed[b].first;
                        const wxRect& inner =
                            &box == &placed[a].first ? placed[b].first : placed[a].first;
                        if (box.Intersects(inner)) {
                            EXPECT_TRUE(box.Contains(inner))
                                << id << ": group box cuts " << inner.x;
                        }
                        continue;
                    }
                    EXPECT_FALSE(placed[a].first.Intersects(placed[b].first))
                        << id << ": " << Name(*placed[a].second) << " overlaps "
                        << Name(*placed[b].second);
                }
            }
        }
    }
}
