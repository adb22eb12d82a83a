#include "ui/AlphaBitmap.h"

#include "platform/app/Canvas.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/DeviceContext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kestrava::gdi::Bitmap;
using kestrava::gdi::HDC;
using kestrava::gdi::Pixel;
using kestrava::gdi::PixelOf;
using kestrava::gdi::Rect;
using kestrava::gdi::Rgb;
using kestrava::ui::AlphaBlend;
using kestrava::ui::TAlphaBitmap;

// A target bitmap with its own device context for the lifetime of a test.
struct Target {
    Target(int32_t w, int32_t h, Pixel fill) : bitmap(w, h), dc(kestrava::gdi::CreateBitmapDC(bitmap))
    {
        bitmap.Fill(fill);
    }
    ~Target() { kestrava::gdi::DeleteDC(dc); }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    Bitmap bitmap;
    HDC dc;
};

Bitmap Solid(int32_t w, int32_t h, Pixel p)
{
    Bitmap b(w, h);
    b.Fill(p);
    return b;
}

Pixel BlendOne(const Bitmap& picture, Pixel background)
{
    Target target(1, 1, background);
    kestrava::gdi::Canvas canvas(target.dc);
    AlphaBlend(canvas, 0, 0, picture);
    return target.bitmap.GetPixel(0, 0);
}

// Written independently of the library: one pixel at a time, channel by
// channel, rounding down as the shift does.
Pixel ReferenceBlend(Pixel s, Pixel d)
{
    const uint32_t a = s >> 24;
    if (a == 255)
        return s;
    if (a == 0)
        return d;
    Pixel out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sc = (s >> shift) & 0xFF;
        const uint32_t dc = (d >> shift) & 0xFF;
        out |= ((a * sc + (256 - a) * dc) / 256) << shift;
    }
    return out;
}

TEST(AlphaBlendArithmetic, HalfTransparentBlackOverWhiteGives127)
{
    // (128 × 0 + 128 × 255) >> 8 = 32640 >> 8 = 127; a factor of 255 − a
    // would give 126.
    const Pixel out = BlendOne(Solid(1, 1, PixelOf(Rgb(0, 0, 0), 128)), PixelOf(Rgb(255, 255, 255), 0x40));
    EXPECT_EQ(out, PixelOf(Rgb(127, 127, 127), 0x40)) << std::hex << out;
}

TEST(AlphaBlendArithmetic, MixesEachChannelAndKeepsTheBackgroundAlpha)
{
    // Red (200·30 + 56·230) >> 8 = 18880 >> 8 = 73, green 17440 >> 8 = 68,
    // blue 16000 >> 8 = 62.
    const Pixel out = BlendOne(Solid(1, 1, PixelOf(Rgb(30, 20, 10), 200)), PixelOf(Rgb(230, 240, 250), 0x11));
    EXPECT_EQ(out, PixelOf(Rgb(73, 68, 62), 0x11)) << std::hex << out;
    // The shift rounds down: nearly opaque white over black is 253, not 254.
    EXPECT_EQ(BlendOne(Solid(1, 1, PixelOf(Rgb(255, 255, 255), 254)), PixelOf(Rgb(0, 0, 0))),
              PixelOf(Rgb(253, 253, 253)));
    // Equal colours come out unchanged at any alpha.
    EXPECT_EQ(BlendOne(Solid(1, 1, PixelOf(Rgb(255, 9, 100), 1)), PixelOf(Rgb(255, 9, 100), 77)),
              PixelOf(Rgb(255, 9, 100), 77));
}

TEST(AlphaBlendArithmetic, TransparentLeavesTheBackgroundAndOpaqueCopiesAllFourBytes)
{
    const Pixel background = PixelOf(Rgb(12, 34, 56), 0x40);
    EXPECT_EQ(BlendOne(Solid(1, 1, PixelOf(Rgb(200, 100, 50), 0)), background), background);
    EXPECT_EQ(BlendOne(Solid(1, 1, PixelOf(Rgb(200, 100, 50), 255)), background), PixelOf(Rgb(200, 100, 50), 255));
}

