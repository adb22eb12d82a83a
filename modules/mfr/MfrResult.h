// The Mehrfachreaktion test's result: its four parts, the overall result,
// the record the module appends to its result file (the module's path with
// the extension ".RLT"), and the call that tells the host the test is over.
//
// The parts, in file order:
//   "Richtige Reaktionen"     correct stimuli / stimuli x 100
//   "Fehlerfrei"              (stimuli - errors - false keys) / stimuli x 100,
//                             not below 0
//   "Nichts verpasst"         (stimuli - missed) / stimuli x 100
//   "Mittlere Reaktionszeit"  the mean reaction time of the correct answers
//                             as a time (-ms); with no correct answer the
//                             longest window, SLOWEST
// The overall result weighs them 40 : 20 : 20 : 20, the reaction time
// through its speed score: 100 % at 250 ms or faster, one point less for
// every 10 ms more, 0 % from 1250 ms on.
#pragma once

#include "modules/mfr/MfrSettings.h"
#include "modules/mfr/MfrState.h"
#include "modules/kit/Result.h"
#include "protocol/MyMessages.h"

#include <array>
#include <cstdint>
#include <string>

namespace kestrava::mfr {

inline constexpr int32_t kPartCount = 4;

// The part names of the file header, in record order, and the writing of
// a record (the kit's, shared by every module).
const kit::ResultSheet& Sheet();

struct ResultRecord {
    double Timestamp = 0.0;  // local time, days since 1899-12-30
    std::array<double, kPartCount> Parts{};
    int32_t DurationMs = 0;
    double Overall = 0.0;
};

// part / whole x 100, held to 0 to 100; 0.0 when nothing was counted, never
// NaN.
inline double Percent(int64_t part, int64_t whole) { return kit::ResultSheet::Percent(part, whole); }
// The mean reaction time in ms; the longest window when nothing was right.
double MeanReactionMs(const MfrState& state, const MfrSettings& settings);
// 0 to 100 for a mean reaction time in ms.
double SpeedScore(double meanMs);
ResultRecord MakeResultRecord(const MfrState& state, const MfrSettings& settings, uint32_t elapsedMs, double timestamp);

using kit::AppendReport;
using kit::AppendStatus;
using kit::LocalTimestampNow;

// The record as the file holds it.
ResultRecordBytes Bytes(const ResultRecord& record);

// Writes one record and flushes it to disk before returning. The record goes
// right after the last whole record (a torn tail from a crash is cut off);
// a new file is written under a temporary name and renamed into place. A
// file with another part count than 4 is not ours to change.
AppendReport WriteResultRecord(const std::string& path, const ResultRecord& record);

// Writes the record, reports a failure with one line on stderr, then calls
// OnTestEnd exactly once whatever happened. [tick-thread]
void AppendResult(const std::string& path, const ResultRecord& record, const TOnTestEndSlot& onTestEnd);

} // namespace kestrava::mfr
