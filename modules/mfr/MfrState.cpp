#include "modules/mfr/MfrState.h"

#include "modules/mfr/MfrSettings.h"

#include <algorithm>
#include <limits>

namespace kestrava::mfr {

namespace {

// A key can come after its window has closed and before the tick that
// closes it: a reaction lasts at most the window and one tick.
constexpr uint64_t kLongestReactionMs = uint64_t(kLongestWindow) + 10;

template <typename T> void HoldTo(T& value, T lo, T hi) { value = std::clamp(value, lo, std::max(lo, hi)); }

} // namespace

void CorrectRestoredState(MfrState& s, const MfrSettings& settings, uint32_t elapsedMs)
{
    // Stimuli are shown on ticks only, at most one per tick of 10 ms.
    const auto mostStimuli = static_cast<int32_t>(elapsedMs / 10 + 1);
    const auto mostKeys = static_cast<int32_t>(
        std::min<uint64_t>(uint64_t(elapsedMs) + 1, std::numeric_limits<int32_t>::max() / 2));

    if (s.Lamp < 0 || s.Lamp > 4)
        s.Lamp = 0;
    if (s.Tone != kToneLow && s.Tone != kToneHigh)
        s.Tone = kToneNone;
    if (s.LastOutcome < kOutcomeNone || s.LastOutcome > kOutcomeMissed)
        s.LastOutcome = kOutcomeNone;
    const int32_t parts = (s.Lamp != 0 ? kAnsweredLamp : 0) | (s.Tone != kToneNone ? kAnsweredTone : 0);
    s.Answered &= parts;
    if (s.Answered == parts)
        s.Answered = 0;

    HoldTo(s.Interval, settings.Fastest, settings.Slowest);
    const uint32_t gap = static_cast<uint32_t>(std::max(settings.Gap, 0));
    if (parts != 0) {
        s.Onset = std::min(s.Onset, elapsedMs);
        HoldTo(s.Window, static_cast<uint32_t>(settings.Fastest), static_cast<uint32_t>(settings.Slowest));
        s.NextOnset = s.Onset + s.Window + gap;
    } else {
        const uint64_t ahead =
            std::max<uint64_t>(static_cast<uint64_t>(std::max(settings.First, 0)), uint64_t(settings.Slowest) + gap);
        s.NextOnset = static_cast<uint32_t>(std::min<uint64_t>(s.NextOnset, uint64_t(elapsedMs) + ahead));
    }

    HoldTo(s.Stimuli, 0, mostStimuli);
    HoldTo(s.Correct, 0, s.Stimuli);
    HoldTo(s.Errors, 0, s.Stimuli - s.Correct);
    s.Missed = s.Stimuli - s.Correct - s.Errors;
    HoldTo(s.FalseKeys, 0, mostKeys);
    s.ReactionSumMs = std::min<uint64_t>(s.ReactionSumMs, uint64_t(s.Correct) * kLongestReactionMs);
}

} // namespace kestrava::mfr
