// Texts made from result summaries for the test list and the evaluation.
// All texts are UTF-8.
#pragma once

#include "host/results/ResultReaders.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrava {

// "HH:MM" of a duration: seconds rounded (ties to even), whole hours, and
// the remaining minutes rounded to the nearest minute (ties to even). A
// remainder that rounds to 60 minutes carries into the hours, so 3:59:30
// shows as "04:00" rather than "03:60". Hours take as many digits as they
// need ("123:45"); a negative duration, which only a damaged file yields,
// gets a leading '-'.
std::string FormatHoursMinutes(int64_t ms);

// The hours and the minutes of a duration as FormatHoursMinutes counts
// them, each padded to two digits: the evaluation writes them into its
// sentences ("03 Stunden und 06 Minuten").
struct HoursMinutesTexts {
    std::string hours;
    std::string minutes;
};
HoursMinutesTexts SplitHoursMinutes(int64_t ms);

// Puts '0' in front of text until it is at least width characters long.
std::string PadLeftZeros(std::string_view text, int width);

// The two columns the test list shows for a test.
struct TestListTexts {
    std::string duration;  // "—:—" for the no-results marker, else FormatHoursMinutes
    std::string points;    // "—" for the marker, else the mean rounded + "%"
};

inline constexpr std::string_view kNoResultsDuration = "\xE2\x80\x94:\xE2\x80\x94";
inline constexpr std::string_view kNoResultsPoints = "\xE2\x80\x94";

TestListTexts TestListColumns(const TestSummary& summary);

// The proleptic Gregorian date of a day (days since 1899-12-30).
struct CivilDate {
    int64_t year;
    int month;  // 1-12
    int day;    // 1-31
};
CivilDate CivilDateOfDay(int64_t day);

// The interface is German only, so dates and decimals are written the German
// way whatever the process locale says, and without touching the locale.
//
// A number in fixed notation with the given decimals and the decimal comma
// (FormatFixed(65.5, 2) gives "65,50"); ties of the next decimal follow the
// C library's rounding of the binary value.
std::string FormatFixed(double value, int decimals);
inline std::string FormatFixed2(double value) { return FormatFixed(value, 2); }

// The end screen's columns: a percentage rounded to an integer (ties to
// even) with "%", and a part result, which is a percentage or (negative) a
// time in ms shown in seconds with three decimals ("1,234s"). A damaged file
// may hold anything in its eight bytes: what is not a number shows as a
// dash, and what is far out of range is clamped to 1e15.
std::string FormatRoundedPercent(double value);
std::string FormatPartResult(double value);

// A name in German quotation marks: „ZEK-Test“.
inline std::string Quoted(std::string_view name) { return "\xe2\x80\x9e" + std::string(name) + "\xe2\x80\x9c"; }
// A day (days since 1899-12-30; the fraction is ignored) as "08.12.2026".
// Empty for a day outside the years 1 to 9999, which only a damaged file
// holds.
std::string FormatShortDate(double day);
// The same day as "Dienstag, 8. Dezember 2026".
std::string FormatLongDate(double day);

} // namespace kestrava
