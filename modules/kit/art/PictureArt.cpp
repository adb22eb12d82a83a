#include "modules/kit/art/PictureArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kestrava::kit::art {

using namespace kestrava::gdi;

Rgbf FromColor(ColorRef c) { return {double(RedOf(c)), double(GreenOf(c)), double(BlueOf(c))}; }

Rgbf Scaled(Rgbf c, double f) { return {std::min(255.0, c.r * f), std::min(255.0, c.g * f), std::min(255.0, c.b * f)}; }

void Paint(Bitmap& image, const Shape& shape, Rgbf colour, double opacity)
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

Shape Disc(double cx, double cy, double radius)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) <= radius; };
}

Shape Ring(double cx, double cy, double radius, double thickness)
{
    return [=](double x, double y) { return std::fabs(std::hypot(x - cx, y - cy) - radius) <= thickness / 2; };
}

Shape Box(double left, double top, double right, double bottom)
{
    return [=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; };
}

Shape RoundedBox(double left, double top, double right, double bottom, double radius)
{
    return [=](double x, double y) {
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return std::hypot(x - cx, y - cy) <= radius;
    };
}

bool SavePicture(const char* tool, const std::string& folder, const std::string& name, Bitmap image)
{
    image.SetBitsPerPixel(24);
    std::string error;
    if (!SaveBmp(folder + "/" + name, image, &error)) {
        std::fprintf(stderr, "%s: %s/%s: %s\n", tool, folder.c_str(), name.c_str(), error.c_str());
        return false;
    }
    return true;
}

int PictureMain(const char* tool, int argc, char** argv, const std::function<bool(const std::string&)>& draw)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", tool);
        return 2;
    }
    return draw(argv[1]) ? 0 : 1;
}

} // namespace kestrava::kit::art
