#include "console/MemoLimit.h"

#include <string_view>

#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include "util/Cp949.h"

namespace {

constexpr const char* kLimitKey = "zel-memo-byte-limit";
constexpr const char* kHandlerKey = "zel-memo-byte-limit-handler";

// "insert-text" of the text buffer sees every insertion before it lands: typing,
// pasting, dropping, and the commit of an input method (its preedit is not in the
// buffer).
void OnInsertText(GtkTextBuffer* buffer, GtkTextIter* location, gchar* text, gint length,
                  gpointer view) {
    const auto limit = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(buffer), kLimitKey));
    if (limit == 0)
        return;
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar* current = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
    const std::size_t used = cp949::LimitLength(current);
    g_free(current);
    const std::string_view inserted(text, length < 0 ? std::char_traits<char>::length(text)
                                                     : std::size_t(length));
    const auto fits = cp949::FitInsertion(used, inserted, limit);
    if (!fits)
        return;

    g_signal_handlers_block_by_func(buffer, reinterpret_cast<gpointer>(OnInsertText), view);
    if (!fits->empty())
        gtk_text_buffer_insert(buffer, location, fits->data(), gint(fits->size()));
    g_signal_handlers_unblock_by_func(buffer, reinterpret_cast<gpointer>(OnInsertText), view);
    g_signal_stop_emission_by_name(buffer, "insert-text");
    gtk_widget_error_bell(GTK_WIDGET(view));
}

GtkTextView* TextViewOf(wxTextCtrl& memo) {
    auto* widget = static_cast<GtkWidget*>(memo.GetHandle());
    if (widget && GTK_IS_TEXT_VIEW(widget))
        return GTK_TEXT_VIEW(widget);
    if (widget && GTK_IS_BIN(widget)) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget));
        if (child && GTK_IS_TEXT_VIEW(child))
            return GTK_TEXT_VIEW(child);
    }
    return nullptr;
}

} // namespace

void SetMemoByteLimit(wxTextCtrl& memo, std::size_t maxBytes) {
    GtkTextView* view = TextViewOf(memo);
    if (view == nullptr)
        return;
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
    g_object_set_data(G_OBJECT(buffer), kLimitKey, GSIZE_TO_POINTER(maxBytes));
    if (g_object_get_data(G_OBJECT(buffer), kHandlerKey) == nullptr) {
        g_signal_connect(buffer, "insert-text", G_CALLBACK(OnInsertText), view);
        g_object_set_data(G_OBJECT(buffer), kHandlerKey, GINT_TO_POINTER(1));
    }
}
