// Draws the ZEK module's ten pictures: the target cross, the catch cursor
// and the four reaction lamps lit and unlit. Usage: make-zek-pictures FOLDER
//
// The cross and the cursor are drawn on the field's own colour, which is
// also their see-through colour (the lower-left pixel): the module scales
// every picture with a soft filter, and edges that fade into the field's
// colour leave no fringe of some other key colour around the shapes.
#include "modules/kit/art/PictureArt.h"
#include "platform/gdi/Text.h"

#include <algorithm>
#include <string>

namespace {

using namespace kestrava::gdi;
using namespace kestrava::kit::art;

// Sizes of the source pictures. The sprites are scaled up for every test
// area from 800 pixels wide on (a shrinking filter would not keep the
// see-through colour exact), the lamps may be scaled either way.
constexpr int32_t kSpriteSize = 52;
constexpr int32_t kLampSize = 96;
constexpr ColorRef kField = Rgb(31, 31, 31);

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

} // namespace

int main(int argc, char** argv)
{
    return PictureMain("make-zek-pictures", argc, argv, [](const std::string& folder) {
        const char* tool = "make-zek-pictures";
        bool ok = SavePicture(tool, folder, "cross.bmp", Cross()) && SavePicture(tool, folder, "catch.bmp", Catch());
        for (int n = 1; n <= 4 && ok; ++n)
            ok = SavePicture(tool, folder, "F" + std::to_string(n) + "On.bmp", Lamp(n, true)) &&
                 SavePicture(tool, folder, "F" + std::to_string(n) + "Off.bmp", Lamp(n, false));
        return ok;
    });
}
