// The rules with the clock in the test's hand: answers, lateness, the
// difficulty climbing and falling, the result's parts and overall, a
// corrupted saved block, and the settings held to their ranges.
#include "modules/raum/RaumSimulation.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace kestrava::raum {
namespace {

struct Play {
    explicit Play(RaumSettings s = {}) : settings(ClampRaumSettings(s)) { simulation.Init(42); }
    // Ticks up to e; returns whether a pair is on show then.
    bool To(uint32_t e)
    {
        for (; clock <= e; clock += 10)
            simulation.Tick(clock, 3600000);
        return state.Open != 0;
    }
    // The key of the right (or the wrong) answer, ms after the pair came.
    void Answer(bool right, uint32_t after)
    {
        ASSERT_TRUE(To(state.ShownAt + after - 10));
        const bool mirror = (state.Mirror != 0) == right;
        simulation.KeyDown(mirror ? kKeyRight : kKeyLeft, state.ShownAt + after);
    }
    // Waits for the next pair.
    void Next()
    {
        while (!state.Open)
            To(clock);
    }
    RaumSettings settings;
    RaumState state{};
    RaumSimulation simulation{state, settings};
    uint32_t clock = 0;
};

TEST(RaumSimulation, AnswersLatenessAndTheDifficulty)
{
    Play run;
    EXPECT_FALSE(run.To(990));
    EXPECT_TRUE(run.To(1000)) << "the first pair comes after FIRST";
    EXPECT_EQ(run.state.ItemDifficulty, 0);
    run.simulation.KeyDown(32, 1100); // not an answer key
    EXPECT_TRUE(run.state.Open);
    run.Answer(true, 1000);
    EXPECT_EQ(run.state.LastOutcome, kOutcomeRight);
    EXPECT_EQ(run.state.Difficulty, 10);
    run.simulation.KeyDown(kKeyLeft, run.clock); // between pairs: nothing
    EXPECT_EQ(run.state.Items, 1);
    EXPECT_FALSE(run.To(run.clock + 600)) << "GAP after the answer";
    run.Next();
    run.Answer(true, 2000);
    run.Next();
    EXPECT_EQ(run.state.ItemDifficulty, 20);
    run.Answer(false, 500);
    EXPECT_EQ(run.state.Difficulty, 0);
    run.Next();
    const uint32_t shown = run.state.ShownAt;
    EXPECT_TRUE(run.To(shown + 9990));
    EXPECT_FALSE(run.To(shown + 10000)) << "late after LIMIT";
    EXPECT_EQ(run.state.LastOutcome, kOutcomeLate);
    EXPECT_EQ((std::array{run.state.Items, run.state.Right, run.state.Wrong, run.state.Late}), (std::array{4, 2, 1, 1}));

    // Right 50 %, mean of the right answers 1.5 s (speed 100 points),
    // difficulties 0, 10, 20 and 0 (mean 7.5): 20 + 3 + 20.
    const ResultRecordBytes record = MakeResultRecord(run.state, run.settings, 60000, 1.0);
    ASSERT_EQ(record.parts.size(), 2u);
    EXPECT_DOUBLE_EQ(record.parts[0], 50.0);
    EXPECT_DOUBLE_EQ(record.parts[1], -1500.0);
    EXPECT_DOUBLE_EQ(record.overall, 43.0);
    EXPECT_EQ(record.durationMs, 60000);
}

TEST(RaumSimulation, TheTurnsGetHarderWithRightAnswersAndTheEndCountsOnce)
{
    Play run;
    for (int i = 0; i < 12; ++i) {
        run.Next();
        EXPECT_EQ(TurnClass(run.simulation.Current().Rotation), TurnClassOf(run.state.ItemDifficulty));
        EXPECT_EQ(run.simulation.Current().Mirror, run.state.Mirror != 0);
        run.Answer(true, 700);
    }
    EXPECT_EQ(run.state.Difficulty, 100) << "held at 100";
    EXPECT_EQ(TurnClassOf(90), 3);
    run.Next();
    const RaumState open = run.state;
    EXPECT_EQ(run.simulation.Tick(run.clock, run.clock), TickOutcome::Finished);
    EXPECT_EQ(run.simulation.Tick(run.clock + 10, run.clock), TickOutcome::Over);
    run.simulation.KeyDown(kKeyLeft, run.clock + 20);
    EXPECT_EQ(run.state.Items, open.Items) << "the pair on show at the end is not counted";

    // With nothing right the time part is the LIMIT, and no pair gives 0 %.
    RaumState none{};
    none.Items = 3, none.Late = 3;
    const ResultRecordBytes record = MakeResultRecord(none, run.settings, 60000, 1.0);
    EXPECT_DOUBLE_EQ(record.parts[0], 0.0);
    EXPECT_DOUBLE_EQ(record.parts[1], -10000.0);
    EXPECT_DOUBLE_EQ(MakeResultRecord(RaumState{}, run.settings, 60000, 1.0).overall, 0.0);
    EXPECT_DOUBLE_EQ(SpeedScore(1500), 100.0);
    EXPECT_DOUBLE_EQ(SpeedScore(4500), 50.0);
    EXPECT_DOUBLE_EQ(SpeedScore(9000), 0.0);
}

TEST(RaumSimulation, ACorruptedSavedBlockIsHeldToWhatARunCanReach)
{
    RaumState s;
    std::memset(&s, 0xA5, sizeof s);
    s.Items = 1000000;
    s.Right = -4;
    CorrectRestoredState(s, RaumSettings{}, 30000);
    EXPECT_TRUE(s.Open == 0 || s.Open == 1);
    EXPECT_TRUE(s.Mirror == 0 || s.Mirror == 1);
    EXPECT_EQ(s.LastOutcome, kOutcomeNone);
    EXPECT_LE(s.ShownAt, 30000u);
    EXPECT_LE(s.NextAt, 31000u);
    EXPECT_EQ(s.Items, 151);
    EXPECT_EQ(s.Right, 0);
    EXPECT_EQ(s.Wrong + s.Late, s.Items);
    EXPECT_GE(s.Wrong, 0);
    EXPECT_LE(s.DifficultySum, 100 * s.Items);
    EXPECT_EQ(s.AnswerSumMs, 0u);
    EXPECT_GE(s.Difficulty, 0);
    EXPECT_LE(s.Difficulty, 100);
}

TEST(RaumSettings, HeldToTheirRangesAndTheShippedFileGivesTheDefaults)
{
    const auto path = std::filesystem::temp_directory_path() / ("raum-" + std::to_string(getpid()) + ".ini");
    std::ofstream(path) << "[GLOBAL]\r\nMIN=10\r\nMAX=5\r\nDEFAULT=zehn\r\n[ITEMS]\r\nLIMIT=100\r\nGAP=999999\r\n"
                           "MIRRORED=-3\r\n[DIFFICULTY]\r\nSTART=250\r\nHARDER=x\r\nEASIER=101\r\n";
    const RaumSettings s = ReadRaumSettings(path.string());
    std::filesystem::remove(path);
    EXPECT_EQ(s.MinDuration, 1000) << "ms, at least 1 s";
    EXPECT_EQ(s.MaxDuration, 60000) << "a limit is at least 1 min";
    EXPECT_EQ(s.DefaultDuration, 60000) << "not a number: the default, held to MAX";
    EXPECT_EQ(s.Limit, 2000);
    EXPECT_EQ(s.Gap, 10000);
    EXPECT_EQ(s.Mirrored, 0);
    EXPECT_EQ(s.Start, 100);
    EXPECT_EQ(s.Harder, 10) << "not a number: the default";
    EXPECT_EQ(s.Easier, 100);

    const RaumSettings shipped = ReadRaumSettings(RAUM_SHIPPED_INI);
    const RaumSettings defaults;
    EXPECT_EQ(std::memcmp(&shipped, &defaults, sizeof defaults), 0) << "RAUM.ini documents other values";
}

} // namespace
} // namespace kestrava::raum
