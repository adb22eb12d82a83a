#include "platform/app/Clock.h"
#include "platform/app/ManualClock.h"

#include "platform/gdi/Clock.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace kestrava::app {

namespace {

bool Reached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

class RealClock final : public Clock {
public:
    uint32_t NowMs() const override { return TimeGetTime(); }

    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t dueMs,
                   const std::function<bool()>& wake) override
    {
        // The deadline is taken on the steady clock once, so a spurious wake
        // does not stretch the wait. It is the instant the millisecond clock
        // turns to dueMs, not "now plus whole milliseconds": that would carry
        // the fraction of a millisecond at which the wait began into the
        // wake-up, and a periodic waiter's lateness would creep up by its own
        // wake-up delay on every round until it wrapped at 1 ms. Both clocks
        // are the monotonic clock, so the boundary is exact.
        const auto nowMs =
            std::chrono::floor<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
        const int32_t remaining = static_cast<int32_t>(dueMs - static_cast<uint32_t>(nowMs.count()));
        const auto deadline =
            std::chrono::steady_clock::time_point(nowMs + std::chrono::milliseconds(remaining > 0 ? remaining : 0));
        while (true) {
            if (wake())
                return true;
            if (Reached(NowMs(), dueMs))
                return false;
            if (cv.wait_until(lock, deadline) == std::cv_status::timeout && !wake()) {
                // The steady clock and the millisecond clock agree to within a
                // millisecond; wait out any rest on the millisecond clock.
                if (Reached(NowMs(), dueMs))
                    return false;
            }
        }
    }

    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
              const std::function<bool()>& wake) override
    {
        cv.wait(lock, wake);
    }
};

} // namespace

// Set on a thread that a manual clock woke by time, until it waits again.
// A thread may also end instead of waiting again (a timer destroyed in the
// middle of its ticks); it must then stop counting as running, or every
// later Settle() would sit out its whole limit.
struct ManualClockRunMark {
    ManualClock* clock = nullptr;
    ~ManualClockRunMark()
    {
        if (clock != nullptr)
            clock->Enter();
    }
};

namespace {
thread_local ManualClockRunMark t_running;
} // namespace

Clock& SystemClock()
{
    static RealClock clock;
    return clock;
}

void ManualClock::Enter()
{
    if (t_running.clock == this) {
        t_running.clock = nullptr;
        std::lock_guard<std::mutex> guard(m_lock);
        --m_running;
        m_changed.notify_all();
    }
}

bool ManualClock::WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t dueMs,
                            const std::function<bool()>& wake)
{
    std::list<Waiter>::iterator self;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        self = m_waiters.insert(m_waiters.end(), Waiter{lock.mutex(), &cv, &wake, true, dueMs, ++m_nextId});
    }
    Enter();
    bool woken = false;
    while (true) {
        if (wake()) {
            woken = true;
            break;
        }
        if (Reached(m_now.load(), dueMs))
            break;
        cv.wait(lock);
    }
    // Woken by time or by its waker, the thread runs until it waits again
    // (or ends), and Settle waits for it either way.
    std::lock_guard<std::mutex> guard(m_lock);
    m_waiters.erase(self);
    ++m_running;
    t_running.clock = this;
    m_changed.notify_all();
    return woken;
}

void ManualClock::Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                       const std::function<bool()>& wake)
{
    std::list<Waiter>::iterator self;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        self = m_waiters.insert(m_waiters.end(), Waiter{lock.mutex(), &cv, &wake, false, 0, ++m_nextId});
    }
    Enter();
    cv.wait(lock, wake);
    std::lock_guard<std::mutex> guard(m_lock);
    m_waiters.erase(self);
    ++m_running;
    t_running.clock = this;
    m_changed.notify_all();
}

void ManualClock::NotifyAll()
{
    std::vector<uint64_t> ids;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const Waiter& w : m_waiters)
            ids.push_back(w.id);
    }
    // Taking each waiter's own mutex before notifying closes the gap between
    // its look at the time and its wait. A waiter that has stopped waiting
    // may already have freed that mutex (a timer destroyed by its own tick),
    // so it is touched only while the waiter is still registered, under
    // m_lock; try_lock, because a waiter takes m_lock while holding its
    // mutex. A failed try means the waiter is awake, not yet in its wait: it
    // will see the new time itself, or wait and be notified on a retry.
    for (const uint64_t id : ids) {
        while (true) {
            std::unique_lock<std::mutex> guard(m_lock);
            const auto it = std::find_if(m_waiters.begin(), m_waiters.end(),
                                         [id](const Waiter& w) { return w.id == id; });
            if (it == m_waiters.end())
                break;
            if (it->mutex->try_lock()) {
                it->cv->notify_all();
                it->mutex->unlock();
                break;
            }
            guard.unlock();
            std::this_thread::yield();
        }
    }
}

void ManualClock::Settle()
{
    std::unique_lock<std::mutex> guard(m_lock);
    const uint32_t now = m_now.load();
    // A waiter whose waker has already spoken (a timer just enabled) is about
    // to run even though no time passed, and its waker does not tell this
    // clock. Its wake condition is read under its own mutex, taken with
    // try_lock because a waiter takes m_lock while holding that mutex; a
    // mutex held elsewhere means someone is busy with that waiter, so the
    // clock is not settled yet either. Such changes are polled.
    const auto settled = [&] {
        if (m_running > 0)
            return false;
        for (const Waiter& w : m_waiters) {
            if (w.hasDue && Reached(now, w.due))
                return false;
            if (!w.mutex->try_lock())
                return false;
            const bool woken = (*w.wake)();
            w.mutex->unlock();
            if (woken)
                return false;
        }
        return true;
    };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!settled() && std::chrono::steady_clock::now() < limit)
        m_changed.wait_for(guard, std::chrono::milliseconds(1));
}

void ManualClock::Advance(uint32_t ms)
{
    const uint32_t target = m_now.load() + ms;
    while (true) {
        Settle();
        const uint32_t now = m_now.load();
        uint32_t next = target;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            for (const Waiter& w : m_waiters)
                if (w.hasDue && !Reached(now, w.due) && static_cast<int32_t>(w.due - next) < 0)
                    next = w.due;
        }
        m_now.store(next);
        NotifyAll();
        Settle();
        if (next == target)
            return;
    }
}

} // namespace kestrava::app
