// The tick timer: its schedule in virtual time, where every tick's time is
// exact, and on the real clock, where the thread, its wake-ups and a slow
// handler meet the scheduler.
#include "host/core/DTimer.h"
#include "platform/app/ManualClock.h"
#include "platform/gdi/Clock.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kestrava {
namespace {

using namespace std::chrono_literals;

// A manual clock seen through a shift that a handler may add to, so that a
// handler can "take" virtual time. It also lets the test wait until the
// tick thread has taken in a change and waits again, which the manual clock
// alone cannot tell.
class TestClock final : public app::Clock {
public:
    explicit TestClock(uint32_t startMs) : m_base(startMs) {}

    uint32_t NowMs() const override { return m_base.NowMs() + m_shift.load(); }

    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t dueMs,
                   const std::function<bool()>& wake) override
    {
        if (m_throw.load())
            throw std::runtime_error("clock failed");
        Entered(lock, wake);
        const bool woken = m_base.WaitUntil(lock, cv, dueMs - m_shift.load(), wake);
        Left();
        if (!woken && m_afterTimeout)
            m_afterTimeout();
        return woken;
    }

    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
              const std::function<bool()>& wake) override
    {
        if (m_throw.load())
            throw std::runtime_error("clock failed");
        Entered(lock, wake);
        m_base.Wait(lock, cv, wake);
        Left();
    }

    // Virtual time passes; every tick due on the way has run on return.
    void Advance(uint32_t ms) { m_base.Advance(ms); }
    // Called from a handler: the handler took ms of virtual time.
    void Busy(uint32_t ms) { m_shift.fetch_add(ms); }
    void ThrowOnWait() { m_throw.store(true); }
    // Runs on the tick thread between a timed-out wait and the tick.
    void SetAfterTimeout(std::function<void()> hook) { m_afterTimeout = std::move(hook); }

    // Returns once the tick thread waits with nothing pending: every change
    // made before the call has been taken in. The waiting flag and the
    // timer's own "woken" condition are both looked at under the timer's
    // mutex, which the waiter holds until it is registered with the manual
    // clock and blocked.
    void Quiet()
    {
        for (int i = 0; i < 5000; ++i) {
            std::mutex* mutex = nullptr;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                mutex = m_mutex;
            }
            if (mutex != nullptr) {
                std::lock_guard<std::mutex> timerLock(*mutex);
                if (m_waiting && !(*m_wake)())
                    return;
            }
            std::this_thread::sleep_for(1ms);
        }
        FAIL() << "the tick thread never settled";
    }

private:
    // Both under the timer's mutex (lock).
    void Entered(std::unique_lock<std::mutex>& lock, const std::function<bool()>& wake)
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_mutex = lock.mutex();
        }
        m_waiting = true;
        m_wake = &wake;
    }
    void Left() { m_waiting = false; }

    app::ManualClock m_base;
    std::atomic<uint32_t> m_shift{0};
    std::atomic<bool> m_throw{false};
    std::function<void()> m_afterTimeout;
    std::mutex m_lock;
    std::mutex* m_mutex = nullptr;           // guarded by m_lock
    bool m_waiting = false;                  // guarded by *m_mutex
    const std::function<bool()>* m_wake = nullptr; // guarded by *m_mutex
};

// Times of the ticks, as the timer's clock saw them at the start of each.
class Ticks {
public:
    void Add(uint32_t t)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_times.push_back(t);
        m_changed.notify_all();
    }
    std::vector<uint32_t> Times() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_times;
    }
    size_t Count() const { return Times().size(); }
    bool WaitFor(size_t n, std::chrono::milliseconds limit)
    {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_changed.wait_for(guard, limit, [&] { return m_times.size() >= n; });
    }

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<uint32_t> m_times;
};

std::vector<uint32_t> Grid(uint32_t from, uint32_t step, size_t n)
{
    std::vector<uint32_t> v;
    for (size_t k = 1; k <= n; ++k)
        v.push_back(from + static_cast<uint32_t>(k) * step);
    return v;
}

// --- Virtual time -------------------------------------------------------

