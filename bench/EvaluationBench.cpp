// Opening the evaluation for a heavy user: 20 tests with 5,000 records each
// (the delivered module's shape, four parts), spread over two years, about
// 5.6 MB of result files. One iteration is what the evaluation button does
// between the click and the dialog on screen: every reader (overall totals,
// hour profile, daily series), the three graphs' geometry, composing the
// window over what lies behind and the first paint of the general view, on
// the headless backend at 1920 x 1080. A second benchmark times switching to
// the learning curve, whose 730 days are the most drawing.
// Target: opening under 150 ms.
#include "host/catalogue/Catalogue.h"
#include "host/core/ModuleHost.h"
#include "host/core/TestCanvas.h"
#include "host/shell/Auswertung.h"
#include "platform/app/Application.h"
#include "platform/app/ManualClock.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/Resources.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <stdlib.h>

namespace {

using namespace kestrava;

constexpr int kTests = 20;
constexpr int kRecords = 5000;
constexpr int kParts = 4;
constexpr double kFirstDay = 45634.0;  // 9 December 2024
constexpr int kDays = 730;

void Put(std::string& out, const void* value, size_t size) { out.append(static_cast<const char*>(value), size); }

std::string HistoryBytes(int test)
{
    std::string out;
    const int32_t parts = kParts;
    Put(out, &parts, 4);
    for (int p = 0; p < kParts; ++p) {
        std::string slot(256, '\0');
        slot[0] = 5;
        slot.replace(1, 5, "Teil" + std::to_string(p));
        out += slot;
    }
    for (int i = 0; i < kRecords; ++i) {
        // Seven runs a day or so, at changing hours.
        const double when = kFirstDay + (i * kDays) / kRecords + (7.0 + (i * 5 + test) % 14) / 24.0;
        const double overall = 30.0 + (i * 37 + test * 11) % 700 / 10.0;
        Put(out, &when, 8);
        for (int p = 0; p < kParts; ++p)
            Put(out, &overall, 8);
        const int32_t ms = 300'000 + i % 1000;
        Put(out, &ms, 4);
        out.append(4, '\0');
        Put(out, &overall, 8);
    }
    return out;
}

struct Fixture {
    std::string folder;
    TestCatalogue tests;
    ui::TMyCustomListBox testList;
    TestCanvas canvas;
    ModuleHost host{canvas};
    app::ManualClock clock{1000};
    app::HeadlessBackend backend{1920, 1080, 32};
    app::Application app{backend, clock};
    shell::TAuswertung* dialog = nullptr;

    Fixture()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrava-eval-XXXXXX").string();
        folder = mkdtemp(pattern.data()) ? pattern + "/" : std::string();
        for (int t = 0; t < kTests; ++t) {
            const std::string name = "T" + std::to_string(10 + t);
            std::ofstream(folder + name + ".RLT", std::ios::binary) << HistoryBytes(t);
            tests.Add({"Test " + name, folder + name + ".TST"});
            testList.AddLine("Test " + name);
        }
        std::string error;
        if (!app.Open(error))
            throw std::runtime_error(error);
        ui::SetResourceFolder(std::string(KESTRAVA_PROGRAM_DIR) + "/skin/");
        dialog = &app.MainForm().Create<shell::TAuswertung>();
        dialog->Hide();
        dialog->SetPosition((1920 - 588) / 2, (1080 - 418) / 2);
        app.Update();
    }
    ~Fixture() { std::filesystem::remove_all(folder); }

    void Open()
    {
        dialog->Fill(tests, testList, host);
        dialog->ShowComposed();
        app.Update();
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_OpenEvaluation(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        f.Open();
        state.PauseTiming();
        f.dialog->AuswertungBack();
        f.app.Update();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenEvaluation)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ShowLearningCurve(benchmark::State& state)
{
    Fixture& f = Shared();
    f.Open();
    for (auto _ : state) {
        f.dialog->LernkurveClick();
        f.app.Update();
        state.PauseTiming();
        f.dialog->AllgemeineAuswertung();
        f.app.Update();
        state.ResumeTiming();
    }
    f.dialog->AuswertungBack();
}
BENCHMARK(BM_ShowLearningCurve)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
