// Drawing helpers of the host's artwork generator.
//
// Shapes are signed distance functions (negative inside, in pixels), so
// every edge is anti-aliased by its exact distance to the pixel centre. A
// Layer holds premultiplied RGBA in doubles; shapes, gradients and text are
// composited onto it with "over", and the layer is turned into the files'
// formats at the end: opaque 24-bit, 32-bit with straight alpha, or an 8-bit
// alpha mask whose palette index is the alpha.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Text.h"
#include "ui/Colours.h"

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kestrava::artwork {

struct Rgbf {
    double r = 0, g = 0, b = 0;
};

constexpr Rgbf Grey(double v) { return {v, v, v}; }
Rgbf FromHex(uint32_t rrggbb);
constexpr Rgbf FromColorRef(gdi::ColorRef c)
{
    return {double(gdi::RedOf(c)), double(gdi::GreenOf(c)), double(gdi::BlueOf(c))};
}
Rgbf Mix(Rgbf a, Rgbf b, double t); // t = 0 gives a
Rgbf Scale(Rgbf c, double f);       // darker below 1, lighter above (clamped)

// The look's named colours.
namespace colour {
inline const Rgbf Panel = FromColorRef(ui::colour::kMenuPanel);
inline const Rgbf Surface{46, 47, 50};        // where buttons sit: the see-through colour of the buttons
inline const Rgbf Selection = FromColorRef(ui::colour::kListSelection);
inline const Rgbf Green = FromColorRef(ui::colour::kScoreGood);
inline const Rgbf Red = FromColorRef(ui::colour::kScoreWeak);
inline const Rgbf Blue = FromHex(0x4B82CD);
inline const Rgbf Text = Grey(236);
inline const Rgbf QuietText = Grey(168);
inline const Rgbf Well = Grey(0);             // black list wells
inline const Rgbf GraphWell = FromHex(0x202020);
} // namespace colour

using Sdf = std::function<double(double x, double y)>;
using Paint = std::function<Rgbf(double x, double y)>;

Sdf Rect(double left, double top, double right, double bottom);
Sdf RoundRect(double left, double top, double right, double bottom, double radius);
Sdf Circle(double cx, double cy, double radius);
Sdf Ring(double cx, double cy, double radius, double thickness);
// An arc of a ring with round caps, from angle a0 to a1 (radians, clockwise
// on screen from the positive x axis, a0 < a1).
Sdf Arc(double cx, double cy, double radius, double thickness, double a0, double a1);
Sdf Segment(double x0, double y0, double x1, double y1, double thickness); // round caps
Sdf Polygon(std::vector<std::pair<double, double>> points);
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf from, Sdf cut);
Sdf Intersect(Sdf a, Sdf b);
Sdf Shifted(Sdf s, double dx, double dy);
Sdf Rotated(Sdf s, double cx, double cy, double angle);
Sdf Grown(Sdf s, double by); // positive grows, negative shrinks

// The aircraft of the splash and the icon, seen from above with its nose
// up and slightly banked, centred on (cx, cy); at scale 1 its wings span
// 156 px.
Sdf Aircraft(double cx, double cy, double scale);

Paint Solid(Rgbf c);
Paint VGradient(Rgbf top, Rgbf bottom, double y0, double y1);
Paint HGradient(Rgbf left, Rgbf right, double x0, double x1);

gdi::FontSpec Font(int32_t height, bool bold = false, const char* family = "Arial");

// The scale the pictures are drawn at: 1, 1.5 or 2. A picture keeps its
// geometry in the units of its 1x size; a layer drawn at scale s has
// round(s * size) pixels, every shape is evaluated at s times (so lines are
// s times as wide and edges anti-aliased in the layer's own pixels) and
// text is rendered at s times the cell height. At 1 the pixels are exactly
// those of the unscaled drawing.
double DrawingScale();
// Sets the drawing scale for its lifetime.
class DrawingScaleScope {
public:
    explicit DrawingScaleScope(double scale);
    ~DrawingScaleScope();
    DrawingScaleScope(const DrawingScaleScope&) = delete;
    DrawingScaleScope& operator=(const DrawingScaleScope&) = delete;

private:
    double m_previous;
};
// The scales every picture is drawn at.
inline constexpr double kScales[] = {1, 1.5, 2};
// A length in units at the drawing scale, in whole pixels (half rounds up).
int32_t Scaled(double units, double scale);
// The file-name suffix of a scale: "" at 1, "@1.5x", "@2x".
std::string ScaleSuffix(double scale);

