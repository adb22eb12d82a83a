#include "host/results/ResultBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrava::results_detail {

namespace {

// Reads until the end of the file rather than trusting the size fstat gave:
// a module appending at the same moment may have grown the file since.
bool ReadAll(int fd, std::vector<unsigned char>& bytes, int& errorNumber, bool& notRegularFile)
{
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        errorNumber = errno;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        notRegularFile = true;
        return false;
    }
    size_t capacity = static_cast<size_t>(info.st_size) + 1;
    bytes.resize(capacity);
    size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2);
        ssize_t got = read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            errorNumber = errno;
            return false;
        }
        if (got == 0)
            break;
        used += static_cast<size_t>(got);
    }
    bytes.resize(used);
    return true;
}

} // namespace

RawResultFile ReadRawResultFile(const std::string& path)
{
    RawResultFile file;
    // O_NONBLOCK keeps a FIFO or device that happens to carry the name from
    // blocking the open; ReadAll then rejects anything but a regular file.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        file.errorNumber = errno;
        return file;
    }
    bool ok = ReadAll(fd, file.bytes, file.errorNumber, file.notRegularFile);
    close(fd);
    if (!ok) {
        file.bytes.clear();
        return file;
    }

    if (file.Size() < resultfile::kCountSize) {
        file.state = FileState::TooShort;
        return file;
    }
    file.partCount = file.Int32At(0);
    if (file.partCount < 0) {
        file.state = FileState::NegativeParts;
        return file;
    }
    if (file.partCount == 0) {
        file.state = FileState::NoResults;
        return file;
    }
    // In int64 the header size of any int32 part count is exact, so an
    // absurd count simply fails this test instead of wrapping around.
    const int64_t header = resultfile::HeaderSize(file.partCount);
    if (header > file.Size()) {
        file.state = FileState::HeaderTooLarge;
        return file;
    }
    const int64_t recordSize = resultfile::RecordSize(file.partCount);
    file.state = FileState::Records;
    file.recordCount = (file.Size() - header) / recordSize;
    file.tailBytes = (file.Size() - header) % recordSize;
    return file;
}

int64_t RoundedDivision(int64_t a, int64_t b)
{
    int64_t quotient = a / b;
    int64_t remainder = a % b;  // same sign as a, |remainder| < b
    int64_t below = remainder < 0 ? -remainder : remainder;  // distance to the quotient
    int64_t above = b - below;                                 // distance to the next one out
    if (below > above || (below == above && quotient % 2 != 0))
        quotient += a < 0 ? -1 : 1;
    return quotient;
}

} // namespace kestrava::results_detail
