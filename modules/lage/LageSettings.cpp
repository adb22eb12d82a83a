#include "modules/lage/LageSettings.h"

#include <utility>

namespace kestrava::lage {

LageSettings ClampLageSettings(LageSettings s)
{
    const kit::TestTimes t = kit::ClampTestTimes({s.MinDuration, s.MaxDuration, s.DefaultDuration, s.Countdown});
    s.MinDuration = t.MinDuration;
    s.MaxDuration = t.MaxDuration;
    s.DefaultDuration = t.DefaultDuration;
    s.Countdown = t.Countdown;
    s.Limit = keys::kLimit.Clamp(s.Limit);
    s.Gap = keys::kGap.Clamp(s.Gap);
    return s;
}

LageSettings ReadLageSettings(const std::string& iniPath)
{
    using namespace keys;
    const kit::SettingsFile file(iniPath);
    LageSettings s;
    const std::pair<const kit::IntKey&, int32_t&> fields[] = {
        {kMin, s.MinDuration}, {kMax, s.MaxDuration}, {kDefault, s.DefaultDuration}, {kCountdown, s.Countdown},
        {kSeed, s.Seed},       {kLimit, s.Limit},     {kGap, s.Gap}};
    for (const auto& [key, field] : fields)
        field = file.Raw(key);
    return ClampLageSettings(s);
}

} // namespace kestrava::lage
