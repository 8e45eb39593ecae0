#include "dialogs/ConnectionOpening.h"

#include <chrono>
#include <utility>

#include "db/AgentEnv.h"

ConnectionOpening::ConnectionOpening(CTELVOAgentEnv& env, Poster post) {
    std::promise<void> opened;
    m_opened = opened.get_future().share();
    m_thread = std::thread([this, &env, post = std::move(post), opened = std::move(opened),
                            alive = std::weak_ptr<int>(m_alive)]() mutable {
        env.RDBServerOpen();
        opened.set_value();
        post([this, alive] {
            if (!alive.lock())
                return;
            if (std::function<void()> back = std::exchange(m_back, {}))
                back();
        });
    });
}

ConnectionOpening::~ConnectionOpening() {
    m_alive.reset();
    if (m_thread.joinable())
        m_thread.join();
}

bool ConnectionOpening::Done() const {
    return m_opened.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void ConnectionOpening::WhenDone(std::function<void()> back) {
    if (back && Done()) {
        m_back = {};
        back();
        return;
    }
    m_back = std::move(back);
}
