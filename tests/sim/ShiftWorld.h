// A shift simulated whole on one thread: the console's logic as the program runs it, with
// a simulated clock and timers, a simulated database behind the console's line, a
// simulated agent and call centre, outages, closes, signals and kills. Everything comes
// from one list of events, itself drawn from one seed, so a seed replays a run exactly
// and a shorter list is a shorter run of the same kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class Kind : int {
    Wait,       // time passes: timers, statements and the call centre go on
    Press,      // the agent presses a state button or 통화결과 등록 (arg: which)
    Type,       // the agent types into the memo, or deletes it (arg: what)
    Grade,      // the agent picks a grade (arg: 0..6)
    Answer,     // the agent answers the box on top (arg: yes or no)
    Close,      // the agent closes the window
    HangUp,     // the caller hangs up
    ServerDown, // the server goes away
    ServerUp,   // and comes back
    Freeze,     // the server stops answering for a while (arg: ms)
    Signal,     // SIGTERM
    Kill,       // SIGKILL or a power loss
    Start,      // the agent starts the program again and signs in
};

struct Event {
    Kind kind = Kind::Wait;
    int arg = 0;
};

// The events of a seed.
std::vector<Event> Generate(std::uint64_t seed, int count);

// The text of an event list (one token an event), and back.
std::string Encode(const std::vector<Event>& events);
std::vector<Event> Decode(const std::string& text);

struct Outcome {
    bool ok = true;
    std::string failure; // the invariant that broke, and where
    int steps = 0;
};

// Runs the events; the invariants are checked after every step. trace (may be null)
// gets one line per step.
Outcome Run(const std::vector<Event>& events, std::vector<std::string>* trace = nullptr);

// The shortest list (by removing events) that still fails, from one that fails.
std::vector<Event> Shrink(std::vector<Event> events);

} // namespace sim
