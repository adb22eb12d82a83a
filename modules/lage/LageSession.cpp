#include "modules/lage/LageSession.h"

#include "modules/lage/LageItems.h"

#include <algorithm>
#include <limits>

namespace kestrava::lage {

const kit::ResultSheet& Sheet()
{
    static const kit::ResultSheet sheet("LAGE", {"Richtige Antworten", "Mittlere Antwortzeit"});
    return sheet;
}

double MeanAnswerMs(const LageState& s, const LageSettings& settings)
{
    const int64_t answered = int64_t(s.Correct) + s.Wrong;
    if (answered <= 0)
        return double(settings.Limit);
    return double(s.TimeSumMs) / double(answered);
}

ResultRecordBytes MakeRecord(const LageState& s, const LageSettings& settings, uint32_t elapsedMs, double timestamp)
{
    const double correct = kit::ResultSheet::Percent(s.Correct, int64_t(s.Correct) + s.Wrong + s.Missed);
    return {timestamp, {correct, -MeanAnswerMs(s, settings)}, static_cast<int32_t>(elapsedMs), correct};
}

void LageSession::Init(uint64_t seed)
{
    m_state = LageState{};
    m_state.RandomState = seed;
    m_state.Phase = kPhaseWaiting;
}

Step LageSession::Tick(uint32_t e, uint32_t durationMs)
{
    if (e >= durationMs)
        return Step::Finished;
    LageState& s = m_state;
    if (s.Phase == kPhaseShowing && e - s.ShownAt >= uint32_t(m_settings.Limit)) {
        ++s.Missed;
        s.LastOutcome = kOutcomeMissed;
        s.Phase = kPhaseWaiting;
        s.NextAt = e + uint32_t(m_settings.Gap);
        return Step::Changed;
    }
    if (s.Phase == kPhaseWaiting && e >= s.NextAt) {
        s.Item = DrawItem(m_random);
        s.Phase = kPhaseShowing;
        s.ShownAt = e;
        return Step::Changed;
    }
    return Step::Unchanged;
}

bool LageSession::Key(uint32_t virtualKey, uint32_t e)
{
    LageState& s = m_state;
    const int32_t picture = PictureOfKey(virtualKey);
    if (picture < 0 || s.Phase != kPhaseShowing)
        return false;
    s.TimeSumMs += e - std::min(s.ShownAt, e);
    const bool right = picture == s.Item.Answer;
    ++(right ? s.Correct : s.Wrong);
    s.LastOutcome = right ? kOutcomeCorrect : kOutcomeWrong;
    s.Phase = kPhaseWaiting;
    s.NextAt = e + uint32_t(m_settings.Gap);
    return true;
}

void CorrectRestoredState(LageState& s, const LageSettings& settings, uint32_t e)
{
    if (s.Phase != kPhaseShowing || !ValidItem(s.Item) || s.ShownAt > e) {
        s.Phase = kPhaseWaiting;
        s.NextAt = std::min(s.NextAt, e + uint32_t(std::max(settings.Gap, 0)));
    }
    if (s.LastOutcome < kOutcomeNone || s.LastOutcome > kOutcomeMissed)
        s.LastOutcome = kOutcomeNone;
    // One item at most per tick of 10 ms.
    int64_t room = int64_t(e) / 10 + 1;
    for (int32_t* counter : {&s.Correct, &s.Wrong, &s.Missed}) {
        *counter = static_cast<int32_t>(std::clamp<int64_t>(*counter, 0, room));
        room -= *counter;
    }
    const uint64_t longest = uint64_t(std::max(settings.Limit, 0)) + 10;
    s.TimeSumMs = std::min<uint64_t>(s.TimeSumMs, (uint64_t(s.Correct) + uint64_t(s.Wrong)) * longest);
}

} // namespace kestrava::lage
