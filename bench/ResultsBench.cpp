// Times every reader of result files on one large history: 100,000 records
// of the delivered module's shape (four parts), about 5.6 MB, ten runs a day
// over 10,000 days. Each benchmark iteration is one full reader call, file
// reading included, as the evaluation screens make them.
#include "host/results/ResetResults.h"
#include "host/results/ResultReaders.h"
#include "host/results/ResultRecords.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <stdlib.h>

namespace {

constexpr int kRecords = 100'000;
constexpr int kParts = 4;

void PutInt32(std::string& out, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void PutFloat64(std::string& out, double value)
{
    uint64_t v = 0;
    std::memcpy(&v, &value, sizeof v);
    for (int shift = 0; shift < 64; shift += 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

std::string HistoryBytes()
{
    std::string out;
    PutInt32(out, kParts);
    for (const char* name : {"Vertikales Trackling (Links)", "Bidirektionales Trackling (Rechts)",
                             "Reaktionsverm\xF6gen F-Tasten", "Kopfrechnen"}) {
        std::string slot(256, '\0');
        slot[0] = static_cast<char>(std::strlen(name));
        slot.replace(1, std::strlen(name), name);
        out += slot;
    }
    for (int i = 0; i < kRecords; ++i) {
        // Ten runs a day, spread over the hours from 08:00 on.
        PutFloat64(out, 40000.0 + i / 10 + (8.0 + (i % 10) * 1.3) / 24.0);
        const double overall = 40.0 + (i * 37 % 600) / 10.0;
        for (int p = 0; p < kParts; ++p)
            PutFloat64(out, p == 2 ? -(1000.0 + i % 500) : overall);
        PutInt32(out, 600'000 + i % 1000);
        PutInt32(out, 0);
        PutFloat64(out, overall);
    }
    return out;
}

struct History {
    std::string folder;
    std::string path;
    std::string bytes;

    History()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrava-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        folder = pattern + "/";
        path = folder + "ZEK.RLT";
        bytes = HistoryBytes();
        Write();
    }
    ~History()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void Write() const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
};

const History& TheHistory()
{
    static const History history;
    return history;
}

void BM_ReadTestSummary(benchmark::State& state)
{
    const std::string& path = TheHistory().path;
    for (auto _ : state)
        benchmark::DoNotOptimize(kestrava::ReadTestSummary(path));
}

void BM_ReadTestTotals(benchmark::State& state)
{
    const std::string& path = TheHistory().path;
    for (auto _ : state)
        benchmark::DoNotOptimize(kestrava::ReadTestTotals(path));
}

void BM_ReadOverallTotals(benchmark::State& state)
{
    const std::vector<std::string> paths = {TheHistory().path};
    for (auto _ : state)
        benchmark::DoNotOptimize(kestrava::ReadOverallTotals(paths));
}

void BM_ReadDetailSummary(benchmark::State& state)
{
    const std::string& path = TheHistory().path;
    for (auto _ : state)
        benchmark::DoNotOptimize(kestrava::ReadDetailSummary(path));
}

void BM_ReadDailyResults(benchmark::State& state)
{
    const std::string& path = TheHistory().path;
    for (auto _ : state) {
        kestrava::DailyResults daily = kestrava::ReadDailyResults(path);
        benchmark::DoNotOptimize(daily.groups.data());
    }
}

void BM_BuildHourProfile(benchmark::State& state)
{
    const std::vector<std::string> paths = {TheHistory().path};
    for (auto _ : state)
        benchmark::DoNotOptimize(kestrava::BuildHourProfile(paths));
}

void BM_ReadLastRecord(benchmark::State& state)
{
    const std::string& path = TheHistory().path;
    for (auto _ : state) {
        kestrava::LastRecord last = kestrava::ReadLastRecord(path);
        benchmark::DoNotOptimize(last.record.parts.data());
    }
}

void BM_LoadResultFile(benchmark::State& state)
{
    const std::string& path = TheHistory().path;
    for (auto _ : state) {
        kestrava::ResultFileLoad load = kestrava::LoadResultFile(path);
        benchmark::DoNotOptimize(load.contents.records.data());
    }
}

// The reset deletes the file, so each iteration writes it again first,
// outside the timed part.
void BM_DeleteResults(benchmark::State& state)
{
    const History& history = TheHistory();
    for (auto _ : state) {
        state.PauseTiming();
        history.Write();
        state.ResumeTiming();
        benchmark::DoNotOptimize(kestrava::DeleteResults(history.folder));
    }
    history.Write();
}

BENCHMARK(BM_ReadTestSummary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTestTotals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOverallTotals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDetailSummary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDailyResults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildHourProfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLastRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadResultFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteResults)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
