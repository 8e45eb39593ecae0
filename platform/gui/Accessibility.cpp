// Accessible names, roles, relations and announcements through ATK.
#include "platform/gui/Accessibility.h"

#include <gtk/gtk.h>
#include <wx/control.h>
#include <wx/window.h>

namespace platform {
namespace {

// The widget that takes the input (the text view of a multi-line field, ...).
AtkObject* AccessibleOf(wxWindow* window) {
    if (!window)
        return nullptr;
    GtkWidget* widget = window->GetConnectWidget();
    return widget ? gtk_widget_get_accessible(widget) : nullptr;
}

std::string TextOf(wxWindow* window) {
    if (auto* control = dynamic_cast<wxControl*>(window))
        return control->GetLabelText().ToStdString(wxConvUTF8);
    return window->GetLabel().ToStdString(wxConvUTF8);
}

void Relate(AtkObject* field, AtkObject* label) {
    atk_object_add_relationship(field, ATK_RELATION_LABELLED_BY, label);
    atk_object_add_relationship(label, ATK_RELATION_LABEL_FOR, field);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

bool IsAscii(char c) {
    return (static_cast<unsigned char>(c) & 0x80) == 0;
}

} // namespace

std::string PlainAccessibleText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsBlank(text[i])) {
            plain += text[i++];
            continue;
        }
        std::size_t end = i;
        bool lineBreak = false;
        while (end < text.size() && IsBlank(text[end]))
            lineBreak |= text[end++] == '\n';
        const bool leading = plain.empty();
        const bool trailing = end == text.size();
        // Blanks that space syllables out, or a line break that splits a word over two
        // lines ("로그\n아웃"), stand between two non-ASCII characters.
        const bool spacing = (end - i >= 2 || lineBreak) && !leading && !trailing &&
                             !IsAscii(plain.back()) && !IsAscii(text[end]);
        if (!leading && !trailing && !spacing)
            plain += ' ';
        i = end;
    }
    return plain;
}

void SetAccessibleLabel(wxWindow* field, wxWindow* label) {
    AtkObject* fieldAccessible = AccessibleOf(field);
    AtkObject* labelAccessible = AccessibleOf(label);
    if (!fieldAccessible || !labelAccessible)
        return;
    const std::string name = PlainAccessibleText(TextOf(label));
    atk_object_set_name(fieldAccessible, name.c_str());
    atk_object_set_name(labelAccessible, name.c_str());
    Relate(fieldAccessible, labelAccessible);
}

void RelateLabel(wxWindow* field, wxWindow* label) {
    AtkObject* fieldAccessible = AccessibleOf(field);
    AtkObject* labelAccessible = AccessibleOf(label);
    if (!fieldAccessible || !labelAccessible)
        return;
    atk_object_set_description(fieldAccessible, PlainAccessibleText(TextOf(label)).c_str());
    Relate(fieldAccessible, labelAccessible);
}

void LabelGroup(std::span<wxWindow* const> members, void* labelWidget) {
    if (!labelWidget || !GTK_IS_WIDGET(labelWidget))
        return;
    AtkObject* label = gtk_widget_get_accessible(GTK_WIDGET(labelWidget));
    for (wxWindow* member : members)
        if (AtkObject* accessible = AccessibleOf(member))
            Relate(accessible, label);
}

std::string GetAccessibleName(wxWindow* window) {
    AtkObject* accessible = AccessibleOf(window);
    const char* name = accessible ? atk_object_get_name(accessible) : nullptr;
    return name ? name : "";
}

void SetAccessibleName(wxWindow* window, const std::string& name) {
    if (AtkObject* accessible = AccessibleOf(window))
        atk_object_set_name(accessible, name.c_str());
}

void ExposeAsDialog(wxWindow* topLevel) {
    // A wx dialog is a plain GtkWindow, which ATK reports as a frame.
    if (!topLevel || !topLevel->m_widget)
        return;
    atk_object_set_role(gtk_widget_get_accessible(topLevel->m_widget), ATK_ROLE_DIALOG);
}

bool Announce(wxWindow* source, const std::string& text) {
    AtkObject* accessible = AccessibleOf(source);
    // The signal came with ATK 2.46; an older ATK has no way to announce.
    if (!accessible || g_signal_lookup("announcement", ATK_TYPE_OBJECT) == 0)
        return false;
    g_signal_emit_by_name(accessible, "announcement", text.c_str());
    return true;
}

} // namespace platform
