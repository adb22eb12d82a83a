// The ZEK test's state block.
//
// The host copies this block byte for byte into a suspended run's file and
// back on resume, so its layout is a stored format: every offset and the size
// are pinned below. A failing assert means a field moved and saved runs would
// come back scrambled: fix the struct, never the assert.
#pragma once

#include "protocol/MyMessages.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kestrava::zek {

// LastKeyTime when no digit or backspace has come since the task was shown.
inline constexpr uint32_t kNoKeyTime = 0xFFFFFFFFu;
// The fields the positions lie in, in logical units: the 2-D field is
// kField2DWidth wide, both are kFieldHeight high; MSG_INIT puts every target
// and cursor at kStartPosition.
inline constexpr double kField2DWidth = 640.0;
inline constexpr double kFieldHeight = 430.0;
inline constexpr double kStartPosition = 300.0;
// An answer holds at most this many digits.
inline constexpr uint8_t kMaxAnswerDigits = 5;

struct ZekState {
    // Reaction lights and arithmetic. Times are ElapsedMs values.
    int32_t Light;            // 0 = off, 1-4 = the light for F1-F4 is on
    uint32_t LightOnTime;
    TShortString TaskText;    // Windows-1252; empty = no task shown
    TShortString AnswerText;  // the digits typed so far, at most 5
    int32_t TaskResult;
    uint32_t LastKeyTime;     // kNoKeyTime = no key since the task was shown
    uint32_t TaskStartTime;
    uint32_t Reserved1;       // not significant

    // Tracking, in logical units inside each field; headings in radians.
    double VTargetY;
    double VCursorY;
    double VHeading;
    double VTargetYDrawn;     // positions as of the last paint of the fields
    double VCursorYDrawn;
    double TargetX;
    double TargetY;
    double Heading;
    double CursorX;
    double CursorY;
    double TargetXDrawn;
    double TargetYDrawn;
    double CursorXDrawn;
    double CursorYDrawn;
    uint32_t PaintDuration;   // ms the last paint (tracking fields or full) took

    // Counters that make up the result.
    int32_t Samples2D;
    int32_t Hits2D;
    int32_t SamplesV;
    int32_t HitsV;
    int32_t LightsShown;
    int32_t LightsAnswered;
    int32_t TasksDone;
    int32_t TasksCorrect;
    uint32_t Reserved2;       // not significant
};

static_assert(std::is_standard_layout_v<ZekState> && std::is_trivially_copyable_v<ZekState>);
static_assert(offsetof(ZekState, Light) == 0);
static_assert(offsetof(ZekState, LightOnTime) == 4);
static_assert(offsetof(ZekState, TaskText) == 8);
static_assert(offsetof(ZekState, AnswerText) == 264);
static_assert(offsetof(ZekState, TaskResult) == 520);
static_assert(offsetof(ZekState, LastKeyTime) == 524);
static_assert(offsetof(ZekState, TaskStartTime) == 528);
static_assert(offsetof(ZekState, Reserved1) == 532);
static_assert(offsetof(ZekState, VTargetY) == 536);
static_assert(offsetof(ZekState, VCursorY) == 544);
static_assert(offsetof(ZekState, VHeading) == 552);
static_assert(offsetof(ZekState, VTargetYDrawn) == 560);
static_assert(offsetof(ZekState, VCursorYDrawn) == 568);
static_assert(offsetof(ZekState, TargetX) == 576);
static_assert(offsetof(ZekState, TargetY) == 584);
static_assert(offsetof(ZekState, Heading) == 592);
static_assert(offsetof(ZekState, CursorX) == 600);
static_assert(offsetof(ZekState, CursorY) == 608);
static_assert(offsetof(ZekState, TargetXDrawn) == 616);
static_assert(offsetof(ZekState, TargetYDrawn) == 624);
static_assert(offsetof(ZekState, CursorXDrawn) == 632);
static_assert(offsetof(ZekState, CursorYDrawn) == 640);
static_assert(offsetof(ZekState, PaintDuration) == 648);
static_assert(offsetof(ZekState, Samples2D) == 652);
static_assert(offsetof(ZekState, Hits2D) == 656);
static_assert(offsetof(ZekState, SamplesV) == 660);
static_assert(offsetof(ZekState, HitsV) == 664);
static_assert(offsetof(ZekState, LightsShown) == 668);
static_assert(offsetof(ZekState, LightsAnswered) == 672);
static_assert(offsetof(ZekState, TasksDone) == 676);
static_assert(offsetof(ZekState, TasksCorrect) == 680);
static_assert(offsetof(ZekState, Reserved2) == 684);
static_assert(sizeof(ZekState) == 688, "the state block is 688 bytes");

// Checks a block the host has copied in on resume (a saved run's file is
// untrusted) and corrects it in place, before the module uses it. elapsedMs
// is the test time the run resumes at. The rules, one per field:
// - Light 0 to 4 (else 0), and off when no light was counted as shown;
// - LightOnTime, TaskStartTime and LastKeyTime (unless kNoKeyTime) not
//   after elapsedMs;
// - TaskText a task as the module writes it ("a op b [op c] = ?"), else no
//   task; TaskResult then that task's value;
// - AnswerText at most kMaxAnswerDigits digits, cut at anything else;
// - every position a number inside its field (not a number: kStartPosition);
// - headings finite (else 0), and large ones brought back to one turn;
// - PaintDuration at most kLongestPaintMs;
// - counts not negative and not above one per 10 ms tick up to elapsedMs;
//   hits not above their trials, answered lights not above the lights shown
//   (less the one still on), correct tasks not above the tasks done.
// The reserved fields are not significant and stay as they are.
inline constexpr uint32_t kLongestPaintMs = 1000;
void CorrectRestoredState(ZekState& state, uint32_t elapsedMs);

} // namespace kestrava::zek
