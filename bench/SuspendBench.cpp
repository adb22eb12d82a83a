// Saving and checking a suspended run. Saving stops the test clock while it
// writes: a ZEK run of three entries should be on disk in well under the
// blink of an eye, and checking the largest run list a file may hold
// (10,000 entries against a catalogue of 50 tests) should not be felt.
#include "host/shell/Suspend.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace kestrava;

SuspendedRun MakeRun(size_t entries, size_t stateBytes)
{
    SuspendedRun run;
    for (size_t i = 0; i < entries; ++i) {
        TRunEntry entry;
        entry.PlannedDuration = 600000;
        run.entries.push_back(entry);
        run.titles.push_back("Test " + std::to_string(i % 50));
    }
    run.tickCount = 3000;
    run.state.assign(stateBytes, 7);
    return run;
}

std::string BenchFile()
{
    return (std::filesystem::temp_directory_path() / ("kestrava-bench-" + std::to_string(::getpid()) + ".SAV")).string();
}

// The whole save as the disk button makes it: encode, temporary file,
// fsync, rename, fsync of the folder.
void BM_SaveZekRun(benchmark::State& state)
{
    const SuspendedRun run = MakeRun(3, 688);
    const std::string path = BenchFile();
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteSuspendedRun(path, run, error));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveZekRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading, decoding and matching the titles of the largest list.
void BM_CheckLargestRun(benchmark::State& state)
{
    const SuspendedRun run = MakeRun(10000, 688);
    const std::string path = BenchFile();
    std::string error;
    WriteSuspendedRun(path, run, error);
    TestCatalogue catalogue;
    for (int i = 0; i < 50; ++i)
        catalogue.Add({"Test " + std::to_string(i), "/p/T" + std::to_string(i) + ".TST"});
    for (auto _ : state) {
        SuspendedRun read;
        std::string reason;
        ReadSuspendedRun(path, read, reason);
        benchmark::DoNotOptimize(MatchSuspendedTitles(read, catalogue, reason) && CheckSuspendedTimes(read, reason));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_CheckLargestRun)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
