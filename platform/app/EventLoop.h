// The user-interface thread's loop: work posted from any thread, one-shot
// and periodic timers on the host's clock, and the backend's events.
//
// Everything the loop runs (posted work, timer callbacks, the event and idle
// handlers) runs on the thread that calls RunOnce, Run or AdvanceTime: the
// user-interface thread. Only Post, Quit and QuitRequested may be called
// from other threads.
#pragma once

#include "platform/app/Backend.h"
#include "platform/app/Clock.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace kestrava::app {

class EventLoop {
public:
    using TimerId = uint32_t;

    // backend may be null: the loop then never waits and sees no events
    // (enough for tests of posted work and timers).
    EventLoop(Clock& clock, Backend* backend);
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    Clock& GetClock() { return m_clock; }

    // Queues fn to run on the user-interface thread, after everything posted
    // before it, and wakes the backend's wait. [thread-safe]
    void Post(std::function<void()> fn);

    // A timer that calls fn after intervalMs (at least 1), once or every
    // intervalMs. A periodic timer's next due time counts from its previous
    // due time, not from when its callback ran, so it does not drift; after
    // a stall it fires once and keeps its phase instead of catching up.
    // Returns a non-zero id, never reused while the loop lives.
    TimerId SetTimer(uint32_t intervalMs, bool periodic, std::function<void()> fn);
    // Safe from inside any timer's callback, its own included; an unknown id
    // is ignored.
    void KillTimer(TimerId id);
    bool TimerActive(TimerId id) const { return m_timers.count(id) != 0; }

    // One round: posted work, due timers, at most one backend event (waiting
    // for it at most maxWaitMs, less when a timer falls due sooner; negative
    // waits as long as nothing is due), then the idle handler. False once
    // Quit was called.
    bool RunOnce(int32_t maxWaitMs);
    // RunOnce until Quit.
    void Run();
    // Ends Run; RunOnce returns false from then on. [thread-safe]
    void Quit();
    bool QuitRequested() const { return m_quit.load(); }

    // Posted work, due timers and the events already queued in the backend,
    // then the idle handler; never waits.
    void RunPending();

    // For tests on a ManualClock: moves virtual time forward by ms, stopping
    // at each due time of a timer on the way. The clock advances step by
    // step through ManualClock::Advance, so threads waiting on it (the tick
    // thread) keep pace, and at each step the loop runs what RunPending
    // runs. Does nothing on any other clock.
    void AdvanceTime(uint32_t ms);

    // Installed by the application: what to do with a backend event, and
    // what to do when a round's work is done (paint).
    std::function<void(const Event&)> onEvent;
    std::function<void()> onIdle;

private:
    struct Timer {
        uint32_t interval;
        bool periodic;
        uint32_t due;
        std::function<void()> fn;
    };
    void RunPosted();
    void RunDueTimers();
    bool DrainEvents();
    // Milliseconds until the earliest timer is due (0 when one is), or -1
    // when there is none.
    int32_t TimeToNextTimer() const;
    bool PostedWaiting();

    Clock& m_clock;
    Backend* m_backend;
    std::mutex m_postLock;
    std::deque<std::function<void()>> m_posted;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimer = 1;
    std::atomic<bool> m_quit{false};
};

} // namespace kestrava::app
