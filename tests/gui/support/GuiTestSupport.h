// Support for every GUI test: the library's main() starts wx (wxEntryStart, then
// platform::InitGuiPlatform), runs all tests and cleans up. Link zel_gui_test_support
// instead of GTest::gtest_main and register the binary with zel_add_gui_test
// (tests/gui/support/ZelGuiTest.cmake), which runs it under xvfb-run.
#pragma once

#include "platform/MessageBox.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

class wxTopLevelWindow;
class wxWindow;

namespace guitest {

// Runs the wx event loop for about ms milliseconds, so that queued events, CallAfter
// calls, timers and GTK drawing happen.
void PumpEvents(int ms = 20);

// Pumps events until done() is true or timeoutMs has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// Shows a top-level window and gives it the input focus (under Xvfb there is no
// window manager to do so), pumping until it is active. Returns IsActive().
bool ShowAndActivate(wxTopLevelWindow* window, int timeoutMs = 3000);

// While it lives, answers every message box at once (IDYES for a Yes/No box, IDOK
// otherwise) and records it; the previous handler comes back when it ends.
// Thread-safe: boxes of a worker thread are answered on that thread.
class ScriptedMessageBoxes {
  public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    std::size_t Count() const;
    // The last box, or an empty request when none was asked for.
    platform::MessageBoxRequest Last() const;
    void Clear();

  private:
    mutable std::mutex m_mutex;
    std::vector<platform::MessageBoxRequest> m_boxes;
    platform::MessageBoxHandler m_previous;
};

// Draws a realised window (with its children) as GTK paints it into an RGB image of
// the window's size; the window need not be on screen.
wxImage RenderWindow(wxWindow* window);

wxColour PixelAt(const wxImage& image, int x, int y);
// Number of pixels of exactly that colour within rect (the whole image if empty).
int CountPixels(const wxImage& image, const wxColour& colour, wxRect rect = {});
// Bounding box of the pixels of exactly that colour within rect; empty if none.
wxRect BoundsOfColour(const wxImage& image, const wxColour& colour, wxRect rect = {});

} // namespace guitest

// Failure messages show colours as RGB(r, g, b).
void PrintTo(const wxColour& colour, std::ostream* os);
