// BMP files: round trips in every depth, the layouts other programs write
// (run-length compressed and 16-bit ones included), hostile headers and
// damaged runs, and the file write that replaces by rename.
#include "platform/gdi/Canvas.h"
#include "tests/gdi/BmpBuilder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrava::gdi {
namespace {

namespace fs = std::filesystem;

using testing::BmpFile;

uint32_t Get32(const std::vector<uint8_t>& in, size_t at)
{
    return uint32_t(in[at]) | uint32_t(in[at + 1]) << 8 | uint32_t(in[at + 2]) << 16 | uint32_t(in[at + 3]) << 24;
}

// An exact-size copy of the first n bytes: the allocation ends where the
// data ends, so AddressSanitizer sees any read past it.
std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t n)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n));
}

Bitmap Decoded(const std::vector<uint8_t>& bytes)
{
    Bitmap b;
    std::string error;
    EXPECT_TRUE(DecodeBmp(bytes, b, &error)) << error;
    return b;
}

// A picture of `colours` distinct colours with every pixel different from
// its neighbours, and alpha varying where the depth keeps it.
Bitmap Pattern(int32_t w, int32_t h, int32_t colours, bool alpha)
{
    Bitmap b(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t n = uint32_t((x * 7 + y * 3) % colours);
            b.SetPixel(x, y, PixelOf(Rgb(uint8_t(n * 37), uint8_t(n), uint8_t(255 - n)), alpha ? uint8_t(n * 5) : 255));
        }
    return b;
}

TEST(BmpRoundTrip, EveryDepthAndOddWidthsComeBackPixelForPixel)
{
    struct Case {
        int32_t bits;
        int32_t colours;
    };
    for (Case c : {Case{1, 2}, Case{4, 16}, Case{8, 256}, Case{8, 3}, Case{24, 1000}, Case{32, 1000}})
        for (int32_t width : {1, 3, 5, 13, 33}) {
            SCOPED_TRACE("bits " + std::to_string(c.bits) + " width " + std::to_string(width));
            Bitmap original = Pattern(width, 7, c.colours, c.bits == 32);
            original.SetBitsPerPixel(c.bits);
            std::string error;
            const std::vector<uint8_t> bytes = EncodeBmp(original, &error);
            ASSERT_FALSE(bytes.empty()) << error;
            const Bitmap back = Decoded(bytes);
            ASSERT_EQ(back.Width(), width);
            ASSERT_EQ(back.Height(), 7);
            EXPECT_EQ(back.BitsPerPixel(), c.bits);
            for (int32_t y = 0; y < 7; ++y)
                for (int32_t x = 0; x < width; ++x)
                    ASSERT_EQ(back.GetPixel(x, y), original.GetPixel(x, y)) << x << "," << y;
            if (c.bits <= 8) {
                ASSERT_LE(back.Palette().size(), size_t(1) << c.bits);
                for (int32_t y = 0; y < 7; ++y)
                    for (int32_t x = 0; x < width; ++x)
                        ASSERT_EQ(PixelOf(back.Palette().at(back.IndexAt(x, y))), back.GetPixel(x, y));
            } else {
                EXPECT_TRUE(back.Palette().empty());
                EXPECT_TRUE(back.Indices().empty());
            }
        }
}

TEST(BmpRoundTrip, WritesBottomUpWithPaddedRows)
{
    Bitmap b(3, 2);
    b.SetBitsPerPixel(24);
    b.SetPixel(0, 0, PixelOf(Rgb(1, 2, 3)));
    b.SetPixel(0, 1, PixelOf(Rgb(4, 5, 6)));
    const std::vector<uint8_t> bytes = EncodeBmp(b);
    ASSERT_EQ(bytes.size(), 54u + 2 * 12);
    EXPECT_EQ(Get32(bytes, 2), bytes.size());
    EXPECT_EQ(Get32(bytes, 10), 54u);
    EXPECT_EQ(Get32(bytes, 14), 40u);
    EXPECT_EQ(Get32(bytes, 22), 2u); // positive height: the bottom row comes first
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54, bytes.begin() + 57), (std::vector<uint8_t>{6, 5, 4}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 66, bytes.begin() + 69), (std::vector<uint8_t>{3, 2, 1}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 63, bytes.begin() + 66), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(BmpRoundTrip, TwentyFourBitsDropAlphaAndThirtyTwoKeepIt)
{
    Bitmap b(2, 1);
    b.SetPixel(0, 0, PixelOf(Rgb(10, 20, 30), 0));
    b.SetPixel(1, 0, PixelOf(Rgb(40, 50, 60), 128));
    const Bitmap kept = Decoded(EncodeBmp(b));
    EXPECT_EQ(kept.GetPixel(0, 0), PixelOf(Rgb(10, 20, 30), 0));
    EXPECT_EQ(kept.GetPixel(1, 0), PixelOf(Rgb(40, 50, 60), 128));

    b.SetBitsPerPixel(24);
    const std::vector<uint8_t> bytes = EncodeBmp(b);
    EXPECT_EQ(bytes.size(), 54u + 8);
    const Bitmap dropped = Decoded(bytes);
    EXPECT_EQ(dropped.GetPixel(0, 0), PixelOf(Rgb(10, 20, 30), 255));
}

