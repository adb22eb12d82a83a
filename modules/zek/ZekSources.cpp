#include "modules/zek/ZekSources.h"

#include "platform/gdi/Clock.h"

#include <chrono>

namespace kestrava::zek {

int32_t SeededRandom::Below(int32_t n)
{
    if (n <= 0)
        return 0;
    std::uniform_int_distribution<int32_t> range(0, n - 1);
    return range(m_engine);
}

uint32_t SystemClock::NowMs() { return TimeGetTime(); }

uint64_t ClockSeed()
{
    // Wall-clock nanoseconds: two tests started in the same millisecond of
    // the monotonic timer (which restarts with each boot) still differ.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

} // namespace kestrava::zek
