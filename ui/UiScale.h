// The user-interface scale k: how many screen pixels one pixel of the
// design's layout takes. The menu, the dialogs, the test bar and the
// overlays are laid out in the design's pixels and placed at k times them;
// their pictures are drawn for each scale the program ships (NAME@2x.bmp
// beside NAME.bmp, see Resources.h) and their text is rendered at k times
// its height, so nothing is a stretched bitmap. The test area keeps its own
// rule (it fills the screen at any k).
//
// k is chosen once at start-up, before the first skinned control is made,
// and stays for the program's run. Everything here runs on the
// user-interface thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrava::ui {

// The scales the program ships pictures for, smallest first.
inline constexpr double kUiScales[] = {1.0, 1.5, 2.0};

// The scale for a screen of width × height pixels: the largest shipped k
// that still leaves the design a room of at least 1600 × 960 of its pixels,
// so 1920 × 1080 and anything smaller stay at 1 (the design's pixels
// exactly), 2560 × 1600 and 2880 × 1800 get 1.5 and 3840 × 2160 gets 2.
// A desktop that asks for a scale of its own (desktopScale above 1) gets
// the largest shipped k not above it that leaves the design's smallest
// screen, 800 × 600, in its pixels.
double ChooseUiScale(int32_t width, int32_t height, std::optional<double> desktopScale = std::nullopt);

// The scale the desktop asks for through the environment: GDK_SCALE, else
// QT_SCALE_FACTOR (a positive number each; null or anything else is none).
std::optional<double> DesktopScale(const char* gdkScale, const char* qtScaleFactor);

void SetUiScale(double k);
double UiScale();
// v of the design's pixels in screen pixels, rounded to the nearest (half
// away from zero). Edges are scaled, not widths, where pieces meet: see
// ScaledSpan.
int32_t Scaled(int32_t v);
// Screen pixels in the design's, rounded to the nearest: where a control
// reads the mouse in the design's terms.
int32_t Unscaled(int32_t screenPixels);
// The screen length of the design's span [from, from + length): neighbours
// placed by their edges stay neighbours at 1.5.
int32_t ScaledSpan(int32_t from, int32_t length);
// "" at 1, "@1.5x" and "@2x" otherwise: what a picture's file name carries
// before its extension at this scale.
std::string ScaleSuffix(double k);
std::string ScaleSuffix();

} // namespace kestrava::ui
