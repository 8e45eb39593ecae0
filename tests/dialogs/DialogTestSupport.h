// Driving modal dialogs in tests: scripts inside ShowModal, recorded exits, closing paths.
#pragma once

#include <functional>
#include <vector>

#include "dialogs/ProcessExit.h"

class wxDialog;
class wxWindow;

namespace dlgtest {

// ShowModal() result when the script left the dialog open.
inline constexpr int kStillOpen = 4242;

// Runs script inside the dialog's modal loop and returns what ShowModal returned.
int RunModal(wxDialog& dialog, const std::function<void()>& script);

// While it lives, ExitProcess records the status instead of ending the process.
struct ExitRecorder {
    ExitRecorder() {
        SetExitProcessHandler([this](int status) { statuses.push_back(status); });
    }
    ~ExitRecorder() { SetExitProcessHandler({}); }
    std::vector<int> statuses;
};

// Whether GTK gives this control the keyboard focus of its top-level window.
bool HasGtkFocus(wxWindow* window);
// Click of a button as the platform delivers it.
void ClickButton(wxDialog& dialog, int buttonId);
// A key (GDK key value) pressed and released; it goes to the focused control.
void PressKey(wxDialog& dialog, unsigned keyval);
// Closes the dialog one way: 0 clicks buttonId, 1 presses Escape, 2 the close box.
void CloseOneWay(wxDialog& dialog, int way, int buttonId);

// ShowModal's result for each way of CloseOneWay, each on a new dialog.
template <typename Dialog> std::vector<int> CloseThreeWays(int buttonId) {
    std::vector<int> results;
    for (int way = 0; way < 3; ++way) {
        Dialog dialog;
        results.push_back(RunModal(dialog, [&] { CloseOneWay(dialog, way, buttonId); }));
    }
    return results;
}

} // namespace dlgtest
