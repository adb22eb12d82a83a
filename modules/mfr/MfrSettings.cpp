#include "modules/mfr/MfrSettings.h"

#include <algorithm>
#include <utility>

namespace kestrava::mfr {

MfrSettings ClampMfrSettings(MfrSettings s)
{
    using namespace keys;
    const kit::TestTimes times = kit::ClampTestTimes({s.MinDuration, s.MaxDuration, s.DefaultDuration, s.Countdown});
    s.MinDuration = times.MinDuration;
    s.MaxDuration = times.MaxDuration;
    s.DefaultDuration = times.DefaultDuration;
    s.Countdown = times.Countdown;
    s.Fastest = kFastest.Clamp(s.Fastest);
    s.Slowest = std::max(kSlowest.Clamp(s.Slowest), s.Fastest);
    s.Start = std::clamp(kStart.Clamp(s.Start), s.Fastest, s.Slowest);
    s.Faster = kFaster.Clamp(s.Faster);
    s.Slower = kSlower.Clamp(s.Slower);
    s.Gap = kGap.Clamp(s.Gap);
    s.First = kFirst.Clamp(s.First);
    s.Lamps = kLamps.Clamp(s.Lamps);
    s.Tones = kTones.Clamp(s.Tones);
    s.Both = kBoth.Clamp(s.Both);
    if (s.Lamps + s.Tones + s.Both == 0)
        s.Lamps = 1;
    s.Volume = kVolume.Clamp(s.Volume);
    return s;
}

MfrSettings ReadMfrSettings(const std::string& iniPath)
{
    using namespace keys;
    const kit::SettingsFile file(iniPath);
    MfrSettings s;
    const std::pair<const kit::IntKey&, int32_t&> fields[] = {
        {kMin, s.MinDuration}, {kMax, s.MaxDuration}, {kDefault, s.DefaultDuration}, {kCountdown, s.Countdown},
        {kSeed, s.Seed},       {kStart, s.Start},     {kFastest, s.Fastest},         {kSlowest, s.Slowest},
        {kFaster, s.Faster},   {kSlower, s.Slower},   {kGap, s.Gap},                 {kFirst, s.First},
        {kLamps, s.Lamps},     {kTones, s.Tones},     {kBoth, s.Both},               {kVolume, s.Volume}};
    for (const auto& [key, field] : fields)
        field = file.Raw(key);
    return ClampMfrSettings(s);
}

} // namespace kestrava::mfr
