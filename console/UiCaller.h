// Work handed from the console's worker thread to the UI thread, with a wait the
// worker can give up: a worker told to stop must never hang on a UI thread that is
// itself waiting for the worker to end.
#pragma once

#include <functional>
#include <stop_token>
#include <thread>

class UiCaller {
  public:
    // Queues a task to run later on the UI thread (wxTheApp->CallAfter in the program,
    // a queue the test pumps in tests).
    using Poster = std::function<void(std::function<void()>)>;

    // The thread that constructs the caller is the UI thread.
    explicit UiCaller(Poster post);

    bool OnUiThread() const { return std::this_thread::get_id() == m_uiThread; }

    // On the UI thread fn runs at once. From any other thread it is queued and the
    // caller waits until it has run, or until stop is requested: fn then never starts
    // if it had not yet (a task that has started runs to its end on the UI thread,
    // while the caller goes on). True when fn ran to its end before the caller left.
    // fn must own what it uses (capture by value): the caller may leave before it runs.
    bool RunAndWait(std::function<void()> fn, std::stop_token stop) const;

  private:
    Poster m_post;
    std::thread::id m_uiThread;
};
