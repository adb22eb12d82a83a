#include "host/results/ResultReaders.h"

#include "host/results/ResultBytes.h"
#include "host/results/ResultRecords.h"
#include "tests/support/ChildProcess.h"

#include "ResultFileBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <limits>

namespace kestrava {
namespace {

using testing::ResultBytes;
using testing::TempFolder;

constexpr double kDay = 45000.0;  // 2023-03-15

double At(double day, double msOfDay) { return day + msOfDay / 86'400'000.0; }

TEST(ReadTestSummary, RecentMeanCoversTheLastFiveRecords)
{
    TempFolder dir;
    // Durations 1, 2, 3, 4, 10 s with overall 10, 20, 30, 40, 50:
    // Σd = 20,000 ms, Σd·o = 10,000 + 40,000 + 90,000 + 160,000 + 500,000
    // = 800,000, recent mean 40.0 over all five.
    ResultBytes file(4);
    file.Record(kDay, 1000, 10).Record(kDay, 2000, 20).Record(kDay, 3000, 30).Record(kDay, 4000, 40).Record(kDay, 10000, 50);
    file.WriteTo(dir / "FIVE.RLT");
    TestSummary five = ReadTestSummary(dir / "FIVE.RLT");
    EXPECT_EQ(five.totalMs, 20000);
    EXPECT_DOUBLE_EQ(five.recentMean, 40.0);

    // A sixth run (1 s, 20) pushes the first out of the recent mean:
    // Σd = 2,000 + 3,000 + 4,000 + 10,000 + 1,000 = 20,000 and
    // Σd·o = 40,000 + 90,000 + 160,000 + 500,000 + 20,000 = 810,000, so 40.5;
    // the total duration still counts it: 21,000.
    file.Record(kDay, 1000, 20);
    file.WriteTo(dir / "SIX.RLT");
    TestSummary six = ReadTestSummary(dir / "SIX.RLT");
    EXPECT_EQ(six.totalMs, 21000);
    EXPECT_DOUBLE_EQ(six.recentMean, 40.5);

    // The totals' mean is over all six: 820,000 / 21,000.
    EXPECT_DOUBLE_EQ(ReadTestTotals(dir / "SIX.RLT").mean, 820000.0 / 21000.0);
}

TEST(ReadTestTotals, PassedNeedsOneRunOfAtLeast83)
{
    TempFolder dir;
    ResultBytes(4).Record(kDay, 60000, 50.0).Record(kDay, 60000, 83.0).Record(kDay, 60000, 40.0).WriteTo(dir / "A.RLT");
    ResultBytes(4).Record(kDay, 60000, 82.99).Record(kDay, 60000, 82.99).WriteTo(dir / "B.RLT");

    TestTotals a = ReadTestTotals(dir / "A.RLT");
    EXPECT_TRUE(a.passed);
    EXPECT_EQ(a.totalMs, 180000);
    EXPECT_DOUBLE_EQ(a.mean, (50.0 + 83.0 + 40.0) / 3.0);

    TestTotals b = ReadTestTotals(dir / "B.RLT");
    EXPECT_FALSE(b.passed);
    EXPECT_DOUBLE_EQ(b.mean, 82.99);
}

TEST(ReadOverallTotals, WeightsTestsByDurationAndCountsPassedTests)
{
    TempFolder dir;
    // A: 120 s at a mean of 80, passed by its 90. B: 240 s at 50, not passed.
    ResultBytes(4).Record(kDay, 60000, 90).Record(kDay, 60000, 70).WriteTo(dir / "A.RLT");
    ResultBytes(4).Record(kDay, 240000, 50).WriteTo(dir / "B.RLT");
    ResultBytes(0).WriteTo(dir / "MARKER.RLT");
    ResultBytes(-1).WriteTo(dir / "BROKEN.RLT");

    // Mean (120,000·80 + 240,000·50) / 360,000 = 60. The missing and the
    // broken file count as never practised (not passed); the marker not at all.
    OverallTotals o = ReadOverallTotals({dir / "A.RLT", dir / "B.RLT", dir / "MISSING.RLT", dir / "MARKER.RLT", dir / "BROKEN.RLT"});
    EXPECT_EQ(o.totalMs, 360000);
    EXPECT_DOUBLE_EQ(o.mean, 60.0);
    EXPECT_EQ(o.testsPassed, 1);
    EXPECT_EQ(o.testsNotPassed, 3);

    OverallTotals none = ReadOverallTotals({});
    EXPECT_EQ(none.totalMs, 0);
    EXPECT_EQ(none.mean, 0.0);
    EXPECT_EQ(none.testsPassed + none.testsNotPassed, 0);
}

TEST(ReadDetailSummary, FirstTimestampTotalMeanBestAndWorst)
{
    TempFolder dir;
    // Mean (1,000·70 + 3,000·90 + 0·10) / 4,000 = 85; the zero-length run
    // still counts as a record and as the worst.
    ResultBytes(4).Record(kDay + 0.5, 1000, 70).Record(kDay + 1.5, 3000, 90).Record(kDay + 2.5, 0, 10).WriteTo(dir / "D.RLT");
    DetailSummary d = ReadDetailSummary(dir / "D.RLT");
    EXPECT_EQ(d.recordCount, 3);
    EXPECT_EQ(d.firstTimestamp, kDay + 0.5);
    EXPECT_EQ(d.totalMs, 4000);
    EXPECT_DOUBLE_EQ(d.mean, 85.0);
    EXPECT_EQ(d.best, 90.0);
    EXPECT_EQ(d.worst, 10.0);

    // Without any weight every mean is 0.0 rather than a division by zero.
    ResultBytes(4).Record(kDay, 0, 70).Record(kDay, 0, 90).WriteTo(dir / "ZERO.RLT");
    EXPECT_EQ(ReadDetailSummary(dir / "ZERO.RLT").mean, 0.0);
    EXPECT_EQ(ReadTestTotals(dir / "ZERO.RLT").mean, 0.0);
    EXPECT_EQ(ReadTestSummary(dir / "ZERO.RLT").recentMean, 0.0);
}

TEST(ReadLastRecord, NewestWholeRecordWithNamesAndTimeResults)
{
    TempFolder dir;
    // "Reaktionsvermögen" with ö as the Windows-1252 byte 0xF6.
    ResultBytes file(4, {"Links", "Rechts", "Reaktionsverm\xF6gen", "Kopfrechnen"});
    file.Record(kDay, 600000, 55.0, {1, 2, 3, 4});
    file.Record(kDay + 0.25, 600500, 77.5, {12.5, -1234.0, 100.0, 0.0});
    file.WriteTo(dir / "ZEK.RLT");
    // A crash during a third append left 20 bytes of it behind.
    file.Raw(std::string(20, '\x40')).WriteTo(dir / "TORN.RLT");

    for (const char* name : {"ZEK.RLT", "TORN.RLT"}) {
        SCOPED_TRACE(name);
        LastRecord last = ReadLastRecord(dir / name);
        ASSERT_TRUE(last.present);
        EXPECT_EQ(last.partNames, (std::vector<std::string>{"Links", "Rechts", "Reaktionsverm\xC3\xB6gen", "Kopfrechnen"}));
        // -1234.0 is a time of 1.234 s and must come back unchanged.
        EXPECT_EQ(last.record.parts, (std::vector<double>{12.5, -1234.0, 100.0, 0.0}));
        EXPECT_EQ(last.record.overall, 77.5);
        EXPECT_EQ(last.record.durationMs, 600500);
        EXPECT_EQ(last.record.timestamp, kDay + 0.25);
    }

    // A header without records has nothing to show (it must not read the
    // names as a record).
    ResultBytes(4, {"A", "B", "C", "D"}).WriteTo(dir / "EMPTY.RLT");
    EXPECT_FALSE(ReadLastRecord(dir / "EMPTY.RLT").present);
}

TEST(ReadDailyResults, GroupsConsecutiveRunsOfADayWeightedByWholeSeconds)
{
    TempFolder dir;
    // 1,499 ms is 1 s; 2,500 ms is 2 s and 3,500 ms is 4 s (ties to even);
    // 500 ms is 0 s.
    ResultBytes(4)
        .Record(kDay + 0.25, 1499, 90)
        .Record(kDay + 0.75, 2500, 60)
        .Record(kDay + 1.10, 3500, 50)
        .Record(kDay + 0.90, 500, 99)  // day 45000 again, after another day
        .WriteTo(dir / "D.RLT");
    DailyResults daily = ReadDailyResults(dir / "D.RLT");
    ASSERT_EQ(daily.count, 3);
    ASSERT_EQ(daily.groups.size(), 3u);
    // (1·90 + 2·60) / 3 = 70.
    EXPECT_EQ(daily.groups[0].day, kDay);
    EXPECT_EQ(daily.groups[0].seconds, 3);
    EXPECT_DOUBLE_EQ(daily.groups[0].mean, 70.0);
    EXPECT_EQ(daily.groups[1].day, kDay + 1);
    EXPECT_EQ(daily.groups[1].seconds, 4);
    EXPECT_DOUBLE_EQ(daily.groups[1].mean, 50.0);
    // A group without whole seconds has mean 0.0.
    EXPECT_EQ(daily.groups[2].day, kDay);
    EXPECT_EQ(daily.groups[2].seconds, 0);
    EXPECT_EQ(daily.groups[2].mean, 0.0);

    // The day truncates toward zero, also before 1899-12-30.
    EXPECT_EQ(DayOfTimestamp(-1.5), -1.0);
    EXPECT_EQ(DayOfTimestamp(kDay + 0.999), kDay);
}

TEST(BuildHourProfile, BucketsByTheRoundedMillisecondOfTheDay)
{
    EXPECT_EQ(HourOfTimestamp(kDay), 0);
    EXPECT_EQ(HourOfTimestamp(At(kDay, 3'599'999.4)), 0);   // rounds to 00:59:59.999
    EXPECT_EQ(HourOfTimestamp(At(kDay, 3'599'999.6)), 1);   // rounds to 01:00:00.000
    EXPECT_EQ(HourOfTimestamp(At(kDay, 86'399'999.0)), 23);
    EXPECT_EQ(HourOfTimestamp(At(kDay, 86'399'999.6)), 0);  // rounds into the next day
    // Before 1899-12-30 the fraction counts forward from midnight: -1.25 is
    // 1899-12-29 06:00, -1.75 is 18:00.
    EXPECT_EQ(HourOfTimestamp(-1.25), 6);
    EXPECT_EQ(HourOfTimestamp(-1.75), 18);
    EXPECT_EQ(HourOfTimestamp(std::numeric_limits<double>::quiet_NaN()), -1);
    EXPECT_EQ(HourOfTimestamp(std::numeric_limits<double>::infinity()), -1);
    const int huge = HourOfTimestamp(1e300);  // finite, far outside the calendar
    EXPECT_TRUE(huge >= 0 && huge < 24) << huge;
    EXPECT_EQ(HourOfTimestamp(1e305), -1);  // overflows to infinity in milliseconds

    TempFolder dir;
    // Hour 6 gets 60 (a long run) and 90 (a short one): the plain mean is 75,
    // not time-weighted. Hour 1 gets 40 from the second file.
    ResultBytes(4)
        .Record(At(kDay, 6 * 3'600'000.0), 3'600'000, 60)
        .Record(At(kDay + 3, 6 * 3'600'000.0 + 1), 1000, 90)
        .Record(At(kDay, 3'599'999.4), 1000, 20)
        .Record(std::numeric_limits<double>::quiet_NaN(), 1000, 5)
        .WriteTo(dir / "A.RLT");
    ResultBytes(2).Record(At(kDay, 3'599'999.6), 1000, 40).WriteTo(dir / "B.RLT");
    ResultBytes(0).Raw(std::string(48, '\x01')).WriteTo(dir / "MARKER.RLT");

    HourProfile profile = BuildHourProfile({dir / "A.RLT", dir / "B.RLT", dir / "MARKER.RLT", dir / "MISSING.RLT"});
    for (size_t h = 0; h < profile.size(); ++h) {
        SCOPED_TRACE(h);
        double expected = h == 0 ? 20.0 : h == 1 ? 40.0 : h == 6 ? 75.0 : kNoHourData;
        EXPECT_DOUBLE_EQ(profile[h], expected);
    }
}

// Durations are int32 per record but their sums are not: three runs of
// INT32_MAX ms overflow int32 (undefined behaviour) if summed there.
TEST(ResultTotals, SumInInt64)
{
    TempFolder dir;
    ResultBytes(4).Record(kDay, INT32_MAX, 50).Record(kDay, INT32_MAX, 50).Record(kDay, INT32_MAX, 50).WriteTo(dir / "BIG.RLT");
    const int64_t expected = 3 * int64_t{INT32_MAX};
    EXPECT_EQ(ReadTestSummary(dir / "BIG.RLT").totalMs, expected);
    EXPECT_EQ(ReadTestTotals(dir / "BIG.RLT").totalMs, expected);
    EXPECT_EQ(ReadDetailSummary(dir / "BIG.RLT").totalMs, expected);
    EXPECT_DOUBLE_EQ(ReadTestSummary(dir / "BIG.RLT").recentMean, 50.0);
    EXPECT_EQ(ReadOverallTotals({dir / "BIG.RLT", dir / "BIG.RLT"}).totalMs, 2 * expected);
    // 2,147,483,647 ms is 2,147,484 s.
    EXPECT_EQ(ReadDailyResults(dir / "BIG.RLT").groups.at(0).seconds, 3 * 2'147'484);
}

TEST(ResultReaders, PartialRecordAtTheEndIsIgnored)
{
    TempFolder dir;
    // Two whole records and 55 of the 56 bytes of a third, full of 0x7F,
    // which would read as huge numbers.
    ResultBytes(4)
        .Record(kDay + 0.5, 2000, 80)
        .Record(kDay + 1.5, 2000, 90)
        .Raw(std::string(55, '\x7F'))
        .WriteTo(dir / "TORN.RLT");
    const std::string path = dir / "TORN.RLT";
    TestSummary summary = ReadTestSummary(path);
    EXPECT_EQ(summary.totalMs, 4000);
    EXPECT_DOUBLE_EQ(summary.recentMean, 85.0);
    EXPECT_TRUE(ReadTestTotals(path).passed);
    EXPECT_EQ(ReadDetailSummary(path).recordCount, 2);
    EXPECT_EQ(ReadDetailSummary(path).best, 90.0);
    EXPECT_EQ(ReadDailyResults(path).count, 2);
    EXPECT_EQ(ReadLastRecord(path).record.overall, 90.0);
    HourProfile profile = BuildHourProfile({path});
    EXPECT_DOUBLE_EQ(profile[12], 85.0);
    EXPECT_EQ(std::count(profile.begin(), profile.end(), kNoHourData), 23);
}

// Files no module writes: each reader gives its empty summary, as for a
// missing file, and reads nothing past the end (ASan watches).
TEST(ResultReaders, MalformedFilesReadLikeMissingOnes)
{
    TempFolder dir;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"EMPTY.RLT", ""},
        {"SHORT.RLT", std::string("\x04\x00\x00", 3)},
        {"NEGATIVE.RLT", ResultBytes(-2).Record(kDay, 1000, 90).Bytes()},
        {"HEADER.RLT", ResultBytes::Int32Bytes(5) + std::string(96, '\x05')},  // 1,284-byte header, 100-byte file
        {"ABSURD.RLT", ResultBytes::Int32Bytes(INT32_MAX) + std::string(2000, '\x01')},
        {"MISSING.RLT", ""},
    };
    for (const auto& [name, bytes] : files)
        if (name != "MISSING.RLT")
            ResultBytes::WriteFileBytes(dir / name, bytes);
    mkdir((dir / "FOLDER.RLT").c_str(), 0700);
    mkfifo((dir / "FIFO.RLT").c_str(), 0600);  // must not block the reader

