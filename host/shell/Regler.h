// The list thumbs: the menu's two, the end screen's and the evaluation's.
// [ui-thread]
#pragma once

#include "host/shell/ThumbTrack.h"
#include "platform/app/Controls.h"
#include "ui/MyCustomListBox.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kestrava::shell {

// A thumb image that scrolls lists: dragged with the left button along its
// track, moved by a step (the arrow keys of the end screen and the
// evaluation), or following its lists when the wheel scrolls them by lines.
// A hidden thumb scrolls nothing.
class TRegler : public app::Image {
public:
    // Lines a notch of the wheel scrolls.
    static constexpr int32_t kWheelLines = 3;

    std::function<ThumbTrack()> track; // where it may go, in the parent
    // The lists it scrolls: the first leads (its Max counts), the others
    // take its position.
    std::vector<ui::TMyCustomListBox*> lists;
    ThumbDrag drag;

    void MoveBy(int32_t dy);
    // Scrolls the lists by lines within their range and puts the thumb where
    // the new position lies on its track.
    void ScrollLines(int32_t lines);
    // The wheel over control (a list, the dialog around it) scrolls these
    // lists; over the thumb itself it does anyway.
    void TakeWheel(app::Control& control);
    void MouseDown(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers) override;
    void MouseMove(int32_t x, int32_t y, app::Modifiers modifiers) override;
    void MouseUp(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers) override;
    bool MouseWheel(int32_t delta, int32_t x, int32_t y) override;

private:
    void MoveTo(int32_t top);
    void SetListPosition(int32_t position);
};

} // namespace kestrava::shell
