#include "platform/gdi/FileAccess.h"

#include "platform/gdi/Paths.h"

#include <cerrno>
#include <chrono>
#include <charconv>
#include <limits>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrava {

OpenedFile OpenRegularFile(const std::string& path)
{
    OpenedFile opened;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        opened.errorNumber = errno;
        return opened;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        opened.errorNumber = errno;
        ::close(fd);
        return opened;
    }
    if (!S_ISREG(info.st_mode)) {
        opened.notRegularFile = true;
        ::close(fd);
        return opened;
    }
    // Reads of a regular file never block anyway; clearing the flag keeps
    // the descriptor ordinary for whoever reads it.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    opened.fd = fd;
    return opened;
}

std::FILE* OpenRegularFileStream(const std::string& path)
{
    const OpenedFile opened = OpenRegularFile(path);
    if (opened.fd < 0)
        return nullptr;
    std::FILE* stream = ::fdopen(opened.fd, "rb");
    if (stream == nullptr)
        ::close(opened.fd);
    return stream;
}

bool IsReadableRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), R_OK) == 0;
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes, std::string& error)
{
    bytes.clear();
    const OpenedFile opened = OpenRegularFile(path);
    if (opened.fd < 0) {
        error = opened.notRegularFile ? "not a regular file" : "cannot open the file";
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(opened.fd, &info) == 0;
    if (!ok) {
        error = "cannot read the file";
    } else if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        ok = false;
        error = "the file is too large (" + std::to_string(info.st_size) + " bytes, at most " +
                std::to_string(maxBytes) + ")";
    } else {
        // The file may still grow or shrink while it is read; what is read
        // stays within the size checked above.
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t used = 0;
        while (used < bytes.size()) {
            const ssize_t got = ::read(opened.fd, bytes.data() + used, bytes.size() - used);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                ok = false;
                error = "cannot read the file";
                break;
            }
            if (got == 0)
                break;
            used += static_cast<size_t>(got);
        }
        bytes.resize(used);
    }
    ::close(opened.fd);
    if (!ok)
        bytes.clear();
    return ok;
}

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";

} // namespace

std::string TemporaryPathFor(const std::string& target)
{
    return target + std::string(kTemporaryMark) + std::to_string(::getpid());
}

bool SplitTemporaryName(std::string_view name, std::string& target, pid_t& pid)
{
    const size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark == 0)
        return false;
    const std::string_view digits = name.substr(mark + kTemporaryMark.size());
    if (digits.empty() || digits.front() == '0')
        return false;
    long long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
    if (ec != std::errc() || end != digits.data() + digits.size() || value <= 0 ||
        value > std::numeric_limits<pid_t>::max())
        return false;
    target = std::string(name.substr(0, mark));
    pid = static_cast<pid_t>(value);
    return true;
}

FolderLock::FolderLock(const std::string& pathInFolder, int waitMs)
{
    const std::string folder = ExtractFilePath(pathInFolder);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_errorNumber = errno;
        return;
    }
    // Polled rather than a blocking flock, so that the wait has an end
    // without a signal to interrupt it.
    constexpr int kStepMs = 5;
    for (int waited = 0;; waited += kStepMs) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_errorNumber = errno;
            break;
        }
        if (waited >= waitMs) {
            m_errorNumber = EWOULDBLOCK;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
    ::close(fd);
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);  // closing the last descriptor releases the lock
}

} // namespace kestrava
