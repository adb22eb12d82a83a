// A saved run (PROG.SAV): decoded from memory, read from its file, and
// checked against a catalogue the way the menu's resume does.
#include "host/shell/Suspend.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    {
        SuspendedRun run;
        std::string reason;
        DecodeSuspendedRun(data, size, run, reason);
    }
    const std::string path = fuzz::InputFile("PROG.SAV", data, size);
    SuspendedRun run;
    std::string reason;
    if (ReadSuspendedRun(path, run, reason) != SuspendRead::Loaded)
        return 0;
    TestCatalogue catalogue;
    catalogue.Add({"ZEK-Test", "/nowhere/TESTS/ZEK.TST"});
    catalogue.Add({"Alpha", "/nowhere/TESTS/A.TST"});
    if (MatchSuspendedTitles(run, catalogue, reason))
        CheckSuspendedTimes(run, reason);
    return 0;
}
