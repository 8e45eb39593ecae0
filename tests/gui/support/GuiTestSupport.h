// Event pumping, recorded message boxes and rendering for GUI tests (zel_add_gui_test).
#pragma once

#include "platform/MessageBox.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>
#include <vector>

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

class wxTopLevelWindow;
class wxWindow;

namespace guitest {

// Runs the wx event loop for about ms milliseconds (events, CallAfter, timers, drawing).
void PumpEvents(int ms = 20);

// Pumps events until done() is true or timeoutMs has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// A key (GDK key value) pressed and released on a top-level window, as the keyboard
// delivers it: it goes to the window's focused control, unless another window's grab
// takes it.
void SendKey(wxTopLevelWindow* window, unsigned keyval);

// Shows a top-level window and gives it the focus (Xvfb has no window manager to do so).
bool ShowAndActivate(wxTopLevelWindow* window, int timeoutMs = 3000);

// While it lives, records every message box and answers IDYES (Yes/No) or IDOK; thread-safe.
class ScriptedMessageBoxes {
  public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    std::size_t Count() const;
    platform::MessageBoxRequest Last() const;

  private:
    mutable std::mutex m_mutex;
    std::vector<platform::MessageBoxRequest> m_boxes;
    platform::MessageBoxHandler m_previous;
};

// Draws a realised window as GTK paints it into an image; it need not be on screen.
wxImage RenderWindow(wxWindow* window);

wxColour PixelAt(const wxImage& image, int x, int y);
// Pixels of exactly that colour within rect (the whole image if empty): count, bounds.
int CountPixels(const wxImage& image, const wxColour& colour, wxRect rect = {});
wxRect BoundsOfColour(const wxImage& image, const wxColour& colour, wxRect rect = {});

} // namespace guitest

// Failure messages show colours as RGB(r, g, b).
void PrintTo(const wxColour& colour, std::ostream* os);
