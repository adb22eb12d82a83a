// The geometry of a list thumb: where it may go, how a drag moves it, and
// which list position a thumb top stands for and back.
#pragma once

#include <cstdint>
#include <optional>

namespace kestrava {

// The track a thumb moves along: the middle piece of the menu background.
struct ThumbTrack {
    int32_t top = 0;          // T
    int32_t height = 0;       // H
    int32_t thumbHeight = 26; // h
};

// One thumb's drag. The main window keeps one per thumb and moves the thumb
// image to the top MouseMove returns.
class ThumbDrag {
public:
    // Only the left button starts a drag; y is the mouse within the thumb.
    void MouseDown(bool leftButton, int32_t y);
    // The thumb's new top while dragging, kept on the track; nothing when
    // not dragging.
    std::optional<int32_t> MouseMove(const ThumbTrack& track, int32_t thumbTop, int32_t y) const;
    void MouseUp(bool leftButton);
    void Reset() { m_dragging = false; }
    bool Dragging() const { return m_dragging; }

private:
    bool m_dragging = false;
    int32_t m_grabOffset = 0;
};

// The list position for a thumb top: trunc(max × (top − T) ÷ (H − h)). A
// track no taller than the thumb gives 0.
int32_t ThumbListPosition(const ThumbTrack& track, int32_t thumbTop, int32_t listMax);
// The reverse, for a list scrolled by other means (the wheel): the first
// thumb top down the track whose list position is at least position,
// T + ceil(position × (H − h) ÷ max). Wherever the track has at least as many
// pixels as the list has positions, ThumbListPosition gives position back.
int32_t ThumbTopForPosition(const ThumbTrack& track, int32_t position, int32_t listMax);

} // namespace kestrava
