// Support for every GUI test: the library's main() starts wx (wxEntryStart, then
// platform::InitGuiPlatform), runs all tests and cleans up (wxEntryCleanup).
// Link zel_gui_test_support instead of GTest::gtest_main and register the binary with
// zel_add_gui_test (tests/gui/support/ZelGuiTest.cmake), which runs it under xvfb-run.
#pragma once

#include "platform/MessageBox.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <ostream>

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

class wxTopLevelWindow;
class wxWindow;

namespace guitest {

// Runs the wx event loop for about ms milliseconds (a short nested wxGUIEventLoop),
// so that queued events, CallAfter calls, timers and GTK drawing happen.
void PumpEvents(int ms = 20);

// Pumps events until done() is true or timeoutMs has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// Shows a top-level window, raises it and gives it the input focus (under Xvfb there
// is no window manager to do so), pumping until it is active. Returns IsActive().
bool ShowAndActivate(wxTopLevelWindow* window, int timeoutMs = 3000);

// One message box as the program asked for it, with the thread it was asked on.
struct RecordedBox {
    platform::MessageBoxRequest request;
    std::thread::id thread;
};

// Answers message boxes from a queue while it lives, recording every request; the
// previous handler comes back when it ends. With the queue empty a box gets the
// default answer (IDOK for an OK box, IDYES for a Yes/No box unless set otherwise).
// Thread-safe: boxes of the worker thread are answered on the worker thread.
class ScriptedMessageBoxes {
  public:
    explicit ScriptedMessageBoxes(const std::vector<int>& answers = {});
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void Push(int answer);
    void SetDefaultYesNoAnswer(int answer); // IDYES or IDNO

    std::vector<RecordedBox> Boxes() const;
    std::size_t Count() const;
    // The last box, or an empty request when none was asked for.
    platform::MessageBoxRequest Last() const;
    void Clear();

  private:
    int Answer(const platform::MessageBoxRequest& request);

    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    int m_defaultYesNo;
    std::vector<RecordedBox> m_boxes;
    platform::MessageBoxHandler m_previous;
};

// Draws a window (with its children) as GTK paints it into an RGB image of the
// window's size. The window need not be on screen, but must be realised (shown once).
wxImage RenderWindow(wxWindow* window);

// Grabs the window's area from the X display (what the screen shows, including
// everything on top of it).
wxImage CaptureScreen(wxWindow* window);

// Pixel helpers for checks.
wxColour PixelAt(const wxImage& image, int x, int y);
// Number of pixels of exactly that colour within rect (the whole image if empty).
int CountPixels(const wxImage& image, const wxColour& colour, wxRect rect = {});
// Bounding box of the pixels of exactly that colour within rect; empty if none.
wxRect BoundsOfColour(const wxImage& image, const wxColour& colour, wxRect rect = {});

// Writes a PNG for a human to look at (returns false on failure).
bool SavePng(const wxImage& image, const std::string& path);

} // namespace guitest

// Failure messages show colours as RGB(r, g, b).
void PrintTo(const wxColour& colour, std::ostream* os);
