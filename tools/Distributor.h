// An automatic call distributor: hands calls of random length to desks that are
// ready and free, ends each when its time is up, and stops by itself after a number
// of calls or a length of time (or when told to).
#pragma once

#include <atomic>
#include <chrono>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tools/CallCenter.h"

namespace callcenter {

struct DistributorOptions {
    std::vector<std::string> services; // only desks of these services; empty = all
    int count = 0;                     // calls to hand out, then wait for them to end; 0 = no limit
    int durationSeconds = 0;           // stop after this long, ending calls under way; 0 = no limit
    int minSeconds = 20;               // call length, inclusive range
    int maxSeconds = 60;
    int gapSeconds = 5; // a desk's pause after a call, to register its result
    int tickMs = 250;   // how often the desks are looked at
};

class Distributor {
  public:
    Distributor(CallCenter& center, const DistributorOptions& options, std::mt19937& random,
                std::ostream& out)
        : m_center(center), m_options(options), m_random(random), m_out(out) {}

    // Runs until the count is reached and its calls have ended, the duration is over
    // or stop becomes true; calls still under way are then ended. Returns the number
    // of calls handed out.
    int Run(const std::atomic<bool>& stop);

  private:
    using Clock = std::chrono::steady_clock;
    struct ActiveCall {
        DeskKey desk;
        std::string xanId;
        Clock::time_point end;
    };
    struct Pause {
        DeskKey desk;
        Clock::time_point until;
    };

    void EndCall(const ActiveCall& call);
    void EndDueCalls(Clock::time_point now);
    bool HandOutCall(Clock::time_point now);

    CallCenter& m_center;
    DistributorOptions m_options;
    std::mt19937& m_random;
    std::ostream& m_out;
    std::vector<ActiveCall> m_active;
    std::vector<Pause> m_paused;
};

} // namespace callcenter
