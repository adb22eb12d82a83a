// The filtered resampler: filter values, the exact weights it applies, the
// edge mirroring, clamping without renormalisation, tiny sources, failures,
// and the scaled loader.
#include "platform/gdi/Resample.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace kestrava::gdi {
namespace {

namespace fs = std::filesystem;

Pixel Grey(uint8_t v) { return PixelOf(Rgb(v, v, v)); }

// The three colour channels of one pixel, red first.
std::vector<int> Channels(const Bitmap& b, int32_t x, int32_t y)
{
    const ColorRef c = b.GetColor(x, y);
    return {RedOf(c), GreenOf(c), BlueOf(c)};
}

// A picture whose columns take the given grey values, identical in every row.
Bitmap Columns(const std::vector<uint8_t>& values, int32_t height)
{
    Bitmap b(static_cast<int32_t>(values.size()), height);
    for (int32_t y = 0; y < height; ++y)
        for (size_t x = 0; x < values.size(); ++x)
            b.SetPixel(static_cast<int32_t>(x), y, Grey(values[x]));
    return b;
}

// The grey value of each column of row y (all channels are expected equal).
std::vector<int> RowGreys(const Bitmap& b, int32_t y)
{
    std::vector<int> out;
    for (int32_t x = 0; x < b.Width(); ++x) {
        const ColorRef c = b.GetColor(x, y);
        EXPECT_EQ(RedOf(c), GreenOf(c));
        EXPECT_EQ(RedOf(c), BlueOf(c));
        out.push_back(RedOf(c));
    }
    return out;
}

std::vector<int> ColumnGreys(const Bitmap& b, int32_t x)
{
    std::vector<int> out;
    for (int32_t y = 0; y < b.Height(); ++y)
        out.push_back(RedOf(b.GetColor(x, y)));
    return out;
}

Bitmap Transposed(const Bitmap& b)
{
    Bitmap t(b.Height(), b.Width());
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x)
            t.SetPixel(y, x, b.GetPixel(x, y));
    return t;
}

// Every pixel of the bitmap, checked against one colour and full alpha.
void ExpectUniform(const Bitmap& b, ColorRef color)
{
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x)
            ASSERT_EQ(b.GetPixel(x, y), PixelOf(color)) << "at " << x << "," << y;
}

Bitmap Scaled(Bitmap source, int32_t width, int32_t height, FilterFunction filter = BellFilter,
              float support = 2.0f)
{
    Bitmap destination(width, height);
    ResampleBitmap(source, destination, filter, support);
    return destination;
}

TEST(ResampleFilterTest, TableListsTheSevenFiltersInOrder)
{
    struct Expected {
        const char* name;
        FilterFunction filter;
        float support;
    };
    const Expected expected[] = {{"Box", BoxFilter, 0.5f},           {"Triangle", TriangleFilter, 1.0f},
                                 {"Hermite", HermiteFilter, 1.0f},   {"Bell", BellFilter, 1.5f},
                                 {"B-Spline", SplineFilter, 2.0f},   {"Lanczos3", Lanczos3Filter, 3.0f},
                                 {"Mitchell", MitchellFilter, 2.0f}};
    ASSERT_EQ(FilterTable.size(), std::size(expected));
    for (size_t i = 0; i < FilterTable.size(); ++i) {
        EXPECT_STREQ(FilterTable[i].name, expected[i].name);
        EXPECT_EQ(FilterTable[i].filter, expected[i].filter) << expected[i].name;
        EXPECT_EQ(FilterTable[i].support, expected[i].support) << expected[i].name;
        // Nothing is left beyond the support.
        EXPECT_EQ(FilterTable[i].filter(FilterTable[i].support + 0.001f), 0.0f) << expected[i].name;
        EXPECT_EQ(FilterTable[i].filter(-FilterTable[i].support - 0.001f), 0.0f) << expected[i].name;
    }
}