TEST(AlphaBlendRun, WholePictureMatchesAPerPixelReference)
{
    // Odd sizes and an offset, so that a blend that mixed up rows of the
    // picture with rows of the target would show.
    std::mt19937 random(1234);
    const int32_t w = 7, h = 5, x = 3, y = 2;
    Bitmap picture(w, h);
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i) {
            Pixel p = Pixel(random());
            const uint32_t pick = random() % 4;
            if (pick == 0)
                p &= 0x00FFFFFFu; // transparent
            else if (pick == 1)
                p |= 0xFF000000u; // opaque
            picture.SetPixel(i, j, p);
        }
    Target target(13, 11, 0);
    for (int32_t j = 0; j < 11; ++j)
        for (int32_t i = 0; i < 13; ++i)
            target.bitmap.SetPixel(i, j, Pixel(random()));
    const Bitmap before = target.bitmap;

    kestrava::gdi::Canvas canvas(target.dc);
    AlphaBlend(canvas, x, y, picture);

    for (int32_t j = 0; j < 11; ++j)
        for (int32_t i = 0; i < 13; ++i) {
            const bool inside = i >= x && i < x + w && j >= y && j < y + h;
            const Pixel expected = inside ? ReferenceBlend(picture.GetPixel(i - x, j - y), before.GetPixel(i, j))
                                          : before.GetPixel(i, j);
            ASSERT_EQ(target.bitmap.GetPixel(i, j), expected) << "at " << i << ", " << j;
        }
}

TEST(AlphaBlendClipping, OnlyThePartInsideTheTargetChanges)
{
    const Pixel white = PixelOf(Rgb(255, 255, 255));
    const Bitmap picture = Solid(4, 4, PixelOf(Rgb(0, 0, 0), 128));
    for (const auto& [x, y] : std::vector<std::pair<int32_t, int32_t>>{{-2, -3}, {4, 5}, {-2, 5}, {8, 0}, {0, -9}}) {
        Target target(6, 6, white);
        kestrava::gdi::Canvas canvas(target.dc);
        AlphaBlend(canvas, x, y, picture);
        for (int32_t j = 0; j < 6; ++j)
            for (int32_t i = 0; i < 6; ++i) {
                const bool inside = i >= x && i < x + 4 && j >= y && j < y + 4;
                ASSERT_EQ(target.bitmap.GetPixel(i, j), inside ? PixelOf(Rgb(127, 127, 127)) : white)
                    << "picture at " << x << ", " << y << ", pixel " << i << ", " << j;
            }
    }
}

TEST(AlphaBlendClipping, ControlCanvasHonoursOriginAndClip)
{
    const Pixel white = PixelOf(Rgb(255, 255, 255));
    Target target(20, 20, white);
    // The control sits at (5, 5); only (5, 5)-(12, 12) of the screen is
    // being repainted.
    kestrava::app::Canvas canvas(target.dc, 5, 5, Rect{5, 5, 12, 12});
    TAlphaBitmap picture(10, 10);
    picture.Fill(PixelOf(Rgb(0, 0, 0), 128));
    // A target rectangle larger than the picture does not stretch it.
    picture.Draw(canvas, Rect{2, 2, 19, 19});
    for (int32_t j = 0; j < 20; ++j)
        for (int32_t i = 0; i < 20; ++i) {
            const bool inside = i >= 7 && i < 12 && j >= 7 && j < 12;
            ASSERT_EQ(target.bitmap.GetPixel(i, j), inside ? PixelOf(Rgb(127, 127, 127)) : white)
                << "pixel " << i << ", " << j;
        }

    kestrava::app::Canvas nothing(target.dc, 0, 0, Rect{});
    const Bitmap before = target.bitmap;
    picture.Draw(nothing, 0, 0);
    for (int32_t j = 0; j < 20; ++j)
        for (int32_t i = 0; i < 20; ++i)
            ASSERT_EQ(target.bitmap.GetPixel(i, j), before.GetPixel(i, j));
}

TEST(AlphaBlendClipping, StaleHandleAndEmptyPictureDrawNothing)
{
    Target target(3, 3, PixelOf(Rgb(1, 2, 3)));
    kestrava::gdi::Canvas canvas(target.dc);
    AlphaBlend(canvas, 0, 0, Bitmap());
    EXPECT_EQ(target.bitmap.GetPixel(1, 1), PixelOf(Rgb(1, 2, 3)));

    Bitmap gone(2, 2);
    const HDC stale = kestrava::gdi::CreateBitmapDC(gone);
    kestrava::gdi::DeleteDC(stale);
    kestrava::gdi::Canvas staleCanvas(stale);
    AlphaBlend(staleCanvas, 0, 0, Solid(2, 2, PixelOf(Rgb(9, 9, 9))));
    kestrava::app::Canvas staleControl(stale, 0, 0, Rect{0, 0, 2, 2});
    AlphaBlend(staleControl, 0, 0, Solid(2, 2, PixelOf(Rgb(9, 9, 9))));
    EXPECT_EQ(gone.GetPixel(0, 0), PixelOf(Rgb(0, 0, 0)));
}

class AlphaBitmapFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kestrava-alpha-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Folder() const { return m_dir.string(); }

    // A colour picture whose pixels are all different.
    static Bitmap Colour(int32_t w, int32_t h, int32_t bits)
    {
        Bitmap b(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                b.SetPixel(x, y, PixelOf(Rgb(uint8_t(10 + x * 20), uint8_t(100 + y * 30), uint8_t(x * y))));
        b.SetBitsPerPixel(bits);
        return b;
    }

    static uint8_t AlphaFor(int32_t x, int32_t y) { return uint8_t((x * 37 + y * 91 + 5) % 256); }

    // An 8-bit mask whose palette colours have nothing to do with their
    // indices, so that a loader that took a colour channel for the alpha
    // would be caught.
    static Bitmap Mask(int32_t w, int32_t h)
    {
        std::vector<kestrava::gdi::ColorRef> palette(256);
        for (size_t i = 0; i < palette.size(); ++i)
            palette[i] = Rgb(uint8_t(255 - i), uint8_t(i * 7), uint8_t(i * 13 + 1));
        Bitmap b(w, h);
        std::vector<uint8_t> indices;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                indices.push_back(AlphaFor(x, y));
                b.SetPixel(x, y, PixelOf(palette[AlphaFor(x, y)]));
            }
        b.SetBitsPerPixel(8);
        b.SetPaletteData(palette, indices);
        return b;
    }

    void Save(const std::string& name, const Bitmap& b) const
    {
        std::string error;
        ASSERT_TRUE(kestrava::gdi::SaveBmp(Path(name), b, &error)) << error;
    }

    static void ExpectColourWithMask(const Bitmap& loaded, const Bitmap& colour)
    {
        ASSERT_EQ(loaded.Width(), colour.Width());
        ASSERT_EQ(loaded.Height(), colour.Height());
        EXPECT_EQ(loaded.BitsPerPixel(), 32);
        for (int32_t y = 0; y < colour.Height(); ++y)
            for (int32_t x = 0; x < colour.Width(); ++x)
                ASSERT_EQ(loaded.GetPixel(x, y), PixelOf(colour.GetColor(x, y), AlphaFor(x, y))) << x << ", " << y;
    }

    static void ExpectOpaque(const Bitmap& loaded, const Bitmap& colour)
    {
        ASSERT_EQ(loaded.Width(), colour.Width());
        for (int32_t y = 0; y < colour.Height(); ++y)
            for (int32_t x = 0; x < colour.Width(); ++x)
                ASSERT_EQ(loaded.GetPixel(x, y), PixelOf(colour.GetColor(x, y), 255)) << x << ", " << y;
    }

private:
    fs::path m_dir;
};

TEST_F(AlphaBitmapFiles, ResourceTakesItsAlphaFromThePaletteIndicesOfTheMask)
{
    const Bitmap colour = Colour(5, 3, 24);
    Save("OL.bmp", colour);
    Save("OLA.bmp", Mask(5, 3));
    TAlphaBitmap corner;
    std::string error;
    ASSERT_TRUE(corner.LoadResourceWithAlpha(Folder(), "OL", &error)) << error;
    ExpectColourWithMask(corner, colour);

    // And the loaded picture blends by those alphas.
    Target target(5, 3, PixelOf(Rgb(255, 255, 255)));
    kestrava::gdi::Canvas canvas(target.dc);
    corner.Draw(canvas, 0, 0);
    const Pixel white = PixelOf(Rgb(255, 255, 255));
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            ASSERT_EQ(target.bitmap.GetPixel(x, y), ReferenceBlend(corner.GetPixel(x, y), white));
}

