// Draws the Mehrfachreaktion module's eight lamp pictures: four round
// signal lamps (red, yellow, green, blue for F1 to F4), lit and unlit, in a
// ring of dark metal on black, the test screen's own colour, so the module
// draws them as plain opaque copies. Usage: make-mfr-pictures FOLDER
#include "modules/kit/art/PictureArt.h"

#include <string>

namespace {

using namespace kestrava::gdi;
using namespace kestrava::kit::art;

// Larger than the lamps' size on an 800-pixel-wide area (110 px) and below
// that on a full-HD one (264 px): the module's soft scaling takes it either
// way.
constexpr int32_t kSize = 160;

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

} // namespace

int main(int argc, char** argv)
{
    return PictureMain("make-mfr-pictures", argc, argv, [](const std::string& folder) {
        bool ok = true;
        for (int n = 1; n <= 4 && ok; ++n)
            ok = SavePicture("make-mfr-pictures", folder, "L" + std::to_string(n) + "On.bmp", Lamp(n, true)) &&
                 SavePicture("make-mfr-pictures", folder, "L" + std::to_string(n) + "Off.bmp", Lamp(n, false));
        return ok;
    });
}
