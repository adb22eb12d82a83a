#include "platform/app/EventLoop.h"
#include "platform/app/ManualClock.h"

#include <algorithm>
#include <utility>

namespace kestrava::app {

namespace {
// Wrapping comparison of millisecond times: negative when a is before b.
int32_t Diff(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b); }
} // namespace

EventLoop::EventLoop(Clock& clock, Backend* backend) : m_clock(clock), m_backend(backend) {}

void EventLoop::Post(std::function<void()> fn)
{
    {
        std::lock_guard<std::mutex> guard(m_postLock);
        m_posted.push_back(std::move(fn));
    }
    if (m_backend != nullptr)
        m_backend->Wake();
}

EventLoop::TimerId EventLoop::SetTimer(uint32_t intervalMs, bool periodic, std::function<void()> fn)
{
    const uint32_t interval = std::max<uint32_t>(intervalMs, 1);
    const TimerId id = m_nextTimer++;
    m_timers.emplace(id, Timer{interval, periodic, m_clock.NowMs() + interval, std::move(fn)});
    return id;
}

void EventLoop::KillTimer(TimerId id) { m_timers.erase(id); }

bool EventLoop::PostedWaiting()
{
    std::lock_guard<std::mutex> guard(m_postLock);
    return !m_posted.empty();
}

void EventLoop::RunPosted()
{
    // Only what was queued when the round began: work that posts itself
    // again waits for the next round instead of starving the events.
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> guard(m_postLock);
        batch.swap(m_posted);
    }
    for (auto& fn : batch)
        if (fn)
            fn();
}

void EventLoop::RunDueTimers()
{
    const uint32_t now = m_clock.NowMs();
    while (true) {
        // The earliest due timer; equal due times go in the order the timers
        // were set.
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
            if (Diff(it->second.due, now) <= 0 && (next == m_timers.end() || Diff(it->second.due, next->second.due) < 0))
                next = it;
        if (next == m_timers.end())
            return;
        // The callback may kill or set timers, this one included, so it runs
        // from a copy and the timer is looked up again afterwards.
        std::function<void()> fn = next->second.fn;
        if (next->second.periodic) {
            Timer& t = next->second;
            t.due += t.interval;
            if (Diff(t.due, now) <= 0) {
                const uint32_t missed = (now - t.due) / t.interval + 1;
                t.due += missed * t.interval;
            }
        } else {
            m_timers.erase(next);
        }
        if (fn)
            fn();
    }
}

bool EventLoop::DrainEvents()
{
    if (m_backend == nullptr)
        return false;
    bool any = false;
    while (auto ev = m_backend->WaitEvent(0)) {
        any = true;
        if (onEvent)
            onEvent(*ev);
    }
    return any;
}

int32_t EventLoop::TimeToNextTimer() const
{
    if (m_timers.empty())
        return -1;
    const uint32_t now = m_clock.NowMs();
    int32_t best = INT32_MAX;
    for (const auto& [id, t] : m_timers)
        best = std::min(best, std::max(Diff(t.due, now), 0));
    return best;
}

bool EventLoop::RunOnce(int32_t maxWaitMs)
{
    if (m_quit.load())
        return false;
    RunPosted();
    RunDueTimers();
    if (m_backend != nullptr) {
        int32_t wait = maxWaitMs;
        const int32_t timer = TimeToNextTimer();
        if (timer >= 0 && (wait < 0 || timer < wait))
            wait = timer;
        if (PostedWaiting() || m_quit.load())
            wait = 0;
        if (auto ev = m_backend->WaitEvent(wait)) {
            if (onEvent)
                onEvent(*ev);
        }
    }
    RunPosted();
    RunDueTimers();
    if (onIdle)
        onIdle();
    return !m_quit.load();
}

void EventLoop::Run()
{
    while (RunOnce(-1)) {
    }
}

void EventLoop::Quit()
{
    m_quit.store(true);
    if (m_backend != nullptr)
        m_backend->Wake();
}

void EventLoop::RunPending()
{
    RunPosted();
    DrainEvents();
    RunDueTimers();
    RunPosted();
    if (onIdle)
        onIdle();
}

void EventLoop::AdvanceTime(uint32_t ms)
{
    auto* manual = dynamic_cast<ManualClock*>(&m_clock);
    if (manual == nullptr)
        return;
    const uint32_t target = manual->NowMs() + ms;
    RunPending();
    while (Diff(manual->NowMs(), target) < 0) {
        const uint32_t now = manual->NowMs();
        uint32_t step = target - now;
        const int32_t timer = TimeToNextTimer();
        if (timer > 0 && static_cast<uint32_t>(timer) < step)
            step = static_cast<uint32_t>(timer);
        // A timer already due (set by the last round's work) runs without
        // moving the clock.
        if (timer != 0)
            manual->Advance(step);
        RunPending();
    }
}

} // namespace kestrava::app
