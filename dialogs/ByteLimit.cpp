#include "dialogs/ByteLimit.h"

#include <cstring>
#include <string>
#include <string_view>

#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include "util/Cp949.h"

namespace {

constexpr const char* kLimitKey = "zel-byte-limit";
constexpr const char* kProgramSetKey = "zel-byte-limit-program-set";
constexpr const char* kHandlerKey = "zel-byte-limit-handler";

// "insert-text" of the entry: every insertion, typed, pasted, dropped or committed by
// an input method, passes here before it reaches the text.
void OnInsertText(GtkEditable* editable, const gchar* text, gint length, gint* position, gpointer) {
    const auto limit = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(editable), kLimitKey));
    if (limit == 0 || g_object_get_data(G_OBJECT(editable), kProgramSetKey) != nullptr)
        return;
    const std::string_view inserted(text, length < 0 ? std::strlen(text) : std::size_t(length));
    const auto fits = cp949::FitInsertion(
        cp949::LimitLength(gtk_entry_get_text(GTK_ENTRY(editable))), inserted, limit);
    if (!fits)
        return;

    g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(OnInsertText), nullptr);
    if (!fits->empty())
        gtk_editable_insert_text(editable, fits->data(), gint(fits->size()), position);
    g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(OnInsertText), nullptr);
    g_signal_stop_emission_by_name(editable, "insert-text");
    gtk_widget_error_bell(GTK_WIDGET(editable));
}

GtkEntry* EntryOf(wxTextCtrl& field) {
    auto* widget = static_cast<GtkWidget*>(field.GetHandle());
    return widget && GTK_IS_ENTRY(widget) ? GTK_ENTRY(widget) : nullptr;
}

} // namespace

void SetByteLimit(wxTextCtrl& field, std::size_t maxBytes) {
    GtkEntry* entry = EntryOf(field);
    if (entry == nullptr)
        return;
    g_object_set_data(G_OBJECT(entry), kLimitKey, GSIZE_TO_POINTER(maxBytes));
    if (g_object_get_data(G_OBJECT(entry), kHandlerKey) == nullptr) {
        g_signal_connect(entry, "insert-text", G_CALLBACK(OnInsertText), nullptr);
        g_object_set_data(G_OBJECT(entry), kHandlerKey, GINT_TO_POINTER(1));
    }
}

void ChangeValueUnchecked(wxTextCtrl& field, const wxString& text) {
    GtkEntry* entry = EntryOf(field);
    if (entry)
        g_object_set_data(G_OBJECT(entry), kProgramSetKey, GINT_TO_POINTER(1));
    field.ChangeValue(text);
    if (entry)
        g_object_set_data(G_OBJECT(entry), kProgramSetKey, nullptr);
}
