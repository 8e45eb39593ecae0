// Driving modal dialogs in tests: scripts inside ShowModal, recorded exits, closing paths.
#pragma once

#include <functional>
#include <vector>

class wxDialog;
class wxWindow;

namespace dlgtest {

// ShowModal() result when the script left the dialog open.
inline constexpr int kStillOpen = 4242;

// Runs script inside the dialog's modal loop and returns what ShowModal returned.
int RunModal(wxDialog& dialog, const std::function<void()>& script);

// While it lives, ExitProcess records the status instead of ending the process.
class ExitRecorder {
  public:
    ExitRecorder();
    ~ExitRecorder();
    ExitRecorder(const ExitRecorder&) = delete;
    ExitRecorder& operator=(const ExitRecorder&) = delete;
    const std::vector<int>& Statuses() const { return statuses_; }

  private:
    std::vector<int> statuses_;
};

// Whether GTK gives this control the keyboard focus of its top-level window.
bool HasGtkFocus(wxWindow* window);

// Click of a button as the platform delivers it.
void ClickButton(wxDialog& dialog, int buttonId);
// A key (GDK key value) pressed and released; it goes to the focused control.
void PressKey(wxDialog& dialog, unsigned keyval);
// Closes the dialog one way: 0 clicks buttonId, 1 presses Escape, 2 the close box.
void CloseOneWay(wxDialog& dialog, int way, int buttonId);

// ShowModal's result for each way of CloseOneWay, each on a new dialog after before().
template <typename Dialog>
std::vector<int> CloseThreeWays(int buttonId, const std::function<void(Dialog&)>& before = {}) {
    std::vector<int> results;
    for (int way = 0; way < 3; ++way) {
        Dialog dialog;
        results.push_back(RunModal(dialog, [&] {
            if (before)
                before(dialog);
            CloseOneWay(dialog, way, buttonId);
        }));
    }
    return results;
}

} // namespace dlgtest
