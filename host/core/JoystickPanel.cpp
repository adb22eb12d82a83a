#include "host/core/JoystickPanel.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestrava {

namespace {

std::string FindInPath(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        std::string candidate(dir.empty() ? std::string_view(".") : dir);
        candidate.push_back('/');
        candidate.append(name);
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        rest.remove_prefix(colon + 1);
    }
}

} // namespace

ToolJoystickApplet::ToolJoystickApplet(std::string toolName) : m_toolName(std::move(toolName)) {}

int32_t ToolJoystickApplet::Init()
{
    m_toolPath = FindInPath(m_toolName);
    return m_toolPath.empty() ? 0 : 1;
}

void ToolJoystickApplet::Open(int32_t, intptr_t)
{
    m_lastStatus = -1;
    if (m_toolPath.empty())
        return;
    std::string arg0 = m_toolName;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, m_toolPath.c_str(), nullptr, nullptr, argv, environ) != 0)
        return;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return;
    }
    if (WIFEXITED(status))
        m_lastStatus = WEXITSTATUS(status);
}

void OpenJoystickPanel(JoystickApplet& applet)
{
    if (applet.Init() == 0)
        return;
    // The data value of open and stop is left to the caller; the host asks
    // the applet for none and passes 0.
    applet.Open(0, 0);
    applet.Stop(0, 0);
    applet.Exit();
}

void OpenJoystickPanel()
{
    ToolJoystickApplet applet;
    OpenJoystickPanel(applet);
}

} // namespace kestrava
