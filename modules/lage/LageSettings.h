// The Fluglage test's settings, read from LAGE.ini beside the module: each
// key with its default and the range a value is held to.
#pragma once

#include "modules/kit/Settings.h"

#include <cstdint>
#include <string>

namespace kestrava::lage {

namespace keys {
using kit::IntKey;
// [GLOBAL]: the times, held together by kit::ClampTestTimes.
inline constexpr IntKey kMin{"GLOBAL", "MIN", 60000, kit::kShortestDuration, kit::kNoLimit};
inline constexpr IntKey kMax{"GLOBAL", "MAX", 3600000, 0, kit::kNoLimit};
inline constexpr IntKey kDefault{"GLOBAL", "DEFAULT", 300000, kit::kShortestDuration, kit::kNoLimit};
inline constexpr IntKey kCountdown{"GLOBAL", "COUNTDOWN", 3000, 0, kit::kMaxCountdown};
inline constexpr IntKey kSeed{"GLOBAL", "SEED", 0, INT32_MIN, INT32_MAX}; // 0 = new items every test
// [ITEMS], ms.
inline constexpr IntKey kLimit{"ITEMS", "LIMIT", 10000, 1000, 60000};
inline constexpr IntKey kGap{"ITEMS", "GAP", 500, 0, 5000};
} // namespace keys

struct LageSettings {
    int32_t MinDuration = keys::kMin.Default;
    int32_t MaxDuration = keys::kMax.Default;
    int32_t DefaultDuration = keys::kDefault.Default;
    int32_t Countdown = keys::kCountdown.Default;
    int32_t Seed = keys::kSeed.Default;
    int32_t Limit = keys::kLimit.Default;  // time for one item
    int32_t Gap = keys::kGap.Default;      // empty screen between two items
};

// Holds every value to its key's range, the times together.
LageSettings ClampLageSettings(LageSettings settings);
// Reads the file (kit::SettingsFile) and clamps.
LageSettings ReadLageSettings(const std::string& iniPath);

} // namespace kestrava::lage
