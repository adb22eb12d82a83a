// Appending one record to a test module's result file, the same for every
// module: the host reads all of them with the same readers.
#pragma once

#include "protocol/MyMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrava {

// Local time as days since 1899-12-30 00:00 with the time of day as the
// fraction. localSeconds counts from 1970-01-01 00:00 local time.
double DateTimeFromLocalSeconds(int64_t localSeconds, int32_t milliseconds);
double LocalTimestampNow();

struct ResultRecordBytes {
    double timestamp = 0.0;    // local time, days since 1899-12-30
    std::vector<double> parts; // one per part name; >= 0 percent, < 0 a time of -value ms
    int32_t durationMs = 0;
    double overall = 0.0;      // percent
};

enum class AppendStatus {
    Appended,  // added after the last whole record of an existing file
    Created,   // the file was new, empty or damaged (then set aside first) and was written whole
    Kept,      // the file belongs to a test with another part count: left untouched
    Failed,    // an I/O error; see the message. The file is as it was.
};

struct AppendReport {
    AppendStatus Status = AppendStatus::Failed;
    std::string Message;   // why, for Kept and Failed; what was damaged, for a file set aside
    std::string SetAside;  // Created: where the damaged file that stood in its place now is
};

// What a damaged result file is renamed to before a new one takes its name:
// path + SetAsideInfix() + the local time as YYYY-MM-DD-hhmm (+ "-2", "-3",
// ... when that name is taken). The host looks for such names to tell the
// candidate.
inline constexpr const char* SetAsideInfix() { return ".beschaedigt-"; }
std::string SetAsideNameFor(const std::string& path, int64_t localSeconds);

// Writes one record and flushes it to disk before returning. partNames are
// the header's names as Windows-1252 bytes (a new file gets them).
//
// A crash during an earlier append may have left part of a record at the end
// of the file; writing after it would shift every later record, so the new
// record goes right after the last whole one and the rest is cut off. A new
// file is written under a temporary name and renamed into place, so no reader
// ever sees a half-written header. A file with another part count (the
// "keeps no results" marker has 0) is not ours to change. A file that is no
// result file at all (too short for its part count, a negative or absurd
// count: what the readers take for damaged) would swallow every later
// record; it is renamed aside (SetAsideNameFor), never overwritten or
// deleted, and a new file takes its place. An append that fails (a full
// disk, a file size limit) cuts the file back to its whole records, so no
// torn record is left behind. The whole change
// happens under the advisory lock of the file's folder (FolderLock), so a
// second process appending at once waits instead of writing over this record.
AppendReport AppendResultRecord(const std::string& path, const std::vector<std::string>& partNames,
                                const ResultRecordBytes& record);

// Writes the record, reports a record that could not be written with one
// line on stderr (starting with module), then calls OnTestEnd exactly once
// whatever happened: the host waits for that call to move on to the next
// test. [tick-thread]
void AppendResultAndEndTest(const char* module, const std::string& path, const std::vector<std::string>& partNames,
                            const ResultRecordBytes& record, const TOnTestEndSlot& onTestEnd);

} // namespace kestrava
