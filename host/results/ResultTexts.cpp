#include "host/results/ResultTexts.h"

#include "host/results/ResultBytes.h"

#include <algorithm>
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

namespace {

struct HoursMinutes {
    bool negative = false;
    int64_t hours = 0;
    int64_t minutes = 0;
};

HoursMinutes CountHoursMinutes(int64_t ms)
{
    HoursMinutes out;
    int64_t seconds = RoundedDivision(ms, 1000);
    if (seconds < 0) {
        out.negative = true;
        seconds = -seconds;  // |ms / 1000| is far from the int64 limit
    }
    out.hours = seconds / 3600;
    out.minutes = RoundedDivision(seconds % 3600, 60);
    if (out.minutes == 60) {
        ++out.hours;
        out.minutes = 0;
    }
    return out;
}

// Days from 1899-12-30 to 1970-01-01.
constexpr int64_t kUnixEpochDay = 25569;

// The date of a timestamp's day, or nothing outside the years 1 to 9999.
bool DateOfDay(double day, CivilDate& date, int& weekday)
{
    const double whole = std::trunc(day);
    // 1 Jan 0001 and 31 Dec 9999 in days since 1899-12-30.
    if (!(whole >= -693593.0 && whole <= 2958465.0))
        return false;
    const int64_t sinceEpoch = static_cast<int64_t>(whole) - kUnixEpochDay;
    date = CivilDateOfDay(static_cast<int64_t>(whole));
    // 1970-01-01 was a Thursday (4, counting Sunday as 0).
    weekday = static_cast<int>(((sinceEpoch % 7) + 7 + 4) % 7);
    return true;
}

constexpr const char* kWeekdays[7] = {"Sonntag", "Montag", "Dienstag", "Mittwoch",
                                      "Donnerstag", "Freitag", "Samstag"};
constexpr const char* kMonths[12] = {"Januar", "Februar", "M\xC3\xA4rz", "April", "Mai", "Juni",
                                     "Juli", "August", "September", "Oktober", "November", "Dezember"};

} // namespace

CivilDate CivilDateOfDay(int64_t day)
{
    // Howard Hinnant's civil_from_days, counted from 1970-01-01.
    int64_t z = day - kUnixEpochDay + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

HoursMinutesTexts SplitHoursMinutes(int64_t ms)
{
    const HoursMinutes hm = CountHoursMinutes(ms);
    // Appended rather than added: GCC 12 warns about "literal" + string
    // when optimising (-Wrestrict, a false positive).
    std::string hours = hm.negative ? "-" : "";
    hours += PadLeftZeros(std::to_string(hm.hours), 2);
    return {hours, PadLeftZeros(std::to_string(hm.minutes), 2)};
}

std::string FormatHoursMinutes(int64_t ms)
{
    const HoursMinutesTexts texts = SplitHoursMinutes(ms);
    return texts.hours + ":" + texts.minutes;
}

std::string FormatFixed(double value, int decimals)
{
    // Sized by a first call: a damaged file can hold a mean of 1e300.
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    if (length <= 0)
        return {};
    std::string out(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(out.data(), out.size(), "%.*f", decimals, value);
    out.resize(static_cast<size_t>(length));
    // The C library formats in the "C" locale, which the program never
    // changes, so the decimal point is always '.'.
    for (char& c : out)
        if (c == '.')
            c = ',';
    return out;
}

std::string FormatRoundedPercent(double value)
{
    if (!std::isfinite(value))
        return std::string(kNoResultsPoints);
    const double clamped = std::clamp(std::nearbyint(value), -1e15, 1e15);
    return std::to_string(static_cast<long long>(clamped)) + "%";
}

std::string FormatPartResult(double value)
{
    if (!(value < 0)) // NaN too
        return FormatRoundedPercent(value);
    if (!std::isfinite(value))
        return std::string(kNoResultsPoints);
    return FormatFixed(std::min(-value / 1000.0, 1e15), 3) + "s";
}

std::string FormatShortDate(double day)
{
    CivilDate date{};
    int weekday = 0;
    if (!DateOfDay(day, date, weekday))
        return {};
    return PadLeftZeros(std::to_string(date.day), 2) + "." + PadLeftZeros(std::to_string(date.month), 2) + "." +
           PadLeftZeros(std::to_string(date.year), 4);
}

std::string FormatLongDate(double day)
{
    CivilDate date{};
    int weekday = 0;
    if (!DateOfDay(day, date, weekday))
        return {};
    return std::string(kWeekdays[weekday]) + ", " + std::to_string(date.day) + ". " + kMonths[date.month - 1] + " " +
           std::to_string(date.year);
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
