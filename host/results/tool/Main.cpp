// kestrava-results: prints the records of result files and every figure the
// program derives from them, for users who want their history in a
// spreadsheet or another program. Exit status 0 on success, 2 on bad input
// or a bad command line, with one line on standard error.
#include "host/results/tool/Report.h"
#include "host/results/tool/Writers.h"
#include "platform/folder/ProgramFolder.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

constexpr const char* kProgram = "kestrava-results";

constexpr const char* kUsage = R"(Usage: kestrava-results [OPTIONS] [PATH]

Prints the results kept in a result file (.RLT) or, for a folder, in the
result files of every test module (.TST) in it and its subfolders: the
records and every summary the program shows.

PATH      a result file, or a folder of test modules such as TESTS
          (a test without a result file counts as never practised);
          without PATH, the TESTS folder of the program's folder: for an
          installed program the user's own, ~/.local/share/kestrava/TESTS

Options:
  --csv          CSV output (the default)
  --json         JSON output
  --what KIND    print only part of it; KIND is one of
                   all       everything (the default)
                   records   the records, one table per test
                   summary   test summary, totals, details, and for a
                             folder the overall totals
                   daily     the daily groups
                   hours     the hour-of-day profile
  --lenient      accept a file that ends inside a record (left by a crash
                 while a test saved its result): use its whole records and
                 print a warning instead of failing
  -h, --help     print this text

CSV: UTF-8, ',' between fields, '.' as the decimal separator, numbers with
enough digits to read back exactly. A test or part name that begins with
'=', '+', '-' or '@' is written with a leading apostrophe, so that a
spreadsheet shows it as text and never runs it as a formula. Every table
starts with a header row.
When more than one table is printed, each is preceded by a line "# NAME"
and separated from the previous one by a blank line. A single table (such
as --what daily, --what hours, or --what records for one file) is printed
plain, ready to open in a spreadsheet. Tables:
  records: TEST  record,timestamp_days,local_time,<part names>,duration_ms,overall
  test_summary   test,state,total_ms,total_hours_minutes,recent_mean,
                 list_duration,list_points
  totals         test,total_ms,total_hours_minutes,mean,passed
  details        test,record_count,first_timestamp_days,first_local_time,
                 total_ms,total_hours_minutes,mean,best,worst
  overall        tests,total_ms,total_hours_minutes,mean,tests_passed,
                 tests_not_passed (folders only)
  daily          test,day_days,date,seconds,mean
  hours          hour,mean (-1 where the hour has no record)
Timestamps are days since 1899-12-30 with the time of day as the fraction
(timestamp_days), and the same local date and time as YYYY-MM-DDTHH:MM:SS.mmm.
A part result below 0 is a time of -value milliseconds. state is missing,
no-results (a test that keeps no results) or records.

A result file larger than 64 MiB is taken as damaged and not read.

Exit status: 0 on success, 2 when the input or the command line is bad,
1 when the output cannot be written.
)";

int Fail(const std::string& message)
{
    std::cerr << kProgram << ": " << message << "\n";
    return 2;
}

bool SelectKind(std::string_view kind, kestrava::tool::Selection& what)
{
    if (kind == "all") {
        what = {};
        return true;
    }
    what = {false, false, false, false};
    if (kind == "records")
        what.records = true;
    else if (kind == "summary")
        what.summary = true;
    else if (kind == "daily")
        what.daily = true;
    else if (kind == "hours")
        what.hours = true;
    else
        return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool json = false;
    bool lenient = false;
    bool optionsEnded = false;
    kestrava::tool::Selection what;
    std::string path;
    bool havePath = false;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view kind;
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "-h" || arg == "--help") {
                std::cout << kUsage;
                return 0;
            } else if (arg == "--json") {
                json = true;
            } else if (arg == "--csv") {
                json = false;
            } else if (arg == "--lenient") {
                lenient = true;
            } else if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--what" || arg.starts_with("--what=")) {
                if (arg == "--what") {
                    if (i + 1 >= argc)
                        return Fail("--what needs a kind: all, records, summary, daily or hours");
                    kind = argv[++i];
                } else {
                    kind = arg.substr(7);
                }
                if (!SelectKind(kind, what))
                    return Fail("unknown kind '" + std::string(kind) +
                                "' for --what (all, records, summary, daily or hours)");
            } else {
                return Fail("unknown option '" + std::string(arg) + "' (see --help)");
            }
            continue;
        }
        if (havePath)
            return Fail("more than one path given (see --help)");
        path = arg;
        havePath = true;
    }
    if (havePath && path.empty())
        return Fail("an empty path was given (see --help)");
    if (!havePath) {
        // The folder velomar of this installation reads and writes; the
        // tool only reads, so it sets nothing up.
        kestrava::folder::Placement placement;
        std::string error;
        if (!kestrava::folder::PlaceProgram(kestrava::folder::ProgramPath(), false, placement, error))
            return Fail(error);
        path = placement.programDir + "TESTS/";
        if (::access(path.c_str(), F_OK) != 0)
            return Fail("no results yet: " + path + " does not exist (velomar makes it at its first start)");
    }

    kestrava::tool::GatherOutcome outcome = kestrava::tool::GatherReport(path, lenient);
    if (!outcome.report)
        return Fail(outcome.error);
    for (const std::string& warning : outcome.warnings)
        std::cerr << kProgram << ": warning: " << warning << "\n";

    if (json)
        kestrava::tool::WriteJson(std::cout, *outcome.report, what);
    else
        kestrava::tool::WriteCsv(std::cout, *outcome.report, what);
    std::cout.flush();
    if (!std::cout)
    {
        std::cerr << kProgram << ": cannot write the output\n";
        return 1;
    }
    return 0;
}
