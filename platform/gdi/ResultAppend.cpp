#include "platform/gdi/ResultAppend.h"

#include "platform/gdi/DurableFile.h"
#include "platform/gdi/FileAccess.h"
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

// Renames from to to unless to exists. RENAME_NOREPLACE where the file
// system has it; elsewhere (an older kernel, some network or FAT file
// systems) a hard link, and last a look before the rename, which the folder
// lock that every writer holds makes safe among this program's writers.
// 0 or the errno; EEXIST when to is taken.
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::link(from.c_str(), to.c_str()) == 0)
        return ::unlink(from.c_str()) == 0 ? 0 : errno;
    if (errno == EEXIST)
        return EEXIST;
    struct stat taken {};
    if (::lstat(to.c_str(), &taken) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int64_t LocalSecondsNow()
{
    const time_t now = ::time(nullptr);
    tm local{};
    ::localtime_r(&now, &local);
    return static_cast<int64_t>(now) + local.tm_gmtoff;
}

// Renames the damaged file at path to a free name of SetAsideNameFor.
// Empty, with error set, when that failed; the file is then where it was.
std::string SetAsideDamaged(const std::string& path, std::string& error)
{
    const std::string base = SetAsideNameFor(path, LocalSecondsNow());
    for (int n = 1; n <= 100; ++n) {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        const int result = RenameNoReplace(path, name);
        if (result == 0)
            return name;
        if (result != EEXIST) {
            error = std::string("cannot set the damaged file aside: ") + std::strerror(result);
            return {};
        }
    }
    error = "cannot set the damaged file aside: every name for this minute is taken";
    return {};
}

// Writes header and first record through a DurableFile. With damaged set,
// the file at path is renamed aside once the new one is complete, so a
// write that fails leaves it where it was.
AppendReport CreateWhole(const std::string& path, const std::vector<std::string>& partNames,
                         const std::vector<unsigned char>& record, const std::string& damaged = {})
{
    std::vector<unsigned char> bytes = EncodeHeader(partNames);
    bytes.insert(bytes.end(), record.begin(), record.end());
    DurableFile file(path);
    if (!file.Write(bytes.data(), bytes.size()))
        return {AppendStatus::Failed, file.Error(), {}};
    std::string setAside;
    if (!damaged.empty()) {
        std::string failure;
        setAside = SetAsideDamaged(path, failure);
        if (setAside.empty())
            return {AppendStatus::Failed, failure, {}};
    }
    if (!file.Commit()) {
        if (file.Renamed())
            return {AppendStatus::Failed, file.Error(), setAside};
        if (!setAside.empty())
            RenameNoReplace(setAside, path);
        return {AppendStatus::Failed, file.Error(), {}};
    }
    return {AppendStatus::Created, damaged, setAside};
}

// Why a file that starts with this part count is no result file at all;
// empty when it is one (ours, another test's, or the no-results marker).
std::string DamageOf(int32_t parts, int32_t ours, int64_t size)
{
    if (parts < 0)
        return "a negative part count (" + std::to_string(parts) + ")";
    if (parts == 0 || resultfile::HeaderSize(parts) <= size)
        return {};
    if (parts == ours)
        return "a header cut short (" + std::to_string(size) + " bytes)";
    return std::to_string(parts) + " parts per record, more than its " + std::to_string(size) + " bytes can name";
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
        return {AppendStatus::Failed, "the record's parts do not match the part names", {}};
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
                                          : std::string("cannot lock the result folder: ") + std::strerror(lock.ErrorNumber()),
                {}};

    FileDescriptor file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT)
            return CreateWhole(path, partNames, bytes);
        return {AppendStatus::Failed, ErrnoText("cannot open"), {}};
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0)
        return {AppendStatus::Failed, ErrnoText("cannot examine"), {}};
    if (!S_ISREG(info.st_mode))
        return {AppendStatus::Failed, "not a regular file", {}};
    const int64_t size = info.st_size;
    if (size == 0) {
        // Nothing to keep: written anew.
        file.Close();
        return CreateWhole(path, partNames, bytes);
    }

    std::string damage;
    if (size < resultfile::kCountSize) {
        damage = "too short for a part count (" + std::to_string(size) + " bytes)";
    } else {
        unsigned char count[4];
        if (::pread(file.Get(), count, sizeof count, 0) != static_cast<ssize_t>(sizeof count))
            return {AppendStatus::Failed, ErrnoText("cannot read the part count"), {}};
        const auto parts = static_cast<int32_t>(static_cast<uint32_t>(count[0]) | static_cast<uint32_t>(count[1]) << 8 |
                                                static_cast<uint32_t>(count[2]) << 16 | static_cast<uint32_t>(count[3]) << 24);
        damage = DamageOf(parts, partCount, size);
        if (damage.empty() && parts != partCount)
            return {AppendStatus::Kept,
                    "the file holds " + std::to_string(parts) + " parts per record, not " + std::to_string(partCount) +
                        "; left unchanged",
                    {}};
    }
    if (!damage.empty()) {
        file.Close();
        return CreateWhole(path, partNames, bytes, "not a result file: " + damage);
    }

    const int64_t end = headerSize + (size - headerSize) / recordSize * recordSize;
    if (end != size && ::ftruncate(file.Get(), static_cast<off_t>(end)) != 0)
        return {AppendStatus::Failed, ErrnoText("cannot cut off a partial record"), {}};
    std::string failure;
    if (!WriteAllAt(file.Get(), bytes, end))
        failure = ErrnoText("cannot write");
    else if (::fsync(file.Get()) != 0)
        failure = ErrnoText("cannot flush");
    if (!failure.empty()) {
        // What part of the record fit would read as a torn record; the file
        // goes back to its whole records, as it was before.
        if (::ftruncate(file.Get(), static_cast<off_t>(end)) != 0 || ::fsync(file.Get()) != 0)
            failure += "; " + ErrnoText("and the file could not be cut back to its whole records");
        return {AppendStatus::Failed, failure, {}};
    }
    if (!file.Close())
        return {AppendStatus::Failed, ErrnoText("cannot close"), {}};
    return {AppendStatus::Appended, {}, {}};
}

std::string SetAsideNameFor(const std::string& path, int64_t localSeconds)
{
    // localSeconds is local time already: split it as if it were UTC.
    const auto seconds = static_cast<time_t>(localSeconds);
    tm t{};
    ::gmtime_r(&seconds, &t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                  t.tm_min);
    return path + SetAsideInfix() + stamp;
}

void AppendResultAndEndTest(const char* module, const std::string& path, const std::vector<std::string>& partNames,
                            const ResultRecordBytes& record, const TOnTestEndSlot& onTestEnd)
{
    AppendReport report;
    try {
        report = path.empty() ? AppendReport{AppendStatus::Failed, "the module's path is empty", {}}
                              : AppendResultRecord(path, partNames, record);
    } catch (const std::exception& e) {
        report = {AppendStatus::Failed, e.what(), {}};
    }
    if (report.Status == AppendStatus::Kept || report.Status == AppendStatus::Failed)
        std::fprintf(stderr, "%s: no result written to %s: %s\n", module, path.c_str(), report.Message.c_str());
    else if (!report.SetAside.empty())
        std::fprintf(stderr, "%s: %s was %s; kept as %s, a new file holds this result\n", module, path.c_str(),
                     report.Message.c_str(), report.SetAside.c_str());

    if (onTestEnd.Code)
        onTestEnd.Code(onTestEnd.Context);
    else
        std::fprintf(stderr, "%s: the host gave no OnTestEnd callback\n", module);
}

} // namespace kestrava
