// Driving the modal dialogs in tests: run a script inside ShowModal, record process
// ends instead of dying, and the keyboard paths that close a dialog.
#pragma once

#include <functional>
#include <vector>

class wxDialog;
class wxWindow;

namespace dlgtest {

// ShowModal() result when the script left the dialog open.
inline constexpr int kStillOpen = 4242;

// Runs script inside the dialog's modal loop (after its initialisation) and returns
// what ShowModal returned; a dialog still open after the script is ended with
// kStillOpen.
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
// A key pressed and released while the dialog has the keyboard (a GDK key value such
// as GDK_KEY_Return); it goes to the dialog's focused control as typed keys do.
void PressKey(wxDialog& dialog, unsigned keyval);
// The Escape key.
void PressEscape(wxDialog& dialog);
// The title bar's close box.
void PressCloseBox(wxDialog& dialog);

} // namespace dlgtest
