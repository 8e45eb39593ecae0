// Event pumping, scripted message boxes and rendering for the GUI tests.
#include "tests/gui/support/GuiTestSupport.h"

#include <algorithm>
#include <chrono>

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

namespace guitest {
namespace {

wxImage ImageFromSurface(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    wxImage image(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
            image.SetRGB(x, y, (row[x] >> 16) & 0xFF, (row[x] >> 8) & 0xFF, row[x] & 0xFF);
    }
    return image;
}

wxRect Within(const wxImage& image, wxRect rect) {
    const wxRect whole(0, 0, image.GetWidth(), image.GetHeight());
    return rect.IsEmpty() ? whole : rect.Intersect(whole);
}

} // namespace

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

bool ShowAndActivate(wxTopLevelWindow* window, int timeoutMs) {
    window->Show();
    PumpUntil([window] { return gtk_widget_get_mapped(window->m_widget) != FALSE; }, timeoutMs);
    // No window manager under Xvfb: ask for the input focus directly.
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

ScriptedMessageBoxes::ScriptedMessageBoxes(const std::vector<int>& answers)
    : m_answers(answers.begin(), answers.end()), m_defaultYesNo(platform::IDYES) {
    m_previous = platform::SetMessageBoxHandler(
        [this](const platform::MessageBoxRequest& request) { return Answer(request); });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    platform::SetMessageBoxHandler(m_previous);
}

void ScriptedMessageBoxes::Push(int answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

void ScriptedMessageBoxes::SetDefaultYesNoAnswer(int answer) {
    std::lock_guard lock(m_mutex);
    m_defaultYesNo = answer;
}

std::vector<RecordedBox> ScriptedMessageBoxes::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::size_t ScriptedMessageBoxes::Count() const {
    std::lock_guard lock(m_mutex);
    return m_boxes.size();
}

platform::MessageBoxRequest ScriptedMessageBoxes::Last() const {
    std::lock_guard lock(m_mutex);
    return m_boxes.empty() ? platform::MessageBoxRequest{} : m_boxes.back().request;
}

void ScriptedMessageBoxes::Clear() {
    std::lock_guard lock(m_mutex);
    m_boxes.clear();
}

int ScriptedMessageBoxes::Answer(const platform::MessageBoxRequest& request) {
    std::lock_guard lock(m_mutex);
    m_boxes.push_back({request, std::this_thread::get_id()});
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return (request.style & 0xF) == platform::MB_YESNO ? m_defaultYesNo : platform::IDOK;
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
    wxImage image = ImageFromSurface(surface);
    cairo_surface_destroy(surface);
    return image;
}

wxImage CaptureScreen(wxWindow* window) {
    GdkWindow* gdkWindow = gtk_widget_get_window(window->m_widget);
    if (!gdkWindow)
        return wxImage();
    const wxRect rect = window->GetScreenRect();
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), rect.x, rect.y,
                                                   rect.width, rect.height);
    if (!pixbuf)
        return wxImage();
    wxImage image(rect.width, rect.height);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < rect.height; ++y) {
        for (int x = 0; x < rect.width; ++x) {
            const guchar* p = pixels + y * stride + x * channels;
            image.SetRGB(x, y, p[0], p[1], p[2]);
        }
    }
    g_object_unref(pixbuf);
    return image;
}

wxColour PixelAt(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

int CountPixels(const wxImage& image, const wxColour& colour, wxRect rect) {
    rect = Within(image, rect);
    int count = 0;
    for (int y = rect.GetTop(); y <= rect.GetBottom(); ++y) {
        for (int x = rect.GetLeft(); x <= rect.GetRight(); ++x) {
            if (image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
                image.GetBlue(x, y) == colour.Blue())
                ++count;
        }
    }
    return count;
}

wxRect BoundsOfColour(const wxImage& image, const wxColour& colour, wxRect rect) {
    rect = Within(image, rect);
    wxRect bounds;
    bool any = false;
    for (int y = rect.GetTop(); y <= rect.GetBottom(); ++y) {
        for (int x = rect.GetLeft(); x <= rect.GetRight(); ++x) {
            if (image.GetRed(x, y) != colour.Red() || image.GetGreen(x, y) != colour.Green() ||
                image.GetBlue(x, y) != colour.Blue())
                continue;
            if (!any) {
                bounds = wxRect(x, y, 1, 1);
                any = true;
            } else {
                bounds.Union(wxRect(x, y, 1, 1));
            }
        }
    }
    return bounds;
}

bool SavePng(const wxImage& image, const std::string& path) {
    return image.IsOk() && image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

} // namespace guitest

void PrintTo(const wxColour& colour, std::ostream* os) {
    *os << "RGB(" << int(colour.Red()) << ", " << int(colour.Green()) << ", " << int(colour.Blue())
        << ")";
}
