// The tick timer: a component with a thread of its own that produces ticks
// on a fixed schedule, start + k x Interval counted from the last restart.
//
// A tick that starts late does not move the schedule: when a handler falls
// behind, the following ticks run back to back until the count since the
// restart matches the elapsed time again, so no tick is dropped and a test's
// clock follows the wall clock. Every change of a property wakes the thread
// through an auto-reset event, so a change takes effect at once rather than
// after the pending wait.
#pragma once

#include "platform/app/Clock.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace kestrava {

class TDTimer {
public:
    using Event = std::function<void()>;
    // Hands work to the user-interface thread, which runs it in order with
    // its other work. Supplied by the application's event loop; called from
    // the tick thread. [thread-safe]
    using PostToUi = std::function<void(std::function<void()>)>;

    // Enabled and Interval start at true and 20 ms, as for a freshly placed
    // component; the thread starts at once and idles until an event is set.
    // The clock must outlive the timer (and, when the timer is destroyed from
    // inside OnAsyncTimer, the end of that call). [ui-thread]
    explicit TDTimer(app::Clock& clock = app::SystemClock(), PostToUi postToUi = {});
    // Stops the ticks and ends the thread. Waits for a tick in progress,
    // except when called from inside OnAsyncTimer: then the thread is left to
    // finish that call on its own and ends at its next turn. [ui-thread, tick-thread]
    ~TDTimer();
    // What the destructor does, ahead of it: an owner whose tick handler
    // touches its other members ends the thread before those members go.
    // No tick runs after it returns (unless called from inside
    // OnAsyncTimer); calling it again does nothing. [ui-thread, tick-thread]
    void Shutdown();
    TDTimer(const TDTimer&) = delete;
    TDTimer& operator=(const TDTimer&) = delete;

    // Each setter restarts the schedule: Enabled and Interval only when the
    // value changes, the events always. Enabled is not looked at between the
    // end of a wait and the call, so a tick whose wait expired just as the
    // timer was disabled still runs. [any thread, OnAsyncTimer included]
    bool Enabled() const;
    void SetEnabled(bool enabled);
    int32_t Interval() const;
    // An interval of 0 or below leaves every tick overdue: they run back to
    // back without a pause.
    void SetInterval(int32_t ms);
    // Called on the user-interface thread through the post hook; the tick
    // thread waits until it has run (or the timer is being destroyed).
    // Without a post hook there is no user-interface thread to call it on,
    // and it is never called.
    void SetOnTimer(Event handler);
    // Called directly on the timer's own thread. It may set any property of
    // this timer and may even destroy it.
    void SetOnAsyncTimer(Event handler);

    // The clock time of the last restart; ticks are due at StartMs() + k x
    // Interval, k >= 1. [any thread]
    uint32_t StartMs() const;
    // Empty while the thread runs; the reason once it has stopped on an
    // impossible wait result ("DXTimer: WaitResult = -1?"). No ticks come
    // after that. [any thread]
    std::string LastError() const;

private:
    struct State; // shared with the thread, which may outlive the component
    void Restart();

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace kestrava
