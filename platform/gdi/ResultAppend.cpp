#include "platform/gdi/ResultAppend.h"

#include "platform/gdi/FileAccess.h"
#include "platform/gdi/Paths.h"
#include "protocol/ResultFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrava {

namespace {

// 1970-01-01 counted in days from 1899-12-30.
constexpr int64_t kUnixEpochDays = 25569;
constexpr int64_t kSecondsPerDay = 86400;

void PutInt32(std::vector<unsigned char>& out, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(bits >> shift));
}

void PutDouble(std::vector<unsigned char>& out, double value)
{
    const auto bits = std::bit_cast<uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        out.push_back(static_cast<unsigned char>(bits >> shift));
}

std::vector<unsigned char> EncodeHeader(const std::vector<std::string>& partNames)
{
    std::vector<unsigned char> out;
    PutInt32(out, static_cast<int32_t>(partNames.size()));
    for (const std::string& name : partNames) {
        std::array<unsigned char, resultfile::kNameSlotSize> slot{};
        const size_t length = std::min<size_t>(name.size(), resultfile::kNameSlotSize - 1);
        slot[0] = static_cast<unsigned char>(length);
        std::memcpy(slot.data() + 1, name.data(), length);
        out.insert(out.end(), slot.begin(), slot.end());
    }
    return out;
}

std::vector<unsigned char> EncodeRecord(const ResultRecordBytes& record)
{
    std::vector<unsigned char> out;
    PutDouble(out, record.timestamp);
    for (double part : record.parts)
        PutDouble(out, part);
    PutInt32(out, record.durationMs);
    PutInt32(out, 0);  // reserved
    PutDouble(out, record.overall);
    return out;
}

std::string ErrnoText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }
    // Closes now, so that an error of the close itself is seen.
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAllAt(int fd, const std::vector<unsigned char>& bytes, int64_t offset)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool SyncFolderOf(const std::string& path)
{
    const std::string folder = ExtractFilePath(path);
    const char* name = folder.empty() ? "." : folder.c_str();
    FileDescriptor dir(::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.Get() >= 0 && ::fsync(dir.Get()) == 0;
}

// Writes header and first record to a temporary file beside the target,
// flushes it and renames it into place, then flushes the folder so the
// rename itself survives a power loss.
AppendReport CreateWhole(const std::string& path, const std::vector<std::string>& partNames,
                         const std::vector<unsigned char>& record)
{
    const std::string temporary = TemporaryPathFor(path);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        // Left behind by an earlier process of the same id that died
        // between creating and renaming it.
        ::unlink(temporary.c_str());
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (fd < 0)
        return {AppendStatus::Failed, ErrnoText("cannot create the file")};

    FileDescriptor file(fd);
    std::vector<unsigned char> bytes = EncodeHeader(partNames);
    bytes.insert(bytes.end(), record.begin(), record.end());
    std::string failure;
    if (!WriteAllAt(file.Get(), bytes, 0))
        failure = ErrnoText("cannot write");
    else if (::fsync(file.Get()) != 0)
        failure = ErrnoText("cannot flush");
    else if (!file.Close())
        failure = ErrnoText("cannot close");
    else if (::rename(temporary.c_str(), path.c_str()) != 0)
        failure = ErrnoText("cannot rename into place");
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        return {AppendStatus::Failed, failure};
    }
    if (!SyncFolderOf(path))
        return {AppendStatus::Failed, ErrnoText("written, but the folder could not be flushed")};
    return {AppendStatus::Created, {}};
}

} // namespace

double DateTimeFromLocalSeconds(int64_t localSeconds, int32_t milliseconds)
{
    // Whole days and the time of day apart, so the fraction keeps its
    // millisecond precision; floor division keeps days before 1970 right.
    int64_t days = localSeconds / kSecondsPerDay;
    int64_t secondOfDay = localSeconds % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    const double fraction = static_cast<double>(secondOfDay * 1000 + milliseconds) / (kSecondsPerDay * 1000.0);
    return static_cast<double>(days + kUnixEpochDays) + fraction;
}

double LocalTimestampNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    const time_t seconds = now.tv_sec;
    ::localtime_r(&seconds, &local);
    return DateTimeFromLocalSeconds(static_cast<int64_t>(now.tv_sec) + local.tm_gmtoff,
                                    static_cast<int32_t>(now.tv_nsec / 1000000));
}

AppendReport AppendResultRecord(const std::string& path, const std::vector<std::string>& partNames,
                                const ResultRecordBytes& record)
{
    const auto partCount = static_cast<int32_t>(partNames.size());
    if (record.parts.size() != partNames.size())
        return {AppendStatus::Failed, "the record's parts do not match the part names"};
    const int64_t headerSize = resultfile::HeaderSize(partCount);
    const int64_t recordSize = resultfile::RecordSize(partCount);
    const std::vector<unsigned char> bytes = EncodeRecord(record);

    // Another process appending to the same file at the same moment would
    // find the same end and write over this record; the folder lock makes
    // the two appends one after the other.
    const FolderLock lock(path);
    if (!lock.Held())
        return {AppendStatus::Failed, lock.ErrorNumber() == EWOULDBLOCK
                                          ? std::string("another writer holds the result folder")
                                          : std::string("cannot lock the result folder: ") + std::strerror(lock.ErrorNumber())};

    FileDescriptor file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT)
            return CreateWhole(path, partNames, bytes);
        return {AppendStatus::Failed, ErrnoText("cannot open")};
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0)
        return {AppendStatus::Failed, ErrnoText("cannot examine")};
    if (!S_ISREG(info.st_mode))
        return {AppendStatus::Failed, "not a regular file"};
    const int64_t size = info.st_size;

    if (size >= resultfile::kCountSize) {
        unsigned char count[4];
        if (::pread(file.Get(), count, sizeof count, 0) != static_cast<ssize_t>(sizeof count))
            return {AppendStatus::Failed, ErrnoText("cannot read the part count")};
        const auto parts = static_cast<int32_t>(static_cast<uint32_t>(count[0]) | static_cast<uint32_t>(count[1]) << 8 |
                                                static_cast<uint32_t>(count[2]) << 16 | static_cast<uint32_t>(count[3]) << 24);
        if (parts != partCount)
            return {AppendStatus::Kept, "the file holds " + std::to_string(parts) + " parts per record, not " +
                                            std::to_string(partCount) + "; left unchanged"};
    }
    if (size < headerSize) {
        // Too short for the names: a header cut off before it was complete,
        // which cannot hold a record. Write it anew as a new file.
        file.Close();
        return CreateWhole(path, partNames, bytes);
    }

    const int64_t end = headerSize + (size - headerSize) / recordSize * recordSize;
    if (end != size && ::ftruncate(file.Get(), static_cast<off_t>(end)) != 0)
        return {AppendStatus::Failed, ErrnoText("cannot cut off a partial record")};
    if (!WriteAllAt(file.Get(), bytes, end))
        return {AppendStatus::Failed, ErrnoText("cannot write")};
    if (::fsync(file.Get()) != 0)
        return {AppendStatus::Failed, ErrnoText("cannot flush")};
    if (!file.Close())
        return {AppendStatus::Failed, ErrnoText("cannot close")};
    return {AppendStatus::Appended, {}};
}

void AppendResultAndEndTest(const char* module, const std::string& path, const std::vector<std::string>& partNames,
                            const ResultRecordBytes& record, const TOnTestEndSlot& onTestEnd)
{
    AppendReport report;
    try {
        report = path.empty() ? AppendReport{AppendStatus::Failed, "the module's path is empty"}
                              : AppendResultRecord(path, partNames, record);
    } catch (const std::exception& e) {
        report = {AppendStatus::Failed, e.what()};
    }
    if (report.Status == AppendStatus::Kept || report.Status == AppendStatus::Failed)
        std::fprintf(stderr, "%s: no result written to %s: %s\n", module, path.c_str(), report.Message.c_str());

    if (onTestEnd.Code)
        onTestEnd.Code(onTestEnd.Context);
    else
        std::fprintf(stderr, "%s: the host gave no OnTestEnd callback\n", module);
}

} // namespace kestrava
