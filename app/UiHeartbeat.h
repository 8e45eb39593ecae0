// A measuring aid for the benchmarks, off unless ZELAGENT_UI_HEARTBEAT names a file: a
// 10 ms timer on the UI thread. A window that stops answering shows as a long gap
// between two ticks. Once a second, and when the program ends, the longest gap since
// the previous line is appended to the file as "<Unix time in ms> <gap in ms>", the
// time being the gap's end, so a benchmark can take the longest gap over a stretch of
// a run.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>

#include <wx/timer.h>

class UiHeartbeat : public wxTimer {
  public:
    // Started when the variable names a file that can be opened; otherwise nothing.
    static std::unique_ptr<UiHeartbeat> FromEnvironment();

    explicit UiHeartbeat(std::FILE* file);
    ~UiHeartbeat() override;
    UiHeartbeat(const UiHeartbeat&) = delete;
    UiHeartbeat& operator=(const UiHeartbeat&) = delete;

    static constexpr int kPeriodMs = 10;

  private:
    void Notify() override;
    void WriteLine();

    using Clock = std::chrono::steady_clock;
    std::FILE* m_file;
    Clock::time_point m_lastTick;
    Clock::time_point m_lineStart;
    Clock::duration m_longest{};
    std::chrono::system_clock::time_point m_longestEnd;
};
