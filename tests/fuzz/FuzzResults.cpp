// Result files through every reader the program and the evaluation use.
#include "host/results/ResultReaders.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    const std::string path = fuzz::InputFile("TEST.RLT", data, size);
    ReadTestSummary(path);
    ReadTestTotals(path);
    ReadDetailSummary(path);
    ReadDailyResults(path);
    ReadLastRecord(path);
    ReadRecordFromEnd(path, 1);
    ReadRecordFromEnd(path, 3);
    ReadRecordTally(path);
    ReadOverallTotals({path, path});
    BuildHourProfile({path});
    return 0;
}
