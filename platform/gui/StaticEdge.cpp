// The painted sunken edge of labels and radio buttons.
#include "platform/gui/StaticEdge.h"

#include "platform/gui/AppCss.h"
#include "platform/gui/SysColors.h"

#include <gtk/gtk.h>
#include <wx/window.h>

namespace platform {
namespace {

constexpr const char kEdgeKey[] = "zel-static-edge";

void SetSource(cairo_t* cr, const wxColour& colour) {
    cairo_set_source_rgb(cr, colour.Red() / 255.0, colour.Green() / 255.0, colour.Blue() / 255.0);
}

gboolean DrawEdgeAfter(GtkWidget* widget, cairo_t* cr, gpointer) {
    DrawStaticEdge(cr, gtk_widget_get_allocated_width(widget),
                   gtk_widget_get_allocated_height(widget));
    return FALSE;
}

} // namespace

void DrawStaticEdge(cairo_t* cr, int width, int height) {
    if (width < 2 || height < 2)
        return;
    cairo_save(cr);
    SetSource(cr, GetSysColor(COLOR_BTNSHADOW));
    cairo_rectangle(cr, 0, 0, width - 1, 1);
    cairo_rectangle(cr, 0, 0, 1, height - 1);
    cairo_fill(cr);
    SetSource(cr, GetSysColor(COLOR_BTNHIGHLIGHT));
    cairo_rectangle(cr, width - 1, 0, 1, height);
    cairo_rectangle(cr, 0, height - 1, width, 1);
    cairo_fill(cr);
    cairo_restore(cr);
}

void EnableStaticEdge(wxWindow* window) {
    if (!window || HasStaticEdge(window))
        return;
    GtkWidget* widget = window->m_widget;
    g_object_set_data(G_OBJECT(widget), kEdgeKey, GINT_TO_POINTER(1));
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), kCssClassStaticEdge);
    g_signal_connect_after(widget, "draw", G_CALLBACK(DrawEdgeAfter), nullptr);
    gtk_widget_queue_draw(widget);
}

bool HasStaticEdge(const wxWindow* window) {
    return window && window->m_widget &&
           g_object_get_data(G_OBJECT(window->m_widget), kEdgeKey) != nullptr;
}

} // namespace platform
