// The ZEK module's settings, read from the INI file beside the module.
#pragma once

#include <cstdint>
#include <string>

namespace kestrava::zek {

inline constexpr int32_t kDefaultCycleTime = 20;

// The ranges a settings file is held to. The pictures are sized from SIZE
// and the positions move by the speeds, so values beyond these would ask for
// pictures larger than any screen or positions beyond int32 pixels.
inline constexpr int32_t kMaxCountdown = 600000; // COUNTDOWN: 0 to 10 min
// Durations are milliseconds; a file written in seconds (MIN=10) must not
// cut a run into segments of hundredths, each with its title, countdown and
// result.
inline constexpr int32_t kShortestDuration = 1000; // MIN, DEFAULT: at least 1 s
inline constexpr int32_t kShortestMaximum = 60000; // MAX: 0 (no limit) or at least 1 min and MIN
inline constexpr int32_t kMinSize = 4;           // SIZE: 4 to 100 units, the
inline constexpr int32_t kMaxSize = 100;         // narrow field's width
inline constexpr double kMaxSpeed = 100.0;       // LC/RC/JOYSPEED: 0 to 100000
inline constexpr double kMaxTurn = 6.2832;       // LA/RASPEED: 0 to 6283 (a full turn)

struct ZekSettings {
    // [GLOBAL]
    int32_t MinDuration = 60000;       // MIN, ms
    int32_t MaxDuration = 7200000;     // MAX, ms
    int32_t DefaultDuration = 600000;  // DEFAULT, ms
    int32_t Countdown = 2000;          // COUNTDOWN, ms
    int32_t CycleTime = kDefaultCycleTime;  // CYCLETIME, ms between simulation steps; always > 0
    // [TRACKLING]
    int32_t PaintTime = 0;             // PAINTTIME: 0 adapts the paint interval, anything else keeps 20 ms
    int32_t Size = 60;                 // SIZE: sprite edge and hit radius, logical units
    double LCSpeed = 4.0;              // LCSPEED / 1000: vertical target, units per step
    double LASpeed = 0.2;              // LASPEED / 1000: vertical target's largest turn per step, rad
    double RCSpeed = 3.0;              // RCSPEED / 1000: 2-D target, units per step
    double RASpeed = 0.2;              // RASPEED / 1000: 2-D target's largest turn per step, rad
    double JoySpeed = 1.0;             // JOYSPEED / 1000: units per step per unit of deflection
    // [FKEYS]
    int32_t FKeysInterval = 300;       // INTERVAL: a light comes with chance 1 in this per step
    int32_t FKeysTime = 3000;          // TIME: an unanswered light goes off after this, ms
    // [MATH]
    int32_t MathInterval = 300;        // INTERVAL: a task comes with chance 1 in this per step
    int32_t MathTime = 20000;          // TIME: a task closes after this at the latest, ms
};

// Reads the settings from an INI file. A missing file, section or key, or a
// value that is not a decimal integer, gives the default. A CYCLETIME of 0 or
// less would make the step schedule divide by zero, so it too gives the
// default. Every other value is held to its range (ClampZekSettings).
ZekSettings ReadZekSettings(const std::string& iniPath);

// Holds the settings to the ranges above; a negative countdown counts as
// none, a MAX of 0 or less as no limit, DEFAULT lies between MIN and MAX,
// and a light or task comes with a chance of at most 1 in 1.
ZekSettings ClampZekSettings(ZekSettings settings);

} // namespace kestrava::zek
