// The course of a test and its record: what counts as right, wrong and
// missed, the answer time as a time part, the settings held to their ranges
// and a restored block held to what a run can reach.
#include "modules/lage/LageItems.h"
#include "modules/lage/LageSession.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kestrava::lage {
namespace {

uint32_t KeyOf(int32_t picture) { return uint32_t('1' + picture); }

struct Course {
    explicit Course(int32_t limit = 3000, int32_t gap = 500)
    {
        LageSettings s;
        s.Limit = limit;
        s.Gap = gap;
        session.SetSettings(s);
        session.Init(77);
    }
    LageState state{};
    kit::BlockRandom random{state.RandomState};
    LageSession session{state, random};
};

TEST(LageSession, TheRecordCountsRightWrongAndMissedAndTheMeanAnswerTime)
{
    Course run;
    LageState& s = run.state;
    EXPECT_EQ(run.session.Tick(0, 60000), Step::Changed);
    ASSERT_EQ(s.Phase, kPhaseShowing);
    EXPECT_FALSE(run.session.Key('5', 400)) << "not an answer key";
    EXPECT_TRUE(run.session.Key(KeyOf(s.Item.Answer), 1230));
    EXPECT_FALSE(run.session.Key(KeyOf(0), 1300)) << "nothing on show in the gap";

    EXPECT_EQ(run.session.Tick(1720, 60000), Step::Unchanged);
    EXPECT_EQ(run.session.Tick(1730, 60000), Step::Changed);
    EXPECT_EQ(s.ShownAt, 1730u);
    EXPECT_TRUE(run.session.Key(0x61 + uint32_t((s.Item.Answer + 1) % 4), 2500));  // wrong, on the number pad

    // The third item runs out after LIMIT; the fourth is still open at the end.
    EXPECT_EQ(run.session.Tick(3000, 60000), Step::Changed);
    EXPECT_EQ(run.session.Tick(5990, 60000), Step::Unchanged);
    EXPECT_EQ(run.session.Tick(6000, 60000), Step::Changed);
    EXPECT_EQ(s.LastOutcome, kOutcomeMissed);
    EXPECT_EQ(run.session.Tick(6500, 60000), Step::Changed);
    EXPECT_EQ(run.session.Tick(60000, 60000), Step::Finished);

    EXPECT_EQ(s.Correct, 1);
    EXPECT_EQ(s.Wrong, 1);
    EXPECT_EQ(s.Missed, 1);
    const ResultRecordBytes record = MakeRecord(s, run.session.Settings(), 60000, 45000.5);
    ASSERT_EQ(record.parts.size(), Sheet().PartCount());
    EXPECT_DOUBLE_EQ(record.parts[0], 100.0 / 3);
    EXPECT_DOUBLE_EQ(record.parts[1], -(1230.0 + 770.0) / 2) << "a time part is the negative ms";
    EXPECT_DOUBLE_EQ(record.overall, record.parts[0]);
    EXPECT_EQ(record.durationMs, 60000);
}

TEST(LageSession, NothingAnsweredScoresNoneAtTheWholeLimit)
{
    Course run(2000, 0);
    for (uint32_t e = 0; e < 60000; e += 10)
        run.session.Tick(e, 60000);
    EXPECT_EQ(run.state.Missed, 29);  // one every 2010 ms: the next item comes on the tick after
    const ResultRecordBytes record = MakeRecord(run.state, run.session.Settings(), 60000, 0);
    EXPECT_EQ(record.parts[0], 0.0);
    EXPECT_EQ(record.parts[1], -2000.0);
    EXPECT_EQ(record.overall, 0.0);

    // An empty run has no share to take: 0 %, never NaN.
    Course idle;
    EXPECT_EQ(MakeRecord(idle.state, idle.session.Settings(), 0, 0).parts[0], 0.0);
}

TEST(LageSession, TheSettingsAreHeldToTheirDocumentedRanges)
{
    const auto dir = std::filesystem::temp_directory_path() / ("lage-settings-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "LAGE.ini").string();
    const auto read = [&](const std::string& text) {
        std::ofstream(ini, std::ios::trunc) << text;
        return ReadLageSettings(ini);
    };
    EXPECT_EQ(read("[ITEMS]\nLIMIT=5\nGAP=-3\n").Limit, 1000);
    EXPECT_EQ(read("[ITEMS]\nLIMIT=999999\nGAP=9000\n").Gap, 5000);
    EXPECT_EQ(read("[ITEMS]\nLIMIT=999999\n").Limit, 60000);
    EXPECT_EQ(read("[ITEMS]\nLIMIT=zehn\n").Limit, 10000) << "not a number: the default";
    const LageSettings times = read("[GLOBAL]\nMIN=120000\nMAX=90000\nDEFAULT=5\nCOUNTDOWN=-1\n");
    EXPECT_EQ(times.MinDuration, 120000);
    EXPECT_EQ(times.MaxDuration, 120000) << "MAX not below MIN";
    EXPECT_EQ(times.DefaultDuration, 120000);
    EXPECT_EQ(times.Countdown, 0);
    std::filesystem::remove_all(dir);

    // The shipped file says what the defaults are.
    const LageSettings shipped = ReadLageSettings(LAGE_SHIPPED_INI);
    const LageSettings defaults;
    EXPECT_EQ(std::memcmp(&shipped, &defaults, sizeof shipped), 0);
}

TEST(LageSession, ARestoredBlockIsHeldToWhatARunCanReach)
{
    Course run;
    for (uint32_t e = 0; e <= 20000; e += 10) {
        run.session.Tick(e, 60000);
        if (run.state.Phase == kPhaseShowing && e - run.state.ShownAt == 800)
            run.session.Key(KeyOf(run.state.Item.Answer), e);
    }
    ASSERT_EQ(run.state.Phase, kPhaseShowing);
    const LageState real = run.state;
    LageState s = real;
    CorrectRestoredState(s, run.session.Settings(), 20000);
    EXPECT_EQ(std::memcmp(&s, &real, sizeof s), 0) << "a real block comes back as it was";

    s.Item.Pictures[(s.Item.Answer + 1) % 4] = s.Item.Shown;  // two pictures would match
    s.NextAt = 4000000000u;
    s.Correct = -5;
    s.Wrong = 1 << 30;
    s.Missed = 1 << 30;
    s.TimeSumMs = ~0ull;
    s.LastOutcome = 9;
    CorrectRestoredState(s, run.session.Settings(), 20000);
    EXPECT_EQ(s.Phase, kPhaseWaiting) << "the spoilt item is dropped";
    EXPECT_LE(s.NextAt, 20500u);
    EXPECT_EQ(s.Correct, 0);
    EXPECT_LE(int64_t(s.Wrong) + s.Missed, 2001);
    EXPECT_GE(s.Missed, 0);
    EXPECT_LE(s.TimeSumMs, uint64_t(s.Wrong) * 3010);
    EXPECT_EQ(s.LastOutcome, kOutcomeNone);

    // The run goes on from there: a new item on the next tick.
    run.state = s;
    EXPECT_EQ(run.session.Tick(20500, 60000), Step::Changed);
    EXPECT_TRUE(ValidItem(run.state.Item));
}

} // namespace
} // namespace kestrava::lage
