// Drawing a module's pictures at build time: shapes as predicates over pixel
// coordinates, painted with 4 x 4 samples per pixel for smooth edges, and
// the picture saved as a 24-bit BMP. The generators of the modules'
// pictures (resources/) use it; a generator is a small program
// "make-NAME-pictures FOLDER".
#pragma once

#include "platform/gdi/Bitmap.h"

#include <functional>
#include <string>

namespace kestrava::kit::art {

struct Rgbf {
    double r, g, b;
};

Rgbf FromColor(gdi::ColorRef c);
// Each channel times f, at most 255.
Rgbf Scaled(Rgbf c, double f);

// (x, y) in pixels, (0, 0) the top-left corner of the top-left pixel.
using Shape = std::function<bool(double x, double y)>;

// Paints colour over the picture wherever shape holds, mixed by the share
// of the pixel's 16 samples inside it and by opacity.
void Paint(gdi::Bitmap& image, const Shape& shape, Rgbf colour, double opacity = 1.0);

Shape Disc(double cx, double cy, double radius);
// A ring of the given thickness centred on the circle of radius.
Shape Ring(double cx, double cy, double radius, double thickness);
// Right and bottom exclusive.
Shape Box(double left, double top, double right, double bottom);
Shape RoundedBox(double left, double top, double right, double bottom, double radius);

// Saves the picture as folder/name at 24 bits; on failure writes
// "tool: folder/name: why" on stderr and returns false.
bool SavePicture(const char* tool, const std::string& folder, const std::string& name, gdi::Bitmap image);

// The generator's main: "tool FOLDER", then draw(folder) writes the
// pictures; returns the exit code (2 for a wrong call, 1 when a picture
// could not be saved).
int PictureMain(const char* tool, int argc, char** argv, const std::function<bool(const std::string&)>& draw);

} // namespace kestrava::kit::art
