#include "modules/raum/RaumState.h"

#include "modules/raum/RaumSettings.h"

#include <algorithm>
#include <cstdint>

namespace kestrava::raum {

void CorrectRestoredState(RaumState& s, const RaumSettings& settings, uint32_t elapsedMs)
{
    const auto hold = [](int32_t& v, int32_t lo, int32_t hi) { v = std::clamp(v, lo, std::max(lo, hi)); };
    s.Open = s.Open != 0 ? 1 : 0;
    s.Mirror = s.Mirror != 0 ? 1 : 0;
    if (s.LastOutcome < kOutcomeNone || s.LastOutcome > kOutcomeLate)
        s.LastOutcome = kOutcomeNone;
    hold(s.Difficulty, 0, 100);
    hold(s.ItemDifficulty, 0, 100);
    s.ShownAt = std::min(s.ShownAt, elapsedMs);
    const uint64_t ahead = uint64_t(elapsedMs) + uint64_t(std::max(settings.First, settings.Gap));
    s.NextAt = static_cast<uint32_t>(std::min<uint64_t>(s.NextAt, ahead));

    hold(s.Items, 0, static_cast<int32_t>(elapsedMs / kShortestGap + 1));
    hold(s.Right, 0, s.Items);
    hold(s.Wrong, 0, s.Items - s.Right);
    s.Late = s.Items - s.Right - s.Wrong;
    hold(s.DifficultySum, 0, static_cast<int32_t>(std::min<int64_t>(int64_t(100) * s.Items, INT32_MAX)));
    s.AnswerSumMs = std::min<uint64_t>(s.AnswerSumMs, uint64_t(s.Right) * (kLongestLimit + 10));
}

} // namespace kestrava::raum
