#include "platform/gdi/DurableFile.h"

#include "platform/gdi/FileAccess.h"
#include "platform/gdi/Paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kestrava {

namespace {

bool WriteAll(int fd, const uint8_t* bytes, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd, bytes + done, size - done);
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

int CreateExclusive(const std::string& path)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

} // namespace

DurableFile::DurableFile(std::string target) : m_target(std::move(target)), m_temporary(TemporaryPathFor(m_target)) {}

DurableFile::~DurableFile()
{
    if (m_written && !m_renamed)
        ::unlink(m_temporary.c_str());
}

void DurableFile::Note(const char* what)
{
    m_errorNumber = errno;
    m_error = std::string(what) + ": " + std::strerror(m_errorNumber);
}

bool DurableFile::Write(const uint8_t* bytes, size_t size)
{
    int fd = CreateExclusive(m_temporary);
    if (fd < 0 && errno == EEXIST) {
        // Left by an earlier process that had this process's id and was
        // killed between creating and renaming it.
        ::unlink(m_temporary.c_str());
        fd = CreateExclusive(m_temporary);
    }
    if (fd < 0) {
        Note("cannot create a temporary file");
        return false;
    }
    bool ok = WriteAll(fd, bytes, size);
    if (!ok)
        Note("cannot write the file");
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        Note("cannot flush the file");
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        Note("cannot close the file");
    }
    if (!ok) {
        ::unlink(m_temporary.c_str());
        return false;
    }
    m_written = true;
    return true;
}

bool DurableFile::Commit()
{
    if (!m_written || m_renamed) {
        errno = EINVAL;
        Note("nothing written to put into place");
        return false;
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Note("cannot rename the file into place");
        return false;
    }
    m_renamed = true;
    const std::string folder = ExtractFilePath(m_target);
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        Note("written, but the folder could not be opened to flush it");
        return false;
    }
    const bool flushed = ::fsync(dir) == 0 || errno == EINVAL;
    if (!flushed)
        Note("written, but the folder could not be flushed");
    ::close(dir);
    return flushed;
}

bool WriteFileDurably(const std::string& path, const uint8_t* bytes, size_t size, std::string& error,
                      int* errorNumber)
{
    DurableFile file(path);
    if (file.Write(bytes, size) && file.Commit())
        return true;
    error = file.Error();
    if (errorNumber != nullptr)
        *errorNumber = file.ErrorNumber();
    return false;
}

} // namespace kestrava
