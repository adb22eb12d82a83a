// The look of the keyboard focus: the frame picture "Fokus" of the skin,
// painted around a control's focused part. The application decides when
// (Application::SetFocusPainter); this only draws.
#pragma once

#include "platform/app/Canvas.h"

namespace kestrava::ui {

// Frames rect (local to the canvas) with the picture's corners as they are
// and its middle stretched along the edges; nothing when the picture is
// missing. [ui-thread]
void PaintFocusFrame(app::Canvas& canvas, const gdi::Rect& rect);

} // namespace kestrava::ui
