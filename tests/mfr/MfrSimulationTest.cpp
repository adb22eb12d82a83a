// The Mehrfachreaktion test's rules, step by step with scripted random
// numbers: stimuli and their windows, answers in any order, errors, misses
// and stray keys, the pace rule and its limits, the tones, the end, and a
// state block that carries a test on exactly.
#include "MfrTestSupport.h"

#include <cstring>

namespace kestrava::mfr::testing {
namespace {

class MfrSimulationTest : public ::testing::Test {
protected:
    MfrSimulationTest()
    {
        sim.SetView(&view);
        sim.SetTones(&tones);
        sim.Init(1);
    }
    // Ticks from `from` to `to` inclusive in 10 ms steps.
    void TickThrough(uint32_t from, uint32_t to)
    {
        for (uint32_t e = from; e <= to; e += 10)
            ASSERT_EQ(sim.Tick(e, kDuration), TickOutcome::Running) << e;
    }
    static constexpr uint32_t kDuration = 600000;
    MfrState state{};
    ScriptedRandom random;
    RecordingView view;
    RecordingTones tones;
    MfrSimulation sim{state, random};
};

TEST_F(MfrSimulationTest, InitLoadsTheTonesAndDrawsAFreshScreen)
{
    EXPECT_EQ(tones.log, (std::vector<std::string>{"load 1", "load 2"}));
    EXPECT_EQ(view.loads, 1);
    EXPECT_EQ(view.all, 1);
    EXPECT_EQ(state.Interval, 2000);
    EXPECT_EQ(state.NextOnset, 1000u);
    EXPECT_EQ(state.RandomState, 1u);
    EXPECT_FALSE(sim.Open());
}

TEST_F(MfrSimulationTest, ARunOfLampToneBothAndAMiss)
{
    TickThrough(0, 990);
    EXPECT_FALSE(sim.Open());

    // A lamp: F3 at 1250 is right, 250 ms.
    random.Queue({0, 2});
    TickThrough(1000, 1000);
    EXPECT_EQ(state.Lamp, 3);
    EXPECT_EQ(state.Tone, kToneNone);
    EXPECT_EQ(state.Window, 2000u);
    EXPECT_EQ(state.NextOnset, 3300u);
    TickThrough(1010, 1250);
    sim.KeyDown(kKeyF1 + 2, 1250);
    EXPECT_FALSE(sim.Open());
    EXPECT_EQ(state.Correct, 1);
    EXPECT_EQ(state.ReactionSumMs, 250u);
    EXPECT_EQ(state.Interval, 1950);
    EXPECT_EQ(state.LastOutcome, kOutcomeCorrect);

    // Nothing until the old window and the gap are over, then the high
    // tone, answered with Ctrl: an error, the tone stopped.
    TickThrough(1260, 3290);
    EXPECT_FALSE(sim.Open());
    random.Queue({2, 1});
    TickThrough(3300, 3300);
    EXPECT_EQ(state.Tone, kToneHigh);
    EXPECT_EQ(state.Lamp, 0);
    EXPECT_EQ(state.LastOutcome, kOutcomeNone);
    EXPECT_EQ(tones.log.back(), "play 2");
    EXPECT_EQ(sim.ToneSlot(), 5);
    sim.KeyDown(kKeyControl, 3400);
    EXPECT_EQ(state.Errors, 1);
    EXPECT_EQ(state.Interval, 2150);
    EXPECT_EQ(tones.log.back(), "stop 5");
    EXPECT_EQ(sim.ToneSlot(), -1);

    // Both: lamp 1 and the low tone; the tone first, then the lamp. The
    // lamp stays lit until its own key; the reaction time runs to the
    // second answer.
    random.Queue({3, 0, 0});
    TickThrough(3310, 5550);
    EXPECT_EQ(state.Onset, 5550u);
    EXPECT_EQ(state.Lamp, 1);
    EXPECT_EQ(state.Tone, kToneLow);
    sim.KeyDown(kKeyControl, 5600);
    EXPECT_TRUE(sim.Open());
    EXPECT_EQ(state.Answered, kAnsweredTone);
    sim.KeyDown(kKeyControl, 5610);  // the same key again changes nothing
    EXPECT_TRUE(sim.Open());
    sim.KeyDown(kKeyF1, 5950);
    EXPECT_FALSE(sim.Open());
    EXPECT_EQ(state.Correct, 2);
    EXPECT_EQ(state.ReactionSumMs, 250u + 400u);
    EXPECT_EQ(state.Interval, 2100);

    // Lamp 4 left alone: missed when its window of 2100 closes.
    random.Queue({1, 3});
    TickThrough(5560, 8000);
    EXPECT_EQ(state.Lamp, 4);
    EXPECT_EQ(state.Window, 2100u);
    TickThrough(8010, 10090);
    EXPECT_TRUE(sim.Open());
    TickThrough(10100, 10100);
    EXPECT_FALSE(sim.Open());
    EXPECT_EQ(state.Missed, 1);
    EXPECT_EQ(state.LastOutcome, kOutcomeMissed);
    EXPECT_EQ(state.Interval, 2300);
    EXPECT_EQ(state.Stimuli, 4);
    EXPECT_EQ(random.Left(), 0u);
}

TEST_F(MfrSimulationTest, BothAnswersInEitherOrderAndAWrongSecondAnswerIsAnError)
{
    random.Queue({3, 1, 1});  // lamp 2 and the high tone
    TickThrough(0, 1000);
    sim.KeyDown(kKeyF1 + 1, 1100);
    EXPECT_EQ(state.Answered, kAnsweredLamp);
    EXPECT_EQ(view.lamps.back(), 2 * 10 + kAnsweredLamp) << "the answered lamp is drawn dark";
    sim.KeyDown(kKeySpace, 1200);
    EXPECT_EQ(state.Correct, 1);
    EXPECT_EQ(state.ReactionSumMs, 200u);

    random.Queue({3, 0, 0});  // lamp 1 and the low tone
    TickThrough(1010, 3300);
    sim.KeyDown(kKeyF1, 3350);
    sim.KeyDown(kKeySpace, 3400);  // the high tone's key
    EXPECT_FALSE(sim.Open());
    EXPECT_EQ(state.Errors, 1);
    EXPECT_EQ(state.Correct, 1);
}

TEST_F(MfrSimulationTest, KeysWhileNothingShowsAreFalseKeysAndOtherKeysCountNothing)
{
    TickThrough(0, 500);
    sim.KeyDown(65, 500);   // A
    sim.KeyDown(116, 500);  // F5
    EXPECT_EQ(state.FalseKeys, 0);
    EXPECT_EQ(state.LastOutcome, kOutcomeNone);
    sim.KeyDown(kKeyF1, 500);
    sim.KeyDown(kKeySpace, 510);
    EXPECT_EQ(state.FalseKeys, 2);
    EXPECT_EQ(state.Stimuli, 0);
    EXPECT_EQ(state.Interval, 2400);
    EXPECT_EQ(view.outcomes.back(), kOutcomeError);
    // A lamp with a stray key: F2 for lamp 1 ends it as an error.
    random.Queue({0, 0});
    TickThrough(510, 1000);
    sim.KeyDown(65, 1010);
    EXPECT_TRUE(sim.Open());
    sim.KeyDown(kKeyF1 + 1, 1020);
    EXPECT_EQ(state.Errors, 1);
}

TEST_F(MfrSimulationTest, ThePaceStaysWithinFastestAndSlowest)
{
    MfrSettings settings;
    settings.Start = 900;
    settings.Fastest = 800;
    settings.Slowest = 1200;
    settings.Faster = 70;
    settings.Slower = 150;
    settings.Gap = 100;
    sim.SetSettings(settings);
    sim.Init(1);
    uint32_t e = 0;
    std::vector<int32_t> intervals;
    // Three right answers, then four misses.
    for (int n = 0; n < 7; ++n) {
        random.Queue({0, 0});
        while (!sim.Open()) {
            ASSERT_EQ(sim.Tick(e, kDuration), TickOutcome::Running);
            e += 10;
        }
        if (n < 3)
            sim.KeyDown(kKeyF1, e);
        while (sim.Open()) {
            ASSERT_EQ(sim.Tick(e, kDuration), TickOutcome::Running);
            e += 10;
        }
        intervals.push_back(state.Interval);
    }
    EXPECT_EQ(intervals, (std::vector<int32_t>{830, 800, 800, 950, 1100, 1200, 1200}));
}

TEST_F(MfrSimulationTest, ASoundEndForgetsTheToneSlotSoNothingElseIsStopped)
{
    random.Queue({2, 0});
    TickThrough(0, 1000);
    EXPECT_EQ(sim.ToneSlot(), 5);
    sim.SoundEnded(4);
    EXPECT_EQ(sim.ToneSlot(), 5);
    sim.SoundEnded(5);
    EXPECT_EQ(sim.ToneSlot(), -1);
    tones.log.clear();
    sim.KeyDown(kKeyControl, 1300);
    EXPECT_EQ(state.Correct, 1);
    EXPECT_TRUE(tones.log.empty()) << tones.log.front();
}

TEST_F(MfrSimulationTest, TheDurationEndsTheTestOnceAndAnOpenStimulusIsNotCounted)
{
    random.Queue({0, 0});
    TickThrough(0, 1000);
    EXPECT_EQ(sim.Tick(1500, 1500), TickOutcome::Finished);
    EXPECT_EQ(sim.Tick(1500, 1500), TickOutcome::Over);
    EXPECT_EQ(sim.Tick(1510, 1500), TickOutcome::Over);
    sim.KeyDown(kKeyF1, 1510);
    EXPECT_EQ(state.Stimuli, 0);
    EXPECT_EQ(state.Correct, 0);
    // Init starts over.
    sim.Init(2);
    EXPECT_EQ(sim.Tick(0, 1500), TickOutcome::Running);
}

// A candidate who reads the screen: lamps after 300 ms, tones after 450 ms,
// every fifth stimulus answered with the wrong lamp, every seventh left.
void Answer(MfrSimulation& sim, uint32_t e, int& seen, uint32_t& lastOnset)
{
    const MfrState& s = sim.State();
    if (!sim.Open())
        return;
    if (s.Onset != lastOnset) {
        lastOnset = s.Onset;
        ++seen;
    }
    if (seen % 7 == 0)
        return;
    const uint32_t age = e - s.Onset;
    if (s.Lamp != 0 && !(s.Answered & kAnsweredLamp) && age == 300)
        sim.KeyDown(kKeyF1 + static_cast<uint32_t>(seen % 5 == 0 ? s.Lamp % 4 : s.Lamp - 1), e);
    if (sim.Open() && s.Tone != kToneNone && !(s.Answered & kAnsweredTone) && age == 450)
        sim.KeyDown(ToneKey(static_cast<Tone>(s.Tone)), e);
}

TEST(MfrStateBlock, ASavedAndRestoredBlockGoesOnExactlyAsTheOriginal)
{
    MfrState a{};
    BlockRandom randomA(a.RandomState);
    MfrSimulation simA(a, randomA);
    simA.Init(20260308);
    int seenA = 0;
    uint32_t onsetA = 0xFFFFFFFF;
    for (uint32_t e = 0; e < 20000; e += 10) {
        ASSERT_EQ(simA.Tick(e, 60000), TickOutcome::Running);
        Answer(simA, e, seenA, onsetA);
    }
    ASSERT_TRUE(simA.Open() || a.Stimuli > 0);
    std::array<unsigned char, sizeof(MfrState)> saved;
    std::memcpy(saved.data(), &a, sizeof a);

    // Another binding: initialised with another seed, then overwritten
    // with the saved bytes, as the host restores a block.
    MfrState b{};
    BlockRandom randomB(b.RandomState);
    MfrSimulation simB(b, randomB);
    simB.Init(99);
    std::memcpy(&b, saved.data(), sizeof b);
    simB.Restored();
    int seenB = seenA;
    uint32_t onsetB = onsetA;

    for (uint32_t e = 20000; e <= 60000; e += 10) {
        const TickOutcome oa = simA.Tick(e, 60000);
        const TickOutcome ob = simB.Tick(e, 60000);
        ASSERT_EQ(oa, ob) << e;
        if (oa != TickOutcome::Running)
            break;
        Answer(simA, e, seenA, onsetA);
        Answer(simB, e, seenB, onsetB);
        ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "apart at " << e;
    }
    EXPECT_GT(a.Correct, 10);
    EXPECT_GT(a.Errors, 0);
    EXPECT_GT(a.Missed, 0);
}

TEST(MfrRandom, TheSameSeedGivesTheSameNumbersSpreadEvenly)
{
    uint64_t p1 = 42, p2 = 42;
    BlockRandom r1(p1), r2(p2);
    std::array<int, 4> counts{};
    for (int i = 0; i < 40000; ++i) {
        const int32_t v = r1.Below(4);
        ASSERT_EQ(v, r2.Below(4));
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 4);
        ++counts[static_cast<size_t>(v)];
    }
    for (int c : counts)
        EXPECT_NEAR(c, 10000, 400);
    EXPECT_EQ(p1, p2);
    EXPECT_EQ(r1.Below(0), 0);
    EXPECT_EQ(r1.Below(-3), 0);
    uint64_t p3 = 43;
    BlockRandom r3(p3);
    EXPECT_NE(BlockRandom::Next(p1), BlockRandom::Next(p3));
}

} // namespace
} // namespace kestrava::mfr::testing
