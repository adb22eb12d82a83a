// Times the catalogue search as the start-up and every refresh make it: 50
// copies of the delivered module in a TESTS folder, each loaded, asked for
// its info and released. Each iteration is one full search.
#include "host/catalogue/Catalogue.h"
#include "host/core/ModuleHost.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include <stdlib.h>

namespace {

constexpr int kModules = 50;

struct TestsFolder {
    std::string path;

    TestsFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrava-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        path = pattern + "/";
        for (int i = 0; i < kModules; ++i)
            std::filesystem::copy_file(KESTRAVA_ZEK_MODULE, path + "ZEK" + std::to_string(i) + ".TST");
    }
    ~TestsFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

void BM_ScanTestFolder(benchmark::State& state)
{
    static const TestsFolder folder;
    kestrava::TestCanvas canvas;
    kestrava::ModuleHost host(canvas);
    std::ostringstream log;
    for (auto _ : state) {
        kestrava::TestCatalogue tests;
        kestrava::ProgramCatalogue programs;
        kestrava::RunPlan run;
        kestrava::ScanTestFolder(folder.path, host, tests, programs, run, log);
        if (tests.Count() != kModules) {
            state.SkipWithError("not every module answered");
            break;
        }
        benchmark::DoNotOptimize(tests);
    }
}
BENCHMARK(BM_ScanTestFolder)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
