// The mixer's cost per output buffer (8192 bytes: 2048 stereo frames,
// about 46 ms of sound), as the user-interface thread pays it on every
// refill.
//
// Targets: sixteen playing slots under 100 us per buffer. With nothing
// playing (the output running during a test without sounds) the cost per
// buffer times 21.5 buffers a second is the program's extra CPU share,
// which must stay well under one percentage point.
#include "audio/PlayAudio.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string WriteWave(const fs::path& path, uint16_t channels, size_t frames)
{
    std::vector<int16_t> s(frames * channels);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(std::lround(9000 * std::sin(double(i) * 0.05)));
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4), u32(uint32_t(36 + s.size() * 2)), out.write("WAVEfmt ", 8);
    u32(16), u16(1), u16(channels), u32(44100), u32(44100u * channels * 2), u16(uint16_t(channels * 2)), u16(16);
    out.write("data", 4), u32(uint32_t(s.size() * 2));
    out.write(reinterpret_cast<const char*>(s.data()), std::streamsize(s.size() * 2));
    return path.string();
}

struct Folder {
    fs::path root = fs::temp_directory_path() / ("kestrava-audio-bench-" + std::to_string(::getpid()));
    Folder() { fs::create_directories(root); }
    ~Folder() { fs::remove_all(root); }
};

void BM_MixBufferSixteenSlots(benchmark::State& state)
{
    Folder dir;
    const std::string mono = WriteWave(dir.root / "m.wav", 1, 30000);
    const std::string stereo = WriteWave(dir.root / "s.wav", 2, 30000);
    kestrava::audio::TPlayAudio player(nullptr, nullptr);
    for (int i = 0; i < 16; ++i) {
        const int32_t slot = player.AddSound(i % 2 ? stereo : mono);
        player.Start(slot, int16_t(i * 4000 - 32768), uint16_t(20000 + i * 2000), true);
    }
    std::vector<uint8_t> buffer(8192);
    for (auto _ : state) {
        uint32_t size = 8192;
        player.FillHandler(buffer.data(), size);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_MixBufferSixteenSlots)->Unit(benchmark::kMicrosecond);

void BM_MixBufferNothingPlaying(benchmark::State& state)
{
    kestrava::audio::TPlayAudio player(nullptr, nullptr);
    std::vector<uint8_t> buffer(8192);
    for (auto _ : state) {
        uint32_t size = 8192;
        player.FillHandler(buffer.data(), size);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_MixBufferNothingPlaying)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
