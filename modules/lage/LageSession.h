// The Fluglage test's course: items come and go on the ticks, an answer key
// ends the item on show, and the counters make the record. Works on the
// state block alone, so a resumed run goes on exactly as it would have.
//
// The result's parts, in file order:
//   "Richtige Antworten"    correct / (correct + wrong + missed) x 100
//   "Mittlere Antwortzeit"  the mean time to an answer, right or wrong, as a
//                           time (-ms); LIMIT when nothing was answered
// The overall result is the share of correct answers; an item still on show
// when the time is up does not count.
#pragma once

#include "modules/kit/Random.h"
#include "modules/kit/Result.h"
#include "modules/lage/LageSettings.h"
#include "modules/lage/LageState.h"

#include <cstdint>

namespace kestrava::lage {

const kit::ResultSheet& Sheet();
double MeanAnswerMs(const LageState& state, const LageSettings& settings);
ResultRecordBytes MakeRecord(const LageState& state, const LageSettings& settings, uint32_t elapsedMs,
                             double timestamp);

enum class Step { Unchanged, Changed, Finished };

// Checks a block the host copied in on resume (a saved run's file is
// untrusted) and corrects it in place before the module uses it:
// - an item on show that is not a valid item (ValidItem), or that came
//   after elapsedMs, is dropped and a new one comes on the next tick;
// - NextAt at most a GAP ahead, Phase and LastOutcome known values;
// - the counters not negative and together not above one item per 10 ms
//   tick; TimeSumMs not above LIMIT (and a tick) per answered item.
void CorrectRestoredState(LageState& state, const LageSettings& settings, uint32_t elapsedMs);

class LageSession {
public:
    LageSession(LageState& state, kit::RandomSource& random) : m_state(state), m_random(random) {}

    const LageSettings& Settings() const { return m_settings; }
    void SetSettings(const LageSettings& settings) { m_settings = settings; }
    // A fresh test: the first item comes on the first tick.
    void Init(uint64_t seed);
    // The tick at elapsedMs: Finished on the one that reaches durationMs
    // (the caller writes the record), Changed when an item came or went.
    Step Tick(uint32_t elapsedMs, uint32_t durationMs);
    // A key at elapsedMs: true when it answered the item on show.
    bool Key(uint32_t virtualKey, uint32_t elapsedMs);

private:
    LageState& m_state;
    kit::RandomSource& m_random;
    LageSettings m_settings;
};

} // namespace kestrava::lage
