// Draws the program's icon for the desktop's application menu: the
// splash's aircraft on a dark rounded tile with the tracking ring of the
// ZEK test behind it, in every size the icon theme asks for. Each size is
// drawn by itself, not scaled from a larger one, so the small ones stay
// sharp.
//
// Usage: make-icon ICON_FOLDER
// Writes ICON_FOLDER/hicolor/NxN/apps/kestrava.png for N in kSizes.
#include "resources/skin/Draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kestrava::artwork {
namespace {

constexpr int32_t kSizes[] = {16, 24, 32, 48, 64, 128, 256};

Layer DrawIcon(int32_t size)
{
    const double s = size;
    const double k = s / 256.0; // drawn on a 256 grid
    Layer icon(size, size);
    // Small sizes use the whole square: a margin would cost a pixel of aircraft.
    const double margin = size <= 24 ? 0 : 12 * k;
    const Sdf tile = RoundRect(margin, margin, s - margin, s - margin, std::max(2.0, 44 * k));
    icon.Fill(tile, [&](double x, double y) {
        const double glow = std::max(0.0, 1 - std::hypot(x - s / 2, y - s * 0.45) / (s * 0.62));
        return Mix(Mix(Rgbf{34, 36, 41}, Rgbf{16, 17, 19}, y / s), Rgbf{62, 67, 76}, glow * glow);
    });
    icon.Fill(Subtract(tile, Grown(tile, -std::max(1.0, 3 * k))), Grey(90), 0.9);
    if (size >= 32)
        icon.Fill(Ring(s / 2, s / 2, 86 * k, std::max(1.2, 7 * k)), colour::Green, 0.85);
    // Without the ring the small sizes give the aircraft all the room.
    const Sdf plane = size <= 24 ? Aircraft(s / 2, s / 2 + 4 * k, 1.5 * k) : Aircraft(s / 2, s / 2 + 6 * k, 1.18 * k);
    if (size >= 48)
        icon.Fill(Shifted(plane, 5 * k, 7 * k), Grey(0), 0.35);
    const double light = size <= 24 ? 0.3 : 0.0; // small sizes need the contrast
    icon.Fill(plane, VGradient(Mix(colour::Blue, Grey(255), 0.45 + light), Mix(colour::Blue, Grey(255), light), s * 0.2,
                               s * 0.8));
    return icon;
}

} // namespace
} // namespace kestrava::artwork

int main(int argc, char** argv)
{
    using namespace kestrava;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icon ICON_FOLDER\n");
        return 2;
    }
    for (int32_t size : artwork::kSizes) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / "hicolor" / dim / "apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        std::string error;
        if (ec || !gdi::SavePng((folder / "kestrava.png").string(), artwork::DrawIcon(size).WithAlpha(), &error)) {
            std::fprintf(stderr, "make-icon: cannot write %s: %s\n", (folder / "kestrava.png").c_str(),
                         ec ? ec.message().c_str() : error.c_str());
            return 1;
        }
    }
    return 0;
}
