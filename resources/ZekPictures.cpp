// Draws the ZEK module's ten pictures: the target cross, the catch cursor
// and the four reaction lamps lit and unlit. Usage: make-zek-pictures FOLDER
//
// The cross and the cursor are drawn on the field's own colour, which is
// also their see-through colour (the lower-left pixel): the module scales
// every picture with a soft filter, and edges that fade into the field's
// colour leave no fringe of some other key colour around the shapes.
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using namespace kestrava::gdi;

// Sizes of the source pictures. The sprites are scaled up for every test
// area from 800 pixels wide on (a shrinking filter would not keep the
// see-through colour exact), the lamps may be scaled either way.
constexpr int32_t kSpriteSize = 52;
constexpr int32_t kLampSize = 96;
constexpr ColorRef kField = Rgb(31, 31, 31);

struct Rgbf {
    double r, g, b;
};

Rgbf FromColor(ColorRef c) { return {double(RedOf(c)), double(GreenOf(c)), double(BlueOf(c))}; }

// Paints colour over the picture wherever shape holds, with 4 x 4 samples per
// pixel for smooth edges. Coordinates are in pixels, (0, 0) the top-left
// corner of the top-left pixel.
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
            const Rgbf old = FromColor(image.GetColor(x, y));
            auto mix = [a](double from, double to) { return uint8_t(std::lround(from + (to - from) * a)); };
            image.SetPixel(x, y, PixelOf(Rgb(mix(old.r, colour.r), mix(old.g, colour.g), mix(old.b, colour.b))));
        }
    }
}

auto Ring(double cx, double cy, double radius, double thickness)
{
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        return std::fabs(d - radius) <= thickness / 2;
    };
}

auto Disc(double cx, double cy, double radius)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) <= radius; };
}

auto Box(double left, double top, double right, double bottom)
{
    return [=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; };
}

auto RoundedBox(double left, double top, double right, double bottom, double radius)
{
    return [=](double x, double y) {
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return std::hypot(x - cx, y - cy) <= radius;
    };
}

// The target: an amber cross-hair in a ring, open in the middle so the
// cursor's centre can be seen on it.
Bitmap Cross()
{
    const double s = kSpriteSize;
    const double c = s / 2;
    Bitmap image(kSpriteSize, kSpriteSize);
    image.Fill(PixelOf(kField));
    const Rgbf amber{255, 176, 32};
    Paint(image, Ring(c, c, s * 0.36, s * 0.075), amber);
    const double arm = s * 0.055;
    Paint(image, Box(s * 0.06, c - arm, c - s * 0.12, c + arm), amber);
    Paint(image, Box(c + s * 0.12, c - arm, s * 0.94, c + arm), amber);
    Paint(image, Box(c - arm, s * 0.06, c + arm, c - s * 0.12), amber);
    Paint(image, Box(c - arm, c + s * 0.12, c + arm, s * 0.94), amber);
    Paint(image, Disc(c, c, s * 0.05), amber);
    return image;
}

// The cursor: four cyan corner brackets around a small ring, a shape that
// neither looks like the cross nor vanishes on top of it.
Bitmap Catch()
{
    const double s = kSpriteSize;
    const double c = s / 2;
    Bitmap image(kSpriteSize, kSpriteSize);
    image.Fill(PixelOf(kField));
    const Rgbf cyan{64, 220, 230};
    const double t = s * 0.09;  // stroke
    const double l = s * 0.30;  // bracket arm
    const double lo = s * 0.06, hi = s * 0.94;
    for (double x0 : {lo, hi - l})
        for (double y0 : {lo, hi - t})
            Paint(image, Box(x0, y0, x0 + l, y0 + t), cyan);
    for (double x0 : {lo, hi - t})
        for (double y0 : {lo, hi - l})
            Paint(image, Box(x0, y0, x0 + t, y0 + l), cyan);
    Paint(image, Ring(c, c, s * 0.14, s * 0.07), cyan);
    return image;
}

// A lamp: a rounded housing with a round lens and its key's name. Lit, the
// lens glows in the lamp's own colour and the name stands dark on it; unlit,
// the lens is a dull dark glass and the name a quiet grey, so that the one
// lit lamp is what catches the eye.
Bitmap Lamp(int number, bool lit)
{
    const Rgbf hues[4] = {{235, 90, 80}, {90, 210, 95}, {90, 150, 240}, {245, 190, 60}};
    const Rgbf hue = hues[number - 1];
    const double s = kLampSize;
    const double c = s / 2;
    Bitmap image(kLampSize, kLampSize);
    image.Fill(PixelOf(Rgb(0, 0, 0)));
    Paint(image, RoundedBox(0, 0, s, s, s * 0.16), {58, 58, 58});
    Paint(image, RoundedBox(s * 0.04, s * 0.04, s * 0.96, s * 0.96, s * 0.13), {40, 40, 40});
    const double lens = s * 0.38;
    if (lit) {
        for (int i = 6; i >= 1; --i) // a soft glow around the lens
            Paint(image, Disc(c, c, lens + s * 0.012 * i), hue, 0.10);
        Paint(image, Disc(c, c, lens), hue);
        Paint(image, Disc(c - lens * 0.25, c - lens * 0.3, lens * 0.45),
              {std::min(255.0, hue.r + 60), std::min(255.0, hue.g + 60), std::min(255.0, hue.b + 60)}, 0.55);
    } else {
        Paint(image, Disc(c, c, lens), {hue.r * 0.18, hue.g * 0.18, hue.b * 0.18});
        Paint(image, Ring(c, c, lens, s * 0.03), {hue.r * 0.45, hue.g * 0.45, hue.b * 0.45});
    }
    FontSpec font;
    font.family = "Arial";
    font.bold = true;
    font.height = int32_t(s * 0.40);
    const std::string name = "F" + std::to_string(number);
    const Size extent = MeasureText(font, name);
    const ColorRef ink = lit ? Rgb(20, 20, 20) : Rgb(105, 105, 105);
    DrawText(image, {0, 0, image.Width(), image.Height()}, int32_t(c) - extent.cx / 2, int32_t(c) - extent.cy / 2, name,
             font, ink, false, 0);
    return image;
}

bool Save(const std::string& folder, const std::string& name, Bitmap image)
{
    image.SetBitsPerPixel(24);
    std::string error;
    if (!SaveBmp(folder + "/" + name, image, &error)) {
        std::fprintf(stderr, "make-zek-pictures: %s/%s: %s\n", folder.c_str(), name.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-zek-pictures FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = Save(folder, "cross.bmp", Cross()) && Save(folder, "catch.bmp", Catch());
    for (int n = 1; n <= 4 && ok; ++n)
        ok = Save(folder, "F" + std::to_string(n) + "On.bmp", Lamp(n, true)) &&
             Save(folder, "F" + std::to_string(n) + "Off.bmp", Lamp(n, false));
    return ok ? 0 : 1;
}