TEST(BmpPalette, OwnPaletteAndIndicesAreWrittenAsRead)
{
    // Two entries of the same colour: a palette rebuilt from the pixels
    // would merge them, the picture's own keeps both indices.
    std::vector<ColorRef> palette = {Rgb(9, 9, 9), Rgb(200, 0, 0), Rgb(200, 0, 0), Rgb(0, 0, 77)};
    Bitmap b(5, 2);
    std::vector<uint8_t> indices = {0, 1, 2, 3, 2, 3, 3, 1, 0, 2};
    for (int32_t i = 0; i < 10; ++i)
        b.SetPixel(i % 5, i / 5, PixelOf(palette[size_t(indices[size_t(i)])]));
    b.SetBitsPerPixel(4);
    b.SetPaletteData(palette, indices);

    const Bitmap back = Decoded(EncodeBmp(b));
    EXPECT_EQ(back.BitsPerPixel(), 4);
    EXPECT_EQ(back.Palette(), palette);
    EXPECT_EQ(back.Indices(), indices);
    EXPECT_EQ(back.IndexAt(2, 0), 2);
    EXPECT_EQ(back.IndexAt(4, 1), 2);
}

TEST(BmpPalette, DrawingOverAPalettePictureIsSavedFromThePixels)
{
    Bitmap b(4, 4);
    b.SetBitsPerPixel(8);
    Bitmap loaded = Decoded(EncodeBmp(b)); // black, one palette entry
    ASSERT_EQ(loaded.Palette().size(), 1u);
    Canvas canvas(loaded.Handle());
    canvas.brush.color = Rgb(0, 255, 0);
    canvas.FillRect({1, 1, 3, 3});
    EXPECT_EQ(loaded.IndexAt(1, 1), 0); // the indices still describe the file

    const Bitmap saved = Decoded(EncodeBmp(loaded));
    EXPECT_EQ(saved.GetPixel(1, 1), PixelOf(Rgb(0, 255, 0)));
    EXPECT_EQ(saved.GetPixel(0, 0), PixelOf(0));
    EXPECT_EQ(saved.Palette().at(saved.IndexAt(2, 2)), Rgb(0, 255, 0));
}

TEST(BmpPalette, TooManyColoursForTheDepthIsAnError)
{
    Bitmap b = Pattern(4, 4, 3, false);
    b.SetBitsPerPixel(1);
    std::string error;
    EXPECT_TRUE(EncodeBmp(b, &error).empty());
    EXPECT_NE(error.find("colours"), std::string::npos) << error;

    const fs::path path = fs::temp_directory_path() / ("kestrava-gdi-colours-" + std::to_string(getpid()) + ".bmp");
    fs::remove(path);
    EXPECT_FALSE(SaveBmp(path.string(), b, &error));
    EXPECT_FALSE(fs::exists(path));
}

