#include "host/results/ResultTexts.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrava {
namespace {

constexpr int64_t H = 3'600'000;
constexpr int64_t M = 60'000;
constexpr int64_t S = 1'000;

TEST(FormatHoursMinutes, RoundsSecondsThenMinutes)
{
    EXPECT_EQ(FormatHoursMinutes(0), "00:00");
    EXPECT_EQ(FormatHoursMinutes(3 * H + 5 * M), "03:05");
    EXPECT_EQ(FormatHoursMinutes(3 * H + 5 * M + 40 * S), "03:06");
    // Half minutes go to the even minute.
    EXPECT_EQ(FormatHoursMinutes(3 * H + 4 * M + 30 * S), "03:04");
    EXPECT_EQ(FormatHoursMinutes(3 * H + 5 * M + 30 * S), "03:06");
    // Seconds first: 89.5 s rounds to 90 s (even), which is 1.5 min, so 2;
    // 88.5 s rounds to 88 s, 1.47 min, so 1.
    EXPECT_EQ(FormatHoursMinutes(89'500), "00:02");
    EXPECT_EQ(FormatHoursMinutes(88'500), "00:01");
    EXPECT_EQ(FormatHoursMinutes(29'999), "00:00");
}

TEST(FormatHoursMinutes, SixtyMinutesCarryIntoTheHours)
{
    EXPECT_EQ(FormatHoursMinutes(3 * H + 59 * M + 30 * S), "04:00");  // 59.5 → 60 (even)
    EXPECT_EQ(FormatHoursMinutes(3 * H + 58 * M + 30 * S), "03:58");  // 58.5 → 58 (even)
    EXPECT_EQ(FormatHoursMinutes(59 * M + 45 * S), "01:00");
    EXPECT_EQ(FormatHoursMinutes(99 * H + 59 * M + 50 * S), "100:00");
}

TEST(FormatHoursMinutes, LongAndNegativeDurations)
{
    // 100,000 runs of 10 minutes: 6·10^10 ms, beyond int32.
    EXPECT_EQ(FormatHoursMinutes(100'000 * 10 * M), "16666:40");
    EXPECT_EQ(FormatHoursMinutes(-(3 * H + 5 * M)), "-03:05");
    EXPECT_EQ(FormatHoursMinutes(INT64_MIN), "-2562047788015:13");
}

TEST(TestListColumns, MarkerMissingAndResults)
{
    TestListTexts marker = TestListColumns({0, 100.0});
    EXPECT_EQ(marker.duration, "\xE2\x80\x94:\xE2\x80\x94");  // "—:—"
    EXPECT_EQ(marker.points, "\xE2\x80\x94");                 // "—"

    // A missing file: 00:00 and 0%.
    TestListTexts missing = TestListColumns({0, 0.0});
    EXPECT_EQ(missing.duration, "00:00");
    EXPECT_EQ(missing.points, "0%");

    EXPECT_EQ(TestListColumns({H + 5 * M, 86.5}).points, "86%");  // tie to even
    EXPECT_EQ(TestListColumns({H + 5 * M, 87.5}).points, "88%");
    EXPECT_EQ(TestListColumns({H + 5 * M, 82.4}).duration, "01:05");
    // 100.0 with time practised is a perfect score, not the marker.
    EXPECT_EQ(TestListColumns({1, 100.0}).points, "100%");
    EXPECT_EQ(TestListColumns({M, -0.4}).points, "0%");
}

TEST(EndScreenColumns, PercentsSecondsAndWhatADamagedFileHolds)
{
    EXPECT_EQ(FormatRoundedPercent(82.5), "82%");  // ties to even
    EXPECT_EQ(FormatRoundedPercent(83.5), "84%");
    EXPECT_EQ(FormatRoundedPercent(-0.4), "0%");
    EXPECT_EQ(FormatPartResult(-1234.0), "1,234s");
    EXPECT_EQ(FormatPartResult(-0.5), "0,001s");
    EXPECT_EQ(FormatPartResult(50.0), "50%");
    EXPECT_EQ(FormatPartResult(-1e300), "1000000000000000,000s");
    EXPECT_EQ(FormatRoundedPercent(1e300), "1000000000000000%");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double odd : {nan, inf, -inf})
        EXPECT_EQ(FormatPartResult(odd), "\xe2\x80\x94") << odd;
    EXPECT_EQ(FormatFixed(2.0 / 3.0, 3), "0,667");
}

} // namespace
} // namespace kestrava
