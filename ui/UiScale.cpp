#include "ui/UiScale.h"

#include <cmath>
#include <cstdlib>

namespace kestrava::ui {

namespace {

double g_scale = 1.0;

bool RoomFor(int32_t width, int32_t height, double k, int32_t roomWidth, int32_t roomHeight)
{
    return double(width) / k >= roomWidth && double(height) / k >= roomHeight;
}

std::optional<double> PositiveNumber(const char* text)
{
    if (text == nullptr || *text == '\0')
        return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (*end != '\0' || !std::isfinite(v) || v <= 0)
        return std::nullopt;
    return v;
}

} // namespace

double ChooseUiScale(int32_t width, int32_t height, std::optional<double> desktopScale)
{
    const bool desktop = desktopScale && *desktopScale > 1.0;
    double chosen = 1.0;
    for (double k : kUiScales) {
        const bool fits = desktop ? k <= *desktopScale && RoomFor(width, height, k, 800, 600)
                                  : RoomFor(width, height, k, 1600, 960);
        if (fits)
            chosen = k;
    }
    return chosen;
}

std::optional<double> DesktopScale(const char* gdkScale, const char* qtScaleFactor)
{
    if (const std::optional<double> gdk = PositiveNumber(gdkScale))
        return gdk;
    return PositiveNumber(qtScaleFactor);
}

void SetUiScale(double k) { g_scale = k; }
double UiScale() { return g_scale; }

int32_t Scaled(int32_t v) { return g_scale == 1.0 ? v : static_cast<int32_t>(std::lround(double(v) * g_scale)); }

int32_t Unscaled(int32_t v)
{
    return g_scale == 1.0 ? v : static_cast<int32_t>(std::lround(double(v) / g_scale));
}

int32_t ScaledSpan(int32_t from, int32_t length) { return Scaled(from + length) - Scaled(from); }

std::string ScaleSuffix(double k)
{
    if (k == 1.0)
        return "";
    if (k == 1.5)
        return "@1.5x";
    return "@" + std::to_string(static_cast<int>(std::lround(k))) + "x";
}

std::string ScaleSuffix() { return ScaleSuffix(g_scale); }

} // namespace kestrava::ui
