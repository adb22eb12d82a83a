#include "host/shell/VolumeBar.h"

#include "platform/app/Application.h"
#include "platform/app/Keys.h"
#include "ui/Resources.h"
#include "ui/UiScale.h"

#include <algorithm>
#include <cmath>

namespace kestrava::shell {

int32_t VolumeThumbLeft(uint16_t volume)
{
    return static_cast<int32_t>(std::nearbyint(double(volume) * 113.0 / 65535.0)) + kVolumeThumbMin;
}

uint16_t VolumeAtThumb(int32_t left)
{
    const int32_t x = std::clamp(left, kVolumeThumbMin, kVolumeThumbMax);
    return static_cast<uint16_t>(std::nearbyint(double(x - kVolumeThumbMin) * 65535.0 / 113.0));
}

std::optional<uint16_t> VolumeAtBarPoint(int32_t x, int32_t y)
{
    if (!(y > 9 && y < 17 && x > 8 && x < 123))
        return std::nullopt;
    const double v = std::nearbyint(double(x - 1) * 65535.0 / 113.0);
    return static_cast<uint16_t>(std::min(v, 65535.0));
}

TVolumeBar::TVolumeBar(const std::string& barPicture, const std::string& thumbPicture)
{
    SetTransparent(true);
    // Placed in the design's pixels at the user-interface scale; the volume
    // rules above read them unscaled.
    SetSize(ui::Scaled(132), ui::Scaled(24));
    m_bar = &Create<app::Image>();
    m_bar->SetPicture(ui::LoadResourceBitmap(barPicture));
    m_bar->SetBounds(0, 0, m_bar->Picture().Width(), m_bar->Picture().Height());
    m_thumb = &Create<app::Image>();
    m_thumb->SetPicture(ui::LoadResourceBitmap(thumbPicture));
    m_thumb->SetBounds(ui::Scaled(kVolumeThumbMax), ui::Scaled(kVolumeThumbTop), m_thumb->Picture().Width(),
                       m_thumb->Picture().Height());

    m_bar->OnMouseDown = [this](app::MouseButton, int32_t x, int32_t y, app::Modifiers) {
        if (const auto volume = VolumeAtBarPoint(ui::Unscaled(x), ui::Unscaled(y)); volume && OnVolume)
            OnVolume(*volume);
        if (OnSettled)
            OnSettled();
    };
    // Any button starts a drag; the thumb keeps the mouse while it is held,
    // so the drag goes on outside the bar.
    m_thumb->OnMouseDown = [this](app::MouseButton, int32_t x, int32_t, app::Modifiers) {
        m_dragging = true;
        m_grab = x;
    };
    m_thumb->OnMouseMove = [this](int32_t x, int32_t, app::Modifiers) {
        if (!m_dragging)
            return;
        const int32_t left =
            std::clamp(m_thumb->Left() + x - m_grab, ui::Scaled(kVolumeThumbMin), ui::Scaled(kVolumeThumbMax));
        const uint16_t volume = VolumeAtThumb(ui::Unscaled(left));
        m_thumb->SetPosition(left, ui::Scaled(kVolumeThumbTop));
        if (OnVolume)
            OnVolume(volume);
    };
    m_thumb->OnMouseUp = [this](app::MouseButton, int32_t, int32_t, app::Modifiers) {
        m_dragging = false;
        if (OnSettled)
            OnSettled();
    };
}

void TVolumeBar::PlaceThumb(uint16_t volume)
{
    m_volume = volume;
    m_thumb->SetPosition(ui::Scaled(VolumeThumbLeft(volume)), ui::Scaled(kVolumeThumbTop));
}

void TVolumeBar::KeyDown(uint32_t& key, app::Modifiers modifiers)
{
    int32_t volume = m_volume;
    switch (key) {
    case app::VK_LEFT: volume -= kKeyStep; break;
    case app::VK_RIGHT: volume += kKeyStep; break;
    case app::VK_HOME: volume = 0; break;
    case app::VK_END: volume = 65535; break;
    default: app::Panel::KeyDown(key, modifiers); return;
    }
    key = 0;
    App()->SetFocusVisible(true);
    if (OnVolume)
        OnVolume(static_cast<uint16_t>(std::clamp(volume, 0, 65535)));
    if (OnSettled)
        OnSettled();
}

} // namespace kestrava::shell
