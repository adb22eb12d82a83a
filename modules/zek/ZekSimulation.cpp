#include "modules/zek/ZekSimulation.h"

#include "protocol/MyMessages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <numbers>
#include <string>

namespace kestrava::zek {

namespace {

constexpr uint32_t kFullRepaintPeriod = 10000;  // ms of test time
constexpr uint32_t kAnswerIdleTime = 3000;      // ms after the last key
constexpr uint32_t kForcedLightTime = 30000;
constexpr uint32_t kForcedTaskTime = 40000;

// Headings a target gets once it has crossed a turning line. A target moves
// by (sin, cos) of its heading and y grows downwards, so 2π moves it down
// and π up.
constexpr double kHeadingRight = std::numbers::pi / 2;
constexpr double kHeadingDown = 2 * std::numbers::pi;
constexpr double kHeadingLeft = 3 * std::numbers::pi / 2;
constexpr double kHeadingUp = std::numbers::pi;

// Time since an earlier ElapsedMs value, in the wrapping uint32 arithmetic of
// the timer, compared with a setting that the user may have set negative: a
// negative limit is simply always exceeded.
bool MoreThan(uint32_t e, uint32_t since, int32_t limit)
{
    return static_cast<int64_t>(e - since) > static_cast<int64_t>(limit);
}

int32_t DecimalValue(const TShortString& digits)
{
    int32_t value = 0;
    for (uint8_t i = 0; i < digits.Length; ++i)
        value = value * 10 + (digits.Chars[i] - '0');
    return value;
}

// The operators as the task shows them, in Windows-1252: the multiplication
// sign is the bullet, byte 149.
const std::string& OperatorText(char op)
{
    static const std::string plus = " + ";
    static const std::string minus = " - ";
    static const std::string times = Utf8ToCp1252(" • ");
    static const std::string divided = " : ";
    switch (op) {
    case '+': return plus;
    case '-': return minus;
    case '*': return times;
    default: return divided;
    }
}

} // namespace

ZekSimulation::ZekSimulation(ZekState& state, RandomSource& random, MillisecondClock& clock)
    : m_state(state), m_random(random), m_clock(clock)
{
}

void ZekSimulation::SetSettings(const ZekSettings& settings)
{
    m_settings = settings;
    // The step schedule divides by the cycle time; whoever filled the
    // settings, it must not be 0 here.
    if (m_settings.CycleTime <= 0)
        m_settings.CycleTime = kDefaultCycleTime;
}

double ZekSimulation::Margin() const { return m_settings.Size / 5.0 * 4.0; }

void ZekSimulation::Init()
{
    ZekState& s = m_state;
    s.TargetX = s.TargetY = s.CursorX = s.CursorY = s.VTargetY = s.VCursorY = kStartPosition;
    s.TargetXDrawn = s.TargetYDrawn = s.CursorXDrawn = s.CursorYDrawn = kStartPosition;
    s.VTargetYDrawn = s.VCursorYDrawn = kStartPosition;
    s.Light = 0;
    s.TaskText.Length = 0;
    s.Samples2D = s.Hits2D = s.SamplesV = s.HitsV = 0;
    s.LightsShown = s.LightsAnswered = s.TasksDone = s.TasksCorrect = 0;
    m_finished = false;
    if (m_view) {
        m_view->LoadImages();
        m_view->PaintAll(m_state);
    }
}

void ZekSimulation::Resize()
{
    if (m_view)
        m_view->LoadImages();
}

void ZekSimulation::Paint()
{
    // The full repaint counts as painting too: the paint interval stretches
    // for it as for the tracking fields.
    const uint32_t start = m_clock.NowMs();
    if (m_view)
        m_view->PaintAll(m_state);
    m_state.PaintDuration = m_clock.NowMs() - start;
}

void ZekSimulation::Stop()
{
    if (m_view)
        m_view->Release();
}

TickOutcome ZekSimulation::Tick(uint32_t e, uint32_t durationMs, const Joysticks& joysticks)
{
    // The end is decided before anything is drawn: the first tick that
    // reaches or passes the duration ends the test, and only once, so a
    // repeated final tick neither writes a second record nor advances the
    // host's run a second time, and a tick that skipped the exact time
    // still ends it.
    if (e >= durationMs) {
        const bool first = !m_finished;
        m_finished = true;
        // The screen is still refreshed on the last tick and on any late
        // one; a failure to draw must not cost the result.
        if (e % kFullRepaintPeriod == 0) {
            try {
                Paint();
            } catch (const std::exception& error) {
                std::fprintf(stderr, "ZEK: the last repaint failed: %s\n", error.what());
            }
        }
        return first ? TickOutcome::Finished : TickOutcome::Over;
    }
    if (e % kFullRepaintPeriod == 0)
        Paint();

    const auto cycle = static_cast<uint32_t>(m_settings.CycleTime);
    const bool stepDue = e % cycle == 0;
    if (stepDue)
        SimulationStep(e, joysticks);

    // Slow painting stretches the paint interval in whole steps, so that the
    // simulation keeps its rate while the screen follows as it can. Computed
    // in 64 bits and capped: a restored PaintDuration may hold anything, and
    // the interval is a divisor.
    if (m_settings.PaintTime == 0 && stepDue) {
        const int64_t interval = (static_cast<int64_t>(m_state.PaintDuration / 5) + 1) * m_settings.CycleTime;
        m_paintInterval = static_cast<int32_t>(std::min<int64_t>(interval, std::numeric_limits<int32_t>::max()));
    }
    if (e % static_cast<uint32_t>(m_paintInterval) == 0)
        PaintTrackingFields();
    return TickOutcome::Running;
}

void ZekSimulation::PaintTrackingFields()
{
    const uint32_t start = m_clock.NowMs();
    if (m_view)
        m_view->PaintTrackingFields(m_state);
    m_state.PaintDuration = m_clock.NowMs() - start;

    ZekState& s = m_state;
    s.VTargetYDrawn = s.VTargetY;
    s.VCursorYDrawn = s.VCursorY;
    s.TargetXDrawn = s.TargetX;
    s.TargetYDrawn = s.TargetY;
    s.CursorXDrawn = s.CursorX;
    s.CursorYDrawn = s.CursorY;
}

void ZekSimulation::SimulationStep(uint32_t e, const Joysticks& joysticks)
{
    CloseTaskIfDue(e);
    SwitchLightOffIfDue(e);
    MaybeShowLight(e);
    MaybeShowTask(e);
    TrackingStep(joysticks);
}

void ZekSimulation::CloseTaskIfDue(uint32_t e)
{
    ZekState& s = m_state;
    if (s.TaskText.Length == 0)
        return;
    const bool idleAfterKey = s.LastKeyTime != kNoKeyTime && e - s.LastKeyTime > kAnswerIdleTime;
    if (!idleAfterKey && !MoreThan(e, s.TaskStartTime, m_settings.MathTime))
        return;
    if (s.AnswerText.Length != 0 && DecimalValue(s.AnswerText) == s.TaskResult)
        ++s.TasksCorrect;
    ++s.TasksDone;
    s.TaskText.Length = 0;
    s.AnswerText.Length = 0;
    RequestArithmetic();
}

void ZekSimulation::SwitchLightOffIfDue(uint32_t e)
{
    // An unanswered light counts nothing: it is simply missing from
    // LightsAnswered.
    if (MoreThan(e, m_state.LightOnTime, m_settings.FKeysTime) && m_state.Light != 0) {
        m_state.Light = 0;
        RequestLights();
    }
}

void ZekSimulation::MaybeShowLight(uint32_t e)
{
    // The draw happens on every step, light or no light, so the sequence of
    // random numbers does not depend on the lights' state.
    const int32_t r = m_random.Below(m_settings.FKeysInterval);
    if ((r == 0 && m_state.Light == 0) || (e == kForcedLightTime && m_state.LightsShown == 0)) {
        m_state.Light = m_random.Below(4) + 1;
        m_state.LightOnTime = e;
        ++m_state.LightsShown;
        RequestLights();
    }
}

void ZekSimulation::MaybeShowTask(uint32_t e)
{
    const int32_t r = m_random.Below(m_settings.MathInterval);
    // The forced task replaces one still open at that moment; the replaced
    // task is not counted.
    if ((r == 0 && m_state.TaskText.Length == 0) || (e == kForcedTaskTime && m_state.TasksDone == 0)) {
        BuildTask();
        m_state.AnswerText.Length = 0;
        m_state.TaskStartTime = e;
        m_state.LastKeyTime = kNoKeyTime;
        RequestArithmetic();
    }
}

void ZekSimulation::BuildTask()
{
    // The numbers are drawn in the order they are listed for each kind;
    // every result is at least 1, so an answer of 0 is always wrong.
    auto below = [this](int32_t n) { return m_random.Below(n); };
    int32_t a = 0, b = 0, d = 0, result = 0;
    std::string text;
    auto number = [&text](int32_t n) { text += std::to_string(n); };

    switch (below(7) + 1) {
    case 1:
        a = below(100) + 1;
        b = below(10) + 1;
        result = a + b;
        number(a), text += OperatorText('+'), number(b);
        break;
    case 2:
        a = below(100) + 3;
        b = below(a - 2) + 1;
        result = a - b;
        number(a), text += OperatorText('-'), number(b);
        break;
    case 3:
        a = below(10) + 1;
        b = below(10) + 1;
        result = a * b;
        number(a), text += OperatorText('*'), number(b);
        break;
    case 4: {
        const int32_t quotient = below(10) + 1;
        b = below(10) + 1;
        a = b * quotient;
        result = quotient;
        number(a), text += OperatorText(':'), number(b);
        break;
    }
    case 5:
        a = below(10) + 1;
        b = below(10) + 1;
        d = below(10) + 1;
        result = a + b * d;
        number(a), text += OperatorText('+'), number(b), text += OperatorText('*'), number(d);
        break;
    case 6:
        a = below(10) + 1;
        b = below(10) + 1;
        d = below(10);
        result = a * b + d;
        number(a), text += OperatorText('*'), number(b), text += OperatorText('+'), number(d);
        break;
    default:
        a = below(100) + 1;
        b = below(10) + 1;
        d = below(10) + 1;
        result = a + b + d;
        number(a), text += OperatorText('+'), number(b), text += OperatorText('+'), number(d);
        break;
    }
    text += " = ?";
    SetShortString(m_state.TaskText, text);
    m_state.TaskResult = result;
}

void ZekSimulation::TrackingStep(const Joysticks& joysticks)
{
    ZekState& s = m_state;
    const ZekSettings& cfg = m_settings;
    const double margin = Margin();

    const int32_t turn2D = m_random.Below(200);
    s.Heading += (100 - turn2D) / 100.0 * cfg.RASpeed;
    const int32_t turnV = m_random.Below(200);
    s.VHeading += (100 - turnV) / 100.0 * cfg.LASpeed;

    s.TargetX += std::sin(s.Heading) * cfg.RCSpeed;
    s.TargetY += std::cos(s.Heading) * cfg.RCSpeed;
    s.VTargetY += std::cos(s.VHeading) * cfg.LCSpeed;

    // A target beyond a turning line gets a fixed heading but is not moved
    // back: it leaves along that heading, and in a corner the later test
    // wins. Being exactly on the line is not beyond it.
    if (s.TargetX < margin)
        s.Heading = kHeadingRight;
    if (s.TargetY < margin)
        s.Heading = kHeadingDown;
    if (s.TargetX > kField2DWidth - margin)
        s.Heading = kHeadingLeft;
    if (s.TargetY > kFieldHeight - margin)
        s.Heading = kHeadingUp;
    if (s.VTargetY < margin)
        s.VHeading = kHeadingDown;
    if (s.VTargetY > kFieldHeight - margin)
        s.VHeading = kHeadingUp;

    // Pushing the first joystick forward (negative) moves the 2-D cursor
    // down the screen; pushing the second forward moves its cursor up.
    s.CursorX += joysticks.Joy1X * cfg.JoySpeed;
    s.CursorY -= joysticks.Joy1Y * cfg.JoySpeed;
    if (s.CursorX < margin)
        s.CursorX = margin;
    if (s.CursorY < margin)
        s.CursorY = margin;
    if (s.CursorX > kField2DWidth - margin)
        s.CursorX = kField2DWidth - margin;
    if (s.CursorY > kFieldHeight - margin)
        s.CursorY = kFieldHeight - margin;
    s.VCursorY += joysticks.Joy2Y * cfg.JoySpeed;
    if (s.VCursorY < margin)
        s.VCursorY = margin;
    if (s.VCursorY > kFieldHeight - margin)
        s.VCursorY = kFieldHeight - margin;

    // The hit radius is a whole sprite width; exactly SIZE away is a miss.
    const double size = cfg.Size;
    ++s.Samples2D;
    ++s.SamplesV;
    const double dx = s.TargetX - s.CursorX;
    const double dy = s.TargetY - s.CursorY;
    if (size > std::sqrt(dx * dx + dy * dy))
        ++s.Hits2D;
    if (size > std::fabs(s.VTargetY - s.VCursorY))
        ++s.HitsV;
}

void ZekSimulation::KeyDown(uint32_t key, uint32_t e)
{
    ZekState& s = m_state;
    if (key >= kKeyNumpad0 && key <= kKeyNumpad0 + 9) {
        AppendDigit(key - kKeyNumpad0, e);
    } else if (key >= kKeyDigit0 && key <= kKeyDigit0 + 9) {
        AppendDigit(key - kKeyDigit0, e);
    } else if (key == kKeyBackspace && s.AnswerText.Length != 0) {
        // Backspace on an empty answer is no key at all: it does not restart
        // the idle wait.
        --s.AnswerText.Length;
        RequestArithmetic();
        s.LastKeyTime = e;
    } else if (s.Light >= 1 && s.Light <= 4 && key == kKeyF1 - 1 + static_cast<uint32_t>(s.Light)) {
        s.Light = 0;
        ++s.LightsAnswered;
        RequestLights();
    }
}

void ZekSimulation::AppendDigit(uint32_t digit, uint32_t e)
{
    // Digits are taken also while no task is shown; they stay invisible and
    // go when the next task comes.
    TShortString& answer = m_state.AnswerText;
    if (answer.Length >= kMaxAnswerDigits)
        return;
    answer.Chars[answer.Length] = static_cast<uint8_t>('0' + digit);
    ++answer.Length;
    RequestArithmetic();
    m_state.LastKeyTime = e;
}

void ZekSimulation::RequestLights()
{
    if (m_view)
        m_view->PaintLights(m_state);
}

void ZekSimulation::RequestArithmetic()
{
    if (m_view)
        m_view->PaintArithmetic(m_state);
}

} // namespace kestrava::zek
