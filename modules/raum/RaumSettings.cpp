#include "modules/raum/RaumSettings.h"

#include <utility>

namespace kestrava::raum {

RaumSettings ClampRaumSettings(RaumSettings s)
{
    using namespace keys;
    const kit::TestTimes times = kit::ClampTestTimes({s.MinDuration, s.MaxDuration, s.DefaultDuration, s.Countdown});
    s.MinDuration = times.MinDuration;
    s.MaxDuration = times.MaxDuration;
    s.DefaultDuration = times.DefaultDuration;
    s.Countdown = times.Countdown;
    s.Limit = kLimit.Clamp(s.Limit);
    s.Gap = kGap.Clamp(s.Gap);
    s.First = kFirst.Clamp(s.First);
    s.Mirrored = kMirrored.Clamp(s.Mirrored);
    s.Start = kStart.Clamp(s.Start);
    s.Harder = kHarder.Clamp(s.Harder);
    s.Easier = kEasier.Clamp(s.Easier);
    return s;
}

RaumSettings ReadRaumSettings(const std::string& iniPath)
{
    using namespace keys;
    const kit::SettingsFile file(iniPath);
    RaumSettings s;
    const std::pair<const kit::IntKey&, int32_t&> fields[] = {
        {kMin, s.MinDuration}, {kMax, s.MaxDuration}, {kDefault, s.DefaultDuration}, {kCountdown, s.Countdown},
        {kSeed, s.Seed},       {kLimit, s.Limit},     {kGap, s.Gap},                 {kFirst, s.First},
        {kMirrored, s.Mirrored}, {kStart, s.Start},   {kHarder, s.Harder},           {kEasier, s.Easier}};
    for (const auto& [key, field] : fields)
        field = file.Raw(key);
    return ClampRaumSettings(s);
}

} // namespace kestrava::raum
