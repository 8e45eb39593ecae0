// Driving the modal dialogs in tests: run a script inside ShowModal, record process
// ends instead of dying, and the keyboard and mouse paths that close a dialog.
#pragma once

#include <functional>
#include <vector>

class wxDialog;
class wxWindow;

namespace dlgtest {

// ShowModal() result when the script left the dialog open.
inline constexpr int kStillOpen = 4242;

// Runs script inside the dialog's modal loop (after its initialisation) and returns
// what ShowModal returned; a dialog still open after the script ends with kStillOpen.
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

// The control of the window's top-level that GTK gives the keyboard focus to.
bool HasGtkFocus(wxWindow* window);

// Click of a button as the platform delivers it.
void ClickButton(wxDialog& dialog, int buttonId);
// A key (a GDK key value such as GDK_KEY_Return) pressed and released while the
// dialog has the keyboard; it goes to the focused control as typed keys do.
void PressKey(wxDialog& dialog, unsigned keyval);
// Closes the dialog one way: 0 clicks buttonId, 1 presses Escape, 2 the close box.
void CloseOneWay(wxDialog& dialog, int way, int buttonId);

// What ShowModal returns for each of the three ways of CloseOneWay, each on a new
// dialog, after before(dialog) when given.
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
