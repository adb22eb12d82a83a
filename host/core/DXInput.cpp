#include "host/core/DXInput.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrava {

int32_t MapJoystickAxis(int32_t raw, int32_t min, int32_t max, int32_t range, int32_t deadZonePercent)
{
    // In double: the travel of a device may span the whole int32 range.
    const double half = (static_cast<double>(max) - static_cast<double>(min)) / 2.0;
    if (!(half > 0.0))
        return 0;
    const double centre = (static_cast<double>(min) + static_cast<double>(max)) / 2.0;
    const double offset = static_cast<double>(raw) - centre;
    const double deadZone = half * std::clamp(deadZonePercent, 0, 100) / 100.0;
    const double distance = std::fabs(offset);
    if (distance <= deadZone || deadZone >= half)
        return 0;
    const double limit = static_cast<double>(range);
    const double scaled = std::min(std::nearbyint((distance - deadZone) / (half - deadZone) * limit), limit);
    const auto value = static_cast<int32_t>(scaled);
    return offset < 0 ? -value : value;
}

TDXInput::TDXInput(Reader reader, const std::atomic<bool>& hostActive)
    : m_reader(std::move(reader)), m_hostActive(hostActive)
{
}

bool TDXInput::Button(int32_t i) const
{
    if (i < 0 || i >= 4)
        return false;
    return m_buttons[i].load(std::memory_order_relaxed);
}

void TDXInput::Initialise()
{
    // The backend finds the device afresh on every reading, so opening the
    // part is a first reading regardless of Enabled.
    Read();
}

void TDXInput::Update()
{
    if (Enabled)
        Read();
}

void TDXInput::Read()
{
    app::JoystickState state;
    if (m_reader && !(ActiveOnly && !m_hostActive.load()))
        state = m_reader(ID);
    if (!state.present)
        state = app::JoystickState{};
    m_x.store(MapJoystickAxis(state.x, state.xMin, state.xMax, RangeX, DeadZoneX), std::memory_order_relaxed);
    m_y.store(MapJoystickAxis(state.y, state.yMin, state.yMax, RangeY, DeadZoneY), std::memory_order_relaxed);
    for (size_t i = 0; i < 4; ++i)
        m_buttons[i].store(state.buttons[i], std::memory_order_relaxed);
}

namespace {

// The user-interface thread writes the same fields for the keyboard
// joystick, so both sides go through atomic access.
void PollOne(TDXInput& in, int32_t& x, int32_t& y, uint8_t (&buttons)[4])
{
    const int32_t oldX = in.X();
    const int32_t oldY = in.Y();
    bool oldButtons[4];
    for (int32_t i = 0; i < 4; ++i)
        oldButtons[i] = in.Button(i);

    in.Update();

    if (in.X() != oldX)
        std::atomic_ref<int32_t>(x).store(in.X());
    if (in.Y() != oldY)
        std::atomic_ref<int32_t>(y).store(in.Y());
    for (int32_t i = 0; i < 4; ++i)
        if (in.Button(i) != oldButtons[i])
            std::atomic_ref<uint8_t>(buttons[i]).store(in.Button(i) ? 1 : 0);
}

} // namespace

void PollJoysticks(TTestStatus& status, TDXInput& in1, TDXInput& in2)
{
    PollOne(in1, status.Joy1X, status.Joy1Y, status.Joy1Buttons);
    PollOne(in2, status.Joy2X, status.Joy2Y, status.Joy2Buttons);
}

} // namespace kestrava
