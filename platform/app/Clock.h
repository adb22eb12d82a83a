// The one clock of the host: user-interface timers, the tick thread, the
// pauses between tests and the splash wait all read it. The real clock is
// the monotonic system clock; tests use ManualClock and advance time
// themselves, so a whole run plays in virtual time.
#pragma once

#include <condition_variable>
#include <functional>
#include <cstdint>
#include <mutex>

namespace kestrava::app {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds, wrapping at 2^32 like the system's multimedia timer.
    virtual uint32_t NowMs() const = 0;
    // Blocks until NowMs() has reached dueMs (compared in wrapping
    // arithmetic), or until wake() returns true after cv was notified.
    // Returns true when woken, false when the due time came. The caller holds
    // lock (on the mutex cv is used with). [any thread]
    virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t dueMs,
                           const std::function<bool()>& wake) = 0;
    // Blocks without a due time until woken.
    virtual void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                      const std::function<bool()>& wake) = 0;
};

// The system's monotonic clock.
Clock& SystemClock();

} // namespace kestrava::app
