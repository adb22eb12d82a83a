// The Raumvorstellung page's picture of the test screen: the module's own
// painter draws a fixed pair, and numbered badges mark the parts, placed
// from the painter's layout.
#pragma once

#include "resources/help/Badge.h"

#include "modules/raum/RaumState.h"
#include "platform/gdi/Bitmap.h"

#include <vector>

namespace kestrava::help {

inline constexpr int32_t kRaumFigureWidth = 360; // the height is three quarters of it

// The moment shown: a mirrored pair on show, the last answer right.
raum::RaumState RaumFigureState();
// Badge centres in design units: 1 left figure, 2 right figure, 3 time,
// 4 outcome, 5 and 6 the keys, 7 difficulty.
std::vector<Badge> RaumFigureBadges();
// The screen at kRaumFigureWidth (times scale) as RAUM.TST paints it.
gdi::Bitmap PaintRaumScreen(const raum::RaumState& state, double scale = 1);

} // namespace kestrava::help
