// The sign-in's statements off the window's thread. An attempt (RunSignIn) runs on a
// thread of its own, which alone uses the agent environment's connection until the
// attempt has come back; the window goes on painting and taking keys meanwhile. The
// database error boxes the statements raise are caught on that thread and handed back
// with the outcome, for the window to show in their order. While the start-up's open of
// the connection is still out, an attempt waits for it before its first statement.
#pragma once

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "dialogs/ConnectionOpening.h"
#include "dialogs/SignIn.h"
#include "platform/MessageBox.h"

// What one attempt came to, with the fields it ran with (trimmed as RunSignIn left them).
struct SignInResult {
    SignInFields fields;
    SignInOutcome outcome;
    std::vector<platform::MessageBoxRequest> boxes; // raised by the statements, not shown
};

class SignInWorker {
  public:
    // post queues a call on the UI thread (platform::PostToUiThread in the program).
    using Poster = std::function<void(std::function<void()>)>;
    using Done = std::function<void(SignInResult)>;

    // opening, when given, is the start-up's open of the connection; it outlives the worker.
    explicit SignInWorker(Poster post, const ConnectionOpening* opening = nullptr);
    // Waits for an attempt still running (at most the client library's timeouts); its
    // outcome is dropped.
    ~SignInWorker();
    SignInWorker(const SignInWorker&) = delete;
    SignInWorker& operator=(const SignInWorker&) = delete;

    // Starts an attempt with these fields; done runs on the UI thread with its result.
    // False, and nothing started, while the previous attempt has not come back.
    bool Start(SignInFields fields, Done done);
    // From Start until done has been called.
    bool Running() const { return m_running; }

  private:
    Poster m_post;
    const ConnectionOpening* m_opening;
    std::thread m_thread;
    bool m_running = false; // UI thread only
    // Dropped with the worker: a result posted before then finds it gone and is dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
