// The tick: step schedule, end of the test, full repaints, the adaptive paint
// interval, initialisation, and settings that would otherwise divide by 0.
#include "ZekTestSupport.h"

#include "modules/zek/ZekResult.h"

#include <cmath>
#include <set>

namespace kestrava::zek::testing {
namespace {

TEST(ZekTick, SixtySecondTestStepsThreeThousandTimesAndFinishesOnce)
{
    Rig rig;
    std::vector<uint32_t> finishedAt;
    for (uint32_t e = 0; e <= 60000; e += 10)
        if (rig.sim.Tick(e, 60000, {}) == TickOutcome::Finished)
            finishedAt.push_back(e);
    EXPECT_EQ(finishedAt, std::vector<uint32_t>{60000});
    EXPECT_EQ(rig.state.Samples2D, 3000);
    EXPECT_EQ(rig.state.SamplesV, 3000);
    // MSG_INIT's repaint, then one every 10 s including the last tick.
    EXPECT_EQ(rig.view.full, 1 + 7);

    // Later ticks, and the final tick delivered twice, end nothing more;
    // a late tick on a 10 s mark still repaints.
    EXPECT_EQ(rig.sim.Tick(60000, 60000, {}), TickOutcome::Over);
    EXPECT_EQ(rig.sim.Tick(60010, 60000, {}), TickOutcome::Over);
    EXPECT_EQ(rig.sim.Tick(70000, 60000, {}), TickOutcome::Over);
    EXPECT_EQ(rig.state.SamplesV, 3000);
    EXPECT_EQ(rig.view.full, 1 + 7 + 2);

    // Without chance events only the forced ones came: the light at 30 s
    // went unanswered, the task from 40 s is still open at the end, so the
    // arithmetic has no divisor and scores 0.
    EXPECT_EQ(rig.state.LightsShown, 1);
    EXPECT_EQ(rig.state.TasksDone, 0);
    EXPECT_NE(rig.state.TaskText.Length, 0);
    const ResultRecord record = MakeResultRecord(rig.state, 60000, 0.0);
    EXPECT_EQ(record.Parts[3], 0.0);
    EXPECT_TRUE(std::isfinite(record.Overall));
    EXPECT_EQ(record.DurationMs, 60000);
}

TEST(ZekTick, TheEndComesWhateverTheLastTickLooksLike)
{
    // A tick that skips the exact duration still ends the test, once.
    {
        Rig rig;
        EXPECT_EQ(rig.sim.Tick(59990, 60000, {}), TickOutcome::Running);
        EXPECT_EQ(rig.sim.Tick(60010, 60000, {}), TickOutcome::Finished);
        EXPECT_EQ(rig.sim.Tick(60020, 60000, {}), TickOutcome::Over);
    }
    // A view that cannot draw on the last tick (pictures too large to
    // allocate) does not keep the test from ending.
    class FailingView final : public ZekView {
    public:
        void LoadImages() override {}
        void Release() override {}
        void PaintAll(const ZekState&) override { throw std::bad_alloc(); }
        void PaintTrackingFields(const ZekState&) override {}
        void PaintLights(const ZekState&) override {}
        void PaintArithmetic(const ZekState&) override {}
    } failing;
    Rig rig;
    rig.sim.SetView(&failing);
    EXPECT_EQ(rig.sim.Tick(60000, 60000, {}), TickOutcome::Finished);
    EXPECT_THROW(rig.sim.Tick(10000, 60000, {}), std::bad_alloc) << "only the end is shielded";
}

TEST(ZekTick, AFullRepaintCountsAsPaintTime)
{
    Rig rig;
    class SlowView final : public ZekView {
    public:
        explicit SlowView(ManualClock& clock) : m_clock(clock) {}
        void LoadImages() override {}
        void Release() override {}
        void PaintAll(const ZekState&) override { m_clock.now += 45; }
        void PaintTrackingFields(const ZekState&) override {}
        void PaintLights(const ZekState&) override {}
        void PaintArithmetic(const ZekState&) override {}

    private:
        ManualClock& m_clock;
    } slow(rig.clock);
    rig.sim.SetView(&slow);
    rig.sim.Paint();
    EXPECT_EQ(rig.state.PaintDuration, 45u);
}

// The ticks at which the tracking fields were painted// The ticks at which the tracking fields were painted, from `from` to `to`.
std::vector<uint32_t> FieldPaints(Rig& rig, uint32_t from, uint32_t to)
{
    std::vector<uint32_t> at;
    for (uint32_t e = from; e <= to; e += 10) {
        const int before = rig.view.fields;
        rig.sim.Tick(e, 1000000, {});
        if (rig.view.fields != before)
            at.push_back(e);
    }
    return at;
}

TEST(ZekPaintSchedule, IntervalGrowsWithSlowPaintsWhenPaintTimeIsZero)
{
    Rig rig;
    rig.view.fieldPaintMs = 7;
    EXPECT_EQ(FieldPaints(rig, 0, 200), (std::vector<uint32_t>{0, 40, 80, 120, 160, 200}));
    EXPECT_EQ(rig.state.PaintDuration, 7u);
    EXPECT_EQ(rig.sim.PaintInterval(), 40);

    // Between paints the Drawn copies keep the positions of the last paint.
    rig.sim.Tick(220, 1000000, {});
    EXPECT_NE(rig.state.TargetYDrawn, rig.state.TargetY);
    rig.sim.Tick(240, 1000000, {});
    EXPECT_EQ(rig.state.TargetYDrawn, rig.state.TargetY);
    EXPECT_EQ(rig.state.VTargetYDrawn, rig.state.VTargetY);

    rig.view.fieldPaintMs = 12;
    FieldPaints(rig, 250, 300);
    EXPECT_EQ(rig.sim.PaintInterval(), 60);
    rig.view.fieldPaintMs = 0;
    FieldPaints(rig, 310, 420);
    EXPECT_EQ(rig.sim.PaintInterval(), 20);
}

TEST(ZekPaintSchedule, NonZeroPaintTimeKeepsTwentyMilliseconds)
{
    ZekSettings s;
    s.PaintTime = 5;
    Rig rig(s);
    rig.view.fieldPaintMs = 12;
    EXPECT_EQ(FieldPaints(rig, 0, 100), (std::vector<uint32_t>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(rig.sim.PaintInterval(), 20);
}

TEST(ZekTick, HostileSettingsNeitherDivideByZeroNorStall)
{
    ZekSettings s;
    s.CycleTime = 0;
    s.FKeysInterval = 0;
    s.MathInterval = -5;
    Rig rig(s);
    rig.state.PaintDuration = 0xFFFFFFFFu;  // as a restored block might hold
    rig.TickThrough(0, 100);
    EXPECT_EQ(rig.state.SamplesV, 6) << "steps every 20 ms";
    EXPECT_GT(rig.sim.PaintInterval(), 0);
    // A bound of 0 or less reads as "always": the light comes at once.
    EXPECT_EQ(rig.state.LightsShown, 1);
    EXPECT_NE(rig.state.TaskText.Length, 0);

    SeededRandom random;
    random.Seed(42);
    EXPECT_EQ(random.Below(0), 0);
    EXPECT_EQ(random.Below(-3), 0);
    std::set<int32_t> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(random.Below(7));
    EXPECT_EQ(seen, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(ZekTick, InitStartsOverButKeepsHeadingsAndTimes)
{
    Rig rig;
    rig.random.Push({0, 1});
    rig.TickThrough(0, 25000);
    rig.state.Heading = 1.25;
    rig.state.VHeading = 2.5;
    rig.state.PaintDuration = 3;
    rig.state.LightOnTime = 1234;
    rig.state.TaskStartTime = 5678;
    ASSERT_EQ(rig.sim.Tick(25010, 25010, {}), TickOutcome::Finished);
    const ZekState before = rig.state;
    ASSERT_NE(before.SamplesV, 0);
    ASSERT_NE(before.TargetY, 300.0);

    const int loads = rig.view.loads, full = rig.view.full;
    rig.sim.Init();
    const ZekState& s = rig.state;
    for (double position : {s.TargetX, s.TargetY, s.CursorX, s.CursorY, s.VTargetY, s.VCursorY, s.TargetXDrawn,
                            s.TargetYDrawn, s.CursorXDrawn, s.CursorYDrawn, s.VTargetYDrawn, s.VCursorYDrawn})
        EXPECT_EQ(position, 300.0);
    EXPECT_EQ(s.Light, 0);
    EXPECT_EQ(s.TaskText.Length, 0);
    for (int32_t counter : {s.Samples2D, s.Hits2D, s.SamplesV, s.HitsV, s.LightsShown, s.LightsAnswered, s.TasksDone,
                            s.TasksCorrect})
        EXPECT_EQ(counter, 0);
    EXPECT_EQ(s.Heading, 1.25);
    EXPECT_EQ(s.VHeading, 2.5);
    EXPECT_EQ(s.LightOnTime, 1234u);
    EXPECT_EQ(s.TaskStartTime, 5678u);
    EXPECT_EQ(s.PaintDuration, 3u);
    EXPECT_EQ(rig.view.loads, loads + 1);
    EXPECT_EQ(rig.view.full, full + 1);

    // The new test ends in its turn.
    EXPECT_EQ(rig.sim.Tick(100, 100, {}), TickOutcome::Finished);
}

} // namespace
} // namespace kestrava::zek::testing
