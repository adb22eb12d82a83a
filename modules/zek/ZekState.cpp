#include "modules/zek/ZekState.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrava::zek {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// A heading beyond this many turns is brought back to one turn: far out,
// adding a change of heading would no longer change it.
constexpr double kLargestHeading = 1e6 * kTurn;
// A task's numbers have at most three digits (the largest is 102).
constexpr size_t kMaxTaskDigits = 3;

void HoldCount(int32_t& count, int32_t most) { count = std::clamp(count, 0, std::max(most, 0)); }

void HoldTime(uint32_t& time, uint32_t now) { time = std::min(time, now); }

void HoldPosition(double& position, double extent)
{
    position = std::isfinite(position) ? std::clamp(position, 0.0, extent) : kStartPosition;
}

void HoldHeading(double& heading)
{
    if (!std::isfinite(heading))
        heading = 0.0;
    else if (std::fabs(heading) > kLargestHeading)
        heading = std::remainder(heading, kTurn);
}

// The value of a task as the simulation writes it: two or three numbers of
// one to three digits joined by " + ", " - ", " • " or " : ", then " = ?";
// products and quotients first, a quotient only when it divides evenly.
// Nothing when the text is no such task or its value is not a positive
// answer of at most kMaxAnswerDigits digits.
std::optional<int32_t> TaskValue(const TShortString& task)
{
    std::string_view text(reinterpret_cast<const char*>(task.Chars), task.Length);
    constexpr std::string_view kEnd = " = ?";
    if (!text.ends_with(kEnd))
        return std::nullopt;
    text.remove_suffix(kEnd.size());
    std::vector<int32_t> numbers;
    std::vector<char> operators;
    for (;;) {
        size_t digits = 0;
        int32_t number = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < kMaxTaskDigits)
            number = number * 10 + (text[digits++] - '0');
        if (digits == 0)
            return std::nullopt;
        numbers.push_back(number);
        text.remove_prefix(digits);
        if (text.empty())
            break;
        if (text.size() < 3 || text[0] != ' ' || text[2] != ' ' || std::string_view("+-\x95:").find(text[1]) == std::string_view::npos)
            return std::nullopt;
        operators.push_back(text[1]);
        text.remove_prefix(3);
    }
    if (numbers.size() < 2 || numbers.size() > 3)
        return std::nullopt;
    // Products and quotients, then sums and differences, left to right.
    std::vector<int32_t> terms = {numbers[0]};
    std::vector<char> signs;
    for (size_t i = 0; i < operators.size(); ++i) {
        const int32_t next = numbers[i + 1];
        if (operators[i] == '\x95') {
            terms.back() *= next;
        } else if (operators[i] == ':') {
            if (next == 0 || terms.back() % next != 0)
                return std::nullopt;
            terms.back() /= next;
        } else {
            terms.push_back(next);
            signs.push_back(operators[i]);
        }
    }
    int32_t value = terms[0];
    for (size_t i = 0; i < signs.size(); ++i)
        value += signs[i] == '+' ? terms[i + 1] : -terms[i + 1];
    if (value < 1 || value > 99999)
        return std::nullopt;
    return value;
}

} // namespace

void CorrectRestoredState(ZekState& s, uint32_t elapsedMs)
{
    // The simulation counts at most one step, one light and one task per
    // tick, and ticks come every 10 ms of test time.
    const auto mostEvents = static_cast<int32_t>(elapsedMs / 10 + 1);

    HoldCount(s.Samples2D, mostEvents);
    HoldCount(s.Hits2D, s.Samples2D);
    HoldCount(s.SamplesV, mostEvents);
    HoldCount(s.HitsV, s.SamplesV);
    HoldCount(s.LightsShown, mostEvents);
    if (s.Light < 0 || s.Light > 4 || s.LightsShown == 0)
        s.Light = 0;
    // A light still on was counted as shown and cannot have been answered.
    HoldCount(s.LightsAnswered, s.LightsShown - (s.Light != 0 ? 1 : 0));
    HoldCount(s.TasksDone, mostEvents);
    HoldCount(s.TasksCorrect, s.TasksDone);

    HoldTime(s.LightOnTime, elapsedMs);
    HoldTime(s.TaskStartTime, elapsedMs);
    if (s.LastKeyTime != kNoKeyTime)
        HoldTime(s.LastKeyTime, elapsedMs);

    if (const std::optional<int32_t> value = TaskValue(s.TaskText))
        s.TaskResult = *value;
    else
        s.TaskText.Length = 0;
    uint8_t digits = 0;
    while (digits < s.AnswerText.Length && digits < kMaxAnswerDigits && s.AnswerText.Chars[digits] >= '0' &&
           s.AnswerText.Chars[digits] <= '9')
        ++digits;
    s.AnswerText.Length = digits;

    for (double* y : {&s.VTargetY, &s.VCursorY, &s.VTargetYDrawn, &s.VCursorYDrawn, &s.TargetY, &s.CursorY,
                      &s.TargetYDrawn, &s.CursorYDrawn})
        HoldPosition(*y, kFieldHeight);
    for (double* x : {&s.TargetX, &s.CursorX, &s.TargetXDrawn, &s.CursorXDrawn})
        HoldPosition(*x, kField2DWidth);
    HoldHeading(s.VHeading);
    HoldHeading(s.Heading);
    s.PaintDuration = std::min(s.PaintDuration, kLongestPaintMs);
}

} // namespace kestrava::zek
