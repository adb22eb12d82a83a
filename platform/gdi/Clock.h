#pragma once

#include <cstdint>

namespace kestrava {

// Milliseconds of a monotonic clock, wrapping at 2^32 like the system's
// multimedia timer. Differences taken in uint32 stay right across the wrap.
uint32_t TimeGetTime();

} // namespace kestrava
