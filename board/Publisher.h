// The one reader of the database: once a second it reads the floor and turns it into
// the frames every page gets, so that a hundred pages cost the database what one does.
// Pages wait for the next frame on a condition variable; the reader never waits for them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "board/BoardJson.h"
#include "board/DeskModel.h"

namespace board {

// The frames' key of a service that has no desks: every service's totals and no desk.
constexpr long long kNoService = -(1LL << 62);

// What one turn produced: frames of every service when the read succeeded, else the
// reason why not.
struct Turn {
    long long number = 0;  // counts every turn
    long long dataSeq = 0; // counts the turns that read the floor
    bool ok = false;
    std::string trouble;                                   // the page's notice when !ok
    std::map<std::optional<long long>, std::string> full;  // by service; nullopt = all
    std::map<std::optional<long long>, std::string> delta; // changes since dataSeq - 1
};

// Reads one picture of the floor; false with a reason on failure.
using ReadFloor = std::function<bool(Snapshot&, std::string& trouble)>;

class Publisher {
  public:
    Publisher(ReadFloor read, FrameLimits limits, std::chrono::milliseconds period);
    ~Publisher();
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    void Start();
    void Stop();

    // The latest turn (never null after the first).
    std::shared_ptr<const Turn> Latest() const;
    // Waits until a turn newer than `after` exists, or the time runs out, or Stop.
    std::shared_ptr<const Turn> WaitAfter(long long after, std::chrono::milliseconds timeout) const;
    bool Stopping() const;

    // One turn now, on the caller's thread (the loop runs the same).
    void RunTurn();

    // Milliseconds of each successful read, for the figures printed at the end.
    std::vector<double> ReadTimes() const;
    long long Desks() const; // the most desks one reading found

  private:
    void Loop();

    ReadFloor m_read;
    FrameLimits m_limits;
    std::chrono::milliseconds m_period;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::shared_ptr<const Turn> m_latest;
    std::optional<Snapshot> m_previous;
    bool m_stop = false;
    std::deque<double> m_readMs; // the last hour's
    long long m_desks = 0;
    std::thread m_thread;
};

} // namespace board
