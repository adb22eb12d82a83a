#include "modules/mfr/MfrSimulation.h"

#include <algorithm>

namespace kestrava::mfr {

namespace {

// e has reached t, in the wrapping uint32 arithmetic of ElapsedMs.
bool Reached(uint32_t e, uint32_t t) { return static_cast<int32_t>(e - t) >= 0; }

} // namespace

MfrSimulation::MfrSimulation(MfrState& state, RandomSource& random)
    : m_state(state), m_random(random)
{
}

void MfrSimulation::Init(uint64_t seed)
{
    m_state = MfrState{};
    m_state.RandomState = seed;
    m_state.Interval = m_settings.Start;
    m_state.NextOnset = static_cast<uint32_t>(m_settings.First);
    m_toneSlot = -1;
    m_finished = false;
    if (m_tones) {
        m_tones->Load(kToneLow);
        m_tones->Load(kToneHigh);
    }
    if (m_view) {
        m_view->LoadImages();
        m_view->PaintAll(m_state);
    }
}

void MfrSimulation::Restored() { m_toneSlot = -1; }

void MfrSimulation::Resize()
{
    if (m_view)
        m_view->LoadImages();
}

void MfrSimulation::Paint()
{
    if (m_view)
        m_view->PaintAll(m_state);
}

void MfrSimulation::Stop()
{
    if (m_view)
        m_view->Release();
}

TickOutcome MfrSimulation::Tick(uint32_t e, uint32_t durationMs)
{
    // The first tick that reaches the duration ends the test, once: a
    // repeated final tick neither writes a second record nor advances the
    // host's run a second time. A stimulus still open then is not counted.
    if (e >= durationMs || m_finished) {
        const bool first = !m_finished;
        m_finished = true;
        return first ? TickOutcome::Finished : TickOutcome::Over;
    }
    if (Open() && Reached(e, m_state.Onset + m_state.Window))
        Resolve(kOutcomeMissed, e);
    if (!Open() && Reached(e, m_state.NextOnset))
        Present(e);
    return TickOutcome::Running;
}

void MfrSimulation::Present(uint32_t e)
{
    const MfrSettings& s = m_settings;
    const int32_t kind = m_random.Below(s.Lamps + s.Tones + s.Both);
    const bool lamp = kind < s.Lamps || kind >= s.Lamps + s.Tones;
    const bool tone = kind >= s.Lamps;
    m_state.Lamp = lamp ? 1 + m_random.Below(4) : 0;
    m_state.Tone = tone ? (m_random.Below(2) == 0 ? kToneLow : kToneHigh) : kToneNone;
    m_state.Answered = 0;
    m_state.Onset = e;
    m_state.Window = static_cast<uint32_t>(m_state.Interval);
    m_state.NextOnset = e + m_state.Window + static_cast<uint32_t>(s.Gap);
    m_state.LastOutcome = kOutcomeNone;
    if (tone && m_tones)
        m_toneSlot = m_tones->Play(static_cast<Tone>(m_state.Tone));
    if (m_view) {
        m_view->PaintLamps(m_state);
        m_view->PaintStatus(m_state);
    }
}

void MfrSimulation::KeyDown(uint32_t key, uint32_t e)
{
    if (m_finished)
        return;
    int32_t part = 0;
    bool fits = false;
    if (key >= kKeyF1 && key <= kKeyF4) {
        part = kAnsweredLamp;
        fits = m_state.Lamp == static_cast<int32_t>(key - kKeyF1) + 1;
    } else if (key == kKeyControl || key == kKeySpace) {
        part = kAnsweredTone;
        fits = m_state.Tone != kToneNone && key == ToneKey(static_cast<Tone>(m_state.Tone));
    } else {
        return;  // not an answer key
    }

    if (!Open()) {
        ++m_state.FalseKeys;
        m_state.LastOutcome = kOutcomeError;
        SlowDown();
        if (m_view)
            m_view->PaintStatus(m_state);
        return;
    }
    if (!fits) {
        Resolve(kOutcomeError, e);
        return;
    }
    // The right key a second time changes nothing.
    if (m_state.Answered & part)
        return;
    m_state.Answered |= part;
    const int32_t needed = (m_state.Lamp != 0 ? kAnsweredLamp : 0) | (m_state.Tone != kToneNone ? kAnsweredTone : 0);
    if (m_state.Answered == needed) {
        Resolve(kOutcomeCorrect, e);
    } else if (part == kAnsweredLamp && m_view) {
        // The lamp goes dark once answered, while the tone's answer is
        // still to come.
        m_view->PaintLamps(m_state);
    }
}

void MfrSimulation::Resolve(Outcome outcome, uint32_t e)
{
    ++m_state.Stimuli;
    switch (outcome) {
    case kOutcomeCorrect:
        ++m_state.Correct;
        m_state.ReactionSumMs += e - m_state.Onset;
        m_state.Interval = std::max(m_settings.Fastest, m_state.Interval - m_settings.Faster);
        break;
    case kOutcomeError:
        ++m_state.Errors;
        SlowDown();
        break;
    default:
        ++m_state.Missed;
        SlowDown();
        break;
    }
    m_state.LastOutcome = outcome;
    m_state.Lamp = 0;
    m_state.Tone = kToneNone;
    m_state.Answered = 0;
    StopTone();
    if (m_view) {
        m_view->PaintLamps(m_state);
        m_view->PaintStatus(m_state);
    }
}

void MfrSimulation::SlowDown()
{
    m_state.Interval = std::min(m_settings.Slowest, m_state.Interval + m_settings.Slower);
}

void MfrSimulation::StopTone()
{
    if (m_toneSlot >= 0 && m_tones)
        m_tones->Stop(m_toneSlot);
    m_toneSlot = -1;
}

void MfrSimulation::SoundEnded(int32_t slot)
{
    if (slot >= 0 && slot == m_toneSlot)
        m_toneSlot = -1;
}

} // namespace kestrava::mfr
