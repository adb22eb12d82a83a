#include "host/results/ResultTexts.h"

#include "host/results/ResultBytes.h"

#include <cmath>
#include <cstdio>

namespace kestrava {

using results_detail::RoundedDivision;

std::string PadLeftZeros(std::string_view text, int width)
{
    std::string out;
    for (int64_t missing = static_cast<int64_t>(width) - static_cast<int64_t>(text.size()); missing > 0; --missing)
        out += '0';
    out += text;
    return out;
}

std::string FormatHoursMinutes(int64_t ms)
{
    int64_t seconds = RoundedDivision(ms, 1000);
    std::string sign;
    if (seconds < 0) {
        sign = "-";
        seconds = -seconds;  // |ms / 1000| is far from the int64 limit
    }
    int64_t hours = seconds / 3600;
    int64_t minutes = RoundedDivision(seconds % 3600, 60);
    if (minutes == 60) {
        ++hours;
        minutes = 0;
    }
    return sign + PadLeftZeros(std::to_string(hours), 2) + ":" + PadLeftZeros(std::to_string(minutes), 2);
}

TestListTexts TestListColumns(const TestSummary& summary)
{
    if (IsNoResultsMarker(summary.totalMs, summary.recentMean))
        return {std::string(kNoResultsDuration), std::string(kNoResultsPoints)};
    // Printed from the rounded float64 rather than converted to an integer:
    // a damaged file can produce a mean no integer type holds. Adding 0.0
    // turns a rounded -0.0 into 0.
    char points[400];
    std::snprintf(points, sizeof points, "%.0f%%", std::nearbyint(summary.recentMean) + 0.0);
    return {FormatHoursMinutes(summary.totalMs), points};
}

} // namespace kestrava
