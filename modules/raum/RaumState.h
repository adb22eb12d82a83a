// The Raumvorstellung test's state block.
//
// The host copies this block byte for byte into a suspended run's file and
// back on resume, so its layout is a stored format: every offset and the size
// are pinned below; fix the struct, never the asserts. The pair on show is
// not stored as cubes but as the seed it was drawn from (with its
// difficulty and answer), so a resumed test draws the very same figures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kestrava::raum {

// What became of the last pair, shown until the next one comes.
enum Outcome : int32_t {
    kOutcomeNone = 0,
    kOutcomeRight = 1,
    kOutcomeWrong = 2,
    kOutcomeLate = 3,
};

struct RaumState {
    uint64_t RandomState;   // the random sequence's position (SplitMix64)
    uint64_t AnswerSumMs;   // sum of the answer times of the right answers
    uint64_t ItemSeed;      // the pair on show is drawn from it
    uint32_t ShownAt;       // ElapsedMs when the pair came
    uint32_t NextAt;        // ElapsedMs when the next pair is due (none on show)
    int32_t Open;           // 1 while a pair waits for its answer
    int32_t Mirror;         // the pair's right answer: 0 "gleich", 1 "gespiegelt"
    int32_t Difficulty;     // 0 to 100, for the next pair
    int32_t ItemDifficulty; // the difficulty the pair on show was drawn at
    int32_t LastOutcome;    // an Outcome value

    // Counters that make up the result.
    int32_t Items;          // pairs answered or run out
    int32_t Right;
    int32_t Wrong;
    int32_t Late;
    int32_t DifficultySum;  // the difficulties of the counted pairs, added
};

static_assert(std::is_standard_layout_v<RaumState> && std::is_trivially_copyable_v<RaumState>);
static_assert(offsetof(RaumState, RandomState) == 0);
static_assert(offsetof(RaumState, AnswerSumMs) == 8);
static_assert(offsetof(RaumState, ItemSeed) == 16);
static_assert(offsetof(RaumState, ShownAt) == 24);
static_assert(offsetof(RaumState, NextAt) == 28);
static_assert(offsetof(RaumState, Open) == 32);
static_assert(offsetof(RaumState, Mirror) == 36);
static_assert(offsetof(RaumState, Difficulty) == 40);
static_assert(offsetof(RaumState, ItemDifficulty) == 44);
static_assert(offsetof(RaumState, LastOutcome) == 48);
static_assert(offsetof(RaumState, Items) == 52);
static_assert(offsetof(RaumState, Right) == 56);
static_assert(offsetof(RaumState, Wrong) == 60);
static_assert(offsetof(RaumState, Late) == 64);
static_assert(offsetof(RaumState, DifficultySum) == 68);
static_assert(sizeof(RaumState) == 72, "the state block is 72 bytes");

struct RaumSettings;

// Holds a block the host copied in on resume (a saved run is untrusted) to
// what a real run can reach by elapsedMs: flags 0 or 1, the outcome one of
// its values, difficulties 0 to 100; a pair on show came no later than
// elapsedMs, the next one is due at most FIRST or GAP ahead; at most one
// pair per GAP's lowest value, Right and Wrong within Items and Late the
// rest; DifficultySum at most 100 per pair, AnswerSumMs at most the longest
// LIMIT per right answer. RandomState and ItemSeed may hold any value.
void CorrectRestoredState(RaumState& state, const RaumSettings& settings, uint32_t elapsedMs);

} // namespace kestrava::raum
