// Writes the Mehrfachreaktion module's two tones beside it: MFRHOCH.WAV
// (1320 Hz) and MFRTIEF.WAV (440 Hz), 300 ms each, 16-bit mono PCM at
// 44100 Hz, with 10 ms fades so they start and stop without a click. A
// third of full scale leaves room for the mixer's other slots.
// Usage: make-mfr-tones FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFrames = kRate * 300 / 1000;
constexpr uint32_t kFade = kRate * 10 / 1000;
constexpr double kLevel = 32767.0 / 3.0;

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

bool WriteTone(const std::string& path, double hertz)
{
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < kFrames; ++i) {
        double gain = 1.0;
        if (i < kFade)
            gain = double(i) / kFade;
        else if (i >= kFrames - kFade)
            gain = double(kFrames - 1 - i) / kFade;
        const double v = std::sin(2.0 * std::numbers::pi * hertz * i / kRate) * kLevel * gain;
        Put16(data, uint32_t(uint16_t(int16_t(std::lround(v)))));
    }
    std::vector<uint8_t> file;
    for (char c : std::string("RIFF"))
        file.push_back(uint8_t(c));
    Put32(file, uint32_t(36 + data.size()));
    for (char c : std::string("WAVEfmt "))
        file.push_back(uint8_t(c));
    Put32(file, 16);
    Put16(file, 1);          // PCM
    Put16(file, 1);          // mono
    Put32(file, kRate);
    Put32(file, kRate * 2);  // bytes per second
    Put16(file, 2);          // bytes per frame
    Put16(file, 16);         // bits per sample
    for (char c : std::string("data"))
        file.push_back(uint8_t(c));
    Put32(file, uint32_t(data.size()));
    file.insert(file.end(), data.begin(), data.end());

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "make-mfr-tones: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-mfr-tones FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok = WriteTone(folder + "/MFRHOCH.WAV", 1320.0) && WriteTone(folder + "/MFRTIEF.WAV", 440.0);
    return ok ? 0 : 1;
}
