// The Raumvorstellung module's settings, read from RAUM.ini beside the
// module: each key with its default and the range a value is held to.
#pragma once

#include "modules/kit/Settings.h"

#include <cstdint>
#include <string>

namespace kestrava::raum {

inline constexpr int32_t kLongestLimit = 60000; // LIMIT: at most 60 s per item
inline constexpr int32_t kShortestGap = 200;    // GAP: at least 0.2 s between items

namespace keys {
using kit::IntKey;
// [GLOBAL]: the times, held together by kit::ClampTestTimes.
inline constexpr IntKey kMin{"GLOBAL", "MIN", 60000, kit::kShortestDuration, kit::kNoLimit};
inline constexpr IntKey kMax{"GLOBAL", "MAX", 3600000, 0, kit::kNoLimit};
inline constexpr IntKey kDefault{"GLOBAL", "DEFAULT", 300000, kit::kShortestDuration, kit::kNoLimit};
inline constexpr IntKey kCountdown{"GLOBAL", "COUNTDOWN", 3000, 0, kit::kMaxCountdown};
inline constexpr IntKey kSeed{"GLOBAL", "SEED", 0, INT32_MIN, INT32_MAX}; // 0 = new figures every test
// [ITEMS], ms and percent.
inline constexpr IntKey kLimit{"ITEMS", "LIMIT", 10000, 2000, kLongestLimit};
inline constexpr IntKey kGap{"ITEMS", "GAP", 700, kShortestGap, 10000};
inline constexpr IntKey kFirst{"ITEMS", "FIRST", 1000, 0, 60000};
inline constexpr IntKey kMirrored{"ITEMS", "MIRRORED", 50, 0, 100};
// [DIFFICULTY], points of 0 to 100.
inline constexpr IntKey kStart{"DIFFICULTY", "START", 0, 0, 100};
inline constexpr IntKey kHarder{"DIFFICULTY", "HARDER", 10, 0, 100};
inline constexpr IntKey kEasier{"DIFFICULTY", "EASIER", 20, 0, 100};
} // namespace keys

struct RaumSettings {
    int32_t MinDuration = keys::kMin.Default;         // ms
    int32_t MaxDuration = keys::kMax.Default;         // ms, 0 = no limit
    int32_t DefaultDuration = keys::kDefault.Default; // ms
    int32_t Countdown = keys::kCountdown.Default;     // ms
    int32_t Seed = keys::kSeed.Default;
    int32_t Limit = keys::kLimit.Default;       // ms an item may be answered in
    int32_t Gap = keys::kGap.Default;           // ms from an answer to the next item
    int32_t First = keys::kFirst.Default;       // ms from the start to the first item
    int32_t Mirrored = keys::kMirrored.Default; // % of items whose answer is "gespiegelt"
    int32_t Start = keys::kStart.Default;       // difficulty of the first item
    int32_t Harder = keys::kHarder.Default;     // points more after a right answer
    int32_t Easier = keys::kEasier.Default;     // points less after a wrong or late one
};

// Every value held to its key's range, the times together.
RaumSettings ClampRaumSettings(RaumSettings settings);
// The file's values (kit::SettingsFile: a missing key or a value that is no
// whole number gives the default), held by ClampRaumSettings.
RaumSettings ReadRaumSettings(const std::string& iniPath);

} // namespace kestrava::raum
