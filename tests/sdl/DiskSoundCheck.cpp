// The real sound device end to end, for CI: `disk_sound_check play DIR`
// writes a 1000 Hz tone file into DIR and plays it through the host's sound
// table, the mixer and the SDL device, at a user volume of one half; run
// with SDL_AUDIODRIVER=disk the device writes what it was given to
// SDL_DISKAUDIOFILE. `disk_sound_check analyse FILE` then finds the tone in
// that file (16-bit stereo at 44100 Hz) and checks its frequency and level.
#include "audio/PlayAudio.h"
#include "host/core/SoundTable.h"
#include "platform/app/Clock.h"
#include "platform/app/EventLoop.h"
#include "platform/sdl/SdlWaveOut.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kFrequency = 1000.0;
constexpr double kAmplitude = 16000.0;
constexpr uint16_t kUserVolume = 32768;

void WriteTone(const std::string& path)
{
    std::vector<int16_t> samples(44100);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(std::lround(kAmplitude * std::sin(2 * M_PI * kFrequency * double(i) / 44100.0)));
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4), u32(uint32_t(36 + samples.size() * 2)), out.write("WAVEfmt ", 8);
    u32(16), u16(1), u16(1), u32(44100), u32(88200), u16(2), u16(16);
    out.write("data", 4), u32(uint32_t(samples.size() * 2));
    out.write(reinterpret_cast<const char*>(samples.data()), std::streamsize(samples.size() * 2));
}

int Play(const std::string& dir)
{
    using namespace kestrava;
    const std::string path = dir + "/TONE.WAV";
    WriteTone(path);
    app::EventLoop loop(app::SystemClock(), nullptr);
    auto post = [&loop](std::function<void()> fn) { loop.Post(std::move(fn)); };
    sdl::SdlWaveOut device(post);
    audio::TPlayAudio player(&device, post);
    bool ended = false;
    player.OnTerminate = [&](uint8_t) { ended = true; };
    if (!player.StartOutput()) {
        std::cerr << "disk_sound_check: no sound output: " << player.LastError() << '\n';
        return 1;
    }
    SoundTable table;
    table.SetPlayer(&player);
    table.SetMasterVolume(kUserVolume);
    table.Add("TONE", path);
    if (table.PlaySound("tone", 65535, 0) < 0) {
        std::cerr << "disk_sound_check: the tone did not play\n";
        return 1;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!ended && std::chrono::steady_clock::now() < until) {
        loop.RunOnce(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    player.StopWhenDrained();
    for (int i = 0; i < 150 && player.IsOpen(); ++i) {
        loop.RunOnce(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    player.StopNow();
    if (!ended) {
        std::cerr << "disk_sound_check: the tone never ended\n";
        return 1;
    }
    return 0;
}

int Analyse(const std::string& file)
{
    std::vector<char> bytes;
    if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
        char chunk[65536];
        size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    std::vector<int16_t> left, right;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        left.push_back(int16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
        right.push_back(int16_t(uint8_t(bytes[i + 2]) | uint8_t(bytes[i + 3]) << 8));
    }
    size_t first = 0, last = 0;
    for (size_t i = 0; i < left.size(); ++i)
        if (left[i] != 0 || right[i] != 0) {
            if (first == 0 && last == 0)
                first = i;
            last = i;
        }
    if (last <= first) {
        std::cerr << "disk_sound_check: the file holds no sound (" << left.size() << " frames)\n";
        return 1;
    }
    int crossings = 0;
    int peak = 0;
    bool sidesAlike = true;
    for (size_t i = first; i <= last; ++i) {
        if (i > first && (left[i - 1] < 0) != (left[i] < 0))
            ++crossings;
        peak = std::max(peak, std::abs(int(left[i])));
        sidesAlike = sidesAlike && left[i] == right[i];
    }
    const double seconds = double(last - first + 1) / 44100.0;
    const double frequency = crossings / 2.0 / seconds;
    const double expected = kAmplitude * kUserVolume / 65535.0;
    std::cout << "tone: " << seconds * 1000 << " ms, " << frequency << " Hz, peak " << peak << " (expected "
              << kFrequency << " Hz, peak " << expected << ")\n";
    const bool ok = std::fabs(frequency - kFrequency) < 0.02 * kFrequency && std::fabs(peak - expected) < 0.01 * expected &&
                    sidesAlike && seconds > 0.95 && seconds < 1.05;
    if (!ok)
        std::cerr << "disk_sound_check: the tone is not what was played\n";
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "play")
        return Play(argv[2]);
    if (mode == "analyse")
        return Analyse(argv[2]);
    std::cerr << "usage: disk_sound_check play DIR | analyse FILE\n";
    return 2;
}
