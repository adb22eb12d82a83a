// The two outside sources the simulation depends on, the random numbers and
// the millisecond clock, behind small interfaces so that tests can script
// them and the module can use the real ones.
#pragma once

#include <cstdint>
#include <random>

namespace kestrava::zek {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniform integer from 0 to n - 1. A bound of 0 or less (a setting of
    // INTERVAL 0 or below) gives 0 instead of failing.
    virtual int32_t Below(int32_t n) = 0;
};

class MillisecondClock {
public:
    virtual ~MillisecondClock() = default;
    // A wrapping millisecond count; only differences taken in uint32 mean
    // anything.
    virtual uint32_t NowMs() = 0;
};

// The module's random source: a Mersenne twister seeded anew for each test.
class SeededRandom final : public RandomSource {
public:
    void Seed(uint64_t seed) { m_engine.seed(seed); }
    int32_t Below(int32_t n) override;

private:
    std::mt19937_64 m_engine;
};

// The module's clock: the platform's millisecond timer.
class SystemClock final : public MillisecondClock {
public:
    uint32_t NowMs() override;
};

// A seed that differs from one test start to the next.
uint64_t ClockSeed();

} // namespace kestrava::zek
