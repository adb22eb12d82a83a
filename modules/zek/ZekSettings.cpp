#include "modules/zek/ZekSettings.h"

#include "platform/gdi/IniFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace kestrava::zek {

namespace {
double Thousandths(const IniFile& ini, const char* section, const char* key, double defaultValue)
{
    // The default goes through the same division as a read value, so a
    // missing key and a key holding the default give the same double.
    const auto defaultThousandths = static_cast<int32_t>(std::lround(defaultValue * 1000.0));
    return ini.ReadInteger(section, key, defaultThousandths) / 1000.0;
}
} // namespace

ZekSettings ClampZekSettings(ZekSettings s)
{
    const auto bound = [](auto& value, auto low, auto high) {
        value = std::clamp(value, static_cast<std::remove_reference_t<decltype(value)>>(low),
                           static_cast<std::remove_reference_t<decltype(value)>>(high));
    };
    bound(s.MinDuration, kShortestDuration, std::numeric_limits<int32_t>::max());
    if (s.MaxDuration > 0)
        bound(s.MaxDuration, std::max(kShortestMaximum, s.MinDuration), std::numeric_limits<int32_t>::max());
    else
        s.MaxDuration = 0;
    bound(s.DefaultDuration, s.MinDuration, s.MaxDuration > 0 ? s.MaxDuration : std::numeric_limits<int32_t>::max());
    bound(s.Countdown, 0, kMaxCountdown);
    bound(s.Size, kMinSize, kMaxSize);
    bound(s.LCSpeed, 0.0, kMaxSpeed);
    bound(s.RCSpeed, 0.0, kMaxSpeed);
    bound(s.JoySpeed, 0.0, kMaxSpeed);
    bound(s.LASpeed, 0.0, kMaxTurn);
    bound(s.RASpeed, 0.0, kMaxTurn);
    bound(s.FKeysInterval, 1, std::numeric_limits<int32_t>::max());
    bound(s.MathInterval, 1, std::numeric_limits<int32_t>::max());
    bound(s.FKeysTime, 0, std::numeric_limits<int32_t>::max());
    bound(s.MathTime, 0, std::numeric_limits<int32_t>::max());
    return s;
}

ZekSettings ReadZekSettings(const std::string& iniPath)
{
    const IniFile ini(iniPath);
    const ZekSettings d;
    ZekSettings s;
    s.MinDuration = ini.ReadInteger("GLOBAL", "MIN", d.MinDuration);
    s.MaxDuration = ini.ReadInteger("GLOBAL", "MAX", d.MaxDuration);
    s.DefaultDuration = ini.ReadInteger("GLOBAL", "DEFAULT", d.DefaultDuration);
    s.Countdown = ini.ReadInteger("GLOBAL", "COUNTDOWN", d.Countdown);
    s.CycleTime = ini.ReadInteger("GLOBAL", "CYCLETIME", d.CycleTime);
    if (s.CycleTime <= 0)
        s.CycleTime = kDefaultCycleTime;
    s.PaintTime = ini.ReadInteger("TRACKLING", "PAINTTIME", d.PaintTime);
    s.Size = ini.ReadInteger("TRACKLING", "SIZE", d.Size);
    s.LCSpeed = Thousandths(ini, "TRACKLING", "LCSPEED", d.LCSpeed);
    s.LASpeed = Thousandths(ini, "TRACKLING", "LASPEED", d.LASpeed);
    s.RCSpeed = Thousandths(ini, "TRACKLING", "RCSPEED", d.RCSpeed);
    s.RASpeed = Thousandths(ini, "TRACKLING", "RASPEED", d.RASpeed);
    s.JoySpeed = Thousandths(ini, "TRACKLING", "JOYSPEED", d.JoySpeed);
    s.FKeysInterval = ini.ReadInteger("FKEYS", "INTERVAL", d.FKeysInterval);
    s.FKeysTime = ini.ReadInteger("FKEYS", "TIME", d.FKeysTime);
    s.MathInterval = ini.ReadInteger("MATH", "INTERVAL", d.MathInterval);
    s.MathTime = ini.ReadInteger("MATH", "TIME", d.MathTime);
    return ClampZekSettings(s);
}

} // namespace kestrava::zek
