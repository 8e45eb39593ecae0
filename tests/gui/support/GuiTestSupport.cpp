// Event pumping, recorded message boxes and rendering for the GUI tests.
#include "tests/gui/support/GuiTestSupport.h"

#include <algorithm>
#include <chrono>

#include <gtk/gtk.h>
#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

namespace guitest {

void PumpEvents(int ms) {
    wxGUIEventLoop loop;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.Exit(); });
    timer.StartOnce(std::max(ms, 1));
    loop.Run();
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return done();
        PumpEvents(10);
    }
    return true;
}

void SendKey(wxTopLevelWindow* window, unsigned keyval) {
    GdkWindow* gdkWindow = gtk_widget_get_window(window->m_widget);
    GdkDisplay* display = gdk_window_get_display(gdkWindow);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count);
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(gdkWindow));
        event->key.send_event = TRUE;
        event->key.time = GDK_CURRENT_TIME;
        event->key.keyval = keyval;
        event->key.hardware_keycode = count > 0 ? keys[0].keycode : 0;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
    g_free(keys);
}

bool ShowAndActivate(wxTopLevelWindow* window, int timeoutMs) {
    window->Show();
    PumpUntil([window] { return gtk_widget_get_mapped(window->m_widget) != FALSE; }, timeoutMs);
    for (int attempt = 0; attempt < 5 && !window->IsActive(); ++attempt) {
        window->Raise();
        gtk_window_present_with_time(GTK_WINDOW(window->m_widget), GDK_CURRENT_TIME);
        if (GdkWindow* gdkWindow = gtk_widget_get_window(window->m_widget))
            gdk_window_focus(gdkWindow, GDK_CURRENT_TIME);
        PumpUntil([window] { return window->IsActive(); }, timeoutMs / 5);
    }
    PumpEvents(20);
    return window->IsActive();
}

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    m_previous = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& request) {
        std::lock_guard lock(m_mutex);
        m_boxes.push_back(request);
        return (request.style & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
    });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    platform::SetMessageBoxHandler(m_previous);
}

std::size_t ScriptedMessageBoxes::Count() const {
    std::lock_guard lock(m_mutex);
    return m_boxes.size();
}

platform::MessageBoxRequest ScriptedMessageBoxes::Last() const {
    std::lock_guard lock(m_mutex);
    return m_boxes.empty() ? platform::MessageBoxRequest{} : m_boxes.back();
}

wxImage RenderWindow(wxWindow* window) {
    GtkWidget* widget = window->m_widget;
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    if (width <= 0 || height <= 0)
        return wxImage();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    wxImage image(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
            image.SetRGB(x, y, (row[x] >> 16) & 0xFF, (row[x] >> 8) & 0xFF, row[x] & 0xFF);
    }
    cairo_surface_destroy(surface);
    return image;
}

wxColour PixelAt(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

namespace {
// Pixels of exactly colour within rect (the whole image if empty): their count and bounds.
int Scan(const wxImage& image, const wxColour& colour, wxRect rect, wxRect& bounds) {
    rect = rect.IsEmpty() ? wxRect(image.GetSize()) : rect.Intersect(wxRect(image.GetSize()));
    int count = 0;
    for (int y = rect.GetTop(); y <= rect.GetBottom(); ++y)
        for (int x = rect.GetLeft(); x <= rect.GetRight(); ++x)
            if (PixelAt(image, x, y) == colour)
                bounds = count++ ? bounds.Union(wxRect(x, y, 1, 1)) : wxRect(x, y, 1, 1);
    return count;
}
} // namespace

int CountPixels(const wxImage& image, const wxColour& colour, wxRect rect) {
    wxRect bounds;
    return Scan(image, colour, rect, bounds);
}

wxRect BoundsOfColour(const wxImage& image, const wxColour& colour, wxRect rect) {
    wxRect bounds;
    Scan(image, colour, rect, bounds);
    return bounds;
}

} // namespace guitest

void PrintTo(const wxColour& colour, std::ostream* os) {
    *os << "RGB(" << int(colour.Red()) << ", " << int(colour.Green()) << ", " << int(colour.Blue())
        << ")";
}
