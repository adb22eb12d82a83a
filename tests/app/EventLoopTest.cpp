// The user-interface loop: posted work in order from any thread, timers in
// virtual time, quitting.
#include "AppFixture.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace kestrava::app::testing {
namespace {

TEST(EventLoop, WorkPostedFromTwoThreadsRunsOnTheLoopThreadInEachThreadsOrder)
{
    HeadlessBackend backend;
    ManualClock clock;
    EventLoop loop(clock, &backend);
    constexpr int kEach = 2000;
    std::vector<std::pair<int, int>> seen; // touched on this thread only
    std::atomic<bool> wrongThread{false};
    const auto loopThread = std::this_thread::get_id();
    auto poster = [&](int who) {
        for (int i = 0; i < kEach; ++i)
            loop.Post([&, who, i] {
                if (std::this_thread::get_id() != loopThread)
                    wrongThread = true;
                seen.emplace_back(who, i);
            });
    };
    std::thread a(poster, 0);
    std::thread b(poster, 1);
    while (seen.size() < 2 * kEach)
        ASSERT_TRUE(loop.RunOnce(1000));
    a.join();
    b.join();
    EXPECT_FALSE(wrongThread);
    int next[2] = {0, 0};
    for (auto [who, i] : seen) {
        ASSERT_EQ(i, next[who]) << "thread " << who;
        ++next[who];
    }
    EXPECT_EQ(next[0], kEach);
    EXPECT_EQ(next[1], kEach);
}

TEST(EventLoop, PostWakesAWaitingLoopAndQuitEndsRun)
{
    HeadlessBackend backend;
    ManualClock clock;
    EventLoop loop(clock, &backend);
    std::atomic<int> ran{0};
    // The loop waits without a time limit: only the post's wake can end it.
    std::thread ui([&] { loop.Run(); });
    loop.Post([&] { ++ran; });
    loop.Post([&] { loop.Quit(); });
    ui.join();
    EXPECT_EQ(ran.load(), 1);
    EXPECT_TRUE(loop.QuitRequested());
    EXPECT_FALSE(loop.RunOnce(0));
}

class TimerTest : public ::testing::Test {
protected:
    ManualClock clock{1000};
    HeadlessBackend backend;
    EventLoop loop{clock, &backend};
    std::vector<std::pair<char, uint32_t>> log;
    std::function<void()> Record(char name)
    {
        return [this, name] { log.emplace_back(name, clock.NowMs()); };
    }
};

TEST_F(TimerTest, OneShotFiresOnceAtItsTime)
{
    loop.SetTimer(100, false, Record('a'));
    loop.AdvanceTime(99);
    EXPECT_TRUE(log.empty());
    loop.AdvanceTime(1);
    loop.AdvanceTime(1000);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].second, 1100u);
}

TEST_F(TimerTest, PeriodicTimerKeepsItsPhaseInUnevenSteps)
{
    const auto id = loop.SetTimer(30, true, Record('p'));
    for (int i = 0; i < 43; ++i)
        loop.AdvanceTime(7); // 301 ms in steps that never meet the period
    ASSERT_EQ(log.size(), 10u);
    for (size_t i = 0; i < log.size(); ++i)
        EXPECT_EQ(log[i].second, 1000u + 30u * (i + 1));
    EXPECT_TRUE(loop.TimerActive(id));
}

TEST_F(TimerTest, PeriodicTimerAfterAStallFiresOnceAndKeepsItsPhase)
{
    loop.SetTimer(30, true, Record('p'));
    clock.Advance(95); // the loop was busy: 1030, 1060 and 1090 all passed
    loop.RunOnce(0);
    ASSERT_EQ(log.size(), 1u);
    loop.AdvanceTime(25); // to 1120, the next time on the old grid
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].second, 1120u);
}

TEST_F(TimerTest, TimersFireInDueOrderAndEqualTimesInSetOrder)
{
    loop.SetTimer(50, true, Record('a'));
    loop.SetTimer(120, false, Record('b'));
    loop.SetTimer(100, false, Record('c')); // due with a's second tick, set later
    loop.AdvanceTime(150);
    const std::vector<std::pair<char, uint32_t>> want = {
        {'a', 1050}, {'a', 1100}, {'c', 1100}, {'b', 1120}, {'a', 1150}};
    EXPECT_EQ(log, want);
}

TEST_F(TimerTest, KillFromAnyCallbackIncludingItsOwn)
{
    int own = 0;
    EventLoop::TimerId self = 0;
    self = loop.SetTimer(10, true, [&] {
        if (++own == 3)
            loop.KillTimer(self);
    });
    const auto victim = loop.SetTimer(100, false, Record('v'));
    loop.SetTimer(50, false, [&] { loop.KillTimer(victim); });
    loop.KillTimer(9999); // unknown: ignored
    loop.AdvanceTime(200);
    EXPECT_EQ(own, 3);
    EXPECT_FALSE(loop.TimerActive(self));
    EXPECT_TRUE(log.empty());
}

TEST_F(TimerTest, AdvanceTimeKeepsATickThreadInStep)
{
    // A thread ticking every 10 ms on the same clock posts each tick to the
    // loop, as the tick thread posts its label updates.
    std::mutex m;
    std::condition_variable cv;
    bool stop = false;
    std::vector<uint32_t> ticks; // loop thread only
    std::atomic<bool> waiting{false};
    std::thread tick([&] {
        std::unique_lock<std::mutex> lock(m);
        uint32_t due = 1010;
        // The clock asks the wake condition once the thread is registered
        // as a waiter: from then on Advance stops at its due times.
        while (!clock.WaitUntil(lock, cv, due, [&] {
            waiting = true;
            return stop;
        })) {
            const uint32_t at = due;
            loop.Post([&ticks, at] { ticks.push_back(at); });
            due += 10;
        }
    });
    while (!waiting)
        std::this_thread::yield();
    loop.SetTimer(25, true, Record('t'));
    loop.AdvanceTime(100);
    {
        std::lock_guard<std::mutex> guard(m);
        stop = true;
    }
    cv.notify_all();
    tick.join();
    ASSERT_EQ(ticks.size(), 10u);
    for (size_t i = 0; i < ticks.size(); ++i)
        EXPECT_EQ(ticks[i], 1010u + 10u * i);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log.back().second, 1100u);
}

TEST_F(AppTest, QuitRequestAsksTheFormFirst)
{
    bool allow = false;
    int asked = 0;
    app.MainForm().OnCloseQuery = [&](bool& canClose) {
        ++asked;
        canClose = allow;
    };
    backend.PushQuit();
    Pump();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(app.Loop().QuitRequested());
    allow = true;
    backend.PushQuit();
    Pump();
    EXPECT_TRUE(app.Loop().QuitRequested());
}

} // namespace
} // namespace kestrava::app::testing