TEST(TimerVirtual, TicksFollowTheScheduleFromEachRestart)
{
    TestClock clock(1000);
    Ticks ticks;
    TDTimer timer(clock);
    timer.SetEnabled(false);
    timer.SetInterval(10);
    timer.SetOnAsyncTimer([&] { ticks.Add(clock.NowMs()); });
    clock.Quiet();
    clock.Advance(100);
    EXPECT_EQ(ticks.Count(), 0u) << "a disabled timer ticks";

    timer.SetEnabled(true); // at 1100
    clock.Quiet();
    clock.Advance(9);
    EXPECT_EQ(ticks.Count(), 0u);
    clock.Advance(41);
    EXPECT_EQ(ticks.Times(), Grid(1100, 10, 5));

    // Off at 1153, on again at 1157: the old phase (1160) is gone.
    clock.Advance(3);
    timer.SetEnabled(false);
    clock.Quiet();
    clock.Advance(4);
    timer.SetEnabled(true);
    clock.Quiet();
    EXPECT_EQ(timer.StartMs(), 1157u);
    clock.Advance(30);
    std::vector<uint32_t> expected = Grid(1100, 10, 5);
    for (uint32_t t : Grid(1157, 10, 3))
        expected.push_back(t);
    EXPECT_EQ(ticks.Times(), expected);

    // Setting the same values again is no restart; an interval change is.
    clock.Advance(5); // 1192, next due 1197
    timer.SetEnabled(true);
    timer.SetInterval(10);
    clock.Quiet();
    clock.Advance(5);
    EXPECT_EQ(ticks.Times().back(), 1197u);
    clock.Advance(2); // 1199
    timer.SetInterval(25);
    clock.Quiet();
    clock.Advance(24);
    EXPECT_EQ(ticks.Times().back(), 1197u);
    clock.Advance(1);
    EXPECT_EQ(ticks.Times().back(), 1224u);
}

TEST(TimerVirtual, SlowHandlerIsFollowedByBackToBackTicksWithoutDrift)
{
    TestClock clock(0);
    Ticks ticks;
    TDTimer timer(clock);
    timer.SetInterval(10);
    timer.SetOnAsyncTimer([&] {
        ticks.Add(clock.NowMs());
        if (ticks.Count() == 3)
            clock.Busy(35); // the third tick (due 30) ends at 65
    });
    clock.Quiet();
    clock.Advance(100);
    // Ticks due 40, 50 and 60 run at once at 65; 70 is on time again.
    const std::vector<uint32_t> expected = {10, 20, 30, 65, 65, 65, 70, 80, 90, 100, 110, 120, 130};
    const std::vector<uint32_t> seen = ticks.Times();
    ASSERT_GE(seen.size(), 10u);
    EXPECT_EQ(std::vector<uint32_t>(seen.begin(), seen.begin() + 10),
              std::vector<uint32_t>(expected.begin(), expected.begin() + 10));
    // The count follows the clock: (100 + 35) / 10 ticks are due by now.
    EXPECT_EQ(seen.size(), 13u);
}

TEST(TimerVirtual, AnEventAssignmentRestartsAndNoEventMeansNoTicks)
{
    TestClock clock(0);
    Ticks ticks;
    TDTimer timer(clock);
    timer.SetInterval(10);
    timer.SetOnAsyncTimer([&] { ticks.Add(clock.NowMs()); });
    clock.Quiet();
    clock.Advance(15);
    timer.SetOnAsyncTimer([&] { ticks.Add(clock.NowMs() + 1000000); }); // restart at 15
    clock.Quiet();
    clock.Advance(10);
    EXPECT_EQ(ticks.Times(), (std::vector<uint32_t>{10, 1000025}));
    timer.SetOnAsyncTimer(nullptr);
    clock.Quiet();
    clock.Advance(100);
    EXPECT_EQ(ticks.Count(), 2u);
}

TEST(TimerVirtual, TickWhoseWaitExpiredAsItWasDisabledStillRuns)
{
    TestClock clock(0);
    Ticks ticks;
    TDTimer timer(clock);
    timer.SetInterval(10);
    std::thread disabler;
    std::atomic<bool> once{false};
    clock.SetAfterTimeout([&] {
        if (once.exchange(true))
            return;
        // The user-interface thread disables the timer between the end of
        // the wait and the call; it cannot finish its restart until the
        // tick thread lets go of the timer's lock.
        disabler = std::thread([&] { timer.SetEnabled(false); });
        while (timer.Enabled())
            std::this_thread::yield();
    });
    timer.SetOnAsyncTimer([&] { ticks.Add(clock.NowMs()); });
    clock.Quiet();
    clock.Advance(50);
    disabler.join();
    EXPECT_EQ(ticks.Times(), std::vector<uint32_t>{10});
}

