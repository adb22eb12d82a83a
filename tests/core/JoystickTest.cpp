// Joystick input: the axis mapping, the reading of a scripted device, the
// poll that lets the keyboard joystick and a real one share the status
// record, and the applet protocol of the joystick panel.
#include "host/core/DXInput.h"
#include "host/core/JoystickPanel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrava {
namespace {

// A device with travel 0..1000: centre 500, half travel 500, dead zone 50.
TEST(JoystickAxis, MapsTravelDeadZoneAndRounding)
{
    const auto map = [](int32_t raw) { return MapJoystickAxis(raw, 0, 1000, 10, 10); };
    EXPECT_EQ(map(0), -10);
    EXPECT_EQ(map(1000), 10);
    EXPECT_EQ(map(500), 0);
    EXPECT_EQ(map(450), 0) << "edge of the dead zone";
    EXPECT_EQ(map(550), 0) << "edge of the dead zone";
    EXPECT_EQ(map(551), 0) << "just beyond rounds down";
    EXPECT_EQ(map(572), 0) << "0.49 rounds down";
    EXPECT_EQ(map(573), 1) << "0.51 rounds up";
    EXPECT_EQ(map(427), -1);
    // Travel 0..400: a step is 18 units beyond the dead zone edge at 20
    // from the centre, so 2.5 and 1.5 steps land on whole units. Ties go
    // to the even neighbour.
    EXPECT_EQ(MapJoystickAxis(265, 0, 400, 10, 10), 2) << "2.5 to even";
    EXPECT_EQ(MapJoystickAxis(247, 0, 400, 10, 10), 2) << "1.5 to even";
    EXPECT_EQ(MapJoystickAxis(135, 0, 400, 10, 10), -2) << "-2.5 to even";
    EXPECT_EQ(MapJoystickAxis(1200, 0, 1000, 10, 10), 10) << "beyond the travel is clamped";
    EXPECT_EQ(MapJoystickAxis(-300, 0, 1000, 10, 10), -10);
    // A travel around a non-zero centre and the full 16-bit range.
    EXPECT_EQ(MapJoystickAxis(-32768, -32768, 32767, 10, 10), -10);
    EXPECT_EQ(MapJoystickAxis(32767, -32768, 32767, 10, 10), 10);
    EXPECT_EQ(MapJoystickAxis(0, -32768, 32767, 10, 10), 0);
    EXPECT_EQ(MapJoystickAxis(0, 0, 65535, 10, 10), -10);
    // No travel at all, and the whole travel as dead zone.
    EXPECT_EQ(MapJoystickAxis(7, 7, 7, 10, 10), 0);
    EXPECT_EQ(MapJoystickAxis(0, 0, 1000, 10, 100), 0);
}

struct ScriptedDevices {
    std::vector<app::JoystickState> present;
    std::vector<int32_t> asked;
    app::JoystickState Read(int32_t n)
    {
        asked.push_back(n);
        if (n < 0 || static_cast<size_t>(n) >= present.size())
            return {};
        return present[static_cast<size_t>(n)];
    }
};

app::JoystickState Stick(int32_t x, int32_t y, bool button0 = false)
{
    app::JoystickState s;
    s.present = true;
    s.xMax = 1000;
    s.yMax = 1000;
    s.x = x;
    s.y = y;
    s.buttons[0] = button0;
    return s;
}

TEST(JoystickInput, ReadsTheNthDeviceAndNothingWhenAbsentOrInactive)
{
    ScriptedDevices devices;
    devices.present = {Stick(0, 1000, true), Stick(1000, 500)};
    std::atomic<bool> active{true};
    TDXInput second([&](int32_t n) { return devices.Read(n); }, active);
    second.ID = 1;
    second.Initialise();
    EXPECT_EQ(devices.asked, std::vector<int32_t>{1});
    EXPECT_EQ(second.X(), 10);
    EXPECT_EQ(second.Y(), 0);

    TDXInput first([&](int32_t n) { return devices.Read(n); }, active);
    first.Initialise();
    EXPECT_EQ(first.X(), -10);
    EXPECT_EQ(first.Y(), 10);
    EXPECT_TRUE(first.Button(0));
    EXPECT_FALSE(first.Button(1));
    EXPECT_FALSE(first.Button(4));

    // The host loses the foreground: centred and released.
    active.store(false);
    first.Update();
    EXPECT_EQ(first.X(), 0);
    EXPECT_EQ(first.Y(), 0);
    EXPECT_FALSE(first.Button(0));
    first.ActiveOnly = false;
    first.Update();
    EXPECT_EQ(first.X(), -10);

    // Unplugged: centred and released.
    devices.present.clear();
    first.Update();
    EXPECT_EQ(first.X(), 0);
    EXPECT_FALSE(first.Button(0));

    // A disabled part keeps its last reading on update.
    devices.present = {Stick(1000, 1000)};
    first.Enabled = false;
    first.Update();
    EXPECT_EQ(first.X(), 0);
}

TEST(JoystickInput, PollLeavesKeyValuesAloneUntilTheStickMoves)
{
    ScriptedDevices one;
    one.present = {Stick(500, 500)};
    std::atomic<bool> active{true};
    TDXInput in1([&](int32_t n) { return one.Read(n); }, active);
    TDXInput in2([&](int32_t) { return app::JoystickState{}; }, active);
    in1.Initialise();
    in2.Initialise();

    TTestStatus status{};
    status.Joy2Y = 10; // S held on the keyboard; no second joystick
    status.Joy1X = -10; // Left held
    for (int i = 0; i < 3; ++i) {
        PollJoysticks(status, in1, in2);
        EXPECT_EQ(status.Joy1X, -10) << "poll " << i;
        EXPECT_EQ(status.Joy1Y, 0);
        EXPECT_EQ(status.Joy2Y, 10);
    }

    // The stick moves right and presses a button: it takes over.
    one.present = {Stick(1000, 500, true)};
    PollJoysticks(status, in1, in2);
    EXPECT_EQ(status.Joy1X, 10);
    EXPECT_EQ(status.Joy1Buttons[0], 1);
    EXPECT_EQ(status.Joy1Buttons[1], 0);
    EXPECT_EQ(status.Joy2Y, 10);

    // Held there, a key overrides it again and the stick leaves it alone.
    status.Joy1X = -10;
    PollJoysticks(status, in1, in2);
    EXPECT_EQ(status.Joy1X, -10);
    // Back to the centre: a change, written.
    one.present = {Stick(500, 500, false)};
    PollJoysticks(status, in1, in2);
    EXPECT_EQ(status.Joy1X, 0);
    EXPECT_EQ(status.Joy1Buttons[0], 0);
}

class RecordingApplet final : public JoystickApplet {
public:
    explicit RecordingApplet(int32_t initResult) : m_init(initResult) {}
    int32_t Init() override
    {
        calls.push_back("init");
        return m_init;
    }
    void Open(int32_t applet, intptr_t) override { calls.push_back("open " + std::to_string(applet)); }
    void Stop(int32_t applet, intptr_t) override { calls.push_back("stop " + std::to_string(applet)); }
    void Exit() override { calls.push_back("exit"); }
    std::vector<std::string> calls;

private:
    int32_t m_init;
};

TEST(JoystickPanel, FollowsTheAppletProtocol)
{
    RecordingApplet refusing(0);
    OpenJoystickPanel(refusing);
    EXPECT_EQ(refusing.calls, std::vector<std::string>{"init"});

    RecordingApplet willing(1);
    OpenJoystickPanel(willing);
    EXPECT_EQ(willing.calls, (std::vector<std::string>{"init", "open 0", "stop 0", "exit"}));
}

TEST(JoystickPanel, ToolAppletFindsTheToolInPathAndWaitsForIt)
{
    ToolJoystickApplet missing("kestrava-no-such-joystick-tool");
    EXPECT_EQ(missing.Init(), 0);

    // Any installed program stands in for the configuration tool; `false`
    // exits with status 1, which shows that Open waited for it to end.
    ToolJoystickApplet tool("false");
    ASSERT_NE(tool.Init(), 0);
    tool.Open(0, 0);
    EXPECT_EQ(tool.LastExitStatus(), 1);
}

} // namespace
} // namespace kestrava
