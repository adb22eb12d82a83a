// The Fluglage test's item and state block.
//
// The host copies the block byte for byte into a suspended run's file and
// back on resume, so its layout is a stored format: every offset and the size
// are pinned below. A failing assert means a field moved and saved runs would
// come back scrambled: fix the struct, never the assert.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kestrava::lage {

// An attitude in the steps the test uses: Bank -3 to 3 (15 degrees each,
// positive = right wing down), Pitch -1 (nose down), 0 (level), 1 (nose up),
// Heading 0 to 7 (45 degrees each, clockwise from north: 2 = east).
struct LagePose {
    int32_t Bank;
    int32_t Pitch;
    int32_t Heading;
    constexpr bool operator==(const LagePose&) const = default;
};

inline constexpr int32_t kBankSteps = 3;      // up to 45 degrees each way
inline constexpr int32_t kBankStepDegrees = 15;
inline constexpr int32_t kHeadings = 8;
inline constexpr int32_t kPictures = 4;

// One item: the instruments show Shown; picture Answer (0 to 3, key 1 to 4)
// is the aircraft in that attitude, every other differs from it and from
// each other.
struct LageItem {
    LagePose Shown;
    LagePose Pictures[kPictures];
    int32_t Answer;
};

enum Phase : int32_t {
    kPhaseWaiting = 0,  // no item on show; the next comes at NextAt
    kPhaseShowing = 1,  // Item is on show since ShownAt
};

enum Outcome : int32_t {
    kOutcomeNone = 0,
    kOutcomeCorrect = 1,
    kOutcomeWrong = 2,
    kOutcomeMissed = 3,  // the time for the item ran out
};

struct LageState {
    uint64_t RandomState;  // the random sequence's position (SplitMix64)
    uint64_t TimeSumMs;    // sum of the answer times of answered items
    LageItem Item;         // the item on show, or the last one
    int32_t Phase;         // a Phase value
    uint32_t ShownAt;      // ElapsedMs when the item came
    uint32_t NextAt;       // ElapsedMs when the next item is due
    int32_t Correct;
    int32_t Wrong;
    int32_t Missed;
    int32_t LastOutcome;   // an Outcome value, shown until the next answer
    uint32_t Reserved;     // not significant
};

static_assert(std::is_standard_layout_v<LageState> && std::is_trivially_copyable_v<LageState>);
static_assert(sizeof(LagePose) == 12 && sizeof(LageItem) == 64);
static_assert(offsetof(LageState, RandomState) == 0);
static_assert(offsetof(LageState, TimeSumMs) == 8);
static_assert(offsetof(LageState, Item) == 16);
static_assert(offsetof(LageState, Item.Answer) == 76);
static_assert(offsetof(LageState, Phase) == 80);
static_assert(offsetof(LageState, ShownAt) == 84);
static_assert(offsetof(LageState, NextAt) == 88);
static_assert(offsetof(LageState, Correct) == 92);
static_assert(offsetof(LageState, Wrong) == 96);
static_assert(offsetof(LageState, Missed) == 100);
static_assert(offsetof(LageState, LastOutcome) == 104);
static_assert(offsetof(LageState, Reserved) == 108);
static_assert(sizeof(LageState) == 112, "the state block is 112 bytes");

} // namespace kestrava::lage
