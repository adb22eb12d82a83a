// The evaluation's arithmetic away from the dialog: German dates and
// decimals, the daily series, and the three graphs drawn on a plain bitmap
// and checked pixel by pixel.
#include "host/results/DailySeries.h"
#include "host/results/EvaluationGraphs.h"
#include "host/results/ResultTexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrava {
namespace {

constexpr double kDay1 = 46364.0;  // Tuesday, 8 December 2026
const GraphStyle kStyle;

DailyResults Days(std::vector<std::pair<double, double>> dayMeans)
{
    DailyResults daily;
    for (auto [day, mean] : dayMeans)
        daily.groups.push_back({day, 60, mean});
    daily.count = static_cast<int64_t>(daily.groups.size());
    return daily;
}

DailyResults Marker()
{
    DailyResults daily;
    daily.count = -1;
    return daily;
}

// A 464-pixel-wide paint box on black, with a picture drawn on it.
struct Box {
    gdi::Bitmap bitmap;
    explicit Box(const GraphPicture& picture, int32_t height = 351, int32_t width = 464) : bitmap(width, height)
    {
        gdi::Canvas canvas(bitmap.Handle());
        PaintGraph(canvas, picture);
    }
    bool Is(int32_t x, int32_t y, gdi::ColorRef colour) const { return bitmap.GetColor(x, y) == colour; }
    // The columns in which the colour appears at all.
    std::pair<int32_t, int32_t> ColumnsOf(gdi::ColorRef colour) const
    {
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            for (int32_t y = 0; y < bitmap.Height(); ++y)
                if (bitmap.GetColor(x, y) == colour) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
};

TEST(GermanFormats, DatesAndDecimalsWhateverTheLocale)
{
    EXPECT_EQ(FormatLongDate(kDay1), "Dienstag, 8. Dezember 2026");
    EXPECT_EQ(FormatShortDate(kDay1), "08.12.2026");
    // The time of day does not move the date.
    EXPECT_EQ(FormatShortDate(kDay1 + 0.999), "08.12.2026");
    EXPECT_EQ(FormatLongDate(kDay1 - 281), "Montag, 2. M\xC3\xA4rz 2026");
    EXPECT_EQ(FormatLongDate(60.0), "Mittwoch, 28. Februar 1900");
    EXPECT_EQ(FormatShortDate(-693593.0), "01.01.0001");
    // Days no calendar holds give no text rather than garbage.
    EXPECT_EQ(FormatShortDate(-693594.0), "");
    EXPECT_EQ(FormatLongDate(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(FormatLongDate(1e300), "");

    EXPECT_EQ(FormatFixed2(65.5), "65,50");
    EXPECT_EQ(FormatFixed2(0.0), "0,00");
    EXPECT_EQ(FormatFixed2(100.0), "100,00");
    EXPECT_EQ(FormatFixed2(1e300).size(), 304u);  // no overflow of a fixed buffer
}

TEST(GermanFormats, HoursAndMinutesOfTheSentences)
{
    const HoursMinutesTexts a = SplitHoursMinutes((3 * 3600 + 5 * 60 + 40) * 1000LL);
    EXPECT_EQ(a.hours + "/" + a.minutes, "03/06");
    // 59 min 30 s and more carry into the next hour.
    const HoursMinutesTexts b = SplitHoursMinutes((59 * 60 + 30) * 1000LL);
    EXPECT_EQ(b.hours + "/" + b.minutes, "01/00");
    const HoursMinutesTexts c = SplitHoursMinutes(0);
    EXPECT_EQ(c.hours + "/" + c.minutes, "00/00");
}

TEST(DailySeries, TwoTestsFillTheirGapsAndTheLearningCurveJoinsTheirMeans)
{
    // A on days 1 and 3, B on day 2.
    const DailySeries s = BuildDailySeries({Days({{kDay1, 50}, {kDay1 + 2, 70}}), Days({{kDay1 + 1, 90}})}, -1);
    ASSERT_EQ(s.slots.size(), 2u);
    EXPECT_EQ(s.slots[0], (std::vector<double>{50, 50, 70}));
    EXPECT_EQ(s.slots[1], (std::vector<double>{0, 90, 90}));
    EXPECT_EQ(s.MeanAt(0), 25);
    EXPECT_EQ(s.MeanAt(1), 70);
    EXPECT_EQ(s.MeanAt(2), 80);
    EXPECT_EQ(s.earliestSlot, 0);
    EXPECT_EQ(s.latestSlot, 0);
    EXPECT_TRUE(s.HasDayRange());
    EXPECT_EQ(s.selectedSlot, -1);
}

TEST(DailySeries, SlotsOnlyForTestsThatHaveOne)
{
    // A missing file has a slot without results; a no-results marker has
    // none. The marker is selected: its slot must not be the next test's.
    const DailySeries s = BuildDailySeries({DailyResults{}, Marker(), Days({{kDay1, 40}, {kDay1 + 1, 60}})}, 1);
    ASSERT_EQ(s.slots.size(), 2u);
    EXPECT_EQ(s.slotTest, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(s.selectedSlot, -1);
    EXPECT_EQ(s.slots[0], (std::vector<double>{0, 0}));
    EXPECT_EQ(s.slots[1], (std::vector<double>{40, 60}));
    EXPECT_EQ(s.earliestSlot, 1);

    // Selecting the third test takes its own slot.
    EXPECT_EQ(BuildDailySeries({DailyResults{}, Marker(), Days({{kDay1, 40}})}, 2).selectedSlot, 1);

    // A tie: the first test in catalogue order keeps the earliest and the
    // latest day.
    const DailySeries tie = BuildDailySeries({Days({{kDay1, 1}, {kDay1 + 1, 2}}), Days({{kDay1, 3}, {kDay1 + 1, 4}})}, -1);
    EXPECT_EQ(tie.earliestSlot, 0);
    EXPECT_EQ(tie.latestSlot, 0);
}

TEST(DailySeries, NothingOrOneDayGivesNoRange)
{
    const DailySeries none = BuildDailySeries({DailyResults{}, DailyResults{}}, -1);
    EXPECT_EQ(none.slots.size(), 2u);
    EXPECT_EQ(none.Entries(), 0);
    EXPECT_FALSE(none.HasDayRange());
    const DailySeries one = BuildDailySeries({Days({{kDay1, 70}})}, 0);
    EXPECT_EQ(one.Entries(), 1);
    EXPECT_FALSE(one.HasDayRange());
}

TEST(DailySeries, HostileDaysNeitherStretchNorBreakTheSeries)
{
    // A clock set back: the later group lies on an earlier day and still
    // finds its entry. Days no calendar holds are left out.
    DailyResults back = Days({{kDay1 + 2, 70}, {kDay1, 30}});
    back.groups.push_back({std::numeric_limits<double>::quiet_NaN(), 60, 99});
    back.groups.push_back({1e300, 60, 99});
    back.groups.push_back({-1e300, 60, 99});
    back.count = static_cast<int64_t>(back.groups.size());
    const DailySeries s = BuildDailySeries({back}, 0);
    EXPECT_EQ(s.slots[0], (std::vector<double>{30, 30, 70}));
    EXPECT_EQ(s.earliest, kDay1);
    EXPECT_EQ(s.latest, kDay1 + 2);
}

TEST(EvaluationGraphs, LearningCurveThroughTheMeansAtItsPixels)
{
    const DailySeries s = BuildDailySeries({Days({{kDay1, 50}, {kDay1 + 2, 70}}), Days({{kDay1 + 1, 90}})}, -1);
    const GraphPicture picture = LearningCurveGraph(s, kStyle);
    std::vector<GraphLine> curve;
    for (const GraphLine& line : picture.Lines())
        if (line.pen.color == kStyle.curve)
            curve.push_back(line);
    ASSERT_EQ(curve.size(), 2u);
    // 25 % → 303 − round(72.5) = 231 (ties to even); 70 % → 100; 80 % → 71.
    // Two days over 414 pixels: 207 per day from x = 43.
    EXPECT_EQ((std::vector<int32_t>{curve[0].x0, curve[0].y0, curve[0].x1, curve[0].y1}),
              (std::vector<int32_t>{43, 231, 250, 100}));
    EXPECT_EQ((std::vector<int32_t>{curve[1].x0, curve[1].y0, curve[1].x1, curve[1].y1}),
              (std::vector<int32_t>{250, 100, 457, 71}));
    EXPECT_EQ(curve[0].pen.width, 2);

    const Box box(picture);
    EXPECT_TRUE(box.Is(43, 231, kStyle.curve));
    EXPECT_TRUE(box.Is(250, 100, kStyle.curve));
    EXPECT_TRUE(box.Is(456, 71, kStyle.curve));
    // The width-2 pen reaches one pixel right of the last point drawn; the
    // end point itself is left out.
    EXPECT_EQ(box.ColumnsOf(kStyle.curve), (std::pair<int32_t, int32_t>{43, 457}));
    // The dotted grid alternates; the solid line above the base does not.
    const int32_t w0 = gdi::MeasureText(kStyle.font, "0").cx;
    int32_t gridOn = 0;
    for (int32_t x = w0 + 31; x < 464 - w0; ++x)
        gridOn += box.Is(x, 41, kStyle.grid) ? 1 : 0;
    EXPECT_NEAR(gridOn, (464 - w0 - (w0 + 31)) / 2, 1);
    for (int32_t x = w0 + 31; x < 464 - w0; x += 37)
        EXPECT_TRUE(box.Is(x, 302, kStyle.grid)) << x;
    // The dates under the ends.
    const std::vector<GraphText> texts = picture.Texts();
    ASSERT_GE(texts.size(), 13u);
    EXPECT_EQ(texts[11].text, "08.12.2026");
    EXPECT_EQ(texts[11].x, w0 + 36);
    EXPECT_EQ(texts[12].text, "10.12.2026");
    EXPECT_EQ(texts[12].x + gdi::MeasureText(kStyle.font, "10.12.2026").cx, 464 - w0);
    EXPECT_EQ(texts[12].y, 308);
}

TEST(EvaluationGraphs, OneDayApartIsOneSegmentAcrossTheWholeWidth)
{
    const DailySeries s = BuildDailySeries({Days({{kDay1, 40}, {kDay1 + 1, 60}})}, 0);
    for (const GraphPicture& picture : {LearningCurveGraph(s, kStyle), DetailGraph(s, kStyle)}) {
        std::vector<GraphLine> curve;
        for (const GraphLine& line : picture.Lines())
            if (line.pen.color == kStyle.curve)
                curve.push_back(line);
        ASSERT_EQ(curve.size(), 1u);
        EXPECT_EQ(curve[0].x0, 43);
        EXPECT_EQ(curve[0].x1, 457);
    }
    // The details: 2 pixels per percent above 213.
    const GraphPicture detail = DetailGraph(s, kStyle);
    const Box box(detail, 238);
    EXPECT_TRUE(box.Is(43, 213 - 80, kStyle.curve));
    EXPECT_TRUE(box.Is(456, 213 - 120, kStyle.curve));
    EXPECT_EQ(box.ColumnsOf(kStyle.curve), (std::pair<int32_t, int32_t>{43, 457}));

    // Without a selected slot the details show their axes but no curve.
    DailySeries unselected = s;
    unselected.selectedSlot = -1;
    EXPECT_EQ(Box(DetailGraph(unselected, kStyle), 238).ColumnsOf(kStyle.curve).first, -1);
}

TEST(EvaluationGraphs, HourProfileDropsToTheBaseBesideHoursWithoutResults)
{
    HourProfile profile;
    profile.fill(kNoHourData);
    profile[9] = 60;
    profile[10] = 80;
    const GraphPicture picture = HourGraph(profile, kStyle);
    const int32_t w0 = gdi::MeasureText(kStyle.font, "0").cx;
    std::vector<GraphLine> segments;
    for (const GraphLine& line : picture.Lines())
        if (line.pen.width == 2)
            segments.push_back(line);
    ASSERT_EQ(segments.size(), 23u);
    for (int32_t j = 0; j <= 22; ++j) {
        const GraphLine& s = segments[static_cast<size_t>(j)];
        const int32_t x = w0 + 37 + 18 * j;
        EXPECT_EQ(s.x0, x);
        EXPECT_EQ(s.x1, x + 18);
        if (j == 8) {  // 08-09: from the base up to 60 %
            EXPECT_EQ((std::pair{s.y0, s.y1}), (std::pair{303, 303 - 174}));
            EXPECT_EQ(s.pen.color, kStyle.curve);
        } else if (j == 9) {  // 09-10: the sloped segment
            EXPECT_EQ((std::pair{s.y0, s.y1}), (std::pair{303 - 174, 303 - 232}));
            EXPECT_EQ(s.pen.color, kStyle.curve);
        } else if (j == 10) {  // 10-11: back down to the base
            EXPECT_EQ((std::pair{s.y0, s.y1}), (std::pair{303 - 232, 303}));
            EXPECT_EQ(s.pen.color, kStyle.curve);
        } else {
            EXPECT_EQ((std::pair{s.y0, s.y1}), (std::pair{303, 303})) << j;
            EXPECT_EQ(s.pen.color, kStyle.noData) << j;
        }
    }

    const Box box(picture);
    // Base line in the no-data colour over the first hours and the last.
    for (int32_t x = w0 + 37; x < w0 + 37 + 18 * 8; ++x)
        ASSERT_TRUE(box.Is(x, 303, kStyle.noData)) << x;
    for (int32_t x = w0 + 37 + 18 * 11; x < w0 + 37 + 18 * 23; ++x)
        ASSERT_TRUE(box.Is(x, 303, kStyle.noData)) << x;
    // The peaks of the curve.
    EXPECT_TRUE(box.Is(w0 + 37 + 18 * 9, 303 - 174, kStyle.curve));
    EXPECT_TRUE(box.Is(w0 + 37 + 18 * 10, 303 - 232, kStyle.curve));
    // Inside the framed box, away from the grid: the graph's background.
    EXPECT_TRUE(box.Is(w0 + 36 + 9, 12 + 14, kStyle.background));
}

TEST(EvaluationGraphs, PercentLabelsStandRightAlignedAtX34)
{
    HourProfile profile;
    profile.fill(kNoHourData);
    const GraphPicture picture = HourGraph(profile, kStyle);
    const Box box(picture);
    const int32_t h = gdi::MeasureText(kStyle.font, "00").cy;
    int32_t labels = 0;
    for (const GraphText& t : picture.Texts()) {
        if (t.text.empty() || t.text.back() != '%')
            continue;
        ++labels;
        EXPECT_EQ(t.x + gdi::MeasureText(kStyle.font, t.text).cx, 34) << t.text;
        const int32_t j = std::stoi(t.text) / 10;
        EXPECT_EQ(t.y, 305 - h - 29 * j) << t.text;
        // Pixels: the label's ink ends just left of x = 34.
        int32_t rightmost = -1;
        for (int32_t y = t.y; y < t.y + h; ++y)
            for (int32_t x = 0; x < 40; ++x)
                if (gdi::RedOf(box.bitmap.GetColor(x, y)) > 128)
                    rightmost = std::max(rightmost, x);
        EXPECT_GE(rightmost, 28) << t.text;
        EXPECT_LE(rightmost, 33) << t.text;
    }
    EXPECT_EQ(labels, 11);
}

// At the user-interface scale 2 the graph is the same picture twice the
// size: every line at twice its coordinates with a pen twice as wide
// (within a pixel where a value rounds), the dots two pixels long, the
// labels in a font twice as high, right-aligned at twice x = 34.
TEST(EvaluationGraphs, AtScaleTwoEveryPartLiesAtTwiceItsPixels)
{
    GraphStyle twice = kStyle;
    twice.scale = 2;
    HourProfile profile;
    profile.fill(kNoHourData);
    profile[9] = 61;
    profile[10] = 83;
    const DailySeries s = BuildDailySeries({Days({{kDay1, 50}, {kDay1 + 2, 70}}), Days({{kDay1 + 1, 90}})}, -1);
    for (const auto& [one, two] : {std::pair{HourGraph(profile, kStyle), HourGraph(profile, twice)},
                                   std::pair{LearningCurveGraph(s, kStyle), LearningCurveGraph(s, twice)}}) {
        const Box small(one), large(two, 702, 928);
        for (const gdi::ColorRef colour : {kStyle.curve, kStyle.noData, kStyle.grid}) {
            int32_t onePixels = 0, found = 0, twoPixels = 0;
            for (int32_t y = 0; y < 351; ++y)
                for (int32_t x = 0; x < 464; ++x) {
                    if (!small.Is(x, y, colour))
                        continue;
                    ++onePixels;
                    found += large.Is(2 * x, 2 * y, colour) || large.Is(2 * x + 1, 2 * y + 1, colour);
                }
            for (int32_t y = 0; y < 702; ++y)
                for (int32_t x = 0; x < 928; ++x)
                    twoPixels += large.Is(x, y, colour);
            EXPECT_GE(found, onePixels * 97 / 100) << colour;
            EXPECT_NEAR(twoPixels, 4 * onePixels, 4 * onePixels / 10 + 8) << colour;
        }
        for (const GraphText& t : two.Texts()) {
            if (!t.text.empty() && t.text.back() == '%') {
                EXPECT_EQ(t.x + gdi::MeasureText(gdi::FontSpec{"Arial", 26, false, false}, t.text).cx, 68);
            }
        }
    }
    // The dotted grid: dots and gaps two pixels long.
    const Box large(LearningCurveGraph(s, twice), 702, 928);
    const int32_t w0 = 2 * gdi::MeasureText(kStyle.font, "0").cx;
    for (int32_t x = w0 + 62; x < 928 - w0 - 1; ++x)
        EXPECT_EQ(large.Is(x, 82, kStyle.grid), (x - w0 - 62) % 4 < 2) << x;
}

} // namespace
} // namespace kestrava
