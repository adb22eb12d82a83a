// The Raumvorstellung test as plain logic: what MSG_INIT, MSG_TICK and
// MSG_KEYDOWN do to the state block, with the drawing handed in from
// outside. The exported entry only forwards here; tests drive this class.
//
// The rules. A pair of figures comes FIRST ms after the start and GAP ms
// after every answer. The candidate answers with the left arrow key
// ("gleich": the right figure is the left one turned) or the right arrow
// key ("gespiegelt": it is the mirror image, turned) within LIMIT ms; a
// pair not answered in time counts as late and the next one follows after
// GAP. Keys while no pair is on show do nothing. A right answer makes the
// next pair HARDER points harder, a wrong or late one EASIER points easier,
// within 0 and 100; the difficulty picks the class of the turn (a quarter
// of its range each). A pair still on show when the test ends is not
// counted.
//
// The result's parts, in file order:
//   "Richtige Antworten"    right answers / pairs x 100
//   "Mittlere Antwortzeit"  the mean time of the right answers, as a time
//                           (-ms); with no right answer the LIMIT
// The overall result weighs the right answers 40 %, the mean difficulty of
// the pairs (0 to 100) 40 % and the speed 20 %: 100 points at 1.5 s or
// faster, one less for every 60 ms more, none from 7.5 s on.
#pragma once

#include "modules/kit/Random.h"
#include "modules/kit/Result.h"
#include "modules/raum/RaumFigure.h"
#include "modules/raum/RaumSettings.h"
#include "modules/raum/RaumState.h"

#include <algorithm>
#include <cstdint>

namespace kestrava::raum {

inline constexpr uint32_t kKeyLeft = 37;  // "gleich"
inline constexpr uint32_t kKeyRight = 39; // "gespiegelt"

// The points where the test asks for drawing, from inside one message.
class RaumView {
public:
    virtual ~RaumView() = default;
    // The whole screen at test time e; item is the pair on show or null.
    virtual void PaintAll(const RaumState& state, const Item* item, uint32_t e) = 0;
    // A pair came or went: the figures, the outcome and the difficulty.
    virtual void PaintChange(const RaumState& state, const Item* item) = 0;
    // The time left for the pair on show at test time e.
    virtual void PaintClock(const RaumState& state, uint32_t e) = 0;
};

enum class TickOutcome { Running, Finished, Over };

// The class of turn for a difficulty of 0 to 100.
constexpr int32_t TurnClassOf(int32_t difficulty) { return std::clamp(difficulty / 25, 0, kTurnClasses - 1); }

class RaumSimulation {
public:
    // Keeps references to both; they must outlive it.
    RaumSimulation(RaumState& state, const RaumSettings& settings) : m_state(state), m_settings(settings) {}
    void SetView(RaumView* view) { m_view = view; }

    const RaumState& State() const { return m_state; }
    // The pair on show; meaningful while State().Open.
    const Item& Current() const { return m_item; }

    // A fresh test with the random sequence at seed.
    void Init(uint64_t seed);
    // After the block was replaced and corrected: the pair on show drawn
    // again from its seed.
    void Restored();
    void Paint(uint32_t e); // the whole screen at test time e
    // MSG_TICK at ElapsedMs e. Finished exactly once, on the first tick that
    // reaches the duration.
    TickOutcome Tick(uint32_t e, uint32_t durationMs);
    void KeyDown(uint32_t key, uint32_t e);

private:
    void Present(uint32_t e);
    void Resolve(Outcome outcome, uint32_t e);
    const Item* Shown() const { return m_state.Open ? &m_item : nullptr; }

    RaumState& m_state;
    const RaumSettings& m_settings;
    RaumView* m_view = nullptr;
    Item m_item;
    bool m_finished = false;
};

// The result file's part names and writer.
const kit::ResultSheet& Sheet();
double MeanAnswerMs(const RaumState& state, const RaumSettings& settings);
double SpeedScore(double meanMs);
ResultRecordBytes MakeResultRecord(const RaumState& state, const RaumSettings& settings, uint32_t elapsedMs,
                                   double timestamp);

} // namespace kestrava::raum
