// zel-shift-sim: runs simulated shifts.
//   zel-shift-sim --seeds N [--first S] [--events K]   N seeds from S (default 1)
//   zel-shift-sim --seed S [--events K] [--replay LIST] one run with its trace
// A failing seed is reported with a line that replays it and the shortest list of its
// events that still fails, with that list's trace. The last line gives the pace:
//   sim seeds=<n> steps_per_s=<n>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/sim/ShiftWorld.h"

namespace {

constexpr int kDefaultEvents = 300;

void PrintTrace(const std::vector<sim::Event>& events) {
    std::vector<std::string> trace;
    const sim::Outcome outcome = sim::Run(events, &trace);
    for (const std::string& line : trace)
        std::printf("  %s\n", line.c_str());
    std::printf("  => %s\n", outcome.ok ? "ok" : outcome.failure.c_str());
}

} // namespace

int main(int argc, char** argv) {
    long long seeds = 0, first = 1, single = -1;
    int count = kDefaultEvents;
    std::string replay;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seeds"))
            seeds = std::atoll(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--first"))
            first = std::atoll(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            single = std::atoll(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--events"))
            count = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--replay"))
            replay = argv[i + 1];
    }
    if (single >= 0 || !replay.empty()) {
        const auto events = replay.empty()
                                ? sim::Generate(static_cast<std::uint64_t>(single), count)
                                : sim::Decode(replay);
        PrintTrace(events);
        return sim::Run(events).ok ? 0 : 1;
    }
    if (seeds <= 0) {
        std::fprintf(stderr, "usage: zel-shift-sim --seeds N [--first S] [--events K]\n"
                             "       zel-shift-sim --seed S [--events K] [--replay LIST]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    long long steps = 0;
    for (long long seed = first; seed < first + seeds; ++seed) {
        const auto events = sim::Generate(static_cast<std::uint64_t>(seed), count);
        const sim::Outcome outcome = sim::Run(events);
        steps += outcome.steps;
        if (outcome.ok)
            continue;
        std::printf("seed %lld failed after %d steps: %s\n", seed, outcome.steps,
                    outcome.failure.c_str());
        std::printf("replay: scripts/simulate --seed %lld --events %d\n", seed, count);
        const auto shortest = sim::Shrink(events);
        std::printf("shortest failing events (%zu): %s\n", shortest.size(),
                    sim::Encode(shortest).c_str());
        std::printf("replay it: scripts/simulate --replay %s\n", sim::Encode(shortest).c_str());
        PrintTrace(shortest);
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("sim seeds=%lld steps_per_s=%.0f\n", seeds, seconds > 0 ? steps / seconds : 0.0);
    return 0;
}
