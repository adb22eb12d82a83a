// The cursor files: HAND.CUR, the hand pointer of every clickable control,
// and FLIEGE.ANI, the busy cursor, a three-bladed propeller turning.
//
// Each image is a 32 x 32 cursor (48 x 48 and 64 x 64 at the larger scales) with a 32-bit colour bitmap carrying its
// alpha and a 1-bit mask for readers that ignore the alpha (set where the
// cursor is fully see-through). The animation is a RIFF "ACON" file whose
// frames are complete cursor files.
#include "resources/skin/Artwork.h"

#include <cmath>
#include <numbers>

namespace kestrava::artwork {

namespace {

constexpr int32_t kSide = 32;

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(tag[i]));
}

// A .CUR file holding one image; the hotspot in units, at the pixel that
// holds that point at the image's scale.
std::vector<uint8_t> CursorFile(const Layer& image, double hotUnitsX, double hotUnitsY)
{
    const auto hotX = uint16_t(std::floor(hotUnitsX * image.PixelScale()));
    const auto hotY = uint16_t(std::floor(hotUnitsY * image.PixelScale()));
    const gdi::Bitmap colour = image.WithAlpha();
    const uint32_t w = uint32_t(colour.Width()), h = uint32_t(colour.Height());
    const uint32_t maskStride = (w + 31) / 32 * 4;
    const uint32_t imageSize = 40 + w * h * 4 + maskStride * h;

    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 2); // cursor
    Put16(out, 1); // one image
    out.push_back(uint8_t(w));
    out.push_back(uint8_t(h));
    out.push_back(0); // no palette
    out.push_back(0);
    Put16(out, hotX);
    Put16(out, hotY);
    Put32(out, imageSize);
    Put32(out, 6 + 16);

    Put32(out, 40);
    Put32(out, w);
    Put32(out, h * 2); // colour bitmap and mask together
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, w * h * 4 + maskStride * h);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int32_t y = int32_t(h) - 1; y >= 0; --y)
        for (int32_t x = 0; x < int32_t(w); ++x)
            Put32(out, colour.GetPixel(x, y));
    for (int32_t y = int32_t(h) - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int32_t x = 0; x < int32_t(w); ++x)
            if ((colour.GetPixel(x, y) >> 24) == 0)
                row[size_t(x) / 8] = uint8_t(row[size_t(x) / 8] | (0x80u >> (uint32_t(x) % 8)));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// The shape drawn twice: grown in a dark outline, then filled.
void Outlined(Layer& m, const Sdf& shape, const Paint& fill)
{
    m.Fill(Grown(shape, 1.3), Grey(10));
    m.Fill(shape, fill);
}

Layer Hand()
{
    Layer m(kSide, kSide);
    Sdf hand = Segment(11, 3.5, 11, 17, 5);                 // index finger, pointing up
    hand = Union(hand, Segment(15.5, 12, 15.5, 18, 4.4));    // the other fingers, curled
    hand = Union(hand, Segment(19.5, 13, 19.5, 19, 4.4));
    hand = Union(hand, Segment(23.5, 14.5, 23.5, 20, 4));
    hand = Union(hand, RoundRect(8.6, 15, 25.5, 28.5, 4.5)); // palm
    hand = Union(hand, Segment(9.5, 23, 5, 17.5, 4.4));      // thumb
    Outlined(m, hand, VGradient(Grey(255), Grey(226), 2, 29));
    // Knuckle lines.
    for (double x : {13.4, 17.6, 21.6})
        m.Fill(Segment(x, 14.5, x, 18.5, 0.9), Grey(120));
    return m;
}

Layer Propeller(double angle)
{
    Layer m(kSide, kSide);
    const double c = kSide / 2.0;
    Sdf blades = Circle(c, c, 0);
    for (int k = 0; k < 3; ++k) {
        const double a = angle + k * 2 * std::numbers::pi / 3;
        // A blade: broad near its tip, slim at the hub, swept a little.
        const Sdf blade = Grown(Polygon({{c - 1.2, c}, {c + 1.2, c}, {c + 3.4, c - 9}, {c + 1.6, c - 13.2},
                                         {c - 1.4, c - 13.2}, {c - 2.8, c - 9}}),
                                0.6);
        blades = Union(blades, Rotated(blade, c, c, a));
    }
    Outlined(m, blades, VGradient(Grey(245), Grey(178), 2, 30));
    m.Fill(Circle(c, c, 4.8), Grey(10));
    m.Fill(Circle(c, c, 3.8), VGradient(Mix(colour::Blue, Grey(255), 0.4), colour::Blue, c - 4, c + 4));
    return m;
}

std::vector<uint8_t> Chunk(const char* tag, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out;
    PutTag(out, tag);
    Put32(out, uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0)
        out.push_back(0);
    return out;
}

std::vector<uint8_t> AnimatedCursor()
{
    // Three blades repeat every 120 degrees: eight frames of 15 degrees
    // make one smooth turn, shown for 4 jiffies (about 67 ms) each.
    constexpr uint32_t kFrames = 8, kJiffies = 4;
    std::vector<uint8_t> header;
    Put32(header, 36);
    Put32(header, kFrames);
    Put32(header, kFrames); // steps
    for (int i = 0; i < 4; ++i)
        Put32(header, 0); // width, height, bits, planes: taken from the frames
    Put32(header, kJiffies);
    Put32(header, 1); // the frames are cursor files

    std::vector<uint8_t> frames;
    PutTag(frames, "fram");
    const double c = kSide / 2.0;
    for (uint32_t i = 0; i < kFrames; ++i) {
        const double angle = i * (2 * std::numbers::pi / 3) / kFrames;
        const std::vector<uint8_t> icon = Chunk("icon", CursorFile(Propeller(angle), c, c));
        frames.insert(frames.end(), icon.begin(), icon.end());
    }

    std::vector<uint8_t> body;
    PutTag(body, "ACON");
    const std::vector<uint8_t> anih = Chunk("anih", header);
    const std::vector<uint8_t> list = Chunk("LIST", frames);
    body.insert(body.end(), anih.begin(), anih.end());
    body.insert(body.end(), list.begin(), list.end());
    return Chunk("RIFF", body);
}

} // namespace

void WriteCursors(Output& out)
{
    // The hotspot is the tip of the index finger.
    out.File("HAND.CUR", CursorFile(Hand(), 11, 1));
    out.File("FLIEGE.ANI", AnimatedCursor());
    out.Look("cursor-HAND", Hand().WithAlpha());
    out.Look("cursor-FLIEGE-0", Propeller(0).WithAlpha());
    out.Look("cursor-FLIEGE-3", Propeller(std::numbers::pi / 8).WithAlpha());
}

} // namespace kestrava::artwork
