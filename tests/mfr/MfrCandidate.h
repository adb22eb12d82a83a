// A scripted candidate for the Mehrfachreaktion test, driven once per tick
// with what the module's state block shows. It answers a lamp 300 ms after
// it came and a tone 500 ms after, answers every fifth stimulus with a wrong
// key and leaves every sixth alone, and keeps its own tally of what it did,
// so a run's record can be checked against what really happened instead of
// against numbers copied from an earlier run.
#pragma once

#include "modules/mfr/MfrSimulation.h"
#include "modules/mfr/MfrState.h"

#include <cstdint>
#include <functional>

namespace kestrava::mfr::testing {

struct CandidateTally {
    int32_t correct = 0;
    int32_t errors = 0;
    int32_t missed = 0;
    uint64_t reactionSumMs = 0;
    int32_t Stimuli() const { return correct + errors + missed; }
};

class Candidate {
public:
    static constexpr uint32_t kLampDelay = 300;
    static constexpr uint32_t kToneDelay = 500;

    explicit Candidate(std::function<void(uint32_t)> press) : m_press(std::move(press)) {}

    // Called after every tick with the block as it stands and ElapsedMs.
    void Look(const MfrState& s, uint32_t e)
    {
        const bool open = s.Lamp != 0 || s.Tone != kToneNone;
        if (m_ignoring && (!open || s.Onset != m_onset)) {
            ++tally.missed;
            m_ignoring = false;
        }
        if (!open)
            return;
        if (s.Onset != m_onset || !m_seen) {
            m_seen = true;
            m_onset = s.Onset;
            ++m_number;
            m_lampDone = s.Lamp == 0;
            m_toneDone = s.Tone == kToneNone;
            m_ignoring = m_number % 6 == 0;
        }
        if (m_ignoring)
            return;
        const uint32_t age = e - s.Onset;
        const bool wrong = m_number % 5 == 0;
        if (!m_lampDone && age >= kLampDelay) {
            m_lampDone = true;
            if (wrong) {
                m_press(kKeyF1 + static_cast<uint32_t>(s.Lamp % 4));  // the lamp to its right
                ++tally.errors;
                return;
            }
            m_press(kKeyF1 + static_cast<uint32_t>(s.Lamp - 1));
            if (m_toneDone)
                Right(age);
        }
        if (!m_toneDone && age >= kToneDelay) {
            m_toneDone = true;
            const Tone other = s.Tone == kToneHigh ? kToneLow : kToneHigh;
            m_press(ToneKey(wrong ? other : static_cast<Tone>(s.Tone)));
            if (wrong)
                ++tally.errors;
            else if (m_lampDone)
                Right(age);
        }
    }

    CandidateTally tally;

private:
    void Right(uint32_t age)
    {
        ++tally.correct;
        tally.reactionSumMs += age;
    }
    std::function<void(uint32_t)> m_press;
    bool m_seen = false;
    uint32_t m_onset = 0;
    int32_t m_number = 0;
    bool m_lampDone = false;
    bool m_toneDone = false;
    bool m_ignoring = false;
};

} // namespace kestrava::mfr::testing
