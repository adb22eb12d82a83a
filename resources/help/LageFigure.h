// The Fluglage page's picture of the test screen: the module's own painter
// draws a fixed item, and numbered badges mark its parts, placed from the
// painter's layout so that the picture and its labels cannot disagree.
#pragma once

#include "resources/help/Badge.h"

#include "modules/lage/LageState.h"
#include "platform/gdi/Bitmap.h"

#include <vector>

namespace kestrava::help {

inline constexpr int32_t kLageFigureWidth = 360; // the height is three quarters of it

// The item shown: banked 30 degrees to the right, nose up, heading east;
// the answer is picture 3, the last answer was right.
lage::LageState LageFigureState();
// Badge centres in the 800 x 600 design units: 1 the artificial horizon,
// 2 the heading indicator, 3 the pictures, 4 the keys, 5 the outcome.
std::vector<Badge> LageFigureBadges();
// The screen at kLageFigureWidth (times scale) as LAGE.TST paints it.
gdi::Bitmap PaintLageScreen(const lage::LageState& state, double scale = 1);

} // namespace kestrava::help
