#include "dialogs/SignInWorker.h"

#include <utility>

#include "platform/CaughtBoxes.h"

SignInWorker::SignInWorker(Poster post, const ConnectionOpening* opening)
    : m_post(std::move(post)), m_opening(opening) {}

SignInWorker::~SignInWorker() {
    m_alive.reset();
    if (m_thread.joinable())
        m_thread.join();
}

bool SignInWorker::Start(SignInFields fields, Done done) {
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join(); // the last attempt's thread, finished: its result has come back
    m_running = true;
    m_thread = std::thread([this, fields = std::move(fields), done = std::move(done),
                            alive = std::weak_ptr<int>(m_alive)]() mutable {
        if (m_opening)
            m_opening->Wait(); // until then the connection is the open's
        SignInResult result;
        result.fields = std::move(fields);
        {
            const platform::CaughtBoxes caught(result.boxes);
            result.outcome = RunSignIn(result.fields);
        }
        m_post([this, alive, result = std::move(result), done = std::move(done)]() mutable {
            if (!alive.lock())
                return;
            m_running = false;
            done(std::move(result));
        });
    });
    return true;
}
