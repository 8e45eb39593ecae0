#include "console/window/MemoLimit.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include "util/Cp949.h"

namespace {

// The database keeps a line break as CR LF: it counts two bytes.
std::size_t Breaks(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// What of an insertion fits, a line break counting two; nullopt when all of it does.
std::optional<std::string> FitWithBreaks(std::size_t used, std::string_view inserted,
                                         std::size_t limit) {
    if (used + cp949::LimitLength(inserted) + Breaks(inserted) <= limit)
        return std::nullopt;
    std::string fits;
    for (std::size_t at = 0; at < inserted.size();) {
        std::size_t next = at + 1;
        while (next < inserted.size() &&
               (static_cast<unsigned char>(inserted[next]) & 0xC0) == 0x80)
            ++next;
        const std::string_view one = inserted.substr(at, next - at);
        const std::size_t bytes = cp949::LimitLength(one) + Breaks(one);
        if (used + bytes > limit)
            break;
        used += bytes;
        fits += one;
        at = next;
    }
    return fits;
}

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
    const std::size_t used = cp949::LimitLength(current) + Breaks(current);
    g_free(current);
    const std::string_view inserted(text, length < 0 ? std::char_traits<char>::length(text)
                                                     : std::size_t(length));
    const auto fits = FitWithBreaks(used, inserted, limit);
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
