#include "host/results/ResultReaders.h"

#include "host/results/ResultBytes.h"
#include "protocol/MyMessages.h"

#include <algorithm>
#include <cmath>

namespace kestrava {

using results_detail::FileState;
using results_detail::RawResultFile;
using results_detail::ReadRawResultFile;

namespace {

// Σ duration and Σ (duration × overall) of a run of records; the mean is
// 0.0 when there is no positive weight, so a file of zero-length runs does
// not divide by zero.
struct WeightedSum {
    int64_t totalMs = 0;
    double weighted = 0.0;

    void Add(int32_t durationMs, double overall)
    {
        totalMs += durationMs;
        weighted += static_cast<double>(durationMs) * overall;
    }
    double Mean() const { return totalMs > 0 ? weighted / static_cast<double>(totalMs) : 0.0; }
};

constexpr int64_t kMsPerDay = 86'400'000;
constexpr int64_t kMsPerHour = 3'600'000;
constexpr int64_t kRecentRecords = 5;

} // namespace

TestSummary ReadTestSummary(const std::string& path)
{
    const RawResultFile file = ReadRawResultFile(path);
    if (file.state == FileState::NoResults)
        return {0, kNoResultsMean};
    if (file.state != FileState::Records)
        return {};
    WeightedSum all;
    WeightedSum recent;
    const int64_t firstRecent = std::max<int64_t>(0, file.recordCount - kRecentRecords);
    for (int64_t i = 0; i < file.recordCount; ++i) {
        all.Add(file.Duration(i), file.Overall(i));
        if (i >= firstRecent)
            recent.Add(file.Duration(i), file.Overall(i));
    }
    return {all.totalMs, recent.Mean()};
}

TestTotals ReadTestTotals(const std::string& path)
{
    const RawResultFile file = ReadRawResultFile(path);
    if (file.state == FileState::NoResults)
        return {0, kNoResultsMean, false};
    if (file.state != FileState::Records)
        return {};
    WeightedSum all;
    bool passed = false;
    for (int64_t i = 0; i < file.recordCount; ++i) {
        const double overall = file.Overall(i);
        all.Add(file.Duration(i), overall);
        passed = passed || overall >= kPassMark;
    }
    return {all.totalMs, all.Mean(), passed};
}

OverallTotals ReadOverallTotals(const std::vector<std::string>& resultPaths)
{
    OverallTotals result;
    double weighted = 0.0;
    for (const std::string& path : resultPaths) {
        const TestTotals totals = ReadTestTotals(path);
        if (totals.totalMs > 0) {
            result.totalMs += totals.totalMs;
            weighted += static_cast<double>(totals.totalMs) * totals.mean;
        }
        if (IsNoResultsMarker(totals.totalMs, totals.mean))
            continue;
        if (totals.passed)
            ++result.testsPassed;
        else
            ++result.testsNotPassed;
    }
    result.mean = result.totalMs > 0 ? weighted / static_cast<double>(result.totalMs) : 0.0;
    return result;
}

DetailSummary ReadDetailSummary(const std::string& path)
{
    const RawResultFile file = ReadRawResultFile(path);
    DetailSummary detail;
    if (file.state != FileState::Records || file.recordCount == 0)
        return detail;
    WeightedSum all;
    // The starting values are the evaluation's: a best below 0 % or a worst
    // above 1000 % would not show, which no module writes.
    detail.best = 0.0;
    detail.worst = 1000.0;
    detail.firstTimestamp = file.Timestamp(0);
    for (int64_t i = 0; i < file.recordCount; ++i) {
        const double overall = file.Overall(i);
        all.Add(file.Duration(i), overall);
        if (overall > detail.best)
            detail.best = overall;
        if (overall < detail.worst)
            detail.worst = overall;
    }
    detail.recordCount = file.recordCount;
    detail.totalMs = all.totalMs;
    detail.mean = all.Mean();
    return detail;
}

double DayOfTimestamp(double timestamp) { return std::trunc(timestamp); }

DailyResults ReadDailyResults(const std::string& path)
{
    const RawResultFile file = ReadRawResultFile(path);
    DailyResults daily;
    if (file.state == FileState::NoResults || (file.state == FileState::Records && file.recordCount == 0)) {
        daily.count = -1;
        return daily;
    }
    if (file.state != FileState::Records)
        return daily;

    struct Group {
        double day;
        int64_t seconds;
        double weighted;
    };
    std::vector<Group> groups;
    for (int64_t i = 0; i < file.recordCount; ++i) {
        const double day = DayOfTimestamp(file.Timestamp(i));
        const int64_t seconds = results_detail::RoundedDivision(file.Duration(i), 1000);
        const double weighted = static_cast<double>(seconds) * file.Overall(i);
        if (!groups.empty() && groups.back().day == day) {
            groups.back().seconds += seconds;
            groups.back().weighted += weighted;
        } else {
            groups.push_back({day, seconds, weighted});
        }
    }
    daily.groups.reserve(groups.size());
    for (const Group& g : groups)
        daily.groups.push_back({g.day, g.seconds, g.seconds != 0 ? g.weighted / static_cast<double>(g.seconds) : 0.0});
    daily.count = static_cast<int64_t>(daily.groups.size());
    return daily;
}

int HourOfTimestamp(double timestamp)
{
    // In float64 throughout: every integer below 2^53 is exact and fmod is
    // exact, so this equals the integer computation wherever that fits, and
    // a timestamp far outside the calendar never reaches an integer
    // conversion that would be undefined.
    const double ms = std::nearbyint(timestamp * static_cast<double>(kMsPerDay));
    if (!std::isfinite(ms))
        return -1;
    const double ofDay = std::fmod(std::fabs(ms), static_cast<double>(kMsPerDay));
    return static_cast<int>(static_cast<int64_t>(ofDay) / kMsPerHour);
}

HourProfile BuildHourProfile(const std::vector<std::string>& resultPaths)
{
    std::array<double, 24> sums{};
    std::array<int64_t, 24> counts{};
    for (const std::string& path : resultPaths) {
        const RawResultFile file = ReadRawResultFile(path);
        if (file.state != FileState::Records)
            continue;
        for (int64_t i = 0; i < file.recordCount; ++i) {
            const int hour = HourOfTimestamp(file.Timestamp(i));
            if (hour < 0)
                continue;
            sums[static_cast<size_t>(hour)] += file.Overall(i);
            ++counts[static_cast<size_t>(hour)];
        }
    }
    HourProfile profile;
    for (size_t h = 0; h < profile.size(); ++h)
        profile[h] = counts[h] > 0 ? sums[h] / static_cast<double>(counts[h]) : kNoHourData;
    return profile;
}

RecordTally ReadRecordTally(const std::string& path)
{
    const RawResultFile file = ReadRawResultFile(path);
    return {file.state == FileState::NoResults, file.state == FileState::Records ? file.recordCount : 0};
}

LastRecord ReadLastRecord(const std::string& path) { return ReadRecordFromEnd(path, 0); }

LastRecord ReadRecordFromEnd(const std::string& path, int64_t back)
{
    const RawResultFile file = ReadRawResultFile(path);
    LastRecord last;
    // Whole records only, not whatever the last bytes of the file hold: a
    // record cut short at the end, or a header without records, would
    // otherwise be read as one.
    if (file.state != FileState::Records || back < 0 || back >= file.recordCount)
        return last;
    const int64_t i = file.recordCount - 1 - back;
    last.present = true;
    for (int32_t p = 0; p < file.partCount; ++p) {
        last.partNames.push_back(Cp1252ToUtf8(file.PartName(p)));
        last.record.parts.push_back(file.Part(i, p));
    }
    last.record.timestamp = file.Timestamp(i);
    last.record.durationMs = file.Duration(i);
    last.record.overall = file.Overall(i);
    return last;
}

} // namespace kestrava
