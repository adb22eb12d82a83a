#include "host/shell/ThumbTrack.h"

#include <algorithm>

namespace kestrava {

void ThumbDrag::MouseDown(bool leftButton, int32_t y)
{
    if (!leftButton)
        return;
    m_dragging = true;
    m_grabOffset = y;
}

std::optional<int32_t> ThumbDrag::MouseMove(const ThumbTrack& track, int32_t thumbTop, int32_t y) const
{
    if (!m_dragging)
        return std::nullopt;
    const int64_t lowest = std::max<int64_t>(static_cast<int64_t>(track.top) + track.height - track.thumbHeight, track.top);
    const int64_t top = static_cast<int64_t>(thumbTop) + y - m_grabOffset;
    return static_cast<int32_t>(std::clamp<int64_t>(top, track.top, lowest));
}

void ThumbDrag::MouseUp(bool leftButton)
{
    if (leftButton)
        m_dragging = false;
}

int32_t ThumbListPosition(const ThumbTrack& track, int32_t thumbTop, int32_t listMax)
{
    // A track no taller than the thumb leaves nothing to scroll through
    // (and would divide by zero).
    const int64_t travel = static_cast<int64_t>(track.height) - track.thumbHeight;
    if (travel <= 0 || listMax <= 0)
        return 0;
    const int64_t offset = std::clamp<int64_t>(static_cast<int64_t>(thumbTop) - track.top, 0, travel);
    return static_cast<int32_t>(static_cast<int64_t>(listMax) * offset / travel);
}

int32_t ThumbTopForPosition(const ThumbTrack& track, int32_t position, int32_t listMax)
{
    const int64_t travel = static_cast<int64_t>(track.height) - track.thumbHeight;
    if (travel <= 0 || listMax <= 0)
        return track.top;
    const int64_t p = std::clamp<int64_t>(position, 0, listMax);
    return static_cast<int32_t>(track.top + (p * travel + listMax - 1) / listMax);
}

} // namespace kestrava
