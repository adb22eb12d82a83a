// A result file through the results tool's whole path: gathered, then
// written as CSV and as JSON, strict and lenient.
#include "host/results/tool/Report.h"
#include "host/results/tool/Writers.h"
#include "tests/fuzz/FuzzFile.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava::tool;
    const std::string path = kestrava::fuzz::InputFile("ZEK.RLT", data, size);
    for (bool lenient : {false, true}) {
        const GatherOutcome outcome = GatherReport(path, lenient);
        if (!outcome.report)
            continue;
        Selection all;
        std::ostringstream csv;
        WriteCsv(csv, *outcome.report, all);
        std::ostringstream json;
        WriteJson(json, *outcome.report, all);
    }
    return 0;
}
