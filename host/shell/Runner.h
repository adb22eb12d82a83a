// The runner's state: the phase a run is in and the counters the tick
// thread shares with the user-interface thread. No controls: the main
// window carries out each step and the screens observe the phase.
#pragma once

#include <atomic>
#include <cstdint>

namespace kestrava::shell {

enum class RunPhase {
    Idle,      // no test on the screen
    Title,     // the test's title shows, for 2 s
    Countdown, // the ticks count up to 0, the countdown shows
    Running,   // the ticks run the test
    Paused,    // the ticks stand (the pause, the abort question, a message)
    Ending,    // from the module's end to the step after it
    Gap,       // the 5 s between two entries of a run
};

class TRunner {
public:
    RunPhase Phase() const { return m_phase.load(); }
    bool In(RunPhase phase) const { return m_phase.load() == phase; }
    // From the title to the module's end, and in the gap: the phases in
    // which neither a pause nor the help may start or stop anything.
    bool BetweenTicks() const
    {
        const RunPhase phase = m_phase.load();
        return phase == RunPhase::Title || phase == RunPhase::Ending || phase == RunPhase::Gap;
    }

    // One of the run's own steps: the title, the end, the gap, or no test.
    void Enter(RunPhase phase) { m_phase.store(phase); }
    // The ticks started (countdown or running, by the tick count) or
    // stopped (paused). These change only among themselves: a test whose
    // end has come, or whose ticks have not begun, stays where it is.
    void TicksStarted() { Among(tickCount.load() < 0 ? RunPhase::Countdown : RunPhase::Running); }
    void TicksStopped() { Among(RunPhase::Paused); }
    // The tick that reached 0: the countdown is over.
    void CountdownOver() { Among(RunPhase::Running); }

    // shared with the tick thread
    std::atomic<int32_t> tickCount{0};
    std::atomic<int32_t> mouseTick{0};    // the tick of the last mouse move
    std::atomic<int32_t> testDuration{0}; // ms
    std::atomic<bool> countDownMode{false};
    std::atomic<bool> showPending{false};

private:
    void Among(RunPhase to)
    {
        RunPhase from = m_phase.load();
        while (from == RunPhase::Countdown || from == RunPhase::Running || from == RunPhase::Paused)
            if (m_phase.compare_exchange_weak(from, to))
                return;
    }

    std::atomic<RunPhase> m_phase{RunPhase::Idle};
};

} // namespace kestrava::shell
