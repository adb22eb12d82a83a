// The ZEK page's picture of the test screen: the module's own painter draws
// a fixed moment of the test, and numbered badges mark its parts. The badges
// are placed from the screen's layout and the moment's positions, so the
// picture and its labels cannot disagree with the test.
#pragma once

#include "resources/help/Badge.h"

#include "modules/zek/ZekSettings.h"
#include "modules/zek/ZekState.h"
#include "platform/gdi/Bitmap.h"

#include <string>
#include <vector>

namespace kestrava::help {

inline constexpr int32_t kZekFigureWidth = 360; // the height is three quarters of it

// The moment shown: both targets beside their cursors, light F2 on, a task
// with an answer typed.
zek::ZekState ZekFigureState();
// Badge centres in logical units of the 800 x 600 screen: 1 lights, 2 task, 3 answer, 4 and 5 the fields, 6 the targets, 7 the cursors.
std::vector<Badge> ZekFigureBadges(const zek::ZekSettings& settings, const zek::ZekState& state);
// The test screen at kZekFigureWidth (times scale, for the larger pages) as
// ZEK.TST paints it, from the pictures in moduleFolder/graphics; missing
// counts the pictures that did not load.
gdi::Bitmap PaintZekScreen(const std::string& moduleFolder, const zek::ZekState& state, int32_t& missing,
                           double scale = 1);

} // namespace kestrava::help
