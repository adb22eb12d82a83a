// The Mehrfachreaktion test's state block.
//
// The host copies this block byte for byte into a suspended run's file and
// back on resume, so its layout is a stored format: every offset and the size
// are pinned below. A failing assert means a field moved and saved runs would
// come back scrambled: fix the struct, never the assert.
//
// The block holds everything a resumed test needs to go on exactly as it
// would have: the stimulus on show, the pace, the counters and the state of
// the random sequence. What only lives while the module is loaded (the
// player slot of a sounding tone) stays outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kestrava::mfr {

// What became of the last stimulus (or stray key), shown until the next
// stimulus comes.
enum Outcome : int32_t {
    kOutcomeNone = 0,
    kOutcomeCorrect = 1,
    kOutcomeError = 2,
    kOutcomeMissed = 3,
};

// The tones. 0 in MfrState::Tone means no tone.
enum Tone : int32_t {
    kToneNone = 0,
    kToneLow = 1,
    kToneHigh = 2,
};

// Bits of MfrState::Answered.
inline constexpr int32_t kAnsweredLamp = 1;
inline constexpr int32_t kAnsweredTone = 2;

struct MfrState {
    uint64_t RandomState;    // the random sequence's position (SplitMix64)
    uint64_t ReactionSumMs;  // sum of the reaction times of correct answers

    // The stimulus on show; Lamp and Tone both 0 = none. Times are
    // ElapsedMs values.
    int32_t Lamp;            // 0 = none, 1-4 = the lamp answered with F1-F4
    int32_t Tone;            // a Tone value
    int32_t Answered;        // kAnsweredLamp | kAnsweredTone, the parts already answered
    uint32_t Onset;          // when the stimulus came
    uint32_t Window;         // ms it may be answered in
    uint32_t NextOnset;      // when the next stimulus is due

    int32_t Interval;        // the pace: the window of the next stimulus, ms
    int32_t LastOutcome;     // an Outcome value

    // Counters that make up the result.
    int32_t Stimuli;         // stimuli that ended (answered, wrong or missed)
    int32_t Correct;
    int32_t Errors;          // stimuli ended by a wrong key
    int32_t FalseKeys;       // answer keys while nothing was shown
    int32_t Missed;
    uint32_t Reserved;       // not significant
};

static_assert(std::is_standard_layout_v<MfrState> && std::is_trivially_copyable_v<MfrState>);
static_assert(offsetof(MfrState, RandomState) == 0);
static_assert(offsetof(MfrState, ReactionSumMs) == 8);
static_assert(offsetof(MfrState, Lamp) == 16);
static_assert(offsetof(MfrState, Tone) == 20);
static_assert(offsetof(MfrState, Answered) == 24);
static_assert(offsetof(MfrState, Onset) == 28);
static_assert(offsetof(MfrState, Window) == 32);
static_assert(offsetof(MfrState, NextOnset) == 36);
static_assert(offsetof(MfrState, Interval) == 40);
static_assert(offsetof(MfrState, LastOutcome) == 44);
static_assert(offsetof(MfrState, Stimuli) == 48);
static_assert(offsetof(MfrState, Correct) == 52);
static_assert(offsetof(MfrState, Errors) == 56);
static_assert(offsetof(MfrState, FalseKeys) == 60);
static_assert(offsetof(MfrState, Missed) == 64);
static_assert(offsetof(MfrState, Reserved) == 68);
static_assert(sizeof(MfrState) == 72, "the state block is 72 bytes");

struct MfrSettings;

// Checks a block the host has copied in on resume (a saved run's file is
// untrusted) and corrects it in place, before the module uses it. elapsedMs
// is the test time the run resumes at; the pace comes from the settings.
// The rules, one per field:
// - Lamp 0 to 4, Tone a Tone value, LastOutcome an Outcome value (else 0);
// - Answered only the parts the stimulus on show has, and never all of them
//   (a stimulus answered whole is no longer on show);
// - a stimulus on show came at Onset, not after elapsedMs, with a Window of
//   the pace (FASTEST to SLOWEST), and the next is due a GAP after it;
//   with none on show the next is due at most FIRST or SLOWEST + GAP ahead;
// - Interval within FASTEST and SLOWEST;
// - Stimuli not negative and not above one per 10 ms tick up to elapsedMs;
//   Correct and Errors within it, Missed the rest (every stimulus that
//   ended is one of the three); FalseKeys not negative and not above one
//   per millisecond;
// - ReactionSumMs not above the longest window (and a tick) per correct
//   answer.
// RandomState may hold any value; Reserved is not significant.
void CorrectRestoredState(MfrState& state, const MfrSettings& settings, uint32_t elapsedMs);

} // namespace kestrava::mfr
