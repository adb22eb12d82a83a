// The program's own colours: the ones that several screens, the artwork
// generator and the help pages share, so that the list that shows a score
// and the picture drawn behind it can never disagree.
#pragma once

#include "platform/gdi/Bitmap.h"

namespace kestrava::ui::colour {

// A score at or above a list's threshold, and one below it; the weak red is
// also the evaluation's curve.
inline constexpr gdi::ColorRef kScoreGood = gdi::Rgb(0x47, 0x9E, 0x4B);
inline constexpr gdi::ColorRef kScoreWeak = gdi::Rgb(0xCD, 0x51, 0x4B);
// The evaluation's bars of days without a result.
inline constexpr gdi::ColorRef kNoData = gdi::Rgb(0xBE, 0x3C, 0x34);
// The menu panel behind the lists, and a selected list line.
inline constexpr gdi::ColorRef kMenuPanel = gdi::Rgb(41, 41, 41);
inline constexpr gdi::ColorRef kListSelection = gdi::Rgb(73, 73, 73);
// The paper of every help page.
inline constexpr gdi::ColorRef kHelpPage = gdi::Rgb(255, 252, 218);

} // namespace kestrava::ui::colour
