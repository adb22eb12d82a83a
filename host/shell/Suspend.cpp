#include "host/shell/Suspend.h"

#include "platform/gdi/DurableFile.h"
#include "platform/gdi/FileCause.h"
#include "protocol/MyMessages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrava {

namespace {

constexpr size_t kEntryBytes = sizeof(TRunEntry);
constexpr size_t kTitleBytes = sizeof(TShortString);
static_assert(kEntryBytes == 40 && kTitleBytes == 256, "the file stores 40-byte entries and 256-byte titles");

// The largest file the fields can describe: every read is checked against
// this before memory is taken for it.
constexpr int64_t kMaxFileBytes = 16 + int64_t(kMaxSuspendedEntries) * int64_t(kEntryBytes + kTitleBytes) +
                                  kMaxStateBytes + int64_t(kChecksumTrailerBytes);

// The trailer: the tag, then the CRC-32 of every byte before the trailer.
constexpr uint8_t kChecksumTag[4] = {'K', 'C', 'R', 'C'};

uint32_t Crc32(const uint8_t* data, size_t size)
{
    // zlib takes at most 4 GiB at once; a file here is far smaller.
    return static_cast<uint32_t>(::crc32(0L, data, static_cast<uInt>(size)));
}

void PutInt32(std::vector<uint8_t>& out, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

int32_t Int32At(const uint8_t* p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// A reader that never goes past the bytes it was given.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    size_t Left() const { return m_size - m_at; }
    bool Int32(int32_t& value)
    {
        if (Left() < 4)
            return false;
        value = Int32At(m_data + m_at);
        m_at += 4;
        return true;
    }
    const uint8_t* Take(size_t n)
    {
        if (Left() < n)
            return nullptr;
        const uint8_t* p = m_data + m_at;
        m_at += n;
        return p;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

const char* const kShort = "die Datei ist kürzer, als ihre Längenangaben sagen.";

} // namespace

std::string StoredTitle(const std::string& utf8Title)
{
    std::string bytes = Utf8ToCp1252(utf8Title);
    if (bytes.size() > 255)
        bytes.resize(255);
    return bytes;
}

std::string RefusalText(const std::string& reason)
{
    return "Der gespeicherte Testlauf kann nicht fortgesetzt werden: " + reason;
}

std::vector<uint8_t> EncodeSuspendedRun(const SuspendedRun& run)
{
    std::vector<uint8_t> out;
    const size_t n = run.entries.size();
    out.reserve(16 + n * (kEntryBytes + kTitleBytes) + run.state.size());
    PutInt32(out, static_cast<int32_t>(n * kEntryBytes));
    for (const TRunEntry& entry : run.entries) {
        uint8_t raw[kEntryBytes];
        std::memcpy(raw, &entry, kEntryBytes);
        out.insert(out.end(), raw, raw + kEntryBytes);
    }
    PutInt32(out, run.currentEntry);
    PutInt32(out, run.tickCount);
    for (size_t i = 0; i < n; ++i) {
        uint8_t field[kTitleBytes] = {};
        const std::string title = i < run.titles.size() ? run.titles[i].substr(0, 255) : std::string();
        field[0] = static_cast<uint8_t>(title.size());
        std::memcpy(field + 1, title.data(), title.size());
        out.insert(out.end(), field, field + kTitleBytes);
    }
    PutInt32(out, static_cast<int32_t>(run.state.size()));
    out.insert(out.end(), run.state.begin(), run.state.end());
    const uint32_t crc = Crc32(out.data(), out.size());
    out.insert(out.end(), std::begin(kChecksumTag), std::end(kChecksumTag));
    PutInt32(out, static_cast<int32_t>(crc));
    return out;
}

bool DecodeSuspendedRun(const uint8_t* data, size_t size, SuspendedRun& run, std::string& reason)
{
    // A file that ends in the tag and a checksum is checked whole before
    // any field is believed, and then read without its trailer; one without
    // the tag is the older form, read as it is.
    if (size >= kChecksumTrailerBytes) {
        const uint8_t* trailer = data + size - kChecksumTrailerBytes;
        if (std::memcmp(trailer, kChecksumTag, sizeof kChecksumTag) == 0) {
            size -= kChecksumTrailerBytes;
            if (static_cast<uint32_t>(Int32At(trailer + sizeof kChecksumTag)) != Crc32(data, size)) {
                reason = "die Datei ist beschädigt (ihre Prüfsumme stimmt nicht).";
                return false;
            }
        }
    }
    Bytes in(data, size);
    int32_t listBytes = 0;
    if (!in.Int32(listBytes)) {
        reason = "die Datei ist zu kurz.";
        return false;
    }
    if (listBytes <= 0 || listBytes % int32_t(kEntryBytes) != 0 ||
        listBytes / int32_t(kEntryBytes) > kMaxSuspendedEntries) {
        reason = "die Testliste muss 1 bis 10.000 Einträge halten.";
        return false;
    }
    const size_t n = size_t(listBytes) / kEntryBytes;
    SuspendedRun out;
    const uint8_t* list = in.Take(size_t(listBytes));
    if (list == nullptr || !in.Int32(out.currentEntry) || !in.Int32(out.tickCount)) {
        reason = kShort;
        return false;
    }
    out.entries.resize(n);
    std::memcpy(out.entries.data(), list, size_t(listBytes));
    out.titles.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* field = in.Take(kTitleBytes);
        if (field == nullptr) {
            reason = kShort;
            return false;
        }
        out.titles.emplace_back(reinterpret_cast<const char*>(field + 1), field[0]);
    }
    int32_t stateBytes = 0;
    if (!in.Int32(stateBytes)) {
        reason = kShort;
        return false;
    }
    if (stateBytes < 0 || stateBytes > kMaxStateBytes) {
        reason = "die Länge des Testzustands ist ungültig.";
        return false;
    }
    if (in.Left() < size_t(stateBytes)) {
        reason = kShort;
        return false;
    }
    if (in.Left() > size_t(stateBytes)) {
        reason = "die Datei ist länger, als ihre Längenangaben sagen.";
        return false;
    }
    const uint8_t* state = in.Take(size_t(stateBytes));
    out.state.assign(state, state + stateBytes);
    if (out.currentEntry < 0 || size_t(out.currentEntry) >= n) {
        reason = "der laufende Test liegt nicht in der Testliste.";
        return false;
    }
    run = std::move(out);
    return true;
}

bool SuspendFileExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

SuspendRead ReadSuspendedRun(const std::string& path, SuspendedRun& run, std::string& reason, int* errorNumber)
{
    const std::string unopened = "die Datei " + std::string(kSuspendFileName) + " lässt sich nicht öffnen: ";
    auto failed = [&](const std::string& what, int code) {
        reason = what + FileCauseText(code) + ".";
        if (errorNumber != nullptr)
            *errorNumber = code;
        return SuspendRead::Refused;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return SuspendRead::Missing;
        return failed(unopened, errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int code = errno;
        ::close(fd);
        return failed(unopened, code);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        const FileCause cause = S_ISDIR(info.st_mode) ? FileCause::FolderInTheWay : FileCause::NotRegularFile;
        reason = unopened + FileCauseText(cause) + ".";
        return SuspendRead::Refused;
    }
    if (info.st_size > kMaxFileBytes) {
        ::close(fd);
        reason = "die Datei ist größer, als ein gespeicherter Testlauf sein kann.";
        return SuspendRead::Refused;
    }
    // The size is taken once; a file that shrinks meanwhile is read only
    // as far as it goes and then found short.
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int code = errno;
            ::close(fd);
            return failed("die Datei " + std::string(kSuspendFileName) + " lässt sich nicht lesen: ", code);
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    if (!DecodeSuspendedRun(bytes.data(), done, run, reason))
        return SuspendRead::Refused;
    return SuspendRead::Loaded;
}

bool WriteSuspendedRun(const std::string& path, const SuspendedRun& run, std::string& error, int* errorNumber)
{
    const std::vector<uint8_t> bytes = EncodeSuspendedRun(run);
    return WriteFileDurably(path, bytes.data(), bytes.size(), error, errorNumber);
}

bool MatchSuspendedTitles(SuspendedRun& run, const TestCatalogue& catalogue, std::string& reason)
{
    std::vector<std::string> stored;
    stored.reserve(size_t(catalogue.Count()));
    for (const TestCatalogueEntry& test : catalogue.Entries())
        stored.push_back(StoredTitle(test.title));
    // The entries before the running one have run; nothing of them is
    // started again, so a test removed since does not stand in the way.
    const size_t ran = run.currentEntry > 0 ? std::min(size_t(run.currentEntry), run.entries.size()) : 0;
    std::vector<int32_t> indices(run.entries.size());
    for (size_t i = 0; i < run.entries.size(); ++i) {
        const std::string& title = i < run.titles.size() ? run.titles[i] : std::string();
        const auto last = std::find(stored.rbegin(), stored.rend(), title);
        if (last != stored.rend()) {
            indices[i] = static_cast<int32_t>(stored.rend() - last - 1);
        } else if (i < ran) {
            indices[i] = kNoCatalogueEntry;
        } else {
            reason = "der Test \xe2\x80\x9e" + Cp1252ToUtf8(title) + "\xe2\x80\x9c ist nicht mehr vorhanden.";
            return false;
        }
    }
    for (size_t i = 0; i < run.entries.size(); ++i)
        run.entries[i].CatalogueIndex = indices[i];
    return true;
}

bool CheckSuspendedTimes(const SuspendedRun& run, std::string& reason)
{
    for (const TRunEntry& entry : run.entries)
        if (entry.PlannedDuration <= 0 || entry.PlannedDuration % 10 != 0) {
            reason = "die Dauer eines Tests der Testliste ist beschädigt.";
            return false;
        }
    if (run.currentEntry < 0 || size_t(run.currentEntry) >= run.entries.size()) {
        reason = "der laufende Test liegt nicht in der Testliste.";
        return false;
    }
    const TRunEntry& current = run.entries[size_t(run.currentEntry)];
    const int32_t firstTick = -(std::max(current.Countdown, 0) / 10);
    if (run.tickCount < firstTick || run.tickCount >= current.PlannedDuration / 10) {
        reason = "der gespeicherte Zeitpunkt liegt außerhalb des Tests.";
        return false;
    }
    return true;
}

} // namespace kestrava
