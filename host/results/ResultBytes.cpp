#include "host/results/ResultBytes.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrava::results_detail {

namespace {

enum class ReadOutcome { Read, Failed, TooLarge };

// Reads until the end of the file rather than trusting the size fstat gave:
// a module appending at the same moment may have grown the file since. What
// is read never exceeds kMaxResultFileSize, whatever the file grows to.
ReadOutcome ReadAll(int fd, RawResultFile& file)
{
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        file.errorNumber = errno;
        return ReadOutcome::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        file.notRegularFile = true;
        return ReadOutcome::Failed;
    }
    if (info.st_size > kMaxResultFileSize) {
        file.largeSize = info.st_size;
        return ReadOutcome::TooLarge;
    }
    // One byte more than the limit tells a file that grew past it.
    constexpr size_t kReadLimit = static_cast<size_t>(kMaxResultFileSize) + 1;
    std::vector<unsigned char>& bytes = file.bytes;
    bytes.resize(static_cast<size_t>(info.st_size) + 1);
    size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() >= kReadLimit) {
                file.largeSize = static_cast<int64_t>(used);
                return ReadOutcome::TooLarge;
            }
            bytes.resize(std::min(bytes.size() * 2, kReadLimit));
        }
        ssize_t got = read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            file.errorNumber = errno;
            return ReadOutcome::Failed;
        }
        if (got == 0)
            break;
        used += static_cast<size_t>(got);
    }
    if (used > static_cast<size_t>(kMaxResultFileSize)) {
        file.largeSize = static_cast<int64_t>(used);
        return ReadOutcome::TooLarge;
    }
    bytes.resize(used);
    return ReadOutcome::Read;
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
    const ReadOutcome outcome = ReadAll(fd, file);
    close(fd);
    if (outcome != ReadOutcome::Read) {
        std::vector<unsigned char>().swap(file.bytes);
        if (outcome == ReadOutcome::TooLarge)
            file.state = FileState::TooLarge;
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