TEST_F(AlphaBitmapFiles, UnusableMaskLeavesTheResourceOpaque)
{
    const Bitmap colour = Colour(4, 4, 24);
    Save("C.bmp", colour);
    TAlphaBitmap noMask;
    ASSERT_TRUE(noMask.LoadResourceWithAlpha(Folder(), "C"));
    EXPECT_EQ(noMask.BitsPerPixel(), 32);
    ExpectOpaque(noMask, colour);

    Save("CA.bmp", Mask(3, 4)); // the wrong size
    TAlphaBitmap wrongSize;
    ASSERT_TRUE(wrongSize.LoadResourceWithAlpha(Folder(), "C"));
    ExpectOpaque(wrongSize, colour);

    Save("CA.bmp", Colour(4, 4, 24)); // not a palette picture
    TAlphaBitmap notIndexed;
    ASSERT_TRUE(notIndexed.LoadResourceWithAlpha(Folder(), "C"));
    ExpectOpaque(notIndexed, colour);
}

TEST_F(AlphaBitmapFiles, OnlyTwentyFourBitResourcesTakeAMask)
{
    Bitmap withAlpha = Colour(3, 2, 32);
    withAlpha.SetPixel(1, 1, PixelOf(Rgb(1, 2, 3), 90));
    Save("BACK.bmp", withAlpha);
    Save("BACKA.bmp", Mask(3, 2));
    TAlphaBitmap back;
    ASSERT_TRUE(back.LoadResourceWithAlpha(Folder(), "BACK"));
    EXPECT_EQ(back.BitsPerPixel(), 32);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            ASSERT_EQ(back.GetPixel(x, y), withAlpha.GetPixel(x, y));

    Save("P.bmp", Mask(3, 2));
    Save("PA.bmp", Mask(3, 2));
    TAlphaBitmap palette;
    ASSERT_TRUE(palette.LoadResourceWithAlpha(Folder(), "P"));
    EXPECT_EQ(palette.BitsPerPixel(), 8);
    EXPECT_EQ(palette.GetPixel(1, 1) >> 24, 255u);
}

TEST_F(AlphaBitmapFiles, MissingPictureFailsAndKeepsTheBitmap)
{
    TAlphaBitmap picture(2, 2);
    picture.Fill(PixelOf(Rgb(4, 5, 6), 70));
    std::string error;
    EXPECT_FALSE(picture.LoadResourceWithAlpha(Folder(), "NOWHERE", &error));
    EXPECT_NE(error.find("NOWHERE"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(picture.LoadRCData(Folder(), "HILFE", &error));
    EXPECT_NE(error.find("HILFE"), std::string::npos) << error;
    EXPECT_FALSE(picture.LoadFromFile(Path("none.bmp")));
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(picture.GetPixel(1, 1), PixelOf(Rgb(4, 5, 6), 70));
}

TEST_F(AlphaBitmapFiles, DataResourceKeepsItsOwnAlpha)
{
    Bitmap dialog = Colour(4, 3, 32);
    for (int32_t x = 0; x < 4; ++x)
        dialog.SetPixel(x, 0, PixelOf(dialog.GetColor(x, 0), uint8_t(x * 60)));
    Save("JANEIN.bmp", dialog);
    TAlphaBitmap loaded;
    ASSERT_TRUE(loaded.LoadRCData(Folder(), "JANEIN"));
    EXPECT_EQ(loaded.BitsPerPixel(), 32);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            ASSERT_EQ(loaded.GetPixel(x, y), dialog.GetPixel(x, y));
}

TEST_F(AlphaBitmapFiles, FileTakesItsMaskFromTheAlpFileBesideIt)
{
    const Bitmap colour = Colour(6, 2, 24);
    Save("skin.bmp", colour);
    TAlphaBitmap bare;
    ASSERT_TRUE(bare.LoadFromFile(Path("skin.bmp")));
    EXPECT_EQ(bare.BitsPerPixel(), 32);
    ExpectOpaque(bare, colour);

    Save("skin.ALP", Mask(6, 2));
    TAlphaBitmap masked;
    ASSERT_TRUE(masked.LoadFromFile(Path("skin.bmp")));
    ExpectColourWithMask(masked, colour);

    Save("lower.bmp", colour);
    Save("lower.alp", Mask(6, 2));
    TAlphaBitmap lower;
    ASSERT_TRUE(lower.LoadFromFile(Path("lower.bmp")));
    ExpectColourWithMask(lower, colour);
}

} // namespace