TEST(BmpRead, TopDownAndBottomUpGiveTheSamePicture)
{
    BmpFile f;
    f.width = 2;
    f.height = 2;
    // Rows of 6 bytes padded to 8: a red/green row and a blue/white row.
    const std::vector<uint8_t> redGreen = {0, 0, 255, 0, 255, 0, 0, 0};
    const std::vector<uint8_t> blueWhite = {255, 0, 0, 255, 255, 255, 0, 0};
    f.pixels = blueWhite;
    f.pixels.insert(f.pixels.end(), redGreen.begin(), redGreen.end());
    const Bitmap bottomUp = Decoded(f.Bytes());
    f.height = -2;
    f.pixels = redGreen;
    f.pixels.insert(f.pixels.end(), blueWhite.begin(), blueWhite.end());
    const Bitmap topDown = Decoded(f.Bytes());
    for (const Bitmap* b : {&bottomUp, &topDown}) {
        EXPECT_EQ(b->GetColor(0, 0), Rgb(255, 0, 0));
        EXPECT_EQ(b->GetColor(1, 0), Rgb(0, 255, 0));
        EXPECT_EQ(b->GetColor(0, 1), Rgb(0, 0, 255));
        EXPECT_EQ(b->GetPixel(1, 1), PixelOf(Rgb(255, 255, 255)));
        EXPECT_EQ(b->BitsPerPixel(), 24);
    }
}

