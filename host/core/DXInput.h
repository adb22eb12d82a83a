// Joystick input as the tick handler reads it: one joystick part per input
// component, its axes mapped to -10..+10 with a dead zone around the centre,
// and the poll that writes only changed values into the status record.
#pragma once

#include "platform/app/Backend.h"
#include "protocol/MyMessages.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace kestrava {

// Maps a raw axis position onto -range..+range. The centre of the reported
// travel reads 0, and so does everything within deadZonePercent of the half
// travel around it; beyond that the reading grows linearly from 0 at the
// edge of the dead zone to +-range at the end of the travel, rounded to
// nearest with ties to even and clamped. No travel reads 0.
int32_t MapJoystickAxis(int32_t raw, int32_t min, int32_t max, int32_t range, int32_t deadZonePercent);

class TDXInput {
public:
    // Reads the n-th present joystick; the backend's ReadJoystick. It is
    // called from the tick thread. [thread-safe]
    using Reader = std::function<app::JoystickState(int32_t n)>;

    // hostActive is the host's flag "the main window is in the foreground";
    // it must outlive the component.
    TDXInput(Reader reader, const std::atomic<bool>& hostActive);

    // Settings, set on the user-interface thread while no tick runs.
    int32_t ID = 0;          // the ID-th joystick present, counted from 0
    int32_t RangeX = 10;
    int32_t RangeY = 10;
    int32_t DeadZoneX = 10;  // percent of the half travel
    int32_t DeadZoneY = 10;
    bool Enabled = true;     // the joystick part
    bool ActiveOnly = true;  // read centred and released while the host is inactive

    // Looks for the device again and takes a first reading, so that a
    // joystick plugged in or set up meanwhile is found. [ui-thread]
    void Initialise();
    // Takes a new reading when the joystick part is enabled. [tick-thread]
    void Update();

    // The last reading. [any thread]
    int32_t X() const { return m_x.load(std::memory_order_relaxed); }
    int32_t Y() const { return m_y.load(std::memory_order_relaxed); }
    bool Button(int32_t i) const;

private:
    void Read();

    Reader m_reader;
    const std::atomic<bool>& m_hostActive;
    std::atomic<int32_t> m_x{0};
    std::atomic<int32_t> m_y{0};
    std::atomic<bool> m_buttons[4] = {false, false, false, false};
};

// Every tenth tick: for in1 into Joy1X, Joy1Y, Joy1Buttons and then for in2
// into the Joy2 fields, updates the component and writes each of the six
// values only when it differs from the reading before. A joystick at rest
// therefore never overwrites what the keyboard joystick put there, and its
// first movement takes over again. [tick-thread]
void PollJoysticks(TTestStatus& status, TDXInput& in1, TDXInput& in2);

} // namespace kestrava