    std::vector<std::string> paths;
    for (const auto& entry : files)
        paths.push_back(dir / entry.first);
    paths.push_back(dir / "FOLDER.RLT");
    paths.push_back(dir / "FIFO.RLT");
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        TestSummary summary = ReadTestSummary(path);
        EXPECT_EQ(summary.totalMs, 0);
        EXPECT_EQ(summary.recentMean, 0.0);
        TestTotals totals = ReadTestTotals(path);
        EXPECT_EQ(totals.totalMs, 0);
        EXPECT_EQ(totals.mean, 0.0);
        EXPECT_FALSE(totals.passed);
        EXPECT_EQ(ReadDetailSummary(path).recordCount, 0);
        DailyResults daily = ReadDailyResults(path);
        EXPECT_EQ(daily.count, 0);
        EXPECT_TRUE(daily.groups.empty());
        EXPECT_FALSE(ReadLastRecord(path).present);
    }
    OverallTotals overall = ReadOverallTotals(paths);
    EXPECT_EQ(overall.testsNotPassed, static_cast<int32_t>(paths.size()));
    HourProfile profile = BuildHourProfile(paths);
    EXPECT_EQ(std::count(profile.begin(), profile.end(), kNoHourData), 24);
}

TEST(ResultReaders, NoResultsMarker)
{
    TempFolder dir;
    // Part count 0; bytes after it are never records.
    ResultBytes(0).Raw(std::string(48, '\x11')).WriteTo(dir / "NONE.RLT");
    const std::string path = dir / "NONE.RLT";

    TestSummary summary = ReadTestSummary(path);
    EXPECT_TRUE(IsNoResultsMarker(summary.totalMs, summary.recentMean));
    TestTotals totals = ReadTestTotals(path);
    EXPECT_TRUE(IsNoResultsMarker(totals.totalMs, totals.mean));
    EXPECT_FALSE(totals.passed);
    EXPECT_EQ(ReadDetailSummary(path).recordCount, 0);
    EXPECT_EQ(ReadDailyResults(path).count, -1);
    EXPECT_FALSE(ReadLastRecord(path).present);
    OverallTotals overall = ReadOverallTotals({path});
    EXPECT_EQ(overall.testsPassed + overall.testsNotPassed, 0);

    // A header with no record yet is not the marker: it reads as 0 and 0.0,
    // but the daily series has no usable file either.
    ResultBytes(4).WriteTo(dir / "HEADER.RLT");
    TestSummary header = ReadTestSummary(dir / "HEADER.RLT");
    EXPECT_FALSE(IsNoResultsMarker(header.totalMs, header.recentMean));
    EXPECT_EQ(ReadDailyResults(dir / "HEADER.RLT").count, -1);
    EXPECT_EQ(ReadOverallTotals({dir / "HEADER.RLT"}).testsNotPassed, 1);

    // Missing: zeros, and the daily count 0 (not -1).
    EXPECT_EQ(ReadDailyResults(dir / "MISSING.RLT").count, 0);
}

