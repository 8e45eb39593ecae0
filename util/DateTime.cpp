#include "util/DateTime.h"

#include <cstdio>
#include <ctime>

LocalDateTime LocalDateTime::Now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return FromEpochMs(static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
}

LocalDateTime LocalDateTime::FromEpochMs(std::int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    tm local{};
    ::localtime_r(&seconds, &local);
    SystemTime time;
    time.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    time.month = static_cast<std::uint16_t>(local.tm_mon + 1);
    time.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    time.day = static_cast<std::uint16_t>(local.tm_mday);
    time.hour = static_cast<std::uint16_t>(local.tm_hour);
    time.minute = static_cast<std::uint16_t>(local.tm_min);
    // A leap second (60) is shown as the last second of its minute.
    time.second = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    time.milliseconds = static_cast<std::uint16_t>(ms % 1000);
    return LocalDateTime(time);
}

const char* LocalDateTime::GetDateString() {
    std::snprintf(dateText_, sizeof dateText_, "%04d%02d%02d", time_.year, time_.month, time_.day);
    return dateText_;
}

std::string FormatDuration(std::int32_t seconds) {
    // Widened first: the magnitude of INT32_MIN does not fit 32 bits.
    const std::int64_t value = seconds;
    const std::int64_t magnitude = value < 0 ? -value : value;
    const long long hours = magnitude / 3600;
    const long long rest = magnitude % 3600;
    char text[32];
    std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld", value < 0 ? "-" : "", hours,
                  rest / 60, rest % 60);
    return text;
}
