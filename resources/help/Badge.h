// The numbered badge that labels a part of a help page's figure and the
// legend entry that explains it.
#pragma once

#include <cstdint>

namespace kestrava::help {

inline constexpr double kBadgeRadius = 8.5;

// A figure's side at scale, in whole pixels (half rounds up, as the
// artwork's sizes do).
inline int32_t FigurePixels(int32_t units, double scale) { return int32_t(units * scale + 0.5); }

struct Badge {
    int32_t number;
    double x, y; // centre, in the figure's own units
};

} // namespace kestrava::help