TEST(TimerVirtual, DestroyedFromItsOwnTickLeavesNoThreadBehind)
{
    TestClock clock(0);
    Ticks ticks;
    auto timer = std::make_unique<TDTimer>(clock);
    timer->SetInterval(10);
    timer->SetOnAsyncTimer([&] {
        ticks.Add(clock.NowMs());
        if (ticks.Count() == 2)
            timer.reset();
    });
    clock.Quiet();
    const auto before = std::chrono::steady_clock::now();
    clock.Advance(100);
    clock.Advance(100);
    // The ended thread must not count as still running: Advance would sit
    // out its limit of several seconds for each call.
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_EQ(ticks.Times(), (std::vector<uint32_t>{10, 20}));
    EXPECT_EQ(timer, nullptr);
}

TEST(TimerVirtual, FailingWaitStopsTheThreadWithTheErrorText)
{
    TestClock clock(0);
    Ticks ticks;
    TDTimer timer(clock);
    timer.SetInterval(10);
    EXPECT_EQ(timer.LastError(), "");
    clock.ThrowOnWait();
    timer.SetOnAsyncTimer([&] { ticks.Add(clock.NowMs()); });
    for (int i = 0; i < 500 && timer.LastError().empty(); ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(timer.LastError(), "DXTimer: WaitResult = -1?");
    // Settings still work and the destructor still returns; ticks never come.
    timer.SetInterval(5);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    clock.Advance(100);
    EXPECT_EQ(ticks.Count(), 0u);
}

// --- Real time ----------------------------------------------------------

int32_t Since(uint32_t from, uint32_t to) { return static_cast<int32_t>(to - from); }

// The tolerances allow for a loaded machine, where any thread may be held
// up for tens of milliseconds; the virtual-time tests check exact times.
TEST(TimerRealTime, SlowTickIsCaughtUpAndTheGridResumes)
{
    Ticks ticks;
    std::vector<uint32_t> ends;
    TDTimer timer;
    timer.SetEnabled(false);
    timer.SetInterval(10);
    timer.SetOnAsyncTimer([&] {
        ticks.Add(TimeGetTime());
        if (ticks.Count() == 3) {
            std::this_thread::sleep_for(35ms);
            ends.push_back(TimeGetTime());
        }
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(ticks.WaitFor(20, 3s));
    const uint32_t start = timer.StartMs();
    timer.SetEnabled(false);
    const std::vector<uint32_t> t = ticks.Times();
    ASSERT_EQ(ends.size(), 1u);
    // The three ticks that fell due during the slow one follow it at once.
    EXPECT_LT(Since(ends[0], t[5]), 5);
    // No tick runs before its time on the old schedule (tick k at start +
    // k x 10), and once caught up they wait for it again: most are on time.
    std::vector<int32_t> lateness;
    for (size_t i = 0; i < 20; ++i) {
        lateness.push_back(Since(start + static_cast<uint32_t>(i + 1) * 10u, t[i]));
        EXPECT_GE(lateness.back(), 0) << "tick " << i;
    }
    std::vector<int32_t> after(lateness.begin() + 7, lateness.end());
    std::nth_element(after.begin(), after.begin() + 6, after.end());
    EXPECT_LT(after[6], 3) << "median lateness once caught up";
}

TEST(TimerRealTime, EnableDisableAndIntervalTakeEffectAtOnce)
{
    Ticks ticks;
    TDTimer timer;
    timer.SetEnabled(false);
    timer.SetInterval(1000);
    timer.SetOnAsyncTimer([&] { ticks.Add(TimeGetTime()); });
    timer.SetEnabled(true);
    std::this_thread::sleep_for(20ms);
    // A long pending wait does not delay the new interval.
    const uint32_t changed = TimeGetTime();
    timer.SetInterval(10);
    ASSERT_TRUE(ticks.WaitFor(3, 1s));
    EXPECT_LT(Since(changed, ticks.Times()[0]), 30);

    timer.SetEnabled(false);
    const size_t stopped = ticks.Count();
    std::this_thread::sleep_for(60ms);
    EXPECT_LE(ticks.Count(), stopped + 1) << "ticks after disabling";
    const size_t settled = ticks.Count();

    // Re-enabled off the old phase: the first tick is one interval later.
    timer.SetInterval(40);
    std::this_thread::sleep_for(7ms);
    const uint32_t enabled = TimeGetTime();
    timer.SetEnabled(true);
    ASSERT_TRUE(ticks.WaitFor(settled + 1, 1s));
    const int32_t first = Since(enabled, ticks.Times()[settled]);
    EXPECT_GE(first, 39) << "the tick kept the phase of the interval change";
    EXPECT_LT(first, 60);
}

TEST(TimerRealTime, OnTimerRunsOnTheUserInterfaceThreadAndDestructionThereReturns)
{
    // A stand-in for the event loop: one thread running posted work in order.
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::function<void()>> queue;
    bool quit = false;
    std::thread ui([&] {
        std::unique_lock<std::mutex> guard(lock);
        while (true) {
            changed.wait(guard, [&] { return quit || !queue.empty(); });
            if (queue.empty())
                return;
            auto work = std::move(queue.front());
            queue.pop_front();
            guard.unlock();
            work();
            guard.lock();
        }
    });
    auto post = [&](std::function<void()> work) {
        std::lock_guard<std::mutex> guard(lock);
        queue.push_back(std::move(work));
        changed.notify_all();
    };

    Ticks ticks;
    std::atomic<int> wrongThread{0};
    std::atomic<int> async{0};
    auto timer = std::make_unique<TDTimer>(app::SystemClock(), post);
    const std::thread::id uiId = ui.get_id();
    timer->SetInterval(10);
    timer->SetOnAsyncTimer([&] { async.fetch_add(1); });
    timer->SetOnTimer([&] {
        if (std::this_thread::get_id() != uiId)
            wrongThread.fetch_add(1);
        ticks.Add(TimeGetTime());
        if (ticks.Count() == 5)
            timer.reset(); // while the tick thread waits for this very call
    });
    ASSERT_TRUE(ticks.WaitFor(5, 2s));
    {
        std::lock_guard<std::mutex> guard(lock);
        quit = true;
        changed.notify_all();
    }
    ui.join();
    EXPECT_EQ(timer, nullptr);
    EXPECT_EQ(wrongThread.load(), 0);
    EXPECT_EQ(ticks.Count(), 5u);
    EXPECT_EQ(async.load(), 5);
}

TEST(TimerRealTime, DestroyedFromInsideOnAsyncTimer)
{
    std::atomic<bool> destroyed{false};
    std::atomic<int> calls{0};
    auto timer = std::make_unique<TDTimer>();
    std::mutex timerLock; // the test's own hand-over of the pointer
    timer->SetInterval(10);
    timer->SetOnAsyncTimer([&] {
        if (calls.fetch_add(1) == 1) {
            std::lock_guard<std::mutex> guard(timerLock);
            timer.reset();
            destroyed.store(true);
        }
    });
    for (int i = 0; i < 2000 && !destroyed.load(); ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(destroyed.load());
    std::this_thread::sleep_for(50ms); // the detached thread ends on its own
    EXPECT_EQ(calls.load(), 2);
    std::lock_guard<std::mutex> guard(timerLock);
    EXPECT_EQ(timer, nullptr);
}

TEST(TimerRealTime, TickThreadRunsWithFineTimerSlack)
{
    std::atomic<long> slack{-1};
    std::atomic<bool> done{false};
    TDTimer timer;
    timer.SetInterval(10);
    timer.SetOnAsyncTimer([&] {
        if (!done.load()) {
            slack.store(prctl(PR_GET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL));
            done.store(true);
        }
    });
    for (int i = 0; i < 1000 && !done.load(); ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(done.load());
    // The kernel's default is 50 us; a real-time thread has none at all.
    EXPECT_GE(slack.load(), 0);
    EXPECT_LT(slack.load(), 50000);
}

} // namespace
} // namespace kestrava
