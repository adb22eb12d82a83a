// The ZEK test's result: the four part results, the record the module appends
// to its result file (the module's path with the extension ".RLT"), and the
// call that tells the host the test is over.
#pragma once

#include "modules/zek/ZekState.h"
#include "protocol/MyMessages.h"

#include <array>
#include <cstdint>
#include <string>

namespace kestrava::zek {

inline constexpr int32_t kPartCount = 4;

// The part names of the file header, in record order, as Windows-1252 bytes.
const std::array<std::string, kPartCount>& PartNames();

struct ResultRecord {
    double Timestamp = 0.0;  // local time, days since 1899-12-30
    std::array<double, kPartCount> Parts{};  // percent, in PartNames() order
    int32_t DurationMs = 0;
    double Overall = 0.0;    // plain mean of the parts
};

// hits / trials x 100. A task with nothing counted (a task still open at the
// end is not yet done) scores 0.0, never NaN or infinity, which every reader
// of the file would carry into its means.
double PartResult(int32_t hits, int32_t trials);

// The record for a test that ended after elapsedMs.
ResultRecord MakeResultRecord(const ZekState& state, uint32_t elapsedMs, double timestamp);

// Local time as days since 1899-12-30 00:00 with the time of day as the
// fraction. localSeconds counts from 1970-01-01 00:00 local time.
double DateTimeFromLocalSeconds(int64_t localSeconds, int32_t milliseconds);
double LocalTimestampNow();

enum class AppendStatus {
    Appended,  // added after the last whole record of an existing file
    Created,   // the file was new (or too short to hold a header) and was written whole
    Kept,      // the file belongs to a test with another part count: left untouched
    Failed,    // an I/O error; see the message
};

struct AppendReport {
    AppendStatus Status = AppendStatus::Failed;
    std::string Message;  // why, for Kept and Failed
};

// Writes one record and flushes it to disk before returning.
//
// A crash during an earlier append may have left part of a record at the end
// of the file; writing after it would shift every later record, so the new
// record goes right after the last whole one and the rest is cut off. A new
// file is written under a temporary name and renamed into place, so no reader
// ever sees a half-written header. A file whose part count is not 4 (the
// "keeps no results" marker has 0) is not ours to change. The whole change
// happens under the advisory lock of the file's folder (FolderLock), so a
// second process appending at once waits instead of writing over this record.
AppendReport WriteResultRecord(const std::string& path, const ResultRecord& record);

// Writes the record, reports a record that could not be written with one
// line on stderr, then calls OnTestEnd exactly once whatever happened: the
// host waits for that call to move on to the next test. [tick-thread]
void AppendResult(const std::string& path, const ResultRecord& record, const TOnTestEndSlot& onTestEnd);

} // namespace kestrava::zek
