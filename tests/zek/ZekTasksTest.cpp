// Reaction lights and mental arithmetic: the tasks, their timeouts, the
// forced first events and the keys.
#include "ZekTestSupport.h"

namespace kestrava::zek::testing {
namespace {

TEST(ZekArithmetic, EachKindDrawsItsNumbersAndBuildsItsText)
{
    struct Case {
        int32_t kind;
        std::initializer_list<int32_t> draws;
        const char* text;  // UTF-8
        int32_t result;
    };
    const Case cases[] = {
        {1, {41, 6}, "42 + 7 = ?", 49},
        {2, {0, 0}, "3 - 1 = ?", 2},
        {2, {99, 99}, "102 - 100 = ?", 2},
        {3, {2, 9}, "3 • 10 = ?", 30},
        {4, {5, 2}, "18 : 3 = ?", 6},
        {5, {2, 3, 6}, "3 + 4 • 7 = ?", 31},
        {6, {1, 2, 0}, "2 • 3 + 0 = ?", 6},
        {7, {99, 9, 9}, "100 + 10 + 10 = ?", 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Rig rig;
        rig.state.AnswerText.Length = 2;  // typed while no task was shown
        rig.ShowTask(1000, c.kind, c.draws);
        EXPECT_TRUE(rig.random.queued.empty()) << "fewer draws than expected";
        EXPECT_EQ(Cp1252ToUtf8(rig.Task()), c.text);
        EXPECT_EQ(rig.state.TaskResult, c.result);
        EXPECT_EQ(rig.Answer(), "");
        EXPECT_EQ(rig.state.TaskStartTime, 1000u);
        EXPECT_EQ(rig.state.LastKeyTime, kNoKeyTime);
        EXPECT_EQ(rig.view.arithmetic, 1);
    }
    // The multiplication sign is stored as the Windows-1252 bullet.
    Rig rig;
    rig.ShowTask(1000, 3, {1, 1});
    EXPECT_EQ(rig.Task(), "2 \x95 2 = ?");
}

TEST(ZekLights, UnansweredLightGoesOffAfterItsTime)
{
    Rig rig;
    rig.random.Push({0, 0});
    rig.sim.SimulationStep(10000, {});
    ASSERT_EQ(rig.state.Light, 1);
    EXPECT_EQ(rig.state.LightOnTime, 10000u);
    EXPECT_EQ(rig.state.LightsShown, 1);
    EXPECT_EQ(rig.view.lights, 1);

    rig.TickThrough(10010, 13010);
    EXPECT_EQ(rig.state.Light, 1);
    rig.TickThrough(13020, 13020);
    EXPECT_EQ(rig.state.Light, 0);
    EXPECT_EQ(rig.state.LightsAnswered, 0);
    EXPECT_EQ(rig.view.lights, 2);
}

TEST(ZekArithmetic, TaskClosesAfterIdleTimeOrMathTime)
{
    {
        SCOPED_TRACE("answered, last key at 10000");
        Rig rig;
        rig.ShowTask(9000, 1, {41, 6});  // 42 + 7
        rig.TickThrough(9010, 9990);
        rig.sim.KeyDown(kKeyDigit0 + 4, 9990);
        rig.TickThrough(10000, 10000);
        rig.sim.KeyDown(kKeyDigit0 + 9, 10000);
        rig.TickThrough(10010, 13010);
        EXPECT_EQ(rig.Answer(), "49");
        rig.TickThrough(13020, 13020);
        EXPECT_EQ(rig.state.TasksDone, 1);
        EXPECT_EQ(rig.state.TasksCorrect, 1);
        EXPECT_EQ(rig.Task(), "");
        EXPECT_EQ(rig.Answer(), "");
    }
    {
        SCOPED_TRACE("no key, shown at 10000");
        Rig rig;
        rig.ShowTask(10000, 3, {2, 9});
        rig.TickThrough(10010, 30010);
        EXPECT_EQ(rig.state.TasksDone, 0);
        rig.TickThrough(30020, 30020);
        EXPECT_EQ(rig.state.TasksDone, 1);
        EXPECT_EQ(rig.state.TasksCorrect, 0);
    }
    {
        SCOPED_TRACE("answer erased again: the wait restarts and the empty answer is wrong");
        Rig rig;
        rig.ShowTask(1000, 3, {2, 9});
        rig.TickThrough(1010, 2000);
        rig.sim.KeyDown(kKeyDigit0 + 1, 2000);
        rig.TickThrough(2010, 4000);
        rig.sim.KeyDown(kKeyBackspace, 4000);
        EXPECT_EQ(rig.state.LastKeyTime, 4000u);
        rig.TickThrough(4010, 7000);
        EXPECT_EQ(rig.state.TasksDone, 0);
        rig.TickThrough(7010, 7020);
        EXPECT_EQ(rig.state.TasksDone, 1);
        EXPECT_EQ(rig.state.TasksCorrect, 0);
    }
}

TEST(ZekArithmetic, LeadingZerosAndKeypadDigitsCount)
{
    Rig rig;
    rig.ShowTask(1000, 1, {0, 5});  // 1 + 6
    rig.sim.KeyDown(kKeyNumpad0, 1100);
    rig.sim.KeyDown(kKeyDigit0, 1200);
    rig.sim.KeyDown(kKeyNumpad0 + 7, 1300);
    EXPECT_EQ(rig.Answer(), "007");
    rig.TickThrough(1310, 4320);
    EXPECT_EQ(rig.state.TasksCorrect, 1);
}

TEST(ZekArithmetic, AnswerKeepsAtMostFiveDigitsAndIgnoresOtherKeys)
{
    Rig rig;
    rig.ShowTask(1000, 1, {0, 5});
    const int repaints = rig.view.arithmetic;
    rig.sim.KeyDown(kKeyBackspace, 1050);  // nothing to erase
    EXPECT_EQ(rig.state.LastKeyTime, kNoKeyTime);
    EXPECT_EQ(rig.view.arithmetic, repaints);

    for (uint32_t i = 1; i <= 5; ++i)
        rig.sim.KeyDown(kKeyDigit0 + i, 1000 + 100 * i);
    rig.sim.KeyDown(kKeyDigit0 + 6, 1600);
    rig.sim.KeyDown(13, 1700);  // Enter means nothing
    rig.sim.KeyDown(65, 1800);
    EXPECT_EQ(rig.Answer(), "12345");
    EXPECT_EQ(rig.state.LastKeyTime, 1500u);
    EXPECT_EQ(rig.view.arithmetic, repaints + 5);
}

TEST(ZekLights, OnlyTheMatchingFunctionKeyAnswers)
{
    Rig rig;
    rig.sim.KeyDown(kKeyF1, 500);  // no light on
    EXPECT_EQ(rig.state.LightsAnswered, 0);

    rig.random.Push({0, 0});
    rig.sim.SimulationStep(1000, {});
    ASSERT_EQ(rig.state.Light, 1);
    rig.sim.KeyDown(kKeyF1 + 1, 1100);  // F2
    EXPECT_EQ(rig.state.Light, 1);
    EXPECT_EQ(rig.view.lights, 1);
    rig.sim.KeyDown(kKeyF1, 1200);
    EXPECT_EQ(rig.state.Light, 0);
    EXPECT_EQ(rig.state.LightsAnswered, 1);
    EXPECT_EQ(rig.view.lights, 2);
    rig.sim.KeyDown(kKeyF1, 1300);
    EXPECT_EQ(rig.state.LightsAnswered, 1);

    rig.random.Push({0, 3});
    rig.sim.SimulationStep(2000, {});
    ASSERT_EQ(rig.state.Light, 4);
    rig.sim.KeyDown(kKeyF1 + 3, 2100);
    EXPECT_EQ(rig.state.LightsAnswered, 2);
}

TEST(ZekSchedule, FirstLightAndTaskAreForcedWhenChanceGaveNone)
{
    Rig rig;  // the scripted chances never come up
    rig.TickThrough(0, 29990);
    EXPECT_EQ(rig.state.LightsShown, 0);
    rig.TickThrough(30000, 30000);
    EXPECT_EQ(rig.state.LightsShown, 1);
    EXPECT_EQ(rig.state.Light, 3);
    EXPECT_EQ(rig.state.LightOnTime, 30000u);

    // A task still open at 40000 with none closed yet is replaced, uncounted.
    rig.TickThrough(30010, 38990);
    rig.ShowTask(39000, 1, {41, 6});
    rig.TickThrough(39010, 39990);
    EXPECT_EQ(rig.state.TaskStartTime, 39000u);
    rig.TickThrough(40000, 40000);
    EXPECT_EQ(rig.state.TaskStartTime, 40000u);
    EXPECT_EQ(rig.Task(), "36 : 6 = ?");
    EXPECT_EQ(rig.state.TasksDone, 0);
}

} // namespace
} // namespace kestrava::zek::testing
