// The settings window's shortcut to the system's joystick set-up. The host
// speaks the control panel applet protocol (initialise, open applet 0, stop
// applet 0, exit) to whatever applet the platform offers.
#pragma once

#include <cstdint>
#include <string>

namespace kestrava {

class JoystickApplet {
public:
    virtual ~JoystickApplet() = default;
    // Nonzero when the applet can be shown; zero ends the conversation.
    virtual int32_t Init() = 0;
    // Shows applet number `applet` and returns when the user has closed it.
    virtual void Open(int32_t applet, intptr_t data) = 0;
    virtual void Stop(int32_t applet, intptr_t data) = 0;
    virtual void Exit() = 0;
};

// The Linux applet: an installed joystick configuration tool, looked up in
// PATH, run as a child process; Open returns once the tool has closed.
class ToolJoystickApplet final : public JoystickApplet {
public:
    explicit ToolJoystickApplet(std::string toolName = "jstest-gtk");
    // Zero when the tool is not installed.
    int32_t Init() override;
    void Open(int32_t applet, intptr_t data) override;
    void Stop(int32_t, intptr_t) override {}
    void Exit() override {}
    // The exit status of the last run of the tool, -1 before one or when it
    // could not be started or did not end normally.
    int32_t LastExitStatus() const { return m_lastStatus; }

private:
    std::string m_toolName;
    std::string m_toolPath;
    int32_t m_lastStatus = -1;
};

// Runs the applet protocol; the applet shows itself modally inside Open.
// [ui-thread]
void OpenJoystickPanel(JoystickApplet& applet);
// The same with the platform's applet; nothing happens when no tool is
// installed. [ui-thread]
void OpenJoystickPanel();

} // namespace kestrava
