// The two volume bars: the settings window's pop-up (bar Image9, thumb
// Regler3) and the test bar's (VolumeBack, Regler). Both are 132 x 24
// pictures with a 9 x 6 thumb at top 11 whose left edge runs from 5 to 118;
// the volume is a uint16 from 0 (silent) to 65535 (full).
//
// A bar reports volumes; it does not keep one. The main window holds the
// volume and places both thumbs from it, so they follow each other.
// [ui-thread]
#pragma once

#include "platform/app/Controls.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kestrava::shell {

inline constexpr int32_t kVolumeThumbTop = 11;
inline constexpr int32_t kVolumeThumbMin = 5;
inline constexpr int32_t kVolumeThumbMax = 118;

// round(v x 113 / 65535) + 5, ties to even.
int32_t VolumeThumbLeft(uint16_t volume);
// round((x - 5) x 65535 / 113) for a thumb left edge x, kept to [5, 118].
uint16_t VolumeAtThumb(int32_t left);
// A press at (x, y) of the bar: inside the track (8 < x < 123, 9 < y < 17)
// the volume round((x - 1) x 65535 / 113), at most 65535; elsewhere none.
std::optional<uint16_t> VolumeAtBarPoint(int32_t x, int32_t y);

class TVolumeBar : public app::Panel {
public:
    // Loads the bar and thumb pictures by resource name.
    TVolumeBar(const std::string& barPicture, const std::string& thumbPicture);

    app::Image& Bar() { return *m_bar; }
    app::Image& Thumb() { return *m_thumb; }
    bool Dragging() const { return m_dragging; }
    void StopDragging() { m_dragging = false; }
    void PlaceThumb(uint16_t volume);

    // From the keyboard (when the bar takes it, SetTabStop): Left and Right
    // change the volume the thumb was last placed at by a twentieth of the
    // range, Home and End go to silent and full; each reports the volume
    // and settles as a press on the bar does.
    static constexpr int32_t kKeyStep = (65535 + 10) / 20;
    void KeyDown(uint32_t& key, app::Modifiers modifiers) override;
    gdi::Rect FocusRect() const override { return ClientRect(); }

    // A new volume: while the thumb is dragged (only this bar's thumb has
    // moved then), or from a press on the track.
    std::function<void(uint16_t volume)> OnVolume;
    // The drag ended, or the bar was pressed (inside the track or not): the
    // owner places both thumbs from its volume.
    std::function<void()> OnSettled;

private:
    app::Image* m_bar = nullptr;
    app::Image* m_thumb = nullptr;
    bool m_dragging = false;
    int32_t m_grab = 0;
    uint16_t m_volume = 65535;
};

} // namespace kestrava::shell
