// Block, stretch and colour-keyed copies, through device contexts and
// through the canvas, checked pixel for pixel.
#include "PixelArt.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DeviceContext.h"

#include <gtest/gtest.h>

namespace kestrava::gdi {
namespace {

using testing::Art;
using testing::Filled;

// A source whose every pixel says where it came from: blue = x, green = y,
// and an alpha that is neither 0 nor 255, so a copy that loses alpha shows.
Bitmap Numbered(int32_t w, int32_t h)
{
    Bitmap b(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y, Pixel(x) | Pixel(y) << 8 | 0x40000000u);
    return b;
}
Pixel From(int32_t x, int32_t y) { return Pixel(x) | Pixel(y) << 8 | 0x40000000u; }

constexpr Pixel kBack = 0xFF123456u;

// Where every destination pixel came from, as "x,y" or "-" when untouched.
std::string Origins(const Bitmap& b)
{
    std::string out;
    for (int32_t y = 0; y < b.Height(); ++y) {
        for (int32_t x = 0; x < b.Width(); ++x) {
            const Pixel p = b.GetPixel(x, y);
            out += p == kBack ? std::string("-") : std::to_string(p & 0xFF) + "," + std::to_string(p >> 8 & 0xFF);
            out += x + 1 < b.Width() ? " " : "";
        }
        out += '\n';
    }
    return out;
}

TEST(BitBltTest, CopiesExactlyAndClipsAtEveryEdge)
{
    Bitmap src = Numbered(4, 3);
    Bitmap dst = Filled(4, 3, kBack);
    BitBlt(dst.Handle(), 1, 1, 4, 4, src.Handle(), 0, 0); // runs past the right and bottom edges
    EXPECT_EQ(Origins(dst), "- - - -\n"
                            "- 0,0 1,0 2,0\n"
                            "- 0,1 1,1 2,1\n");

    dst.Fill(kBack);
    BitBlt(dst.Handle(), -1, -2, 3, 4, src.Handle(), 1, 0); // destination starts off the top left
    EXPECT_EQ(Origins(dst), "2,2 3,2 - -\n"
                            "- - - -\n"
                            "- - - -\n");

    dst.Fill(kBack);
    BitBlt(dst.Handle(), 0, 0, 4, 3, src.Handle(), -2, 1); // source starts off its left, runs off its bottom
    EXPECT_EQ(Origins(dst), "- - 0,1 1,1\n"
                            "- - 0,2 1,2\n"
                            "- - - -\n");
}

TEST(BitBltTest, OverlappingCopiesWithinOneBitmapReadTheOriginal)
{
    const Bitmap original = Numbered(5, 4);
    for (int32_t dx : {-1, 0, 1})
        for (int32_t dy : {-1, 0, 1}) {
            Bitmap b = original;
            BitBlt(b.Handle(), 1 + dx, 1 + dy, 3, 2, b.Handle(), 1, 1);
            for (int32_t y = 0; y < 2; ++y)
                for (int32_t x = 0; x < 3; ++x)
                    ASSERT_EQ(b.GetPixel(1 + dx + x, 1 + dy + y), From(1 + x, 1 + y)) << dx << "," << dy;
        }
}

TEST(BitBltTest, SizesBelowOneAndDeadHandlesCopyNothing)
{
    Bitmap src = Numbered(3, 3);
    Bitmap dst = Filled(3, 3, kBack);
    const std::string untouched = Origins(dst);
    BitBlt(dst.Handle(), 0, 0, -3, 3, src.Handle(), 0, 0);
    BitBlt(dst.Handle(), 0, 0, 3, 0, src.Handle(), 0, 0);
    StretchBlt(dst.Handle(), 0, 0, 3, 3, src.Handle(), 0, 0, -3, 3);
    StretchBlt(dst.Handle(), 3, 0, -3, 3, src.Handle(), 0, 0, 3, 3);
    BitBlt(dst.Handle(), 0, 0, 3, 3, 0, 0, 0);
    BitBlt(0, 0, 0, 3, 3, src.Handle(), 0, 0);
    Bitmap gone = Numbered(3, 3);
    const HDC dead = CreateBitmapDC(gone);
    DeleteDC(dead);
    BitBlt(dst.Handle(), 0, 0, 3, 3, dead, 0, 0);
    TransparentBlt(dst.Handle(), 0, 0, 3, 3, dead, 0, 0, 3, 3, 0);
    EXPECT_EQ(Origins(dst), untouched);
}

TEST(StretchBltTest, DoublingRepeatsEachPixel)
{
    Bitmap src = Numbered(2, 2);
    Bitmap dst = Filled(5, 4, kBack);
    StretchBlt(dst.Handle(), 0, 0, 4, 4, src.Handle(), 0, 0, 2, 2);
    EXPECT_EQ(Origins(dst), "0,0 0,0 1,0 1,0 -\n"
                            "0,0 0,0 1,0 1,0 -\n"
                            "0,1 0,1 1,1 1,1 -\n"
                            "0,1 0,1 1,1 1,1 -\n");
}

TEST(StretchBltTest, HalvingTakesThePixelUnderEachCentre)
{
    // Destination pixel i covers source [2i, 2i + 2); its centre lies on
    // source pixel 2i + 1.
    Bitmap src = Numbered(6, 4);
    Bitmap dst = Filled(3, 2, kBack);
    StretchBlt(dst.Handle(), 0, 0, 3, 2, src.Handle(), 0, 0, 6, 4);
    EXPECT_EQ(Origins(dst), "1,1 3,1 5,1\n"
                            "1,3 3,3 5,3\n");
}

TEST(StretchBltTest, UnevenRatiosAndClippingKeepTheMapping)
{
    // Three source columns over five: floor((i + 1/2) * 3 / 5) = 0 0 1 2 2.
    Bitmap src = Numbered(3, 1);
    Bitmap dst = Filled(5, 1, kBack);
    StretchBlt(dst.Handle(), 0, 0, 5, 1, src.Handle(), 0, 0, 3, 1);
    EXPECT_EQ(Origins(dst), "0,0 0,0 1,0 2,0 2,0\n");

    // The same copy shifted two pixels off the left edge shows its last
    // three pixels, not a new mapping of what remains.
    dst.Fill(kBack);
    StretchBlt(dst.Handle(), -2, 0, 5, 1, src.Handle(), 0, 0, 3, 1);
    EXPECT_EQ(Origins(dst), "1,0 2,0 2,0 - -\n");
}

TEST(StretchBltTest, StretchWithinOneBitmapReadsTheOriginal)
{
    Bitmap b = Numbered(4, 4);
    StretchBlt(b.Handle(), 0, 0, 4, 4, b.Handle(), 1, 1, 2, 2);
    EXPECT_EQ(Origins(b), "1,1 1,1 2,1 2,1\n"
                          "1,1 1,1 2,1 2,1\n"
                          "1,2 1,2 2,2 2,2\n"
                          "1,2 1,2 2,2 2,2\n");
}

TEST(TransparentBltTest, LeavesOutTheKeyWhateverItsAlpha)
{
    constexpr ColorRef kKey = Rgb(255, 0, 255);
    Bitmap src(3, 2);
    src.Fill(PixelOf(kKey, 0));
    src.SetPixel(1, 0, PixelOf(kKey, 255)); // the key once more, opaque this time
    src.SetPixel(0, 1, PixelOf(Rgb(1, 2, 3), 77));
    src.SetPixel(2, 1, PixelOf(Rgb(255, 0, 254)));
    Bitmap dst = Filled(3, 2, kBack);
    TransparentBlt(dst.Handle(), 0, 0, 3, 2, src.Handle(), 0, 0, 3, 2, kKey);
    EXPECT_EQ(Art(dst, {{kBack, '.'}, {PixelOf(Rgb(1, 2, 3), 77), 'a'}, {PixelOf(Rgb(255, 0, 254)), 'b'}}),
              "...\n"
              "a.b\n");

    // Scaled like StretchBlt when the sizes differ.
    Bitmap wide = Filled(6, 2, kBack);
    TransparentBlt(wide.Handle(), 0, 0, 6, 2, src.Handle(), 0, 0, 3, 2, kKey);
    EXPECT_EQ(Art(wide, {{kBack, '.'}, {PixelOf(Rgb(1, 2, 3), 77), 'a'}, {PixelOf(Rgb(255, 0, 254)), 'b'}}),
              "......\n"
              "aa..bb\n");
}

TEST(BlitDepth, CopiesIntoBitmapsWithoutAlphaStayOpaque)
{
    Bitmap src = Numbered(2, 1);
    Bitmap dst = Filled(2, 1, kBack);
    dst.SetBitsPerPixel(24);
    BitBlt(dst.Handle(), 0, 0, 2, 1, src.Handle(), 0, 0);
    EXPECT_EQ(dst.GetPixel(1, 0), (From(1, 0) | 0xFF000000u));
    Bitmap deep = Filled(2, 1, kBack);
    BitBlt(deep.Handle(), 0, 0, 2, 1, src.Handle(), 0, 0);
    EXPECT_EQ(deep.GetPixel(1, 0), From(1, 0));
}

TEST(CanvasDraw, OpaqueDrawCopiesEveryPixelAlphaIncluded)
{
    Bitmap picture = Numbered(2, 2);
    Bitmap target = Filled(4, 3, kBack);
    Canvas canvas(target.Handle());
    canvas.Draw(1, 1, picture);
    canvas.Draw(3, -1, picture); // clipped at the top right
    EXPECT_EQ(Origins(target), "- - - 0,1\n"
                               "- 0,0 1,0 -\n"
                               "- 0,1 1,1 -\n");
}

TEST(CanvasDraw, TransparentDrawLeavesOutTheLowerLeftColour)
{
    const Pixel see = PixelOf(Rgb(0, 255, 0));
    const Pixel ink = PixelOf(Rgb(9, 9, 9), 200);
    Bitmap sprite = Filled(3, 3, see);
    sprite.SetPixel(1, 0, ink);
    sprite.SetPixel(1, 1, ink);
    sprite.SetPixel(2, 1, ink);
    sprite.SetTransparent(true);
    Bitmap target = Filled(3, 3, kBack);
    Canvas canvas(target.Handle());
    canvas.Draw(0, 0, sprite);
    EXPECT_EQ(Art(target, {{kBack, '.'}, {ink, '#'}}), ".#.\n"
                                                        ".##\n"
                                                        "...\n");

    // Not transparent: the green comes along.
    sprite.SetTransparent(false);
    canvas.Draw(0, 0, sprite);
    EXPECT_EQ(Art(target, {{see, 'g'}, {ink, '#'}}), "g#g\n"
                                                     "g##\n"
                                                     "ggg\n");
}

TEST(CanvasDraw, StretchDrawAndCopyRectScaleAndRespectTheClip)
{
    Bitmap picture = Numbered(2, 2);
    Bitmap target = Filled(5, 4, kBack);
    Canvas canvas(target.Handle());
    canvas.SetClip({1, 0, 5, 3});
    canvas.StretchDraw({0, 0, 4, 4}, picture);
    EXPECT_EQ(Origins(target), "- 0,0 1,0 1,0 -\n"
                               "- 0,0 1,0 1,0 -\n"
                               "- 0,1 1,1 1,1 -\n"
                               "- - - - -\n");

    Bitmap source = Numbered(6, 6);
    target.Fill(kBack);
    canvas.SetClip({});
    canvas.CopyRect({3, 1, 5, 3}, source.Handle(), {2, 2, 6, 6}); // halved: centres at 3 and 5
    EXPECT_EQ(Origins(target), "- - - - -\n"
                               "- - - 3,3 5,3\n"
                               "- - - 3,5 5,5\n"
                               "- - - - -\n");
}

} // namespace
} // namespace kestrava::gdi
