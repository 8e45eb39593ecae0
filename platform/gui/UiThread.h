// Running work on the UI thread. GTK is not thread-safe: every window operation of
// the worker thread goes through these calls.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <type_traits>
#include <utility>

class wxWindow;

namespace platform {

// True on the thread that runs the wx event loop (the main thread).
bool IsUiThread();

// Queues fn to run on the UI thread (wxTheApp->CallAfter) and returns at once. From
// the UI thread itself fn still runs later, never inside this call. Without an
// application object fn is dropped.
void PostToUiThread(std::function<void()> fn);

// Runs fn on the UI thread and returns its result. On the UI thread it runs directly;
// from any other thread it is queued and the caller blocks until it has run.
// The caller must not hold a lock that the UI thread may need while fn is pending,
// or the two threads wait on each other for ever. Without an application object fn
// runs on the calling thread. If the application drops the queued call unrun (it is
// ending), the caller gets a value-initialised result and fn never runs.
template <class F> std::invoke_result_t<F&> RunOnUiThreadAndWait(F&& fn);

// Runs fn on the UI thread only while one window still exists: a callback whose
// window has gone is dropped instead of touching a deleted window. Make it on the UI
// thread (it takes a wxWeakRef there); copies of the shared pointer may then be handed
// to and used from any thread.
class WindowCaller {
  public:
    // Call on the UI thread.
    static std::shared_ptr<WindowCaller> Create(wxWindow* window);

    // Queues fn; on the UI thread it runs if the window still exists.
    void Post(std::function<void()> fn) const;

    // Runs fn on the UI thread if the window still exists, waiting for it as
    // RunOnUiThreadAndWait does. Returns false when the window had gone (fn not run).
    bool RunAndWait(std::function<void()> fn) const;

    // True while the window exists. Meaningful on the UI thread only.
    bool IsAlive() const;

    struct State;

  private:
    explicit WindowCaller(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    std::shared_ptr<State> m_state;
};

// Posts fn to run later on the UI thread, dropped if the window is gone by then.
// Call on the UI thread (to defer work out of an event handler).
void CallAfterOnWindow(wxWindow* window, std::function<void()> fn);

// ---- implementation of the template ----

namespace detail {
bool HasApp();
}

template <class F> std::invoke_result_t<F&> RunOnUiThreadAndWait(F&& fn) {
    using R = std::invoke_result_t<F&>;
    if (IsUiThread() || !detail::HasApp())
        return fn();
    auto promise = std::make_shared<std::promise<R>>();
    std::future<R> result = promise->get_future();
    // The queued call holds the only reference: dropped unrun, it breaks the promise.
    PostToUiThread([promise = std::move(promise), &fn] {
        if constexpr (std::is_void_v<R>) {
            fn();
            promise->set_value();
        } else {
            promise->set_value(fn());
        }
    });
    try {
        return result.get();
    } catch (const std::future_error&) { // the queued call was destroyed unrun
        if constexpr (!std::is_void_v<R>)
            return R{};
    }
}

} // namespace platform
