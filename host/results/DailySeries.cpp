#include "host/results/DailySeries.h"

#include <cmath>

namespace kestrava {

namespace {

bool DayInCalendar(double day) { return day >= kSeriesNoLatest && day <= kSeriesNoEarliest; }

} // namespace

double DailySeries::MeanAt(int64_t i) const
{
    if (slots.empty())
        return 0.0;
    double sum = 0.0;
    for (const std::vector<double>& slot : slots)
        sum += slot[static_cast<size_t>(i)];
    return sum / static_cast<double>(slots.size());
}

DailySeries BuildDailySeries(const std::vector<DailyResults>& tests, int32_t selectedTest)
{
    DailySeries series;
    const int32_t testCount = static_cast<int32_t>(tests.size());
    for (int32_t t = 0; t < testCount; ++t) {
        const DailyResults& daily = tests[static_cast<size_t>(t)];
        if (daily.count < 0)
            continue;
        const int32_t k = static_cast<int32_t>(series.slotTest.size());
        // The smallest and largest day of the test rather than its first and
        // last group: a clock set back between two runs puts a later record
        // on an earlier day, and every group must find its entry. Strict
        // comparisons, so the first test in catalogue order wins a tie.
        for (const DailyGroup& group : daily.groups) {
            if (!DayInCalendar(group.day))
                continue;
            if (group.day < series.earliest) {
                series.earliest = group.day;
                series.earliestSlot = k;
            }
            if (group.day > series.latest) {
                series.latest = group.day;
                series.latestSlot = k;
            }
        }
        // Only a test with a slot of its own is selected: taking the slot
        // number of a test without one would show the next test's curve.
        if (t == selectedTest)
            series.selectedSlot = k;
        series.slotTest.push_back(t);
    }

    const double first = std::trunc(series.earliest);
    const double days = std::trunc(series.latest) - first + 1;
    const size_t entries = days > 0 ? static_cast<size_t>(days) : 0;
    series.slots.reserve(series.slotTest.size());
    for (int32_t test : series.slotTest) {
        std::vector<double> values(entries, 0.0);
        // Which days had results, kept apart from the values: a damaged file
        // may well hold a mean of -1.
        std::vector<char> written(entries, 0);
        for (const DailyGroup& group : tests[static_cast<size_t>(test)].groups) {
            if (!DayInCalendar(group.day) || entries == 0)
                continue;
            const auto i = static_cast<size_t>(std::trunc(group.day) - first);
            values[i] = group.mean;
            written[i] = 1;
        }
        // Before its first day a test counts 0 %, afterwards its last mean.
        for (size_t i = 1; i < values.size(); ++i)
            if (!written[i])
                values[i] = values[i - 1];
        series.slots.push_back(std::move(values));
    }
    return series;
}

DailySeries BuildDailySeries(const std::vector<std::string>& resultPaths, int32_t selectedTest)
{
    std::vector<DailyResults> tests;
    tests.reserve(resultPaths.size());
    for (const std::string& path : resultPaths)
        tests.push_back(ReadDailyResults(path));
    return BuildDailySeries(tests, selectedTest);
}

} // namespace kestrava
