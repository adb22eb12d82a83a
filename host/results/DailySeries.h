// The daily series behind the evaluation's two day-by-day graphs: for every
// test that has a result file (or none yet), one value per calendar day from
// the earliest day any test was practised to the latest one.
//
// A test counts 0 % until its first day with results and then keeps its
// last daily mean until a newer one, so the learning curve (the mean over
// all tests, day by day) rises as tests are taken up and never drops to
// nothing on a day a test was left alone.
//
// [ui-thread] Built when the evaluation opens, dropped when it closes.
#pragma once

#include "host/results/ResultReaders.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrava {

// The start values of the day search: 31 December 5000 and 1 January 0001,
// in days since 1899-12-30. Days outside them never enter a series: a
// damaged timestamp would otherwise stretch every slot over millions of
// days.
inline constexpr double kSeriesNoEarliest = 1132618.0;
inline constexpr double kSeriesNoLatest = -693593.0;

struct DailySeries {
    // One slot per test whose daily results could be read (a missing file
    // included), in the order the tests were given. Every slot holds the
    // same number of values, one per day from FirstDay().
    std::vector<std::vector<double>> slots;
    // For each slot, the index of the test it belongs to.
    std::vector<int32_t> slotTest;
    double earliest = kSeriesNoEarliest;
    double latest = kSeriesNoLatest;
    int32_t earliestSlot = -1;
    int32_t latestSlot = -1;
    // The slot of the test selected for details; -1 when none is selected
    // or the selected test has no slot of its own.
    int32_t selectedSlot = -1;

    double FirstDay() const { return earliest; }
    // Values per slot (D + 1 of the graphs' D days).
    int64_t Entries() const { return slots.empty() ? 0 : static_cast<int64_t>(slots.front().size()); }
    // The day-by-day graphs need at least two different days.
    bool HasDayRange() const { return earliestSlot >= 0 && latestSlot >= 0 && earliest < latest; }
    // The learning curve's value at entry i: the mean over all slots.
    double MeanAt(int64_t i) const;
};

// Builds the series from every test's daily results, in catalogue order.
// selectedTest is the index (into tests) of the test chosen for details, or
// -1. A test whose count is negative (a no-results marker, a file without a
// whole record) gets no slot.
DailySeries BuildDailySeries(const std::vector<DailyResults>& tests, int32_t selectedTest);

// The same, reading each result file through ReadDailyResults.
DailySeries BuildDailySeries(const std::vector<std::string>& resultPaths, int32_t selectedTest);

} // namespace kestrava
