// Date texts and call-clock durations.
#include <gtest/gtest.h>

#include <climits>
#include <ctime>

#include "util/DateTime.h"

namespace {

TEST(LocalDateTime, DateTextIsEightDigitsInTheObjectsOwnBuffer) {
    LocalDateTime empty;
    EXPECT_STREQ(empty.GetDateString(), "00000000");
    SystemTime t;
    t.year = 2018;
    t.month = 4;
    t.day = 5;
    LocalDateTime date(t);
    const char* first = date.GetDateString();
    EXPECT_STREQ(first, "20180405");
    EXPECT_EQ(date.GetDateString(), first);
}

TEST(LocalDateTime, NowIsTheLocalDate) {
    auto localDate = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char text[16];
        std::strftime(text, sizeof text, "%Y%m%d", &local);
        return std::string(text);
    };
    const std::string before = localDate();
    LocalDateTime now = LocalDateTime::Now();
    const std::string date = now.GetDateString();
    EXPECT_TRUE(date == before || date == localDate()) << date;
}

TEST(FormatDuration, HoursMinutesSecondsWithoutWrapping) {
    EXPECT_EQ(FormatDuration(0), "00:00:00");
    EXPECT_EQ(FormatDuration(59), "00:00:59");
    EXPECT_EQ(FormatDuration(3599), "00:59:59");
    EXPECT_EQ(FormatDuration(3725), "01:02:05");
    EXPECT_EQ(FormatDuration(86400), "24:00:00");
    EXPECT_EQ(FormatDuration(360000), "100:00:00");
    EXPECT_EQ(FormatDuration(INT32_MAX), "596523:14:07");
}

TEST(FormatDuration, NegativeDurationsReadAsMinusTheMagnitude) {
    EXPECT_EQ(FormatDuration(-5), "-00:00:05");
    EXPECT_EQ(FormatDuration(-3725), "-01:02:05");
    EXPECT_EQ(FormatDuration(INT32_MIN), "-596523:14:08");
}

} // namespace
