// File access shared by the host and the modules.
//
// Reading: every file the program or a module reads is opened through
// OpenRegularFile, so that a FIFO, a device or a folder carrying the name of
// a picture or a settings file is refused at once instead of blocking the
// start-up in open() or read().
//
// Writing: a writer that builds a file under a temporary name and renames
// it into place names it TemporaryPathFor(target), so that the start-up can
// recognise what a killed writer left behind. Writers of result files hold
// a FolderLock on the result file's folder while they change it, so that
// two processes never append at once.
//
// [thread-safe] Nothing here keeps state.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kestrava {

struct OpenedFile {
    int fd = -1;                  // read-only, close-on-exec; -1 on failure
    int errorNumber = 0;          // errno of the failed open or fstat
    bool notRegularFile = false;  // the name exists but is a folder, FIFO, socket or device
};

// Opens path read-only when it names a regular file (a symbolic link to one
// counts). The open itself does not block: a FIFO is opened with O_NONBLOCK,
// seen by fstat and closed again. The caller owns fd.
OpenedFile OpenRegularFile(const std::string& path);

// The same as a stdio stream in binary mode; nullptr for anything that
// OpenRegularFile refuses. The caller closes it with fclose.
std::FILE* OpenRegularFileStream(const std::string& path);

// True when path names a regular file (following symbolic links) that the
// process may read.
bool IsReadableRegularFile(const std::string& path);

// True when anything stands at path (a file, a folder; a symbolic link
// counts by what it leads to).
bool FileExists(const std::string& path);

// Reads a whole regular file of at most maxBytes. False, with a one-line
// reason (without the path), for anything else; bytes is then empty. The
// size is checked before anything is allocated, so a huge file costs no
// memory.
bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes, std::string& error);

// The temporary name a durable writer of target uses: target + ".tmp-" and
// the writer's process id.
std::string TemporaryPathFor(const std::string& target);

// Splits a file name of the form TemporaryPathFor gives into the target's
// name and the writer's process id; false for any other name (no digits,
// a leading zero, a number beyond pid_t, an empty target).
bool SplitTemporaryName(std::string_view name, std::string& target, pid_t& pid);

// An advisory lock (flock, exclusive) on the folder that holds a file, held
// for the object's lifetime. Every process that changes the result files of
// a folder takes it first, so appends, creations and deletions of two
// processes never interleave. Locking the folder rather than the file
// covers a file that does not exist yet and one that is renamed into place.
//
// The wait is bounded: a holder that never lets go (a stopped process) must
// not freeze the caller's thread for ever. Held() is false after waitMs, or
// when the folder cannot be opened.
class FolderLock {
public:
    static constexpr int kDefaultWaitMs = 10'000;

    explicit FolderLock(const std::string& pathInFolder, int waitMs = kDefaultWaitMs);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return m_fd >= 0; }
    // errno of the failure, EWOULDBLOCK when the wait ran out.
    int ErrorNumber() const { return m_errorNumber; }

private:
    int m_fd = -1;
    int m_errorNumber = 0;
};

} // namespace kestrava