TEST(ResampleFilterTest, HandComputedValues)
{
    EXPECT_FLOAT_EQ(MitchellFilter(0.0f), 8.0f / 9.0f);
    EXPECT_FLOAT_EQ(MitchellFilter(0.5f), 3.208333333f / 6.0f);
    // The outer piece cancels terms of about 10 down to hundredths, so single
    // precision keeps only about six digits there.
    EXPECT_NEAR(MitchellFilter(1.0f), 1.0f / 18.0f, 1e-6f);
    EXPECT_NEAR(MitchellFilter(-1.5f), -0.208333333f / 6.0f, 1e-6f);
    EXPECT_NEAR(MitchellFilter(1.9999f), 0.0f, 1e-6f);

    EXPECT_EQ(Lanczos3Filter(0.0f), 1.0f);
    EXPECT_NEAR(Lanczos3Filter(0.5f), 0.6079271f, 1e-6f);
    EXPECT_NEAR(Lanczos3Filter(1.0f), 0.0f, 1e-6f);
    EXPECT_LT(Lanczos3Filter(1.5f), 0.0f); // the negative lobe

    EXPECT_FLOAT_EQ(HermiteFilter(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(HermiteFilter(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(HermiteFilter(-0.25f), 0.84375f);

    EXPECT_EQ(BellFilter(0.0f), 0.75f);
    EXPECT_EQ(BellFilter(0.5f), 0.5f);
    EXPECT_EQ(BellFilter(-1.0f), 0.125f);
    EXPECT_EQ(BellFilter(1.5f), 0.0f);

    EXPECT_FLOAT_EQ(SplineFilter(0.0f), 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(SplineFilter(1.0f), 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(TriangleFilter(-0.25f), 0.75f);
}

TEST(ResampleFilterTest, EvenExceptTheBoxWhichTakesOneSideOfATie)
{
    for (const FilterEntry& entry : FilterTable) {
        if (entry.filter == BoxFilter)
            continue;
        for (float x : {0.1f, 0.5f, 0.75f, 1.0f, 1.3f, 2.5f})
            EXPECT_EQ(entry.filter(x), entry.filter(-x)) << entry.name << " at " << x;
    }
    EXPECT_EQ(BoxFilter(0.5f), 1.0f);
    EXPECT_EQ(BoxFilter(-0.5f), 0.0f);
    EXPECT_EQ(BoxFilter(-0.49f), 1.0f);
}

TEST(ResampleTest, UniformPictureStaysUniform)
{
    const ColorRef color = Rgb(200, 100, 37);
    Bitmap source(60, 60);
    source.Fill(PixelOf(color));
    ExpectUniform(Scaled(source, 60, 60), color);
    ExpectUniform(Scaled(source, 144, 144), color);
    ExpectUniform(Scaled(source, 144, 61), color);
    // 59 to 30 is exactly half: the stretched Bell weights still add up to 1.
    Bitmap odd(59, 59);
    odd.Fill(PixelOf(color));
    ExpectUniform(Scaled(odd, 30, 30), color);
    // Enlarging, every filter but Lanczos3 has weights adding up to 1 at any
    // position; Lanczos3's sum strays by up to about half a percent, which
    // is within rounding only for dark values.
    for (const FilterEntry& entry : FilterTable)
        if (entry.filter != Lanczos3Filter)
            ExpectUniform(Scaled(source, 97, 97, entry.filter, entry.support), color);
    Bitmap dark(60, 60);
    dark.Fill(PixelOf(Rgb(30, 11, 2)));
    ExpectUniform(Scaled(dark, 97, 97, Lanczos3Filter, 3.0f), Rgb(30, 11, 2));
}

TEST(ResampleTest, SameSizeBellSoftensWithWeightsThreeQuartersAndOneEighth)
{
    std::vector<uint8_t> values(60, 0);
    values[30] = 255;
    const Bitmap out = Scaled(Columns(values, 60), 60, 60);
    EXPECT_EQ(out.Width(), 60);
    EXPECT_EQ(out.Height(), 60);
    std::vector<int> expected(60, 0);
    expected[29] = 32;  // 0.125 x 255 = 31.875
    expected[30] = 191; // 0.75 x 255 = 191.25
    expected[31] = 32;
    for (int32_t y : {0, 1, 30, 59})
        EXPECT_EQ(RowGreys(out, y), expected) << "row " << y;
    EXPECT_EQ(out.GetPixel(30, 0) >> 24, 255u);
}

TEST(ResampleTest, HalfwaySumsRoundToEven)
{
    // Columns of 20, 36 and 12 give neighbours of exactly 2.5, 4.5 and 1.5;
    // centres of 6 and 2 give 4.5 and 1.5.
    std::vector<uint8_t> values(40, 0);
    values[3] = 20;
    values[10] = 36;
    values[17] = 12;
    values[24] = 6;
    values[31] = 2;
    const std::vector<int> row = RowGreys(Scaled(Columns(values, 5), 40, 5), 2);
    EXPECT_EQ(row[2], 2);
    EXPECT_EQ(row[4], 2);
    EXPECT_EQ(row[3], 15);
    EXPECT_EQ(row[9], 4);
    EXPECT_EQ(row[11], 4);
    EXPECT_EQ(row[16], 2);
    EXPECT_EQ(row[18], 2);
    EXPECT_EQ(row[24], 4);
    EXPECT_EQ(row[31], 2);
    EXPECT_EQ(row[30], 0); // 0.25 rounds down
}

TEST(ResampleTest, HalvingUsesTheStretchedFilter)
{
    // At exactly half size destination column i is centred on source column
    // 2i, and the weights are Bell(d / 2) / 2: 0.375, 0.25 and 0.0625.
    std::vector<uint8_t> even(59, 0), odd(59, 0);
    even[20] = 255;
    odd[21] = 255;
    std::vector<int> expectEven(30, 0), expectOdd(30, 0);
    expectEven[9] = 16; // 15.9375
    expectEven[10] = 96; // 95.625
    expectEven[11] = 16;
    expectOdd[10] = 64; // 63.75
    expectOdd[11] = 64;
    EXPECT_EQ(RowGreys(Scaled(Columns(even, 59), 30, 30), 7), expectEven);
    EXPECT_EQ(RowGreys(Scaled(Columns(odd, 59), 30, 30), 7), expectOdd);
}

TEST(ResampleTest, EdgesTakeTheirMissingNeighboursFromInside)
{
    // Left edge: the neighbour at -1 is column 1, so the 100 next to a 200
    // becomes 25 + 75 + 25 = 125 (with black outside it would stay 100). At
    // the right edge the neighbour at the width is the edge column itself:
    // 25 + 75 + 12.5, a tie that goes to 112.
    std::vector<uint8_t> values(12, 0);
    values[0] = 100;
    values[1] = 200;
    values[10] = 200;
    values[11] = 100;
    const std::vector<int> expected{125, 162, 25, 0, 0, 0, 0, 0, 0, 25, 162, 112};
    const Bitmap source = Columns(values, 12);
    EXPECT_EQ(RowGreys(Scaled(source, 12, 12), 0), expected);
    EXPECT_EQ(ColumnGreys(Scaled(Transposed(source), 12, 12), 0), expected);
}

TEST(ResampleTest, WeightsAreNotRenormalisedAndSumsAreClamped)
{
    Bitmap source(20, 20);
    source.Fill(Grey(100));
    // Half weights in both passes: a quarter of the value.
    ExpectUniform(Scaled(source, 20, 20, [](float x) { return 0.5f * BellFilter(x); }, 1.5f), Rgb(25, 25, 25));
    // Double weights: 400 in the second pass, clamped to white.
    ExpectUniform(Scaled(source, 20, 20, [](float x) { return 2.0f * BellFilter(x); }, 1.5f), Rgb(255, 255, 255));
    // Negative sums clamp to black.
    ExpectUniform(Scaled(source, 20, 20, [](float x) { return -BellFilter(x); }, 1.5f), Rgb(0, 0, 0));
    // A support shorter than the filter's reach: the positions taken are
    // still Floor(centre - support) to Ceil(centre + support), so 0.4 keeps
    // both neighbours (three weights where Trunc(2 x 0.4 + 1) = 1 would make
    // room for one), and only 0 leaves the centre's 0.75 alone per pass.
    ExpectUniform(Scaled(source, 20, 20, BellFilter, 0.4f), Rgb(100, 100, 100));
    ExpectUniform(Scaled(source, 20, 20, BellFilter, 0.0f), Rgb(56, 56, 56));
}

TEST(ResampleTest, SupportBeyondTheFilterChangesNothing)
{
    std::mt19937 random(7);
    Bitmap source(37, 23);
    for (int32_t y = 0; y < source.Height(); ++y)
        for (int32_t x = 0; x < source.Width(); ++x)
            source.SetPixel(x, y, static_cast<Pixel>(random()) | 0xFF000000u);
    for (Size size : {Size{90, 50}, Size{37, 23}, Size{15, 9}}) {
        const Bitmap narrow = Scaled(source, size.cx, size.cy, BellFilter, 1.5f);
        const Bitmap wide = Scaled(source, size.cx, size.cy, BellFilter, 2.0f);
        for (int32_t y = 0; y < size.cy; ++y)
            for (int32_t x = 0; x < size.cx; ++x)
                ASSERT_EQ(narrow.GetPixel(x, y), wide.GetPixel(x, y)) << size.cx << "x" << size.cy;
    }
}

TEST(ResampleTest, ChannelsAreIndependentAndBecomeOpaque24Bit)
{
    Bitmap source(3, 1);
    source.SetPixel(0, 0, 0x00102030u); // no alpha
    source.SetPixel(1, 0, 0x80FF0000u); // red only, half alpha
    source.SetPixel(2, 0, 0x000000FFu); // blue only
    Bitmap destination(3, 1);
    destination.Fill(0x00000000u);
    ResampleBitmap(source, destination, BellFilter, 1.5f);
    EXPECT_EQ(source.BitsPerPixel(), 24);
    EXPECT_EQ(destination.BitsPerPixel(), 24);
    // Column 0: 0.75 x (0x10, 0x20, 0x30) + 0.25 x (255, 0, 0) in R, G, B.
    EXPECT_EQ(Channels(destination, 0, 0), (std::vector<int>{76, 24, 36}));
    // Column 2: its neighbour beyond the edge is itself, 0.875 x 255 = 223.125.
    EXPECT_EQ(Channels(destination, 2, 0), (std::vector<int>{32, 0, 223}));
    for (int32_t x = 0; x < 3; ++x)
        EXPECT_EQ(destination.GetPixel(x, 0) >> 24, 255u);
}

TEST(ResampleTest, OnePixelSourceFillsTheDestination)
{
    // Every neighbour, mirrored or not, is held at the one pixel, so each
    // destination pixel is the source colour times its weights' sum: exactly
    // the colour for filters whose weights add up to 1.
    for (const FilterEntry& entry : FilterTable) {
        const ColorRef color = entry.filter == Lanczos3Filter ? Rgb(30, 7, 13) : Rgb(201, 7, 130);
        Bitmap source(1, 1);
        source.SetPixel(0, 0, PixelOf(color));
        ExpectUniform(Scaled(source, 1, 1, entry.filter, entry.support), color);
        ExpectUniform(Scaled(source, 7, 5, entry.filter, entry.support), color);
        ExpectUniform(Scaled(source, 144, 144, entry.filter, entry.support), color);
    }
}

TEST(ResampleTest, TwoPixelSourceScaledUp)
{
    // Scale 4: centres 0, 0.25, 0.5, 0.75, 1. Column 0 mirrors -1 to 1;
    // column 1 mirrors 2 to itself.
    const Bitmap out = Scaled(Columns({0, 200}, 2), 5, 5);
    const std::vector<int> expected{50, 62, 100, 144, 175};
    for (int32_t y = 0; y < 5; ++y)
        EXPECT_EQ(RowGreys(out, y), expected) << "row " << y;

    // Far-reaching filters on tiny sources index beyond the mirror; they are
    // held at the edge (no exact values, but nothing may be read outside).
    Bitmap tiny(2, 2);
    tiny.SetPixel(1, 1, PixelOf(Rgb(255, 255, 255)));
    for (const FilterEntry& entry : FilterTable) {
        const Bitmap big = Scaled(tiny, 33, 17, entry.filter, entry.support);
        EXPECT_GT(RedOf(big.GetColor(32, 16)), RedOf(big.GetColor(0, 0))) << entry.name;
    }
    Bitmap two(2, 1);
    two.Fill(Grey(30));
    ExpectUniform(Scaled(two, 9, 4, Lanczos3Filter, 3.0f), Rgb(30, 30, 30));
}

TEST(ResampleTest, EmptySourceFailsAndLeavesTheDestination)
{
    for (Size size : {Size{0, 0}, Size{0, 5}, Size{5, 0}}) {
        Bitmap source(size.cx, size.cy);
        Bitmap destination(4, 3);
        destination.Fill(0x12345678u);
        try {
            ResampleBitmap(source, destination, BellFilter, 2.0f);
            FAIL() << "no error for " << size.cx << "x" << size.cy;
        } catch (const ResampleError& e) {
            EXPECT_STREQ(e.what(), "Source bitmap too small");
        }
        EXPECT_EQ(destination.BitsPerPixel(), 32);
        EXPECT_EQ(destination.Width(), 4);
        EXPECT_EQ(destination.GetPixel(3, 2), 0x12345678u);
    }
}

TEST(ResampleTest, UnscalableRequestsFailBeforeAnythingChanges)
{
    Bitmap source(5, 5);
    source.Fill(0x00FFFFFFu);
    Bitmap single(1, 4);
    EXPECT_THROW(ResampleBitmap(source, single, BellFilter, 2.0f), ResampleError);
    Bitmap destination(4, 4);
    destination.Fill(0x00ABCDEFu);
    EXPECT_THROW(ResampleBitmap(source, destination, BellFilter, -1.0f), ResampleError);
    EXPECT_THROW(ResampleBitmap(source, destination, BellFilter, 1000.0f), ResampleError);
    EXPECT_EQ(destination.GetPixel(0, 0), 0x00ABCDEFu);
    EXPECT_EQ(source.BitsPerPixel(), 32);
    EXPECT_EQ(source.GetPixel(0, 0), 0x00FFFFFFu);

    // One pixel from one pixel is a plain copy, and an empty destination is
    // nothing to do (even where one of its sides is 1).
    Bitmap one(1, 1);
    one.SetPixel(0, 0, Grey(9));
    ExpectUniform(Scaled(one, 1, 1), Rgb(9, 9, 9));
    EXPECT_NO_THROW(Scaled(source, 0, 0));
    EXPECT_NO_THROW(Scaled(source, 0, 1));
}

class ResampleLoadTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("kestrava-resample-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_F(ResampleLoadTest, MissingFileLeavesANewEmptyBitmap)
{
    Bitmap image(10, 10);
    image.Fill(0x11223344u);
    image.SetTransparent(true);
    image.SetBitsPerPixel(24);
    try {
        LoadScaledBitmap(image, (m_dir / "none.bmp").string(), 96, 40);
        FAIL() << "a missing file loaded";
    } catch (const ResampleError&) {
        FAIL() << "the load's error should pass, not the resampler's";
    } catch (const std::runtime_error& e) {
        EXPECT_STRNE(e.what(), "");
    }
    EXPECT_EQ(image.Width(), 96);
    EXPECT_EQ(image.Height(), 40);
    EXPECT_FALSE(image.Transparent());
    EXPECT_EQ(image.BitsPerPixel(), 32);
    ExpectUniform(image, Rgb(0, 0, 0));
}

TEST_F(ResampleLoadTest, ScalesTheFileWithTheBellFilter)
{
    // A white column on black at the same size shows the Bell weights, and
    // the picture replaces whatever the variable held.
    std::vector<uint8_t> values(40, 0);
    values[20] = 255;
    Bitmap picture = Columns(values, 40);
    picture.SetBitsPerPixel(24);
    const std::string path = (m_dir / "column.bmp").string();
    std::string error;
    ASSERT_TRUE(SaveBmp(path, picture, &error)) << error;

    Bitmap image(3, 3);
    image.SetTransparent(true);
    LoadScaledBitmap(image, path, 40, 40);
    EXPECT_FALSE(image.Transparent());
    EXPECT_EQ(image.BitsPerPixel(), 24);
    std::vector<int> expected(40, 0);
    expected[19] = 32;
    expected[20] = 191;
    expected[21] = 32;
    EXPECT_EQ(RowGreys(image, 0), expected);
    EXPECT_EQ(RowGreys(image, 39), expected);

    Bitmap plain(40, 40);
    plain.Fill(PixelOf(Rgb(10, 140, 250)));
    plain.SetBitsPerPixel(24);
    ASSERT_TRUE(SaveBmp(path, plain, &error)) << error;
    LoadScaledBitmap(image, path, 96, 96);
    ExpectUniform(image, Rgb(10, 140, 250));
}

} // namespace
} // namespace kestrava::gdi
