// The run list without modules: time sharing, fitting into the limits, the
// shuffle, the time dialog's fields and the entry that runs next.
#include "host/catalogue/RunPlan.h"
#include "host/shell/Zeiteinstellung.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <type_traits>
#include <utility>

namespace kestrava {
namespace {

// Hands out scripted values; once they run out, the lowest allowed value.
// Every request is recorded so a test can see which draws were made.
struct ScriptedDraw {
    std::deque<int32_t> values;
    std::vector<std::pair<int32_t, int32_t>> asked;

    UniformDraw Source()
    {
        return [this](int32_t lo, int32_t hi) {
            asked.emplace_back(lo, hi);
            if (values.empty())
                return lo;
            const int32_t v = values.front();
            values.pop_front();
            return v;
        };
    }
};

TRunEntry Entry(int32_t index, int32_t def, int32_t min = 0, int32_t max = 0, int32_t step = 1000)
{
    TRunEntry e;
    e.CatalogueIndex = index;
    e.MinDuration = min;
    e.MaxDuration = max;
    e.DurationStep = step;
    e.DefaultDuration = def;
    e.KeepsResults = 1;
    e.Countdown = 2000;
    return e;
}

// The weights as composing the run sets them.
RunPlan Plan(std::vector<TRunEntry> entries)
{
    int64_t sum = 0;
    for (const TRunEntry& e : entries)
        sum += e.DefaultDuration;
    for (TRunEntry& e : entries)
        e.Share = static_cast<double>(e.DefaultDuration) / static_cast<double>(sum);
    RunPlan plan;
    plan.Replace(std::move(entries), TCurrentEntry::None());
    plan.SetProgramTime(static_cast<int32_t>(sum));
    return plan;
}

std::vector<int32_t> PlannedOf(const RunPlan& plan, int32_t catalogueIndex)
{
    std::vector<int32_t> out;
    for (const TRunEntry& e : plan.Entries())
        if (e.CatalogueIndex == catalogueIndex)
            out.push_back(e.PlannedDuration);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(RunEntryTest, TheCurrentEntryOfACancelledRunIndexesNothing)
{
    // No integer comes out of it except through Saved(), which is for the
    // suspend file.
    static_assert(!std::is_convertible_v<TCurrentEntry, int32_t>);
    static_assert(!std::is_convertible_v<TCurrentEntry, size_t>);
    static_assert(!std::is_constructible_v<TCurrentEntry, int32_t>);

    RunPlan plan = Plan({Entry(0, 600'000), Entry(1, 300'000)});
    ASSERT_TRUE(ConfirmRun(plan, 2'700'000, MakeSeededDraw(1)));
    ASSERT_NE(plan.Current(), nullptr);

    CancelRun(plan);
    EXPECT_EQ(plan.CurrentEntry().Saved(), 2147483637);
    EXPECT_EQ(plan.Current(), nullptr);
    EXPECT_FALSE(plan.CurrentIndex().has_value());
    // Advancing a cancelled run neither wraps nor reaches an entry.
    EXPECT_FALSE(plan.Advance());
    EXPECT_TRUE(plan.CurrentEntry().IsNone());

    // The same value read back from a suspend file, or a negative one.
    plan.SetCurrentEntry(TCurrentEntry::FromSaved(2147483637));
    EXPECT_EQ(plan.Current(), nullptr);
    plan.SetCurrentEntry(TCurrentEntry::FromSaved(-3));
    EXPECT_EQ(plan.Current(), nullptr);
    plan.SetCurrentEntry(TCurrentEntry::FromSaved(1));
    EXPECT_EQ(plan.Current(), &plan.Entries()[1]);
}

TEST(RunEntryTest, AdvancingWalksTheListAndStopsAfterTheLast)
{
    RunPlan plan = Plan({Entry(0, 600'000), Entry(1, 300'000), Entry(2, 300'000)});
    ASSERT_TRUE(ConfirmRun(plan, 3'600'000, MakeSeededDraw(2)));
    EXPECT_EQ(plan.CurrentIndex(), 0u);
    EXPECT_TRUE(plan.Advance());
    EXPECT_TRUE(plan.Advance());
    EXPECT_EQ(plan.CurrentIndex(), 2u);
    EXPECT_FALSE(plan.Advance());
    EXPECT_EQ(plan.Current(), nullptr);

    plan.Clear();
    EXPECT_TRUE(plan.Empty());
    EXPECT_TRUE(plan.CurrentEntry().IsNone());
}

TEST(RunEntryTest, AnEmptyRunStartsNothing)
{
    RunPlan plan;
    ScriptedDraw draw;
    EXPECT_FALSE(ConfirmRun(plan, 600'000, draw.Source()));
    EXPECT_EQ(plan.Current(), nullptr);
    EXPECT_TRUE(draw.asked.empty());
}

TEST(ShareTest, TimeIsSharedByWeightAndCutToSteps)
{
    // Weights 2/3 and 1/3 of 45 minutes.
    RunPlan plan = Plan({Entry(0, 600'000), Entry(1, 300'000)});
    EXPECT_DOUBLE_EQ(plan.Entries()[0].Share, 2.0 / 3.0);
    ASSERT_TRUE(ConfirmRun(plan, 2'700'000, MakeSeededDraw(7)));
    EXPECT_EQ(PlannedOf(plan, 0), std::vector<int32_t>{1'800'000});
    EXPECT_EQ(PlannedOf(plan, 1), std::vector<int32_t>{900'000});
    EXPECT_EQ(plan.ProgramTime(), 2'700'000);

    // 10 minutes over three equal tests with 7 s steps: 200,000 each, cut
    // down to 28 steps; the effective total is what was planned.
    RunPlan thirds = Plan({Entry(0, 1000, 0, 0, 7000), Entry(1, 1000, 0, 0, 7000), Entry(2, 1000, 0, 0, 7000)});
    ASSERT_TRUE(ConfirmRun(thirds, 600'000, MakeSeededDraw(7)));
    for (const TRunEntry& e : thirds.Entries())
        EXPECT_EQ(e.PlannedDuration, 196'000);
    EXPECT_EQ(thirds.ProgramTime(), 588'000);
}

TEST(ShareTest, SegmentsBelowTheirMinimumAreRaised)
{
    // A total of 0 minutes, and one shorter than the minimums.
    RunPlan zero = Plan({Entry(0, 600'000, 60'000), Entry(1, 300'000, 120'000)});
    ASSERT_TRUE(ConfirmRun(zero, 0, MakeSeededDraw(3)));
    EXPECT_EQ(PlannedOf(zero, 0), std::vector<int32_t>{60'000});
    EXPECT_EQ(PlannedOf(zero, 1), std::vector<int32_t>{120'000});
    EXPECT_EQ(zero.ProgramTime(), 180'000);
}

TEST(FitTest, ALongSegmentWithoutATakerIsSplit)
{
    // Three hours for a test with a two-hour maximum: no test can take the
    // surplus, r and then f = 45 are drawn.
    RunPlan plan = Plan({Entry(0, 600'000, 60'000, 7'200'000)});
    plan.MutableEntries()[0].PlannedDuration = 10'800'000;
    ScriptedDraw draw;
    draw.values = {0, 45};
    FitToLimits(plan, draw.Source());
    EXPECT_EQ(PlannedOf(plan, 0), (std::vector<int32_t>{4'860'000, 5'940'000}));
    ASSERT_EQ(draw.asked.size(), 2u);
    EXPECT_EQ(draw.asked[0], std::make_pair(0, 9));
    EXPECT_EQ(draw.asked[1], std::make_pair(40, 60));

    // A split that leaves a part above the maximum splits again; whatever
    // the draws, every part ends within the limits on whole steps.
    RunPlan big = Plan({Entry(0, 600'000, 60'000, 3'000'000)});
    ASSERT_TRUE(ConfirmRun(big, 12'000'000, MakeSeededDraw(11)));
    EXPECT_GE(big.Size(), 4u);
    for (const TRunEntry& e : big.Entries()) {
        EXPECT_GE(e.PlannedDuration, 60'000);
        EXPECT_LE(e.PlannedDuration, 3'000'000);
        EXPECT_EQ(e.PlannedDuration % 1000, 0);
    }
}

TEST(FitTest, SurplusGoesToATestWithoutMaximumOrIsDropped)
{
    RunPlan plan = Plan({Entry(0, 600'000, 0, 7'200'000), Entry(1, 300'000)});
    plan.MutableEntries()[0].PlannedDuration = 9'000'000;
    plan.MutableEntries()[1].PlannedDuration = 1'000'000;
    ScriptedDraw draw;
    draw.values = {0, 3};  // u = the only unbounded test, r = 3
    FitToLimits(plan, draw.Source());
    EXPECT_EQ(PlannedOf(plan, 0), std::vector<int32_t>{7'200'000});
    EXPECT_EQ(PlannedOf(plan, 1), std::vector<int32_t>{2'800'000});

    // r = 5 and a surplus below two steps: the segment is cut, the surplus
    // is lost.
    plan.MutableEntries()[0].PlannedDuration = 7'201'500;
    ScriptedDraw five;
    five.values = {0, 5};
    FitToLimits(plan, five.Source());
    EXPECT_EQ(PlannedOf(plan, 0), std::vector<int32_t>{7'200'000});
    EXPECT_EQ(PlannedOf(plan, 1), std::vector<int32_t>{2'800'000});
}

TEST(FitTest, SegmentsOfOneTestAreMergedFirst)
{
    // Catalogue positions need not be below the number of list lines (two
    // modules with one title), so every test is merged.
    RunPlan plan = Plan({Entry(5, 600'000), Entry(2, 300'000), Entry(5, 600'000)});
    plan.MutableEntries()[0].PlannedDuration = 1'000'000;
    plan.MutableEntries()[1].PlannedDuration = 500'000;
    plan.MutableEntries()[2].PlannedDuration = 2'000'000;
    FitToLimits(plan, MakeSeededDraw(5));
    ASSERT_EQ(plan.Size(), 2u);
    EXPECT_EQ(PlannedOf(plan, 5), std::vector<int32_t>{1'000'000});
}

TEST(FitTest, BadLimitsFromAModuleStillEnd)
{
    // Minimum above maximum: the minimum wins instead of looping for ever.
    RunPlan crossed = Plan({Entry(0, 600'000, 600'000, 300'000)});
    ASSERT_TRUE(ConfirmRun(crossed, 0, MakeSeededDraw(9)));
    EXPECT_EQ(PlannedOf(crossed, 0), std::vector<int32_t>{600'000});

    // A step of 0 divides nothing by zero; odd limits still give whole
    // 10 ms ticks, since a module ends its test on a tick, and no segment
    // is shorter than a second.
    RunPlan odd = Plan({Entry(0, 600'000, 12'345, 0, 0), Entry(1, 0, 0, 0, 0)});
    ASSERT_TRUE(ConfirmRun(odd, 0, MakeSeededDraw(9)));
    EXPECT_EQ(PlannedOf(odd, 0), std::vector<int32_t>{12'350});
    EXPECT_EQ(PlannedOf(odd, 1), std::vector<int32_t>{1000});

    // Limits given in seconds by mistake (10 ms): ten minutes become one
    // second segments at the shortest, not 10 ms ones.
    RunPlan tiny = Plan({Entry(0, 10, 10, 10)});
    ASSERT_TRUE(ConfirmRun(tiny, 600'000, MakeSeededDraw(9)));
    EXPECT_EQ(tiny.Entries().front().PlannedDuration, 1000);
    for (const TRunEntry& e : tiny.Entries())
        EXPECT_GE(e.PlannedDuration, 1000);
    RunPlan cut = Plan({Entry(0, 600'000, 0, 0, 7)});
    ASSERT_TRUE(ConfirmRun(cut, 60'000, MakeSeededDraw(9)));
    EXPECT_EQ(PlannedOf(cut, 0), std::vector<int32_t>{59'990});
}

TEST(ShuffleTest, EveryEntryStaysAndTheOrderFollowsTheDraws)
{
    std::vector<TRunEntry> entries;
    for (int32_t i = 0; i < 12; ++i)
        entries.push_back(Entry(i, 1000 * (i + 1)));
    RunPlan plan = Plan(entries);
    ShuffleRun(plan, MakeSeededDraw(42));
    std::vector<int32_t> order;
    for (const TRunEntry& e : plan.Entries())
        order.push_back(e.CatalogueIndex);
    std::vector<int32_t> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(sorted[static_cast<size_t>(i)], i);
        // Whole entries move, not single fields.
        EXPECT_EQ(plan.Entries()[static_cast<size_t>(i)].DefaultDuration, 1000 * (order[static_cast<size_t>(i)] + 1));
    }

    // 50 passes of n draws each over the whole list. Drawing always 0 moves
    // every entry one place to the right per pass (the last to the front);
    // after 50 passes of three entries, two places.
    RunPlan three = Plan({Entry(0, 1), Entry(1, 1), Entry(2, 1)});
    ScriptedDraw zeros;
    ShuffleRun(three, zeros.Source());
    EXPECT_EQ(zeros.asked.size(), 150u);
    EXPECT_EQ(zeros.asked.front(), std::make_pair(0, 2));
    EXPECT_EQ(three.Entries()[0].CatalogueIndex, 1);
    EXPECT_EQ(three.Entries()[1].CatalogueIndex, 2);
    EXPECT_EQ(three.Entries()[2].CatalogueIndex, 0);
}

TEST(TimeDialogTest, FieldsAreCorrected)
{
    EXPECT_EQ(DigitsOnly("1a2 "), "12");
    EXPECT_EQ(DigitsOnly("x"), "");
    EXPECT_EQ(CorrectMinutes("75"), "59");
    EXPECT_EQ(CorrectMinutes("60"), "59");
    EXPECT_EQ(CorrectMinutes("59"), "59");
    EXPECT_EQ(CorrectMinutes("0x7"), "07");
    EXPECT_EQ(CorrectMinutes(""), "0");
    EXPECT_EQ(CorrectMinutes("999999999999"), "59");

    EXPECT_EQ(ConfirmedProgramTime("", ""), 0);
    EXPECT_EQ(ConfirmedProgramTime("00", "10"), 600'000);
    // Enter in the minutes field counts the corrected minutes.
    EXPECT_EQ(ConfirmedProgramTime("1", "75"), (3600 + 59 * 60) * 1000);
    EXPECT_EQ(ConfirmedProgramTime("99", "59"), (99 * 3600 + 59 * 60) * 1000);
    EXPECT_EQ(ConfirmedProgramTime("12345", "0"), 99 * 3'600'000);

    EXPECT_EQ(TimeDialogKeyAction(13), TimeDialogKey::Confirm);
    EXPECT_EQ(TimeDialogKeyAction(27), TimeDialogKey::Cancel);
    EXPECT_EQ(TimeDialogKeyAction('5'), TimeDialogKey::None);
}

TEST(TimeDialogTest, TheProposalShowsHoursAndMinutes)
{
    EXPECT_EQ(ProposeTime(600'000).hours, "00");
    EXPECT_EQ(ProposeTime(600'000).minutes, "10");
    // Seconds are dropped.
    EXPECT_EQ(ProposeTime(3'600'000 + 59'999).minutes, "00");
    EXPECT_EQ(ProposeTime(3'600'000 + 59'999).hours, "01");
    EXPECT_EQ(ProposeTime(36'000'000 + 45 * 60'000).hours, "10");
    EXPECT_EQ(ProposeTime(36'000'000 + 45 * 60'000).minutes, "45");
    // More than the two-digit fields hold.
    EXPECT_EQ(ProposeTime(400 * 3'600'000 / 2).hours, "99");
    EXPECT_EQ(ProposeTime(400 * 3'600'000 / 2).minutes, "59");
}

} // namespace
} // namespace kestrava