// A result file that starts with a real header and record and is then
// stretched to size with a hole, so that even gigabytes cost no disk.
void WriteStretchedFile(const std::string& path, int64_t size)
{
    ResultBytes(4, {"A", "B", "C", "D"}).Record(45000.5, 60000, 90.0, {90, 90, 90, 90}).WriteTo(path);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
}

TEST(ResultReaders, AFileOfGigabytesReadsLikeADamagedOneWithoutLoadingIt)
{
    TempFolder dir;
    const std::string path = dir / "ZEK.RLT";
    WriteStretchedFile(path, int64_t{3} << 30);
    // Under a bound on the address space far below the file's size, where
    // the build allows one: a reader that loads the file ends the child.
    const int status = testing::RunInChild(
        [&] {
            if (ReadTestSummary(path).totalMs != 0)
                return 1;
            const TestTotals totals = ReadTestTotals(path);
            if (totals.totalMs != 0 || totals.passed)
                return 2;
            if (ReadDetailSummary(path).recordCount != 0)
                return 3;
            if (ReadDailyResults(path).count != 0)
                return 4;
            if (ReadLastRecord(path).present)
                return 5;
            if (BuildHourProfile({path})[12] != kNoHourData || ReadOverallTotals({path}).totalMs != 0)
                return 6;
            const ResultFileLoad load = LoadResultFile(path);
            if (load.problem != ResultFileProblem::TooLarge || load.Usable() || !load.contents.records.empty() ||
                load.message != "a file of 3221225472 bytes is too large for a result file (at most 67108864 bytes)")
                return 7;
            return 0;
        },
        120, testing::kAddressSpaceLimitUsable ? uint64_t{256} << 20 : 0);
    EXPECT_EQ(status, 0);
}

TEST(ResultReaders, AFileAtTheSizeLimitIsReadAndOneByteMoreIsNot)
{
    TempFolder dir;
    const std::string path = dir / "ZEK.RLT";
    // The stretch reads as records of zeros and a cut-off tail; only the
    // first record has a duration.
    WriteStretchedFile(path, results_detail::kMaxResultFileSize);
    EXPECT_EQ(ReadTestSummary(path).totalMs, 60000);
    EXPECT_EQ(ReadDetailSummary(path).recordCount, (results_detail::kMaxResultFileSize - 1028) / 56);

    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(results_detail::kMaxResultFileSize + 1)), 0);
    EXPECT_EQ(ReadTestSummary(path).totalMs, 0);
    EXPECT_EQ(ReadDetailSummary(path).recordCount, 0);
    EXPECT_EQ(LoadResultFile(path).problem, ResultFileProblem::TooLarge);
}

} // namespace
} // namespace kestrava
