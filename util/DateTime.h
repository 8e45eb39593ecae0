// Local date and time, the yyyymmdd date text, and HH:MM:SS durations.
#pragma once

#include <cstdint>
#include <string>

struct SystemTime {
    std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class LocalDateTime {
  public:
    LocalDateTime() = default;
    explicit LocalDateTime(const SystemTime& time) : time_(time) {}
    virtual ~LocalDateTime() = default;
    LocalDateTime(const LocalDateTime&) = default;
    LocalDateTime& operator=(const LocalDateTime&) = default;

    static LocalDateTime Now();
    // The local time of milliseconds since 1970 (not before it).
    static LocalDateTime FromEpochMs(std::int64_t ms);

    // "%04d%02d%02d" of the date; the text lives in this object until the next call.
    const char* GetDateString();

    const SystemTime& Time() const { return time_; }

  private:
    SystemTime time_{};
    char dateText_[256] = {};
};

// Seconds as "%02d:%02d:%02d"; hours do not wrap. Negative durations read
// "-" followed by the text of their magnitude.
std::string FormatDuration(std::int32_t seconds);
