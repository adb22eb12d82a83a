#include "host/shell/FolderGuard.h"

#include "host/shell/Suspend.h"
#include "platform/gdi/FileAccess.h"
#include "platform/gdi/Folders.h"
#include "platform/gdi/Paths.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrava::shell {

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InstanceLock::Outcome InstanceLock::Take(const std::string& programDir, std::string& error)
{
    const std::string path = programDir + kInstanceLockFileName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && (errno == EROFS || errno == EACCES))
        // A folder the program may not write: an existing lock file can
        // still be locked through a read-only descriptor.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return Outcome::Failed;
    }
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            break;
        if (errno == EINTR)
            continue;
        const int failure = errno;
        ::close(fd);
        if (failure == EWOULDBLOCK)
            return Outcome::Busy;
        error = "cannot lock " + path + ": " + std::strerror(failure);
        return Outcome::Failed;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    return Outcome::Held;
}

namespace {

// Whether the process pid may still be writing one of our temporaries. A
// process that is alive counts as the writer unless it is clearly another
// program: its executable is not this process's.
bool WriterMayBeAlive(pid_t pid)
{
    if (pid == ::getpid())
        return true;
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return false;
    struct stat mine {};
    struct stat theirs {};
    const std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    if (::stat("/proc/self/exe", &mine) != 0 || ::stat(exe.c_str(), &theirs) != 0)
        return errno != ENOENT;  // ENOENT: it has ended since; anything else: cannot tell
    return mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

bool IsResultFileName(const std::string& name) { return UpperAscii(ExtractFileExt(name)) == ".RLT"; }

void RemoveIn(const std::string& folder, bool top, const std::string& preferencesName,
              std::vector<std::string>& removed)
{
    std::vector<std::string> stale;
    std::vector<std::string> subfolders;
    ForEachFolderEntry(folder, [&](const FolderEntry& entry) {
        if (entry.isSearchableFolder) {
            subfolders.push_back(folder + entry.name + "/");
            return;
        }
        std::string target;
        pid_t pid = 0;
        if (!SplitTemporaryName(entry.name, target, pid))
            return;
        const bool ours = IsResultFileName(target) ||
                          (top && (target == preferencesName || target == kSuspendFileName));
        if (ours && !WriterMayBeAlive(pid))
            stale.push_back(folder + entry.name);
    });
    for (const std::string& path : stale) {
        struct stat info {};
        // Regular files only, not a link that merely carries the name.
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(path.c_str()) == 0)
            removed.push_back(path);
    }
    for (const std::string& sub : subfolders)
        RemoveIn(sub, false, preferencesName, removed);
}

} // namespace

std::vector<std::string> RemoveStaleTemporaries(const std::string& programDir, const std::string& preferencesPath)
{
    std::vector<std::string> removed;
    if (programDir.empty())
        return removed;
    RemoveIn(programDir.back() == '/' ? programDir : programDir + "/", true, ExtractFileName(preferencesPath),
             removed);
    return removed;
}

} // namespace kestrava::shell