class Layer {
public:
    // Fully transparent; width and height in units, drawn at DrawingScale().
    Layer(int32_t width, int32_t height);
    // Opaque, pixel for pixel; a picture drawn at DrawingScale().
    static Layer FromBitmap(const gdi::Bitmap& picture);

    // In units (the 1x size).
    int32_t Width() const { return m_unitsW; }
    int32_t Height() const { return m_unitsH; }
    // In pixels: what Alpha, Colour and the bitmaps address.
    int32_t PixelWidth() const { return m_width; }
    int32_t PixelHeight() const { return m_height; }
    double PixelScale() const { return m_scale; }

    void Fill(const Sdf& shape, const Paint& paint, double opacity = 1.0);
    void Fill(const Sdf& shape, Rgbf c, double opacity = 1.0) { Fill(shape, Solid(c), opacity); }
    // Text with its cell's top-left at (x, y).
    void Text(const gdi::FontSpec& font, const std::string& text, double x, double y, Rgbf c, double opacity = 1.0);
    void TextCentred(const gdi::FontSpec& font, const std::string& text, double cx, double cy, Rgbf c,
                     double opacity = 1.0);
    // Draws another layer (of the same scale) over this one at (x, y) units.
    void Draw(const Layer& other, int32_t x, int32_t y, double opacity = 1.0);

    double Alpha(int32_t x, int32_t y) const { return m_a[Index(x, y)]; }
    Rgbf Colour(int32_t x, int32_t y) const; // straight (not premultiplied)
    // A piece in units; its pixels start at round(s * x) and span round(s * width).
    Layer Crop(int32_t x, int32_t y, int32_t width, int32_t height) const;

    // 24-bit, composited over matte.
    gdi::Bitmap Opaque(Rgbf matte) const;
    // 24-bit straight colour, for a picture whose alpha goes into a mask.
    gdi::Bitmap ColourOnly() const;
    // 32-bit with straight alpha.
    gdi::Bitmap WithAlpha() const;
    // 8-bit, grey-ramp palette, each pixel's index is its alpha.
    gdi::Bitmap AlphaMask() const;

private:
    size_t Index(int32_t x, int32_t y) const { return size_t(y) * size_t(m_width) + size_t(x); }
    void Blend(size_t i, Rgbf c, double a);
    void TextAtPixel(const gdi::FontSpec& pixelFont, const std::string& text, int32_t ox, int32_t oy, Rgbf c,
                     double opacity);
    int32_t m_unitsW;
    int32_t m_unitsH;
    double m_scale;
    int32_t m_width; // pixels
    int32_t m_height;
    std::vector<double> m_r, m_g, m_b, m_a; // premultiplied
};

// In units: the text's extent at the drawing scale, divided by it.
gdi::Size Measure(const gdi::FontSpec& font, const std::string& text);
// The font at scale: the cell height times scale.
gdi::FontSpec ScaledFont(gdi::FontSpec font, double scale);
// The largest font height up to height at which text fits width.
gdi::FontSpec FitFont(gdi::FontSpec font, const std::string& text, int32_t width);

// Writes the pictures: NAME.bmp into the skin folder (and a PNG copy into
// the look folder, when one is given), other files into the program folder.
// At a drawing scale other than 1 every name takes the scale's suffix before
// its extension: NAME@2x.bmp, HAND@2x.CUR.
class Output {
public:
    Output(std::string programFolder, std::string lookFolder);
    // The name of a file at the drawing scale: "HAND.CUR" -> "HAND@2x.CUR".
    static std::string AtScale(const std::string& name);
    bool Picture(const std::string& name, const gdi::Bitmap& picture);
    bool File(const std::string& name, const std::vector<uint8_t>& bytes);
    // A PNG into the look folder only (pictures that go out in another form).
    void Look(const std::string& name, const gdi::Bitmap& picture);
    // Removes pictures of the skin folder that this run did not write (left
    // from renamed pieces), so the folder holds exactly the current set.
    void Prune();
    bool ok = true;

private:
    std::set<std::string> m_written;
    std::string m_skin;
    std::string m_program;
    std::string m_look;
};

} // namespace kestrava::artwork
