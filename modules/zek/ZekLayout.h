// Where the parts of the ZEK screen lie, in logical units of the 800 x 600
// screen (left, top, right, bottom). The painter draws from these; the help
// page's labelled picture of the screen places its labels from them too, so
// the two cannot drift apart.
#pragma once

#include <array>

namespace kestrava::zek::layout {

struct Box {
    double left, top, right, bottom;
    constexpr double CentreX() const { return (left + right) / 2; }
    constexpr double CentreY() const { return (top + bottom) / 2; }
};

struct Point {
    double x, y;
};

inline constexpr double kScreenWidth = 800;
inline constexpr double kScreenHeight = 600;

// The lights F1 to F4: top-left corners, each kLightSize square.
inline constexpr std::array<Point, 4> kLights = {{{20, 20}, {80, 20}, {20, 80}, {80, 80}}};
inline constexpr double kLightSize = 40;

// The arithmetic task and the answer typed for it; texts are centred in them.
inline constexpr Box kTaskBox{400, 20, 780, 60};
inline constexpr Box kAnswerBox{400, 80, 780, 120};

// The tracking fields. Object positions are measured from a field's
// top-left corner; in the vertical field every object stands at x = 50.
inline constexpr Box kVerticalField{20, 150, 120, 580};
inline constexpr Box kField2D{140, 150, 780, 580};
inline constexpr double kVerticalObjectX = 50;

} // namespace kestrava::zek::layout
