// Writes the WAV fuzz target's seeds into a folder: one small file of each
// sample layout the reader takes (8-bit mono, 16-bit mono and stereo) and
// the damaged shapes fuzzing has found so far (a 16-bit data chunk that
// holds no whole sample, followed by stray bytes).
// Usage: make-seed-waves FOLDER
#include "../audio/WaveBuilder.h"

#include <cmath>
#include <cstdio>

int main(int argc, char** argv)
{
    using kestrava::audio::testing::WaveBytes;
    if (argc != 2)
        return 2;
    const std::filesystem::path folder = argv[1];
    const auto tone = [](size_t n, double scale) {
        std::vector<int16_t> samples(n);
        for (size_t i = 0; i < n; ++i)
            samples[i] = int16_t(std::lround(scale * std::sin(double(i) * 0.3)));
        return samples;
    };
    {
        WaveBytes w;
        w.Header(), w.Format(1, 11025, 8);
        std::vector<uint8_t> samples;
        for (int16_t s : tone(200, 100))
            samples.push_back(uint8_t(128 + s));
        w.Data8(samples);
        w.Write(folder / "mono8-11025.WAV");
    }
    {
        WaveBytes w;
        w.Header(), w.Format(1, 22050, 16), w.Data16(tone(250, 12000));
        w.Write(folder / "mono16-22050.WAV");
    }
    {
        WaveBytes w;
        w.Header(), w.Format(2, 44100, 16), w.Data16(tone(600, 20000));
        w.Write(folder / "stereo16-44100.WAV");
    }
    for (uint32_t size : {0u, 1u}) {
        WaveBytes w;
        w.Header(), w.Format(1, 22050, 16);
        w.Id("data"), w.U32(size);
        for (int i = 0; i < 45; ++i)
            w.bytes.push_back(uint8_t(i * 37));
        w.Write(folder / ("nosample-" + std::to_string(size) + ".WAV"));
    }
    for (const char* name : {"mono8-11025.WAV", "mono16-22050.WAV", "stereo16-44100.WAV", "nosample-1.WAV"})
        if (!std::filesystem::is_regular_file(folder / name)) {
            std::fprintf(stderr, "make-seed-waves: cannot write %s\n", (folder / name).c_str());
            return 1;
        }
    return 0;
}
