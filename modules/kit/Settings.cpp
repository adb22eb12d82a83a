#include "modules/kit/Settings.h"

namespace kestrava::kit {

TestTimes ClampTestTimes(TestTimes t)
{
    t.MinDuration = std::clamp(t.MinDuration, kShortestDuration, kNoLimit);
    t.MaxDuration = t.MaxDuration > 0 ? std::clamp(t.MaxDuration, std::max(kShortestMaximum, t.MinDuration), kNoLimit) : 0;
    t.DefaultDuration = std::clamp(t.DefaultDuration, t.MinDuration, t.MaxDuration > 0 ? t.MaxDuration : kNoLimit);
    t.Countdown = std::clamp(t.Countdown, 0, kMaxCountdown);
    return t;
}

TestTimes ReadTestTimes(const SettingsFile& file, const TestTimes& d)
{
    TestTimes t;
    t.MinDuration = file.Raw({"GLOBAL", "MIN", d.MinDuration, 0, 0});
    t.MaxDuration = file.Raw({"GLOBAL", "MAX", d.MaxDuration, 0, 0});
    t.DefaultDuration = file.Raw({"GLOBAL", "DEFAULT", d.DefaultDuration, 0, 0});
    t.Countdown = file.Raw({"GLOBAL", "COUNTDOWN", d.Countdown, 0, 0});
    return ClampTestTimes(t);
}

} // namespace kestrava::kit
