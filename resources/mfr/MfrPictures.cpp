// Draws the Mehrfachreaktion module's eight lamp pictures: four round
// signal lamps (red, yellow, green, blue for F1 to F4), lit and unlit, in a
// ring of dark metal on black, the test screen's own colour, so the module
// draws them as plain opaque copies. Usage: make-mfr-pictures FOLDER
#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using namespace kestrava::gdi;

// Larger than the lamps' size on an 800-pixel-wide area (110 px) and below
// that on a full-HD one (264 px): the module's soft scaling takes it either
// way.
constexpr int32_t kSize = 160;

struct Rgbf {
    double r, g, b;
};

// Paints colour over the picture wherever cover(x, y) > 0 (0 to 1, the
// share of the pixel), with 4 x 4 samples per pixel for smooth edges.
void Paint(Bitmap& image, const std::function<bool(double, double)>& shape, Rgbf colour, double opacity = 1.0)
{
    constexpr int kSamples = 4;
    for (int32_t y = 0; y < image.Height(); ++y) {
        for (int32_t x = 0; x < image.Width(); ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    hits += shape(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
            if (hits == 0)
                continue;
            const double a = opacity * hits / (kSamples * kSamples);
            const ColorRef old = image.GetColor(x, y);
            auto mix = [a](double from, double to) { return uint8_t(std::lround(from + (to - from) * a)); };
            image.SetPixel(x, y, PixelOf(Rgb(mix(RedOf(old), colour.r), mix(GreenOf(old), colour.g),
                                             mix(BlueOf(old), colour.b))));
        }
    }
}

auto Disc(double cx, double cy, double radius)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) <= radius; };
}

Rgbf Scaled(Rgbf c, double f) { return {std::min(255.0, c.r * f), std::min(255.0, c.g * f), std::min(255.0, c.b * f)}; }

Bitmap Lamp(int number, bool lit)
{
    const Rgbf hues[4] = {{235, 60, 50}, {250, 215, 40}, {60, 205, 80}, {60, 130, 245}};
    const Rgbf hue = hues[number - 1];
    const double s = kSize;
    const double c = s / 2;
    Bitmap image(kSize, kSize);
    image.Fill(PixelOf(Rgb(0, 0, 0)));
    Paint(image, Disc(c, c, s * 0.47), {70, 70, 74});
    Paint(image, Disc(c, c, s * 0.42), {28, 28, 30});
    const double lens = s * 0.36;
    if (lit) {
        Paint(image, Disc(c, c, lens), hue);
        // Brighter towards the middle, and a highlight at the upper left.
        for (int i = 1; i <= 5; ++i)
            Paint(image, Disc(c, c, lens * (1.0 - 0.15 * i)), Scaled(hue, 1.25), 0.25);
        Paint(image, Disc(c - lens * 0.35, c - lens * 0.35, lens * 0.22), {255, 255, 255}, 0.6);
    } else {
        Paint(image, Disc(c, c, lens), Scaled(hue, 0.2));
        Paint(image, Disc(c - lens * 0.35, c - lens * 0.35, lens * 0.18), Scaled(hue, 0.35));
    }
    return image;
}

bool Save(const std::string& folder, const std::string& name, Bitmap image)
{
    image.SetBitsPerPixel(24);
    std::string error;
    if (!SaveBmp(folder + "/" + name, image, &error)) {
        std::fprintf(stderr, "make-mfr-pictures: %s/%s: %s\n", folder.c_str(), name.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-mfr-pictures FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    for (int n = 1; n <= 4 && ok; ++n)
        ok = Save(folder, "L" + std::to_string(n) + "On.bmp", Lamp(n, true)) &&
             Save(folder, "L" + std::to_string(n) + "Off.bmp", Lamp(n, false));
    return ok ? 0 : 1;
}
