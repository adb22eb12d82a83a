#include "modules/kit/Random.h"

#include <chrono>

namespace kestrava::kit {

uint64_t BlockRandom::Next(uint64_t& position)
{
    position += 0x9E3779B97F4A7C15ull;
    uint64_t z = position;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int32_t BlockRandom::Below(int32_t n)
{
    if (n <= 0)
        return 0;
    // The upper 32 bits scaled to the range: the bias is below 2^-32 for
    // the small ranges a test draws from.
    const uint64_t high = Next(m_position) >> 32;
    return static_cast<int32_t>((high * static_cast<uint64_t>(n)) >> 32);
}

double BlockRandom::Unit() { return static_cast<double>(Next(m_position) >> 11) * 0x1.0p-53; }

uint64_t ClockSeed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

} // namespace kestrava::kit