TEST(BmpRead, PaletteLayoutsKeepTheirIndices)
{
    // 8 bits, a short palette of three entries (colours used = 3).
    BmpFile f8;
    f8.width = 3;
    f8.height = 1;
    f8.bits = 8;
    f8.colorsUsed = 3;
    f8.palette = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0};
    f8.pixels = {2, 0, 1, 0};
    const Bitmap b8 = Decoded(f8.Bytes());
    EXPECT_EQ(b8.BitsPerPixel(), 8);
    EXPECT_EQ(b8.Palette(), (std::vector<ColorRef>{Rgb(30, 20, 10), Rgb(60, 50, 40), Rgb(90, 80, 70)}));
    EXPECT_EQ(b8.IndexAt(0, 0), 2);
    EXPECT_EQ(b8.IndexAt(1, 0), 0);
    EXPECT_EQ(b8.GetColor(0, 0), Rgb(90, 80, 70));
    // An index past the palette reads as black instead of out of bounds.
    f8.pixels = {7, 0, 0, 0};
    EXPECT_EQ(Decoded(f8.Bytes()).GetPixel(0, 0), PixelOf(0));

    // 4 bits, odd width: the high nibble is the left pixel.
    BmpFile f4;
    f4.width = 3;
    f4.height = 1;
    f4.bits = 4;
    f4.colorsUsed = 2;
    f4.palette = {0, 0, 0, 0, 255, 255, 255, 0};
    f4.pixels = {0x10, 0x10, 0, 0};
    const Bitmap b4 = Decoded(f4.Bytes());
    EXPECT_EQ(b4.Indices(), (std::vector<uint8_t>{1, 0, 1}));

    // 1 bit: the top bit is the left pixel; two rows, bottom-up.
    BmpFile f1;
    f1.width = 10;
    f1.height = 2;
    f1.bits = 1;
    f1.palette = {0, 0, 0, 0, 255, 255, 255, 0};
    f1.pixels = {0b10000000, 0b01000000, 0, 0, 0b01000001, 0, 0, 0};
    const Bitmap b1 = Decoded(f1.Bytes());
    EXPECT_EQ(b1.Indices(), (std::vector<uint8_t>{0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));

    // The old 12-byte header with three-byte palette entries.
    BmpFile core;
    core.headerSize = 12;
    core.width = 2;
    core.height = 1;
    core.bits = 8;
    core.palette.assign(256 * 3, 0);
    core.palette[3 * 5 + 2] = 255;
    core.pixels = {5, 0, 0, 0};
    const Bitmap bc = Decoded(core.Bytes());
    EXPECT_EQ(bc.GetColor(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(bc.IndexAt(0, 0), 5);
    EXPECT_EQ(bc.Palette().size(), 256u);
}

TEST(BmpRead, ThirtyTwoBitLayouts)
{
    // Plain 32 bits: the fourth byte is alpha...
    BmpFile plain;
    plain.width = 2;
    plain.bits = 32;
    plain.pixels = {1, 2, 3, 0, 4, 5, 6, 99};
    const Bitmap a = Decoded(plain.Bytes());
    EXPECT_EQ(a.GetPixel(0, 0), PixelOf(Rgb(3, 2, 1), 0));
    EXPECT_EQ(a.GetPixel(1, 0), PixelOf(Rgb(6, 5, 4), 99));
    EXPECT_EQ(a.BitsPerPixel(), 32);
    // ...unless it is zero everywhere: such a file means no alpha at all.
    plain.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    EXPECT_EQ(Decoded(plain.Bytes()).GetPixel(1, 0), PixelOf(Rgb(6, 5, 4), 255));

    // A V5 header with colour masks, alpha included.
    BmpFile v5;
    v5.headerSize = 124;
    v5.width = 1;
    v5.bits = 32;
    v5.compression = 3;
    v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    v5.pixels = {30, 20, 10, 40};
    EXPECT_EQ(Decoded(v5.Bytes()).GetPixel(0, 0), PixelOf(Rgb(10, 20, 30), 40));

    // A 40-byte header followed by masks in another channel order, no alpha.
    BmpFile swapped;
    swapped.width = 1;
    swapped.bits = 32;
    swapped.compression = 3;
    swapped.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    swapped.pixels = {10, 20, 30, 0};
    EXPECT_EQ(Decoded(swapped.Bytes()).GetPixel(0, 0), PixelOf(Rgb(10, 20, 30), 255));

    // Narrow masks are scaled to the full 8 bits.
    swapped.masks = {0x0000001F, 0x000003E0, 0x00007C00};
    swapped.pixels = {0x1F, 0x7C, 0, 0}; // red 31, green 0, blue 31
    EXPECT_EQ(Decoded(swapped.Bytes()).GetPixel(0, 0), PixelOf(Rgb(255, 0, 255)));
}

// A palette picture with runs of one, two and three equal indices, a row
// longer than one run can be, and its uncompressed twin.
struct PalettePicture {
    int32_t width, height;
    std::vector<ColorRef> colours;
    std::vector<uint8_t> indices;

    PalettePicture(int32_t w, int32_t h, int bits) : width(w), height(h)
    {
        for (uint32_t i = 0; i < (1u << bits); ++i)
            colours.push_back(Rgb(uint8_t(i * 37), uint8_t(i), uint8_t(255 - i)));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                indices.push_back(uint8_t(y == 1 ? 3 : (x / (y % 3 + 1) + y) % int32_t(colours.size())));
    }
    std::vector<uint8_t> Rle(int bits) const
    {
        BmpFile f;
        f.width = width, f.height = height, f.bits = uint16_t(bits), f.compression = bits == 8 ? 1 : 2;
        for (ColorRef c : colours)
            f.palette.insert(f.palette.end(), {BlueOf(c), GreenOf(c), RedOf(c), 0});
        f.pixels = testing::RleRows(indices, width, height, bits);
        return f.Bytes();
    }
    Bitmap Uncompressed(int bits) const
    {
        Bitmap b(width, height);
        for (size_t i = 0; i < indices.size(); ++i)
            b.SetPixel(int32_t(i) % width, int32_t(i) / width, PixelOf(colours[indices[i]]));
        b.SetBitsPerPixel(bits);
        b.SetPaletteData(colours, indices);
        return Decoded(EncodeBmp(b));
    }
};

void ExpectSamePicture(const Bitmap& got, const Bitmap& want)
{
    ASSERT_EQ(got.Width(), want.Width());
    ASSERT_EQ(got.Height(), want.Height());
    EXPECT_EQ(got.BitsPerPixel(), want.BitsPerPixel());
    EXPECT_EQ(got.Indices(), want.Indices());
    for (int32_t y = 0; y < want.Height(); ++y)
        for (int32_t x = 0; x < want.Width(); ++x)
            ASSERT_EQ(got.GetPixel(x, y), want.GetPixel(x, y)) << x << "," << y;
}

TEST(BmpRle, CompressedPicturesEqualTheUncompressedOnes)
{
    for (int bits : {4, 8})
        for (int32_t width : {1, 2, 3, 5, 13, 300}) {
            SCOPED_TRACE("bits " + std::to_string(bits) + " width " + std::to_string(width));
            const PalettePicture p(width, 7, bits);
            ExpectSamePicture(Decoded(p.Rle(bits)), p.Uncompressed(bits));
        }
}

TEST(BmpRle, DeltasOddStretchesAndUnwrittenPixels)
{
    BmpFile f;
    f.width = 7, f.height = 3, f.bits = 8, f.compression = 1, f.colorsUsed = 8;
    for (uint8_t i = 0; i < 8; ++i)
        f.palette.insert(f.palette.end(), {uint8_t(i + 1), uint8_t(i * 30), 200, 0});
    // Bottom row: skip one pixel, a run of two 3s, end of line early. Middle
    // row: an odd stretch of three and its pad byte, then a delta one row up
    // and two right. Top row: a run of one 2 there.
    f.pixels = {0, 2, 1, 0, 2, 3, 0, 0, 0, 3, 1, 2, 1, 0, 0, 2, 2, 1, 1, 2, 0, 1};
    const auto row = [](const Bitmap& b, int32_t y) {
        std::vector<uint8_t> r;
        for (int32_t x = 0; x < b.Width(); ++x)
            r.push_back(b.IndexAt(x, y));
        return r;
    };
    const Bitmap b8 = Decoded(f.Bytes());
    EXPECT_EQ(row(b8, 2), (std::vector<uint8_t>{0, 3, 3, 0, 0, 0, 0}));
    EXPECT_EQ(row(b8, 1), (std::vector<uint8_t>{1, 2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(row(b8, 0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 2, 0}));
    EXPECT_EQ(b8.GetPixel(0, 0), PixelOf(Rgb(200, 0, 1))); // unwritten: palette entry 0
    // 4 bits: a run alternates its two indices; an odd stretch of five takes
    // three bytes and a pad byte.
    f.height = 1, f.bits = 4, f.compression = 2;
    f.pixels = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 2, 0x66, 0, 1};
    f.width = 5;
    EXPECT_EQ(row(Decoded(f.Bytes()), 0), (std::vector<uint8_t>{1, 2, 1, 2, 1}));
    f.pixels.erase(f.pixels.begin(), f.pixels.begin() + 4);
    f.width = 7;
    EXPECT_EQ(row(Decoded(f.Bytes()), 0), (std::vector<uint8_t>{3, 4, 5, 6, 7, 6, 6}));
}

TEST(BmpRle, ADamagedCodeEndsThePictureWhereItIs)
{
    // The bottom row is all 1s; each damaged code in the top row ends the
    // picture, so the run of 2s behind it is never drawn.
    for (const std::vector<uint8_t>& damage :
         std::vector<std::vector<uint8_t>>{{0, 2, 4, 0}, {0, 2, 0, 2}, {0, 0, 0, 0, 3, 2}, {0, 3, 2}}) {
        BmpFile f;
        f.width = 3, f.height = 2, f.bits = 8, f.compression = 1, f.colorsUsed = 3;
        f.palette = {9, 9, 9, 0, 1, 1, 1, 0, 2, 2, 2, 0};
        f.pixels = {3, 1, 0, 0};
        f.pixels.insert(f.pixels.end(), damage.begin(), damage.end());
        if (damage.size() != 3) // not the stretch cut off by the end of the file
            f.pixels.insert(f.pixels.end(), {3, 2, 0, 1});
        const Bitmap b = Decoded(Prefix(f.Bytes(), f.Bytes().size()));
        EXPECT_EQ(b.Indices(), (std::vector<uint8_t>{0, 0, 0, 1, 1, 1})) << int(damage[2]);
        EXPECT_EQ(b.GetColor(0, 0), Rgb(9, 9, 9));
    }
    // A run and a stretch past the row's right edge are cut there (writers
    // that encode the row's padding write them); the next row goes on.
    BmpFile f;
    f.width = 3, f.height = 3, f.bits = 4, f.compression = 2, f.colorsUsed = 6;
    f.palette.assign(6 * 4, 0);
    f.pixels = {5, 0x12, 0, 0, 0, 5, 0x34, 0x55, 0x50, 0, 0, 0, 4, 0x33, 0, 1};
    EXPECT_EQ(Decoded(f.Bytes()).Indices(), (std::vector<uint8_t>{3, 3, 3, 3, 4, 5, 1, 2, 1}));
}

TEST(BmpRle, EveryTruncationLoadsWhatItHoldsOrIsRefused)
{
    for (int bits : {4, 8}) {
        const PalettePicture p(9, 5, bits);
        const std::vector<uint8_t> file = p.Rle(bits);
        const size_t dataStart = file.size() - testing::RleRows(p.indices, 9, 5, bits).size();
        for (size_t n = 0; n < file.size(); ++n) {
            Bitmap b;
            ASSERT_EQ(DecodeBmp(Prefix(file, n), b), n >= dataStart + 2) << n;
            for (size_t i = 0; i < b.Indices().size(); ++i)
                ASSERT_TRUE(b.Indices()[i] == p.indices[i] || b.Indices()[i] == 0) << n << " " << i;
        }
    }
}

TEST(Bmp16, MaskLayoutsEqualTheSamePictureUncompressed)
{
    struct Case {
        const char* what;
        uint32_t headerSize, compression;
        std::vector<uint32_t> masks; // as written into the file
        std::vector<uint32_t> used;  // as the pixels are packed
    };
    const std::vector<uint32_t> rgb555 = {0x7C00, 0x3E0, 0x1F}, rgb565 = {0xF800, 0x7E0, 0x1F};
    const std::vector<uint32_t> argb4444 = {0xF00, 0xF0, 0xF, 0xF000};
    for (const Case& c : {Case{"default 5-5-5", 40, 0, {}, rgb555}, Case{"5-6-5 after the header", 40, 3, rgb565, rgb565},
                          Case{"5-6-5 in a V4 header", 108, 3, rgb565, rgb565},
                          Case{"5-5-5 in a V5 header", 124, 3, rgb555, rgb555},
                          Case{"V5 masks unused without bit fields", 124, 0, rgb565, rgb555},
                          Case{"4-4-4-4 with alpha", 124, 3, argb4444, argb4444}})
        for (bool palette : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (palette ? " with a palette" : ""));
            const bool alpha = c.used.size() == 4;
            const Bitmap original = Pattern(13, 5, 1000, alpha);
            BmpFile f;
            f.width = 13, f.height = 5, f.bits = 16, f.headerSize = c.headerSize, f.compression = c.compression;
            f.masks = c.masks;
            f.colorsUsed = palette ? 256 : 0;
            f.palette.assign(palette ? 1024 : 0, 0x55);
            f.pixels = testing::Rows16(original, c.used);
            Bitmap reference(13, 5);
            for (int32_t y = 0; y < 5; ++y)
                for (int32_t x = 0; x < 13; ++x) {
                    const Pixel p = original.GetPixel(x, y);
                    const uint8_t in[4] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)};
                    uint8_t ch[4] = {255, 255, 255, 255};
                    for (size_t i = 0; i < c.used.size(); ++i)
                        ch[i] = testing::Expanded(testing::Quantised(in[i], c.used[i]), c.used[i]);
                    reference.SetPixel(x, y, PixelOf(Rgb(ch[0], ch[1], ch[2]), ch[3]));
                }
            reference.SetBitsPerPixel(alpha ? 32 : 24);
            ExpectSamePicture(Decoded(f.Bytes()), Decoded(EncodeBmp(reference)));
        }
}

