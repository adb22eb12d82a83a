// The readers of result files: every figure the test list, the program
// composition, the end screen and the evaluation show is computed here.
//
// A reader opens the file read-only, reads it in one go, computes its
// summary and closes it; the host never keeps a result file open. A missing
// file is not an error. A damaged file (shorter than its part count, a
// negative part count, a header larger than the file) reads like a missing
// one, and a record cut short at the end of the file is ignored.
//
// Durations are summed in int64 although a record holds int32 milliseconds:
// 100,000 runs of 10 minutes already exceed int32, and summing in int32
// would overflow.
//
// The no-results marker: a file with part count 0 belongs to a test that
// keeps no results. Its summaries carry total duration 0 and mean exactly
// 100.0, a pair that no file with records can produce (a mean over no
// weight is 0.0), and the callers recognise the marker by that pair.
//
// [ui-thread] Nothing here keeps state; the functions may be called from any
// thread, but the host calls them while no run is active.
#pragma once

#include "host/results/ResultRecords.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrava {

inline constexpr double kNoResultsMean = 100.0;
// An overall result of at least this much in one run passes the test.
inline constexpr double kPassMark = 83.0;

inline bool IsNoResultsMarker(int64_t totalMs, double mean) { return totalMs == 0 && mean == kNoResultsMean; }

struct TestSummary {
    int64_t totalMs = 0;     // all records
    double recentMean = 0.0; // time-weighted, last five records
};

struct TestTotals {
    int64_t totalMs = 0;
    double mean = 0.0;  // time-weighted, all records
    bool passed = false;
};

struct OverallTotals {
    int64_t totalMs = 0;
    double mean = 0.0;  // weighted by each test's total duration
    int32_t testsNotPassed = 0;
    int32_t testsPassed = 0;
};

struct DetailSummary {
    int64_t recordCount = 0;  // 0: never done; the other fields are then unused
    double firstTimestamp = 0.0;
    int64_t totalMs = 0;
    double mean = 0.0;    // time-weighted
    double best = 0.0;    // largest overall result
    double worst = 0.0;   // smallest overall result
};

struct DailyGroup {
    double day = 0.0;     // whole days since 1899-12-30
    int64_t seconds = 0;  // int64 for the same reason as the duration totals
    double mean = 0.0;    // weighted by whole seconds
};

struct DailyResults {
    // Number of groups; -1 when the file exists but holds no usable record
    // (part count 0, or no whole record), 0 when it is missing.
    int64_t count = 0;
    std::vector<DailyGroup> groups;
};

// One mean per hour of the day; kNoHourData where an hour has no record.
using HourProfile = std::array<double, 24>;
inline constexpr double kNoHourData = -1.0;

struct LastRecord {
    bool present = false;                // false: nothing to show
    std::vector<std::string> partNames;  // UTF-8
    ResultRecord record;
};

// Test list and program composition: total over all records, recent mean
// over the last five. Missing: 0 and 0.0; part count 0: the marker.
TestSummary ReadTestSummary(const std::string& path);

// Passed when at least one run reached kPassMark. Missing: all zero;
// part count 0: the marker, not passed.
TestTotals ReadTestTotals(const std::string& path);

// Over the result files of all tests, each through ReadTestTotals. A test
// that was never practised counts as not passed; a no-results marker is not
// counted at all.
OverallTotals ReadOverallTotals(const std::vector<std::string>& resultPaths);

DetailSummary ReadDetailSummary(const std::string& path);

// Records grouped by consecutive runs on the same day (a day that comes back
// after another day starts a new group).
DailyResults ReadDailyResults(const std::string& path);

// Plain (not time-weighted) mean of the overall results per hour of the day
// over the records of all given files; missing and no-results files add
// nothing.
HourProfile BuildHourProfile(const std::vector<std::string>& resultPaths);

// The hour 0-23 of a timestamp: the time of day rounded to whole
// milliseconds; for a timestamp before 1899-12-30 the fraction counts
// forward from midnight, as the fraction's absolute value. -1 for a
// timestamp that is not a finite number.
int HourOfTimestamp(double timestamp);

// The calendar day of a timestamp: truncated toward zero.
double DayOfTimestamp(double timestamp);

// How many whole records a file holds, for the runner to tell whether a
// test's record really arrived: a missing or damaged file holds none, and
// the no-results marker is told apart.
struct RecordTally {
    bool noResults = false;
    int64_t records = 0;
};
RecordTally ReadRecordTally(const std::string& path);

// The newest whole record with the header's names, for the end screen.
LastRecord ReadLastRecord(const std::string& path);
// The whole record `back` places before the newest (0: the newest), with
// the header's names; not present when the file holds fewer records. A run
// that played one test in several segments shows each segment's record.
LastRecord ReadRecordFromEnd(const std::string& path, int64_t back);

} // namespace kestrava
