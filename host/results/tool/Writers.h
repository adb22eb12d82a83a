// CSV and JSON output of a report, and the texts they share.
#pragma once

#include "host/results/tool/Report.h"

#include <ostream>
#include <string>

namespace kestrava::tool {

// Which tables to print. Summary covers the test summary, the totals, the
// details and, for a folder, the overall totals.
struct Selection {
    bool records = true;
    bool summary = true;
    bool daily = true;
    bool hours = true;
};

void WriteCsv(std::ostream& out, const Report& report, const Selection& what);
void WriteJson(std::ostream& out, const Report& report, const Selection& what);

// Shortest text that reads back as the same float64, '.' as the separator.
std::string NumberText(double value);

// "YYYY-MM-DDTHH:MM:SS.mmm" of a timestamp (days since 1899-12-30, local
// time, the fraction counting forward from midnight also before 1899-12-30);
// empty outside the years 1 to 9999 or for a non-finite value.
std::string LocalDateTimeText(double timestamp);

} // namespace kestrava::tool