struct Hostile {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* says; // a word the error has to contain
};

std::vector<Hostile> HostileFiles()
{
    std::vector<Hostile> cases;
    BmpFile good;
    good.width = 4;
    good.height = 4;
    good.pixels.assign(4 * 12, 7);

    auto with = [&](const char* what, const char* says, auto change) {
        BmpFile f = good;
        change(f);
        cases.push_back({what, f.Bytes(), says});
    };
    with("pixel data one byte short", "truncated", [](BmpFile& f) { f.pixels.pop_back(); });
    with("huge width and height", "too large", [](BmpFile& f) { f.width = f.height = 0x7FFFFFFF; });
    with("wide beyond the side limit", "too large", [](BmpFile& f) { f.width = 100000; });
    with("tall top-down beyond the limit", "too large", [](BmpFile& f) { f.height = -100000; });
    with("most negative height", "too large", [](BmpFile& f) { f.height = -2147483647 - 1; });
    with("many pixels though each side is allowed", "too large", [](BmpFile& f) { f.width = f.height = 30000; });
    with("zero width", "size", [](BmpFile& f) { f.width = 0; });
    with("negative width", "size", [](BmpFile& f) { f.width = -4; });
    with("zero height", "size", [](BmpFile& f) { f.height = 0; });
    with("data offset beyond the file", "truncated", [](BmpFile& f) { f.dataOffset = 5000; });
    with("data offset at the very end", "truncated", [](BmpFile& f) { f.dataOffset = 54 + 48; });
    with("data offset near 4 GiB", "truncated", [](BmpFile& f) { f.dataOffset = 0xFFFFFFF0; });
    with("palette count larger than the file", "palette", [](BmpFile& f) {
        f.bits = 8;
        f.colorsUsed = 200;
        f.palette.assign(8, 0);
        f.pixels.assign(16, 0);
    });
    with("more palette entries than the depth allows", "palette", [](BmpFile& f) {
        f.bits = 4;
        f.colorsUsed = 17;
        f.palette.assign(17 * 4, 0);
        f.pixels.assign(16, 0);
    });
    with("8-bit run-length compression with 4 bits", "compression", [](BmpFile& f) {
        f.bits = 4;
        f.compression = 1;
    });
    with("4-bit run-length compression with 8 bits", "compression", [](BmpFile& f) {
        f.bits = 8;
        f.compression = 2;
    });
    with("top-down run-length compression", "top-down", [](BmpFile& f) {
        f.bits = 8;
        f.compression = 1;
        f.height = -4;
    });
    with("run-length data of one byte", "truncated", [](BmpFile& f) {
        f.bits = 8;
        f.compression = 1;
        f.colorsUsed = 1;
        f.palette.assign(4, 0);
        f.pixels = {1, 1};
        f.dataOffset = 54 + 4 + 1;
    });
    with("two bits", "bits", [](BmpFile& f) { f.bits = 2; });
    with("masks with 24 bits", "masks", [](BmpFile& f) {
        f.compression = 3;
        f.masks = {0xFF0000, 0xFF00, 0xFF};
    });
    with("all masks empty", "masks", [](BmpFile& f) {
        f.bits = 32;
        f.compression = 3;
        f.masks = {0, 0, 0};
    });
    with("unknown header size", "header", [](BmpFile& f) { f.headerSize = 64; });

    BmpFile shortHeader = good;
    shortHeader.headerSize = 124;
    cases.push_back({"V5 header cut short", Prefix(shortHeader.Bytes(), 14 + 100), "header"});
    BmpFile masksCut = good;
    masksCut.bits = 32;
    masksCut.compression = 3;
    masksCut.masks = {0xFF0000, 0xFF00, 0xFF};
    cases.push_back({"masks after the header cut off", Prefix(masksCut.Bytes(), 14 + 40 + 6), "masks"});
    std::vector<uint8_t> notBm = good.Bytes();
    notBm[0] = 'P';
    cases.push_back({"no signature", notBm, "signature"});
    cases.push_back({"empty file", {}, "short"});
    cases.push_back({"ten bytes", Prefix(good.Bytes(), 10), "short"});
    return cases;
}

