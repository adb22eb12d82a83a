// The numbered badge that labels a part of a help page's figure and the
// legend entry that explains it.
#pragma once

#include <cstdint>

namespace kestrava::help {

inline constexpr double kBadgeRadius = 8.5;

struct Badge {
    int32_t number;
    double x, y; // centre, in the figure's own units
};

} // namespace kestrava::help
