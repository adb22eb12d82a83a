// The Mehrfachreaktion module's settings, read from MFR.ini beside the
// module.
#pragma once

#include <cstdint>
#include <string>

namespace kestrava::mfr {

// The ranges a settings file is held to.
inline constexpr int32_t kMaxCountdown = 600000;   // COUNTDOWN: 0 to 10 min
inline constexpr int32_t kShortestDuration = 1000;  // MIN, DEFAULT: at least 1 s (values are ms)
inline constexpr int32_t kShortestMaximum = 60000;  // MAX: 0 (no limit) or at least 1 min and MIN
inline constexpr int32_t kShortestWindow = 100;    // FASTEST and SLOWEST: 100 ms
inline constexpr int32_t kLongestWindow = 60000;   // to 60 s
inline constexpr int32_t kMaxStep = 60000;         // FASTER, SLOWER, GAP: 0 to 60 s
inline constexpr int32_t kMaxFirst = 600000;       // FIRST: 0 to 10 min
inline constexpr int32_t kMaxWeight = 1000;        // LAMPS, TONES, BOTH: 0 to 1000

struct MfrSettings {
    // [GLOBAL]
    int32_t MinDuration = 60000;       // MIN, ms
    int32_t MaxDuration = 3600000;     // MAX, ms
    int32_t DefaultDuration = 300000;  // DEFAULT, ms
    int32_t Countdown = 3000;          // COUNTDOWN, ms
    int32_t Seed = 0;                  // SEED: 0 = a new sequence for every test
    // [PACE]
    int32_t Start = 2000;              // START: window of the first stimulus, ms
    int32_t Fastest = 700;             // FASTEST: the shortest window, ms
    int32_t Slowest = 3000;            // SLOWEST: the longest window, ms
    int32_t Faster = 50;               // FASTER: ms less after a correct answer
    int32_t Slower = 200;              // SLOWER: ms more after an error or a miss
    int32_t Gap = 300;                 // GAP: ms of darkness after a window
    int32_t First = 1000;              // FIRST: ms from the start to the first stimulus
    // [STIMULI] how often each kind comes, as weights
    int32_t Lamps = 2;                 // LAMPS: a lamp alone
    int32_t Tones = 1;                 // TONES: a tone alone
    int32_t Both = 1;                  // BOTH: a lamp and a tone together
    // [TONES]
    int32_t Volume = 65535;            // VOLUME: 0 to 65535, scaled by the user's volume
};

// Reads the settings from an INI file. A missing file, section or key, or a
// value that is not a decimal integer, gives the default; every value is then
// held to its range (ClampMfrSettings).
MfrSettings ReadMfrSettings(const std::string& iniPath);

// Holds the settings to their ranges: MIN at least 1 s, MAX no limit (0) or
// at least 1 min and MIN, DEFAULT between them; FASTEST and SLOWEST within 100 ms to
// 60 s with SLOWEST not below FASTEST, START between them, and at least one
// kind of stimulus (all weights 0 give lamps only).
MfrSettings ClampMfrSettings(MfrSettings settings);

} // namespace kestrava::mfr