TEST(BmpRead, HostileFilesAreRefusedAndLeaveTheBitmapAlone)
{
    for (const Hostile& h : HostileFiles()) {
        SCOPED_TRACE(h.what);
        Bitmap b(2, 2);
        b.Fill(0x11223344u);
        b.SetBitsPerPixel(24);
        std::string error;
        EXPECT_FALSE(DecodeBmp(Prefix(h.bytes, h.bytes.size()), b, &error));
        EXPECT_NE(error.find(h.says), std::string::npos) << error;
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(b.GetPixel(1, 1), 0xFF223344u);
        EXPECT_EQ(b.BitsPerPixel(), 24);
    }
}

TEST(BmpRead, EveryTruncationOfAValidFileIsRefused)
{
    // Widths whose rows need no padding, so that every byte is required.
    std::vector<std::vector<uint8_t>> files;
    BmpFile f8;
    f8.width = 4;
    f8.height = 3;
    f8.bits = 8;
    f8.colorsUsed = 5;
    f8.palette.assign(5 * 4, 1);
    f8.pixels.assign(12, 3);
    files.push_back(f8.Bytes());
    BmpFile v5;
    v5.headerSize = 124;
    v5.width = 2;
    v5.height = -2;
    v5.bits = 32;
    v5.compression = 3;
    v5.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    v5.pixels.assign(16, 200);
    files.push_back(v5.Bytes());
    BmpFile core;
    core.headerSize = 12;
    core.width = 8;
    core.height = 2;
    core.bits = 4;
    core.palette.assign(16 * 3, 9);
    core.pixels.assign(8, 0x21);
    files.push_back(core.Bytes());
    BmpFile f16;
    f16.width = 2;
    f16.height = 3;
    f16.bits = 16;
    f16.pixels.assign(12, 0x35);
    files.push_back(f16.Bytes());

    for (const auto& file : files) {
        Bitmap whole;
        ASSERT_TRUE(DecodeBmp(file, whole));
        for (size_t n = 0; n < file.size(); ++n) {
            Bitmap b;
            ASSERT_FALSE(DecodeBmp(Prefix(file, n), b)) << "accepted " << n << " of " << file.size() << " bytes";
        }
    }
}

