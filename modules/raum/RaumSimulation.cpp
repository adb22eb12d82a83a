#include "modules/raum/RaumSimulation.h"

#include <algorithm>

namespace kestrava::raum {

void RaumSimulation::Init(uint64_t seed)
{
    m_state = RaumState{};
    m_state.RandomState = seed;
    m_state.Difficulty = m_settings.Start;
    m_state.NextAt = static_cast<uint32_t>(m_settings.First);
    m_finished = false;
    Paint(0);
}

void RaumSimulation::Restored()
{
    if (m_state.Open)
        m_item = MakeItem(m_state.ItemSeed, TurnClassOf(m_state.ItemDifficulty), m_state.Mirror != 0);
}

void RaumSimulation::Paint(uint32_t e)
{
    if (m_view)
        m_view->PaintAll(m_state, Shown(), e);
}

TickOutcome RaumSimulation::Tick(uint32_t e, uint32_t durationMs)
{
    if (e >= durationMs || m_finished) {
        const bool first = !m_finished;
        m_finished = true;
        return first ? TickOutcome::Finished : TickOutcome::Over;
    }
    if (m_state.Open && e - m_state.ShownAt >= static_cast<uint32_t>(m_settings.Limit))
        Resolve(kOutcomeLate, e);
    else if (!m_state.Open && static_cast<int32_t>(e - m_state.NextAt) >= 0)
        Present(e);
    else if (m_state.Open && m_view)
        m_view->PaintClock(m_state, e);
    return TickOutcome::Running;
}

void RaumSimulation::Present(uint32_t e)
{
    kit::BlockRandom random(m_state.RandomState);
    m_state.Mirror = random.Below(100) < m_settings.Mirrored ? 1 : 0;
    m_state.ItemSeed = kit::BlockRandom::Next(m_state.RandomState);
    m_state.ItemDifficulty = m_state.Difficulty;
    m_item = MakeItem(m_state.ItemSeed, TurnClassOf(m_state.ItemDifficulty), m_state.Mirror != 0);
    m_state.ShownAt = e;
    m_state.Open = 1;
    m_state.LastOutcome = kOutcomeNone;
    if (m_view) {
        m_view->PaintChange(m_state, Shown());
        m_view->PaintClock(m_state, e);
    }
}

void RaumSimulation::KeyDown(uint32_t key, uint32_t e)
{
    if (m_finished || !m_state.Open || (key != kKeyLeft && key != kKeyRight))
        return;
    const bool saysMirror = key == kKeyRight;
    Resolve(saysMirror == (m_state.Mirror != 0) ? kOutcomeRight : kOutcomeWrong, e);
}

void RaumSimulation::Resolve(Outcome outcome, uint32_t e)
{
    ++m_state.Items;
    m_state.DifficultySum += m_state.ItemDifficulty;
    if (outcome == kOutcomeRight) {
        ++m_state.Right;
        m_state.AnswerSumMs += e - m_state.ShownAt;
        m_state.Difficulty = std::min(100, m_state.Difficulty + m_settings.Harder);
    } else {
        ++(outcome == kOutcomeWrong ? m_state.Wrong : m_state.Late);
        m_state.Difficulty = std::max(0, m_state.Difficulty - m_settings.Easier);
    }
    m_state.LastOutcome = outcome;
    m_state.Open = 0;
    m_state.NextAt = e + static_cast<uint32_t>(m_settings.Gap);
    if (m_view)
        m_view->PaintChange(m_state, nullptr);
}

const kit::ResultSheet& Sheet()
{
    static const kit::ResultSheet sheet("RAUM", {"Richtige Antworten", "Mittlere Antwortzeit"});
    return sheet;
}

double MeanAnswerMs(const RaumState& state, const RaumSettings& settings)
{
    if (state.Right <= 0)
        return static_cast<double>(settings.Limit);
    return static_cast<double>(state.AnswerSumMs) / state.Right;
}

double SpeedScore(double meanMs) { return std::clamp((7500.0 - meanMs) / 60.0, 0.0, 100.0); }

ResultRecordBytes MakeResultRecord(const RaumState& state, const RaumSettings& settings, uint32_t elapsedMs,
                                   double timestamp)
{
    const double right = kit::ResultSheet::Percent(state.Right, state.Items);
    const double difficulty =
        state.Items > 0 ? std::clamp(double(state.DifficultySum) / state.Items, 0.0, 100.0) : 0.0;
    const double mean = MeanAnswerMs(state, settings);
    const double overall = std::clamp(0.4 * right + 0.4 * difficulty + 0.2 * SpeedScore(mean), 0.0, 100.0);
    return {timestamp, {right, -mean}, static_cast<int32_t>(elapsedMs), overall};
}

} // namespace kestrava::raum
