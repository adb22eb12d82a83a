// The ZEK test as plain logic: what MSG_INIT, MSG_TICK, MSG_KEYDOWN, MSG_PAINT,
// MSG_RESIZE and MSG_STOP do to the state block, with the random numbers, the
// clock and the drawing handed in from outside. The exported entry only
// unpacks the host's records and forwards here; tests drive this class
// directly with a scripted random source, a manual clock and a recording
// view.
//
// Not thread-safe; the host never enters the module twice at once.
#pragma once

#include "modules/zek/ZekSettings.h"
#include "modules/zek/ZekSources.h"
#include "modules/zek/ZekState.h"
#include "modules/zek/ZekView.h"

#include <cstdint>

namespace kestrava::zek {

// Virtual-key codes the test reacts to.
inline constexpr uint32_t kKeyBackspace = 8;
inline constexpr uint32_t kKeyDigit0 = 48;
inline constexpr uint32_t kKeyNumpad0 = 96;
inline constexpr uint32_t kKeyF1 = 112;

// Joystick deflections as the host last polled them, -10 to +10.
struct Joysticks {
    int32_t Joy1X = 0;
    int32_t Joy1Y = 0;
    int32_t Joy2Y = 0;
};

enum class TickOutcome {
    Running,   // the test goes on
    Finished,  // this tick ended the test: write the result, call OnTestEnd
    Over,      // a tick after the end: nothing to do
};

class ZekSimulation {
public:
    // The simulation keeps references to all three; they must outlive it.
    ZekSimulation(ZekState& state, RandomSource& random, MillisecondClock& clock);

    void SetSettings(const ZekSettings& settings);
    const ZekSettings& Settings() const { return m_settings; }
    // The view that draws; null drops every drawing request. Not owned.
    void SetView(ZekView* view) { m_view = view; }

    ZekState& State() { return m_state; }
    const ZekState& State() const { return m_state; }
    int32_t PaintInterval() const { return m_paintInterval; }
    // Distance from a field's edges at which a target turns back and beyond
    // which a cursor cannot go.
    double Margin() const;

    // MSG_INIT: every position to 300.0, no light, no task, all counters 0,
    // then load the pictures and draw the whole screen. Headings, times and
    // PaintDuration keep their values. Seeding the random source is the
    // caller's business.
    void Init();
    void Resize();  // MSG_RESIZE
    void Paint();   // MSG_PAINT
    void Stop();    // MSG_STOP

    // MSG_TICK for ElapsedMs = elapsedMs and DurationMs = durationMs.
    // Returns Finished exactly once per Init, on the tick where the two are
    // equal; the caller then writes the result.
    TickOutcome Tick(uint32_t elapsedMs, uint32_t durationMs, const Joysticks& joysticks);

    // MSG_KEYDOWN with a virtual-key code, at test time elapsedMs.
    void KeyDown(uint32_t key, uint32_t elapsedMs);

    // One step of the simulation (Tick runs it every CYCLETIME ms): close a
    // task, time out a light, perhaps show a light, perhaps show a task, then
    // the tracking step.
    void SimulationStep(uint32_t elapsedMs, const Joysticks& joysticks);
    // Moves targets and cursors and scores both trackers.
    void TrackingStep(const Joysticks& joysticks);

private:
    void CloseTaskIfDue(uint32_t e);
    void SwitchLightOffIfDue(uint32_t e);
    void MaybeShowLight(uint32_t e);
    void MaybeShowTask(uint32_t e);
    void BuildTask();
    void PaintTrackingFields();
    void AppendDigit(uint32_t digit, uint32_t e);

    void RequestLights();
    void RequestArithmetic();

    // The paint schedule starts at one paint per default step; with a
    // PAINTTIME other than 0 it stays there.
    static constexpr int32_t kInitialPaintInterval = 20;

    ZekState& m_state;
    RandomSource& m_random;
    MillisecondClock& m_clock;
    ZekSettings m_settings;
    ZekView* m_view = nullptr;
    int32_t m_paintInterval = kInitialPaintInterval;
    bool m_finished = false;
};

} // namespace kestrava::zek
