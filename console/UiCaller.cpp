#include "console/UiCaller.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// One task on its way to the UI thread; shared by the waiting thread and the task.
struct PendingCall {
    enum class State { Pending, Running, Done, Abandoned };
    std::mutex mutex;
    std::condition_variable_any done;
    State state = State::Pending;
};

} // namespace

UiCaller::UiCaller(Poster post) : m_post(std::move(post)), m_uiThread(std::this_thread::get_id()) {}

bool UiCaller::RunAndWait(std::function<void()> fn, std::stop_token stop) const {
    if (OnUiThread()) {
        fn();
        return true;
    }
    if (stop.stop_requested() || !m_post)
        return false;
    auto call = std::make_shared<PendingCall>();
    m_post([call, fn = std::move(fn)] {
        {
            std::lock_guard lock(call->mutex);
            if (call->state == PendingCall::State::Abandoned)
                return;
            call->state = PendingCall::State::Running;
        }
        fn();
        {
            std::lock_guard lock(call->mutex);
            call->state = PendingCall::State::Done;
        }
        call->done.notify_all();
    });
    std::unique_lock lock(call->mutex);
    if (call->done.wait(lock, stop, [&call] { return call->state == PendingCall::State::Done; }))
        return true;
    if (call->state == PendingCall::State::Pending)
        call->state = PendingCall::State::Abandoned;
    return false;
}
