// A clock that stands still until a test advances it.
//
// Threads that wait on it (the tick thread) are woken when their due time is
// reached, and Advance() returns only when every such thread is waiting
// again: a test that advances by 60 s has seen all 6000 ticks run, in order,
// with nothing left in flight.
#pragma once

#include "platform/app/Clock.h"

#include <atomic>
#include <list>

namespace kestrava::app {

class ManualClock final : public Clock {
public:
    explicit ManualClock(uint32_t startMs = 0) : m_now(startMs) {}

    uint32_t NowMs() const override { return m_now.load(); }
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t dueMs,
                   const std::function<bool()>& wake) override;
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
              const std::function<bool()>& wake) override;

    // Moves time forward by ms, stopping at every due time of a waiting
    // thread on the way so that each wakes at its own time. [test thread]
    void Advance(uint32_t ms);
    // Waits (in real time, at most a few seconds) until no woken thread is
    // still running. [test thread]
    void Settle();

private:
    friend struct ManualClockRunMark;
    struct Waiter {
        std::mutex* mutex;
        std::condition_variable* cv;
        const std::function<bool()>* wake;
        bool hasDue;
        uint32_t due;
        uint64_t id;
    };
    void Enter();
    void NotifyAll();

    std::atomic<uint32_t> m_now;
    std::mutex m_lock; // guards m_waiters and m_running
    std::condition_variable m_changed;
    std::list<Waiter> m_waiters;
    int m_running = 0;
    uint64_t m_nextId = 0; // guarded by m_lock
};

} // namespace kestrava::app
