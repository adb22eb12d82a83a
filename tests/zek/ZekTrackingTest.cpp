// The simulation step: order of the random draws, the tracking targets'
// turning, the cursors' joystick response and clamping, and scoring.
#include "ZekTestSupport.h"

#include <numbers>

namespace kestrava::zek::testing {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(ZekStep, DrawsRandomNumbersInAFixedOrder)
{
    Rig rig;
    rig.sim.SimulationStep(20, {});
    // Without events: light chance, task chance, 2-D turn, vertical turn.
    EXPECT_EQ(rig.random.bounds, (std::vector<int32_t>{300, 300, 200, 200}));

    rig.random.bounds.clear();
    const double heading = rig.state.Heading;
    const double vHeading = rig.state.VHeading;
    rig.random.Push({0, 1,         // a light comes: light 2
                     0, 1, 49, 9,  // a task comes: kind 2, a = 52, b = rand(50) + 1 = 10
                     0, 199});     // turns of +1.00 and -0.99 times the largest turn
    rig.sim.SimulationStep(40, {});
    EXPECT_EQ(rig.random.bounds, (std::vector<int32_t>{300, 4, 300, 7, 100, 50, 200, 200}));
    EXPECT_EQ(rig.state.Light, 2);
    EXPECT_EQ(rig.Task(), "52 - 10 = ?");
    EXPECT_EQ(rig.state.TaskResult, 42);
    EXPECT_DOUBLE_EQ(rig.state.Heading, heading + 0.2);
    EXPECT_DOUBLE_EQ(rig.state.VHeading, vHeading - 0.99 * 0.2);

    // With a light on and a task shown both chances are still drawn, so the
    // sequence does not depend on what is on screen.
    rig.random.bounds.clear();
    rig.sim.SimulationStep(60, {});
    EXPECT_EQ(rig.random.bounds, (std::vector<int32_t>{300, 300, 200, 200}));
}

// Targets that stand still (speed 0) and do not turn by chance, so that only
// the turning tests change their heading.
ZekSettings StillTargets()
{
    ZekSettings s;
    s.RCSpeed = 0.0;
    s.LCSpeed = 0.0;
    return s;
}

TEST(ZekTracking, TargetsTurnOnlyBeyondTheMargin)
{
    Rig rig(StillTargets());
    ASSERT_DOUBLE_EQ(rig.sim.Margin(), 48.0);
    auto headingAt = [&rig](double x, double y) {
        rig.state.TargetX = x;
        rig.state.TargetY = y;
        rig.state.Heading = 1.0;
        rig.sim.TrackingStep({});
        return rig.state.Heading;
    };
    EXPECT_EQ(headingAt(48.0, 300.0), 1.0) << "exactly on the line is not beyond it";
    EXPECT_EQ(headingAt(300.0, 48.0), 1.0);
    EXPECT_EQ(headingAt(592.0, 300.0), 1.0);
    EXPECT_EQ(headingAt(300.0, 382.0), 1.0);
    EXPECT_EQ(headingAt(47.9, 300.0), kPi / 2);
    EXPECT_EQ(headingAt(300.0, 47.9), 2 * kPi);
    EXPECT_EQ(headingAt(592.1, 300.0), 3 * kPi / 2);
    EXPECT_EQ(headingAt(300.0, 382.1), kPi);
    // In a corner the later test wins.
    EXPECT_EQ(headingAt(40.0, 40.0), 2 * kPi);
    EXPECT_EQ(headingAt(600.0, 40.0), 3 * kPi / 2);
    EXPECT_EQ(headingAt(40.0, 390.0), kPi);
    EXPECT_EQ(headingAt(600.0, 390.0), kPi);

    auto vHeadingAt = [&rig](double y) {
        rig.state.VTargetY = y;
        rig.state.VHeading = 1.0;
        rig.sim.TrackingStep({});
        return rig.state.VHeading;
    };
    EXPECT_EQ(vHeadingAt(48.0), 1.0);
    EXPECT_EQ(vHeadingAt(382.0), 1.0);
    EXPECT_EQ(vHeadingAt(47.0), 2 * kPi);
    EXPECT_EQ(vHeadingAt(383.0), kPi);
}

TEST(ZekTracking, TargetBeyondTheLineIsTurnedButNotMovedBack)
{
    Rig rig;
    rig.state.TargetX = 40.0;
    rig.state.Heading = kPi / 2;
    rig.random.Push({0, 100});  // a random turn that the turning test overrides
    rig.sim.TrackingStep({});
    EXPECT_NEAR(rig.state.TargetX, 40.0 + 3.0 * std::sin(kPi / 2 + 0.2), 1e-12);
    EXPECT_EQ(rig.state.Heading, kPi / 2);
}

TEST(ZekTracking, CursorsFollowTheJoysticksAndStayInsideTheMargin)
{
    Rig rig(StillTargets());
    // Full deflection moves 10 units per step; the first stick's vertical
    // axis is subtracted, the second's added.
    rig.sim.TrackingStep({10, 10, 10});
    EXPECT_EQ(rig.state.CursorX, 310.0);
    EXPECT_EQ(rig.state.CursorY, 290.0);
    EXPECT_EQ(rig.state.VCursorY, 310.0);

    rig.state.CursorX = 590.0;
    rig.state.CursorY = 380.0;
    rig.state.VCursorY = 380.0;
    rig.sim.TrackingStep({10, -10, 10});
    EXPECT_EQ(rig.state.CursorX, 592.0);
    EXPECT_EQ(rig.state.CursorY, 382.0);
    EXPECT_EQ(rig.state.VCursorY, 382.0);
    rig.sim.TrackingStep({10, -10, 10});  // held against the edge
    EXPECT_EQ(rig.state.CursorX, 592.0);
    EXPECT_EQ(rig.state.CursorY, 382.0);

    rig.state.CursorX = 50.0;
    rig.state.CursorY = 50.0;
    rig.state.VCursorY = 50.0;
    rig.sim.TrackingStep({-10, 10, -10});
    EXPECT_EQ(rig.state.CursorX, 48.0);
    EXPECT_EQ(rig.state.CursorY, 48.0);
    EXPECT_EQ(rig.state.VCursorY, 48.0);

    rig.sim.TrackingStep({});
    EXPECT_EQ(rig.state.CursorX, 48.0);
    EXPECT_EQ(rig.state.Samples2D, 5);
    EXPECT_EQ(rig.state.SamplesV, 5);
}

TEST(ZekTracking, HitMeansCloserThanSize)
{
    Rig rig(StillTargets());
    auto scores = [&rig](double cursorX, double vCursorY) {
        rig.state.TargetX = rig.state.TargetY = rig.state.VTargetY = 300.0;
        rig.state.CursorX = cursorX;
        rig.state.CursorY = 300.0;
        rig.state.VCursorY = vCursorY;
        const int32_t hits2D = rig.state.Hits2D, hitsV = rig.state.HitsV;
        rig.sim.TrackingStep({});
        return std::pair{rig.state.Hits2D - hits2D, rig.state.HitsV - hitsV};
    };
    EXPECT_EQ(scores(359.9, 240.1), (std::pair{1, 1}));
    EXPECT_EQ(scores(360.0, 240.0), (std::pair{0, 0}));
    EXPECT_EQ(scores(240.0, 360.0), (std::pair{0, 0}));
    EXPECT_EQ(rig.state.Samples2D, 3);
}

} // namespace
} // namespace kestrava::zek::testing
