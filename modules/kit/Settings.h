// A module's settings file (the module's path with the extension ".ini"),
// read key by key with each key's default and range written beside it:
//
//   inline constexpr kit::IntKey kGap{"PACE", "GAP", 300, 0, 60000};
//   struct MySettings { int32_t Gap = kGap.Default; };
//   s.Gap = file.Read(kGap);     // the default, or the value held to 0..60000
//
// A missing file, section or key, or a value that is not a decimal integer
// fitting int32, gives the default; any other value is held to the range
// (never replaced by the default), the way the delivered test reads its file.
// Section and key names compare without regard to case.
#pragma once

#include "platform/gdi/IniFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

namespace kestrava::kit {

inline constexpr int32_t kNoLimit = std::numeric_limits<int32_t>::max();

struct IntKey {
    const char* Section;
    const char* Name;
    int32_t Default;
    int32_t Low;
    int32_t High;
    constexpr int32_t Clamp(int32_t value) const { return std::clamp(value, Low, std::max(Low, High)); }
};

class SettingsFile {
public:
    explicit SettingsFile(const std::string& iniPath) : m_ini(iniPath) {}
    // The key's value held to its range, or its default.
    int32_t Read(const IntKey& key) const { return key.Clamp(Raw(key)); }
    // The key's value as written, or its default; for values whose range
    // depends on others (hold them with Clamp or TestTimes afterwards).
    int32_t Raw(const IntKey& key) const { return m_ini.ReadInteger(key.Section, key.Name, key.Default); }
    bool Loaded() const { return m_ini.Loaded(); }

private:
    IniFile m_ini;
};

// The four times every test answers MSG_INFO with, in ms.
struct TestTimes {
    int32_t MinDuration = 60000;
    int32_t MaxDuration = 3600000;   // 0 = no limit
    int32_t DefaultDuration = 300000;
    int32_t Countdown = 3000;
};

// The ranges the times are held to. Durations are milliseconds; a file
// written in seconds (MIN=10) must not cut a run into segments of
// hundredths, each with its title, countdown and result.
inline constexpr int32_t kShortestDuration = 1000;  // MIN, DEFAULT: at least 1 s
inline constexpr int32_t kShortestMaximum = 60000;  // MAX: 0 (no limit) or at least 1 min and MIN
inline constexpr int32_t kMaxCountdown = 600000;    // COUNTDOWN: 0 to 10 min

// MIN at least 1 s; MAX no limit (0, also for anything below 0) or at least
// 1 min and MIN; DEFAULT between MIN and MAX; COUNTDOWN 0 to 10 min.
TestTimes ClampTestTimes(TestTimes times);
// [GLOBAL] MIN, MAX, DEFAULT and COUNTDOWN with the given defaults, held as
// ClampTestTimes holds them.
TestTimes ReadTestTimes(const SettingsFile& file, const TestTimes& defaults);

} // namespace kestrava::kit
