#include "host/shell/Preferences.h"

#include "platform/gdi/DurableFile.h"
#include "platform/gdi/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrava {

namespace {

constexpr size_t kFileSize = 4;

uint16_t Uint16At(const unsigned char* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

// Reads up to size bytes; a read interrupted by a signal is repeated.
size_t ReadSome(int fd, unsigned char* buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

} // namespace

std::string PreferencesPath(const std::string& programPath) { return ChangeFileExt(programPath, ".INI"); }

Preferences ReadPreferences(const std::string& path)
{
    Preferences prefs;
    // Opened without blocking, so a FIFO with this name cannot hang the
    // start; anything but a regular file counts as missing.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return prefs;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        unsigned char bytes[kFileSize] = {};
        const size_t got = ReadSome(fd, bytes, kFileSize);
        if (got >= 2)
            prefs.volume = Uint16At(bytes);
        if (got >= 4)
            prefs.clockShown = Uint16At(bytes + 2);
    }
    close(fd);
    return prefs;
}

bool WritePreferences(const std::string& path, const Preferences& prefs, std::string& error)
{
    const unsigned char bytes[kFileSize] = {
        static_cast<unsigned char>(prefs.volume & 0xFF), static_cast<unsigned char>(prefs.volume >> 8),
        static_cast<unsigned char>(prefs.clockShown & 0xFF), static_cast<unsigned char>(prefs.clockShown >> 8)};

    std::string reason;
    if (!WriteFileDurably(path, bytes, kFileSize, reason)) {
        error = "the preferences: " + reason;
        return false;
    }
    return true;
}

} // namespace kestrava
