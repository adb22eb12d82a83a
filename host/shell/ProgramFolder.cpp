#include "host/shell/ProgramFolder.h"

#include <climits>
#include <unistd.h>

namespace kestrava::shell {

std::string ProgramPath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer)
        return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string ProgramFolderOf(const std::string& programPath)
{
    const size_t slash = programPath.rfind('/');
    return slash == std::string::npos ? std::string("./") : programPath.substr(0, slash + 1);
}

} // namespace kestrava::shell
