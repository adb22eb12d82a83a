// Saves one run to a file and ends: the crash test kills it at random
// moments while it writes. Arguments: the file, a generation number (every
// byte of the state block holds it) and the state block's size. It writes
// one byte to its standard output when it is about to save, so the test
// can aim its kill at the save rather than at the process's start-up.
#include "host/shell/Suspend.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    kestrava::SuspendedRun run;
    kestrava::TRunEntry entry;
    entry.PlannedDuration = 60000;
    run.entries = {entry};
    run.titles = {"Alpha"};
    run.tickCount = std::atoi(argv[2]);
    run.state.assign(std::strtoul(argv[3], nullptr, 10), static_cast<uint8_t>(std::atoi(argv[2])));
    std::fputc('R', stdout);
    std::fflush(stdout);
    std::string error;
    if (!kestrava::WriteSuspendedRun(argv[1], run, error)) {
        std::fprintf(stderr, "suspend-writer: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
