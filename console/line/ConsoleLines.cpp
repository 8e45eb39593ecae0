#include "console/line/ConsoleLines.h"

#include <chrono>
#include <utility>

#include "console/line/StatementRunner.h"

DbLine::DbLine(CTELVOAgentEnv& env, Poster post) : m_env(env), m_post(std::move(post)) {}

DbLine::~DbLine() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
    }
    m_shared->changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void DbLine::Start() {
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void DbLine::Submit(LineRequest request, Done done) {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->waiting.push_back({std::move(request), std::move(done), {}});
    }
    m_shared->changed.notify_all();
}

void DbLine::Run() {
    const std::shared_ptr<Shared> shared = m_shared;
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->stop || !shared->waiting.empty(); });
        if (shared->stop)
            return;
        Item item = std::move(shared->waiting.front());
        shared->waiting.pop_front();
        shared->running = true;
        lock.unlock();
        item.outcome = RunStatement(m_env, item.request);
        lock.lock();
        shared->running = false;
        shared->finished.push_back(std::move(item));
        shared->changed.notify_all();
        // The UI thread collects what has come back; the line never waits for it.
        if (m_post)
            m_post([weak = std::weak_ptr<Shared>(shared), this] {
                if (weak.lock())
                    Deliver();
            });
    }
}

void DbLine::Deliver() {
    for (;;) {
        Item item;
        {
            std::lock_guard lock(m_shared->mutex);
            if (m_shared->finished.empty())
                return;
            item = std::move(m_shared->finished.front());
            m_shared->finished.pop_front();
        }
        if (item.done)
            item.done(item.outcome);
    }
}

bool DbLine::Settle(int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        Deliver();
        std::unique_lock lock(m_shared->mutex);
        if (m_shared->waiting.empty() && !m_shared->running && m_shared->finished.empty())
            return true;
        if (!m_thread.joinable())
            return false; // never started: nothing will run
        if (!m_shared->changed.wait_until(lock, end, [&] { return !m_shared->finished.empty(); }))
            return false;
    }
}

void InlineLine::Submit(LineRequest request, Done done) {
    ++m_count;
    const LineOutcome outcome = RunStatement(m_env, request);
    if (done)
        done(outcome);
}
