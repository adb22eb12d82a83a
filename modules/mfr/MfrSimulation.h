// The Mehrfachreaktion test as plain logic: what MSG_INIT, MSG_TICK,
// MSG_KEYDOWN, MSG_SOUNDEND, MSG_PAINT, MSG_RESIZE and MSG_STOP do to the
// state block, with the random numbers, the tones and the drawing handed in
// from outside. The exported entry only unpacks the host's records and
// forwards here; tests drive this class directly.
//
// The rules. A stimulus is a lamp (F1 to F4), a tone (low: Ctrl, high:
// Space) or a lamp and a tone together (both answers, in any order). It
// may be answered within its window; the next one comes GAP ms after the
// window closes, whenever the answer came. A stimulus is correct when every
// part got its key, an error at the first wrong answer key, missed when
// its window closes first. An answer key while nothing is shown is a false
// key. A correct answer shortens the next window by FASTER, an error, a
// miss or a false key lengthens it by SLOWER, within FASTEST and SLOWEST.
//
// Not thread-safe; the host never enters the module twice at once.
#pragma once

#include "modules/mfr/MfrSettings.h"
#include "modules/mfr/MfrSources.h"
#include "modules/mfr/MfrState.h"

#include <cstdint>

namespace kestrava::mfr {

// Virtual-key codes the test reacts to. Both Ctrl keys arrive as the one
// code 17, so the two tones cannot be told apart by left and right Ctrl.
inline constexpr uint32_t kKeyControl = 17;
inline constexpr uint32_t kKeySpace = 32;
inline constexpr uint32_t kKeyF1 = 112;
inline constexpr uint32_t kKeyF4 = 115;

// The answer key of a tone.
constexpr uint32_t ToneKey(Tone tone) { return tone == kToneHigh ? kKeySpace : kKeyControl; }

enum class TickOutcome {
    Running,   // the test goes on
    Finished,  // this tick ended the test: write the result, call OnTestEnd
    Over,      // a tick after the end: nothing to do
};

class MfrSimulation {
public:
    // The simulation keeps a reference to the state and the random source;
    // both must outlive it.
    MfrSimulation(MfrState& state, RandomSource& random);

    void SetSettings(const MfrSettings& settings) { m_settings = ClampMfrSettings(settings); }
    const MfrSettings& Settings() const { return m_settings; }
    // Not owned; null drops the requests.
    void SetView(MfrView* view) { m_view = view; }
    void SetTones(ToneOutput* tones) { m_tones = tones; }

    MfrState& State() { return m_state; }
    const MfrState& State() const { return m_state; }
    // The player slot of the tone now sounding, -1 when none.
    int32_t ToneSlot() const { return m_toneSlot; }
    bool Open() const { return m_state.Lamp != 0 || m_state.Tone != kToneNone; }

    // MSG_INIT: a fresh test with the random sequence at seed, the tones
    // loaded, the pictures loaded and the screen drawn.
    void Init(uint64_t seed);
    // After the host overwrote the state block with a saved one: no tone of
    // this binding is sounding for it.
    void Restored();
    void Resize();  // MSG_RESIZE
    void Paint();   // MSG_PAINT
    void Stop();    // MSG_STOP

    // MSG_TICK at ElapsedMs = e. Returns Finished exactly once per Init, on
    // the first tick that reaches the duration; the caller then writes the
    // result.
    TickOutcome Tick(uint32_t e, uint32_t durationMs);
    // MSG_KEYDOWN with a virtual-key code at test time e.
    void KeyDown(uint32_t key, uint32_t e);
    // MSG_SOUNDEND for a player slot.
    void SoundEnded(int32_t slot);

private:
    void Present(uint32_t e);
    void Resolve(Outcome outcome, uint32_t e);
    void SlowDown();
    void StopTone();

    MfrState& m_state;
    RandomSource& m_random;
    MfrSettings m_settings;
    MfrView* m_view = nullptr;
    ToneOutput* m_tones = nullptr;
    int32_t m_toneSlot = -1;
    bool m_finished = false;
};

} // namespace kestrava::mfr
