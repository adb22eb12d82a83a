// What the results tool prints, gathered through the same readers the host
// uses, so that every figure equals the program's.
#pragma once

#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrava::tool {

enum class TestState { Missing, NoResults, Records };

struct TestReport {
    std::string name;        // module (or result) file name without extension
    std::string resultPath;
    TestState state = TestState::Missing;
    ResultFileContents contents;
    TestSummary summary;
    TestListTexts listTexts;
    TestTotals totals;
    DetailSummary details;
    DailyResults daily;
};

struct Report {
    std::string source;
    bool folder = false;
    std::vector<TestReport> tests;
    std::optional<OverallTotals> overall;  // folders only
    HourProfile hours{};
};

struct GatherOutcome {
    std::optional<Report> report;
    std::string error;                  // one line when report is empty
    std::vector<std::string> warnings;  // one line each
};

// path is a result file or a folder of test modules. With lenient, a file
// that ends inside a record is read up to its last whole record with a
// warning instead of being rejected.
GatherOutcome GatherReport(const std::string& path, bool lenient);

} // namespace kestrava::tool
