// A saved run (PROG.SAV): decoded from memory, read from its file, and
// checked against a catalogue the way the menu's resume does.
#include "host/shell/Suspend.h"
#include "tests/fuzz/FuzzFile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    {
        // What decodes is written again with its checksum and reads back the
        // same.
        SuspendedRun run;
        std::string reason;
        if (DecodeSuspendedRun(data, size, run, reason)) {
            const std::vector<uint8_t> again = EncodeSuspendedRun(run);
            SuspendedRun back;
            if (!DecodeSuspendedRun(again.data(), again.size(), back, reason) || back.state != run.state ||
                back.titles != run.titles || back.tickCount != run.tickCount ||
                std::memcmp(back.entries.data(), run.entries.data(), run.entries.size() * sizeof(TRunEntry)) != 0)
                __builtin_trap();
        }
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
