#include "modules/mfr/MfrSettings.h"

#include "platform/gdi/IniFile.h"

#include <algorithm>
#include <limits>

namespace kestrava::mfr {

MfrSettings ClampMfrSettings(MfrSettings s)
{
    constexpr int32_t kLongest = std::numeric_limits<int32_t>::max();
    s.MinDuration = std::clamp(s.MinDuration, kShortestDuration, kLongest);
    s.MaxDuration = s.MaxDuration > 0 ? std::clamp(s.MaxDuration, std::max(kShortestMaximum, s.MinDuration), kLongest) : 0;
    s.DefaultDuration = std::clamp(s.DefaultDuration, s.MinDuration, s.MaxDuration > 0 ? s.MaxDuration : kLongest);
    s.Countdown = std::clamp(s.Countdown, 0, kMaxCountdown);
    s.Fastest = std::clamp(s.Fastest, kShortestWindow, kLongestWindow);
    s.Slowest = std::clamp(s.Slowest, s.Fastest, kLongestWindow);
    s.Start = std::clamp(s.Start, s.Fastest, s.Slowest);
    s.Faster = std::clamp(s.Faster, 0, kMaxStep);
    s.Slower = std::clamp(s.Slower, 0, kMaxStep);
    s.Gap = std::clamp(s.Gap, 0, kMaxStep);
    s.First = std::clamp(s.First, 0, kMaxFirst);
    s.Lamps = std::clamp(s.Lamps, 0, kMaxWeight);
    s.Tones = std::clamp(s.Tones, 0, kMaxWeight);
    s.Both = std::clamp(s.Both, 0, kMaxWeight);
    if (s.Lamps + s.Tones + s.Both == 0)
        s.Lamps = 1;
    s.Volume = std::clamp(s.Volume, 0, 65535);
    return s;
}

MfrSettings ReadMfrSettings(const std::string& iniPath)
{
    const IniFile ini(iniPath);
    const MfrSettings d;
    MfrSettings s;
    s.MinDuration = ini.ReadInteger("GLOBAL", "MIN", d.MinDuration);
    s.MaxDuration = ini.ReadInteger("GLOBAL", "MAX", d.MaxDuration);
    s.DefaultDuration = ini.ReadInteger("GLOBAL", "DEFAULT", d.DefaultDuration);
    s.Countdown = ini.ReadInteger("GLOBAL", "COUNTDOWN", d.Countdown);
    s.Seed = ini.ReadInteger("GLOBAL", "SEED", d.Seed);
    s.Start = ini.ReadInteger("PACE", "START", d.Start);
    s.Fastest = ini.ReadInteger("PACE", "FASTEST", d.Fastest);
    s.Slowest = ini.ReadInteger("PACE", "SLOWEST", d.Slowest);
    s.Faster = ini.ReadInteger("PACE", "FASTER", d.Faster);
    s.Slower = ini.ReadInteger("PACE", "SLOWER", d.Slower);
    s.Gap = ini.ReadInteger("PACE", "GAP", d.Gap);
    s.First = ini.ReadInteger("PACE", "FIRST", d.First);
    s.Lamps = ini.ReadInteger("STIMULI", "LAMPS", d.Lamps);
    s.Tones = ini.ReadInteger("STIMULI", "TONES", d.Tones);
    s.Both = ini.ReadInteger("STIMULI", "BOTH", d.Both);
    s.Volume = ini.ReadInteger("TONES", "VOLUME", d.Volume);
    return ClampMfrSettings(s);
}

} // namespace kestrava::mfr
