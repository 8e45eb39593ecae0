#include "console/window/ConsoleAccess.h"

#include <algorithm>
#include <utility>

#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include "platform/gui/Accessibility.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"

GradeGroup::~GradeGroup() {
    if (m_none) {
        gtk_widget_destroy(GTK_WIDGET(m_none)); // leaves the group
        g_object_unref(m_none);
    }
    if (m_heading)
        g_object_unref(m_heading);
}

void GradeGroup::Attach(std::span<wxRadioButton* const> grades) {
    if (m_none || grades.empty() || !grades.front() || !grades.front()->m_widget)
        return;
    m_grades.assign(grades.begin(), grades.end());
    m_none = g_object_ref_sink(
        gtk_radio_button_new_from_widget(GTK_RADIO_BUTTON(grades.front()->m_widget)));
    m_heading = g_object_ref_sink(gtk_label_new(kName));

    std::vector<wxWindow*> members(m_grades.begin(), m_grades.end());
    platform::LabelGroup(members, m_heading);
    LimitMembership();
    ClearSelection();
}

// GTK lists every member of the radio group as a member-of target; the hidden one
// would make a screen reader count eight grades.
void GradeGroup::LimitMembership() {
    std::vector<AtkObject*> visible;
    for (wxRadioButton* grade : m_grades)
        if (grade)
            visible.push_back(gtk_widget_get_accessible(grade->m_widget));
    for (AtkObject* accessible : visible) {
        // Let GTK build its relation first: it rebuilds it only when the group changes,
        // and then removes the old one (a placeholder, so that there is one to remove).
        atk_object_add_relationship(accessible, ATK_RELATION_MEMBER_OF, accessible);
        AtkRelationSet* relations = atk_object_ref_relation_set(accessible);
        if (AtkRelation* all =
                atk_relation_set_get_relation_by_type(relations, ATK_RELATION_MEMBER_OF))
            atk_relation_set_remove(relations, all);
        AtkRelation* seven =
            atk_relation_new(visible.data(), gint(visible.size()), ATK_RELATION_MEMBER_OF);
        atk_relation_set_add(relations, seven);
        g_object_unref(seven);
        g_object_unref(relations);
    }
}

void GradeGroup::ClearSelection() {
    if (m_none)
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_none), TRUE);
}

void LabelConsoleStatistics(wxDialog& console) {
    const std::pair<const char*, int> captions[] = {
        {"통화시간", IDC_STATIC_CALLTIME},
        {"금일 통화 콜수", IDC_STATIC_TODAY_COUNT},
        {"금일 통화 시간", IDC_STATIC_TODAY_TIME},
    };
    for (const auto& [caption, valueId] : captions) {
        const wxString text = wxString::FromUTF8(caption);
        const wxWindowList& children = console.GetChildren();
        const auto found = std::find_if(children.begin(), children.end(), [&](wxWindow* w) {
            return dynamic_cast<wxStaticText*>(w) && w->GetLabel() == text;
        });
        if (found != children.end())
            platform::RelateLabel(platform::GetDlgItem(&console, valueId), *found);
    }
}

std::string CallAnnouncement(const std::string& number) {
    return "전화 연결: " + number;
}

void AnnounceCall(wxWindow* callerField, const std::string& number) {
    if (!number.empty())
        platform::Announce(callerField, CallAnnouncement(number));
}
