// The console's lines over the agent environment's connection.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "console/logic/ConsoleLine.h"
#include "db/AgentEnv.h"

// The program's line: one thread that owns the connection from Start on and runs the
// statements one after the other; each outcome is handed to the UI thread through post
// (wxTheApp->CallAfter in the program, a queue the test pumps in tests). Until Start
// the connection belongs to whoever else uses it (the sign-in dialog).
class DbLine : public IConsoleLine {
  public:
    using Poster = std::function<void(std::function<void()>)>;
    DbLine(CTELVOAgentEnv& env, Poster post);
    // Stops the thread after the statement it runs; outcomes not yet delivered are
    // dropped (their statements stay in the journal where they matter).
    ~DbLine() override;
    DbLine(const DbLine&) = delete;
    DbLine& operator=(const DbLine&) = delete;

    void Start();
    void Submit(LineRequest request, Done done) override;
    bool Settle(int limitMs) override;
    // Runs the done of every outcome that has come back (the UI thread's part).
    void Deliver();

  private:
    struct Item {
        LineRequest request;
        Done done;
        LineOutcome outcome;
    };
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Item> waiting;  // to run, in order
        std::deque<Item> finished; // run, their done not yet called
        bool running = false;      // a statement is on the wire
        bool stop = false;
    };
    void Run();

    CTELVOAgentEnv& m_env;
    Poster m_post;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    std::thread m_thread;
};

// Runs each statement at once on the submitting thread and calls its done before
// Submit returns: for tools and tests that drive the console without a UI loop.
class InlineLine : public IConsoleLine {
  public:
    explicit InlineLine(CTELVOAgentEnv& env) : m_env(env) {}
    void Submit(LineRequest request, Done done) override;
    bool Settle(int) override { return true; }
    // Statements run so far.
    int Count() const { return m_count; }

  private:
    CTELVOAgentEnv& m_env;
    int m_count = 0;
};
