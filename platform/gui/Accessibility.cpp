// Accessible names and label relations through ATK.
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

} // namespace

void SetAccessibleLabel(wxWindow* field, wxWindow* label) {
    AtkObject* fieldAccessible = AccessibleOf(field);
    AtkObject* labelAccessible = AccessibleOf(label);
    if (!fieldAccessible || !labelAccessible)
        return;
    atk_object_set_name(fieldAccessible, TextOf(label).c_str());
    atk_object_add_relationship(fieldAccessible, ATK_RELATION_LABELLED_BY, labelAccessible);
    atk_object_add_relationship(labelAccessible, ATK_RELATION_LABEL_FOR, fieldAccessible);
}

std::string GetAccessibleName(wxWindow* window) {
    AtkObject* accessible = AccessibleOf(window);
    const char* name = accessible ? atk_object_get_name(accessible) : nullptr;
    return name ? name : "";
}

} // namespace platform
