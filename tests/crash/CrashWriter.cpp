// Writes one of the files a candidate must never lose, once, and ends: the
// kill tests kill it at random moments while it writes. It puts one byte on
// its standard output when it is about to write, so a test can aim its kill
// at the write rather than at the process's start-up.
//
//   crash_writer save FILE N SIZE   a saved run; tick count N, SIZE bytes of state, each N
//   crash_writer append FILE N      one ZEK record of N ms appended
//   crash_writer prefs FILE N       the preferences with volume N
//   crash_writer reset FOLDER       the reset of all results
#include "host/results/ResetResults.h"
#include "host/shell/Preferences.h"
#include "host/shell/Suspend.h"
#include "modules/zek/ZekResult.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Ready()
{
    std::fputc('R', stdout);
    std::fflush(stdout);
}

int Failed(const std::string& why)
{
    std::fprintf(stderr, "crash-writer: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kestrava;
    if (argc < 3)
        return 2;
    const std::string mode = argv[1];
    const std::string path = argv[2];
    const int n = argc > 3 ? std::atoi(argv[3]) : 0;
    std::string error;
    if (mode == "save" && argc == 5) {
        SuspendedRun run;
        TRunEntry entry;
        entry.PlannedDuration = 60000;
        run.entries = {entry};
        run.titles = {"Alpha"};
        run.tickCount = n;
        run.state.assign(std::strtoul(argv[4], nullptr, 10), static_cast<uint8_t>(n));
        Ready();
        return WriteSuspendedRun(path, run, error) ? 0 : Failed(error);
    }
    if (mode == "append" && argc == 4) {
        zek::ResultRecord record;
        record.Timestamp = 46364.5;
        record.Parts = {10.0, 20.0, 30.0, 40.0};
        record.DurationMs = n;
        record.Overall = 25.0;
        Ready();
        const zek::AppendReport report = zek::WriteResultRecord(path, record);
        return report.Status == zek::AppendStatus::Appended || report.Status == zek::AppendStatus::Created
                   ? 0
                   : Failed(report.Message);
    }
    if (mode == "prefs" && argc == 4) {
        Preferences prefs;
        prefs.volume = static_cast<uint16_t>(n);
        Ready();
        return WritePreferences(path, prefs, error) ? 0 : Failed(error);
    }
    if (mode == "reset" && argc == 3) {
        Ready();
        return DeleteResults(path).empty() ? 0 : Failed("a result file stayed");
    }
    return 2;
}
