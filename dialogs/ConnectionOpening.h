// The start-up's opening of the database connection, on a thread of its own, so that the
// console and its sign-in window show and answer while a slow or frozen server keeps it
// waiting (at most the client library's connect time-out). Until the open has come back
// it alone uses the environment's connection and server address: a sign-in attempt waits
// for it before its first statement, and the server address is not changed meanwhile.
// Its result is not looked at, as before: a connection that did not open shows at the
// sign-in's first statement.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <thread>

class CTELVOAgentEnv;

class ConnectionOpening {
  public:
    // post queues a call on the UI thread (platform::PostToUiThread in the program).
    using Poster = std::function<void(std::function<void()>)>;

    // Starts env.RDBServerOpen() on the thread.
    ConnectionOpening(CTELVOAgentEnv& env, Poster post);
    // Waits for the open (at most the connect time-out); a notice not yet run is dropped.
    ~ConnectionOpening();
    ConnectionOpening(const ConnectionOpening&) = delete;
    ConnectionOpening& operator=(const ConnectionOpening&) = delete;

    // Any thread: returns once the open has come back.
    void Wait() const { m_opened.wait(); }
    // Any thread: the open has come back.
    bool Done() const;
    // UI thread: back runs on the UI thread once the open has come back, at once when it
    // has. It replaces the one given before; an empty one drops it.
    void WhenDone(std::function<void()> back);

  private:
    std::shared_future<void> m_opened;
    std::thread m_thread;
    std::function<void()> m_back; // UI thread only
    // Dropped with the object: a notice posted before then finds it gone and is dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