TEST(BmpRead, CorruptHeaderBytesNeverReadOutOfBounds)
{
    // Every header byte set to a few telling values in turn; whatever the
    // reader makes of it, it must stay inside the buffer (the sanitizer
    // build checks) and a picture it accepts must be as large as it says.
    BmpFile f;
    f.width = 3;
    f.height = 2;
    f.bits = 8;
    f.colorsUsed = 4;
    f.palette.assign(16, 5);
    f.pixels.assign(8, 2);
    const std::vector<uint8_t> file = f.Bytes();
    for (size_t at = 0; at < 14 + 40 + 16; ++at)
        for (uint8_t value : {uint8_t(0), uint8_t(1), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF)}) {
            std::vector<uint8_t> bytes = file;
            bytes[at] = value;
            Bitmap b;
            if (DecodeBmp(bytes, b)) {
                ASSERT_FALSE(b.Empty());
                ASSERT_EQ(b.Indices().empty(), b.BitsPerPixel() > 8);
            }
        }
}

fs::path TempFolder(const char* name)
{
    fs::path dir = fs::temp_directory_path() / (std::string("kestrava-gdi-") + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(BmpFiles, SaveReplacesTheFileAndLeavesNoTemporaryBehind)
{
    const fs::path dir = TempFolder("save");
    const fs::path path = dir / "picture.bmp";
    std::ofstream(path) << "an older file";
    Bitmap b = Pattern(5, 3, 16, false);
    b.SetBitsPerPixel(4);
    std::string error;
    ASSERT_TRUE(SaveBmp(path.string(), b, &error)) << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written, EncodeBmp(b));

    Bitmap loaded;
    ASSERT_TRUE(LoadBmp(path.string(), loaded, &error)) << error;
    EXPECT_EQ(loaded.GetPixel(4, 2), b.GetPixel(4, 2));
    EXPECT_EQ(loaded.BitsPerPixel(), 4);
    fs::remove_all(dir);
}

TEST(BmpFiles, FailuresSayWhatAndWhere)
{
    const fs::path dir = TempFolder("fail");
    Bitmap b(2, 2);
    std::string error;
    EXPECT_FALSE(SaveBmp((dir / "missing" / "x.bmp").string(), b, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_FALSE(LoadBmp((dir / "nothere.bmp").string(), b, &error));
    EXPECT_NE(error.find("nothere.bmp"), std::string::npos) << error;
    std::ofstream(dir / "bad.bmp") << "BM but nothing else";
    EXPECT_FALSE(LoadBmp((dir / "bad.bmp").string(), b, &error));
    EXPECT_NE(error.find("bad.bmp"), std::string::npos) << error;
    EXPECT_FALSE(SaveBmp((dir / "empty.bmp").string(), Bitmap(), &error));
    fs::remove_all(dir);
}

TEST(BmpFiles, LoadingKeepsTheHandleAndTheTransparentFlag)
{
    Bitmap b(1, 1);
    b.SetTransparent(true);
    const HDC handle = b.Handle();
    Bitmap source(3, 2);
    ASSERT_TRUE(DecodeBmp(EncodeBmp(source), b));
    EXPECT_EQ(b.Handle(), handle);
    EXPECT_TRUE(b.Transparent());
    Canvas canvas(handle);
    canvas.brush.color = Rgb(1, 2, 3);
    canvas.FillRect({2, 1, 3, 2});
    EXPECT_EQ(b.GetColor(2, 1), Rgb(1, 2, 3));
}

} // namespace
} // namespace kestrava::gdi
