// Random numbers for a test. The module's source keeps its whole position
// in one 64-bit field of the state block, so a saved and resumed test goes on
// with the very numbers it would have drawn:
//
//   struct MyState { uint64_t RandomState; ... };
//   kit::BlockRandom random(m_state.RandomState);
//   m_state.RandomState = seed;            // at MSG_INIT
//   int32_t lamp = random.Below(4);        // 0 to 3
//
// The logic takes a RandomSource&, so tests hand it scripted numbers.
#pragma once

#include <cstdint>

namespace kestrava::kit {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniform integer from 0 to n - 1; 0 for a bound of 0 or less.
    virtual int32_t Below(int32_t n) = 0;
};

// SplitMix64 on a position owned by the caller (a field of the state block).
class BlockRandom final : public RandomSource {
public:
    explicit BlockRandom(uint64_t& position) : m_position(position) {}
    int32_t Below(int32_t n) override;
    // A uniform double in [0, 1).
    double Unit();
    // The next 64 bits, advancing the position.
    static uint64_t Next(uint64_t& position);

private:
    uint64_t& m_position;
};

// A seed that differs from one test start to the next.
uint64_t ClockSeed();

} // namespace kestrava::kit
