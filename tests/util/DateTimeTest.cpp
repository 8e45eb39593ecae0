// Date texts and call-clock durations.
#include <gtest/gtest.h>

#include <climits>
#include <ctime>

#include "util/DateTime.h"

namespace {

TEST(LocalDateTime, DateTextIsEightDigitsOfTheLocalDate) {
    EXPECT_STREQ(LocalDateTime().GetDateString(), "00000000");
    EXPECT_STREQ(LocalDateTime(SystemTime{.year = 2018, .month = 4, .day = 5}).GetDateString(),
                 "20180405");
    const auto localDate = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        char text[16];
        std::strftime(text, sizeof text, "%Y%m%d", ::localtime_r(&now, &local));
        return std::string(text);
    };
    const std::string before = localDate();
    const std::string date = LocalDateTime::Now().GetDateString();
    EXPECT_TRUE(date == before || date == localDate()) << date;
}

TEST(FormatDuration, HoursMinutesSecondsWithoutWrapping) {
    const std::pair<int, const char*> cases[] = {
        {0, "00:00:00"},       {59, "00:00:59"},
        {3725, "01:02:05"},    {86400, "24:00:00"},
        {360000, "100:00:00"}, {INT32_MAX, "596523:14:07"},
        {-3725, "-01:02:05"},  {INT32_MIN, "-596523:14:08"},
    };
    for (const auto& [seconds, expected] : cases)
        EXPECT_EQ(FormatDuration(seconds), expected) << seconds;
}

} // namespace
