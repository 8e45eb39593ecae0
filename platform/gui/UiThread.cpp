// Calls onto the UI thread over wxTheApp->CallAfter.
#include "platform/gui/UiThread.h"

#include <wx/app.h>
#include <wx/thread.h>
#include <wx/weakref.h>
#include <wx/window.h>

namespace platform {

// The weak reference is made, read and destroyed on the UI thread only: wxWeakRef
// links itself into the window's tracker list, which is not thread-safe.
struct WindowCaller::State {
    wxWeakRef<wxWindow> window;
};

namespace detail {
bool HasApp() {
    return wxTheApp != nullptr;
}
} // namespace detail

bool IsUiThread() {
    return wxIsMainThread();
}

void PostToUiThread(std::function<void()> fn) {
    if (wxTheApp && fn)
        wxTheApp->CallAfter(std::move(fn));
}

std::shared_ptr<WindowCaller> WindowCaller::Create(wxWindow* window) {
    std::shared_ptr<State> state(new State{window}, [](State* s) {
        if (IsUiThread() || !wxTheApp)
            delete s;
        else
            wxTheApp->CallAfter([s] { delete s; });
    });
    return std::shared_ptr<WindowCaller>(new WindowCaller(std::move(state)));
}

void WindowCaller::Post(std::function<void()> fn) const {
    PostToUiThread([state = m_state, fn = std::move(fn)] {
        if (state->window)
            fn();
    });
}

bool WindowCaller::RunAndWait(std::function<void()> fn) const {
    return RunOnUiThreadAndWait([this, &fn] {
        if (!m_state->window)
            return false;
        fn();
        return true;
    });
}

bool WindowCaller::IsAlive() const {
    return m_state->window.get() != nullptr;
}

void CallAfterOnWindow(wxWindow* window, std::function<void()> fn) {
    WindowCaller::Create(window)->Post(std::move(fn));
}

} // namespace platform
