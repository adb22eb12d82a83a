// The Mehrfachreaktion module's settings, read from MFR.ini beside the
// module: each key with its default and the range a value is held to.
#pragma once

#include "modules/kit/Settings.h"

#include <cstdint>
#include <string>

namespace kestrava::mfr {

using kit::kMaxCountdown;
using kit::kShortestDuration;
using kit::kShortestMaximum;
inline constexpr int32_t kShortestWindow = 100;  // FASTEST and SLOWEST: 100 ms
inline constexpr int32_t kLongestWindow = 60000; // to 60 s

namespace keys {
using kit::IntKey;
// [GLOBAL]: the times, held together by kit::ClampTestTimes.
inline constexpr IntKey kMin{"GLOBAL", "MIN", 60000, kShortestDuration, kit::kNoLimit};
inline constexpr IntKey kMax{"GLOBAL", "MAX", 3600000, 0, kit::kNoLimit};
inline constexpr IntKey kDefault{"GLOBAL", "DEFAULT", 300000, kShortestDuration, kit::kNoLimit};
inline constexpr IntKey kCountdown{"GLOBAL", "COUNTDOWN", 3000, 0, kMaxCountdown};
inline constexpr IntKey kSeed{"GLOBAL", "SEED", 0, INT32_MIN, INT32_MAX}; // 0 = a new sequence every test
// [PACE], ms. SLOWEST is not below FASTEST, START lies between them.
inline constexpr IntKey kStart{"PACE", "START", 2000, kShortestWindow, kLongestWindow};
inline constexpr IntKey kFastest{"PACE", "FASTEST", 700, kShortestWindow, kLongestWindow};
inline constexpr IntKey kSlowest{"PACE", "SLOWEST", 3000, kShortestWindow, kLongestWindow};
inline constexpr IntKey kFaster{"PACE", "FASTER", 50, 0, 60000};
inline constexpr IntKey kSlower{"PACE", "SLOWER", 200, 0, 60000};
inline constexpr IntKey kGap{"PACE", "GAP", 300, 0, 60000};
inline constexpr IntKey kFirst{"PACE", "FIRST", 1000, 0, 600000};
// [STIMULI]: weights; all 0 gives lamps only.
inline constexpr IntKey kLamps{"STIMULI", "LAMPS", 2, 0, 1000};
inline constexpr IntKey kTones{"STIMULI", "TONES", 1, 0, 1000};
inline constexpr IntKey kBoth{"STIMULI", "BOTH", 1, 0, 1000};
// [TONES]
inline constexpr IntKey kVolume{"TONES", "VOLUME", 65535, 0, 65535};
} // namespace keys

struct MfrSettings {
    int32_t MinDuration = keys::kMin.Default;         // ms
    int32_t MaxDuration = keys::kMax.Default;         // ms, 0 = no limit
    int32_t DefaultDuration = keys::kDefault.Default; // ms
    int32_t Countdown = keys::kCountdown.Default;     // ms
    int32_t Seed = keys::kSeed.Default;
    int32_t Start = keys::kStart.Default;     // window of the first stimulus
    int32_t Fastest = keys::kFastest.Default; // the shortest window
    int32_t Slowest = keys::kSlowest.Default; // the longest window
    int32_t Faster = keys::kFaster.Default;   // ms less after a correct answer
    int32_t Slower = keys::kSlower.Default;   // ms more after an error or a miss
    int32_t Gap = keys::kGap.Default;         // ms of darkness after a window
    int32_t First = keys::kFirst.Default;     // ms from the start to the first stimulus
    int32_t Lamps = keys::kLamps.Default;     // a lamp alone
    int32_t Tones = keys::kTones.Default;     // a tone alone
    int32_t Both = keys::kBoth.Default;       // a lamp and a tone together
    int32_t Volume = keys::kVolume.Default;   // before the user's own volume
};

// Reads the settings from an INI file (kit::SettingsFile) and holds them to
// their ranges (ClampMfrSettings).
MfrSettings ReadMfrSettings(const std::string& iniPath);

// Holds every value to its key's range, the times together
// (kit::ClampTestTimes), SLOWEST not below FASTEST, START between them, and
// at least one kind of stimulus.
MfrSettings ClampMfrSettings(MfrSettings settings);

} // namespace kestrava::mfr
