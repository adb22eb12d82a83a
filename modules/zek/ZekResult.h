// The ZEK test's result: the four part results, the record the module appends
// to its result file (the module's path with the extension ".RLT"), and the
// call that tells the host the test is over.
#pragma once

#include "modules/zek/ZekState.h"
#include "platform/gdi/ResultAppend.h"
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

// hits / trials x 100, held to 0 to 100. A task with nothing counted (a task
// still open at the end is not yet done) scores 0.0, never NaN or infinity,
// which every reader of the file would carry into its means.
double PartResult(int32_t hits, int32_t trials);

// The record for a test that ended after elapsedMs.
ResultRecord MakeResultRecord(const ZekState& state, uint32_t elapsedMs, double timestamp);

// The record format, the appending and the local timestamps are the
// drawing library's, shared by every module.
using kestrava::AppendReport;
using kestrava::AppendStatus;
using kestrava::DateTimeFromLocalSeconds;
using kestrava::LocalTimestampNow;

// Writes one record and flushes it to disk before returning
// (AppendResultRecord with this test's part names).
AppendReport WriteResultRecord(const std::string& path, const ResultRecord& record);

// Writes the record, reports a record that could not be written with one
// line on stderr, then calls OnTestEnd exactly once whatever happened: the
// host waits for that call to move on to the next test. [tick-thread]
void AppendResult(const std::string& path, const ResultRecord& record, const TOnTestEndSlot& onTestEnd);

} // namespace kestrava::zek
