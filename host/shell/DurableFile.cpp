#include "host/shell/DurableFile.h"

#include "platform/gdi/FileAccess.h"
#include "platform/gdi/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrava {

namespace {

// The reason for the log; the errno goes up for the user's message.
class Failure {
public:
    Failure(std::string& text, int* errorNumber) : m_text(text), m_errorNumber(errorNumber) {}
    void Note(const char* what)
    {
        const int code = errno;
        m_text = std::string(what) + ": " + std::strerror(code);
        if (m_errorNumber != nullptr)
            *m_errorNumber = code;
    }

private:
    std::string& m_text;
    int* m_errorNumber;
};

bool WriteAll(int fd, const uint8_t* bytes, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t put = write(fd, bytes + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = EIO; // nothing written and no reason given
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

} // namespace

bool WriteFileDurably(const std::string& path, const uint8_t* bytes, size_t size, std::string& error,
                      int* errorNumber)
{
    Failure failure(error, errorNumber);
    const std::string folder = ExtractFilePath(path);
    // Named after the target and this process, so that the start-up can tell
    // a temporary file left by a killed writer from one still being written.
    const std::string temp = TemporaryPathFor(path);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        // Left by an earlier process that had this process's id.
        unlink(temp.c_str());
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (fd < 0) {
        failure.Note("cannot create a temporary file");
        return false;
    }

    bool ok = WriteAll(fd, bytes, size);
    if (!ok)
        failure.Note("cannot write the file");
    if (ok && fsync(fd) != 0) {
        ok = false;
        failure.Note("cannot flush the file");
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        failure.Note("cannot close the file");
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        failure.Note("cannot rename the file into place");
    }
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself is on disk only once the folder is.
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

} // namespace kestrava
