// Text: cell metrics, font choice, blending, clipping, decoding, threads.
#include "platform/gdi/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kestrava::gdi {
namespace {

constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kBlack = Rgb(0, 0, 0);
constexpr ColorRef kRed = Rgb(255, 0, 0);

FontSpec Font(const char* family, int32_t height, bool bold = false, bool underline = false)
{
    FontSpec f;
    f.family = family;
    f.height = height;
    f.bold = bold;
    f.underline = underline;
    return f;
}

Bitmap Filled(int32_t w, int32_t h, ColorRef c)
{
    Bitmap b(w, h);
    b.Fill(PixelOf(c));
    return b;
}

// Bounding box of the pixels that are not `around`.
Rect InkBox(const Bitmap& b, ColorRef around)
{
    Rect box;
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x)
            if (b.GetPixel(x, y) != PixelOf(around))
                box = Union(box, {x, y, x + 1, y + 1});
    return box;
}

Bitmap Drawn(const std::string& text, const FontSpec& font, ColorRef color = kBlack, ColorRef paper = kWhite)
{
    Bitmap b = Filled(200, 80, paper);
    DrawText(b, {}, 10, 10, text, font, color, false, paper);
    return b;
}

TEST(TextMetrics, RowHeightIsTheCellHeightForEveryText)
{
    // The cell is the face's Windows ascent + descent scaled to the height
    // asked for, so it is exactly that height, accents and descenders or not.
    EXPECT_EQ(MeasureText(Font("Arial", 16), "Äquator").cy, 16);
    EXPECT_EQ(MeasureText(Font("Arial", 16), "a").cy, 16);
    EXPECT_EQ(MeasureText(Font("Arial", 16), ""), (Size{0, 16}));
    for (const char* family : {"Arial", "Arial Black", "DejaVu Sans"})
        for (int32_t h : {7, 11, 13, 16, 23, 37, 64})
            EXPECT_EQ(MeasureText(Font(family, h, true), "Äg").cy, h) << family << " " << h;
    // A negative height is the em height: Arial's cell is 2288/2048 em.
    EXPECT_EQ(MeasureText(Font("Arial", -32), "a").cy, 36);
}

TEST(TextMetrics, WidthGrowsWithTheTextAndTheSize)
{
    const FontSpec f = Font("Arial", 16);
    EXPECT_LT(MeasureText(f, "A").cx, MeasureText(f, "AB").cx);
    EXPECT_LT(MeasureText(f, "AB").cx, MeasureText(f, "ABC").cx);
    EXPECT_LT(MeasureText(f, "Kestrava").cx, MeasureText(Font("Arial", 24), "Kestrava").cx);
    EXPECT_EQ(MeasureText(f, "ä").cx, MeasureText(f, "a").cx); // one character, not two bytes' worth
    // Widths are the sum of the advances, without kerning, as the system's
    // text output measures them (the font would tuck the V under the A).
    EXPECT_EQ(MeasureText(f, "AV").cx, MeasureText(f, "A").cx + MeasureText(f, "V").cx);
}

TEST(TextMetrics, InkSitsOnTheBaselineInsideTheCell)
{
    // Arial 16: baseline round(1854 * 16 / 2288) = 13 rows below the top.
    const Rect x = InkBox(Drawn("x", Font("Arial", 16)), kWhite);
    EXPECT_EQ(x.bottom, 10 + 13);
    const Rect word = InkBox(Drawn("Äquator", Font("Arial", 16)), kWhite);
    EXPECT_GE(word.top, 10);
    EXPECT_LE(word.bottom, 10 + 16);
    EXPECT_GT(word.bottom, 10 + 13); // the q's descender
}

TEST(TextDraw, TransparentKeepsTheBackgroundOpaqueFillsTheExtent)
{
    const FontSpec f = Font("Arial", 20);
    const Size extent = MeasureText(f, "Hallo");
    Bitmap see = Filled(120, 50, kRed);
    DrawText(see, {}, 10, 10, "Hallo", f, kBlack, false, kWhite);
    int inked = 0;
    for (int32_t y = 0; y < see.Height(); ++y)
        for (int32_t x = 0; x < see.Width(); ++x) {
            const Pixel p = see.GetPixel(x, y);
            // Black over red can only darken the red channel.
            ASSERT_EQ(p & 0xFF00FFFFu, 0xFF000000u) << x << "," << y;
            inked += p != PixelOf(kRed);
        }
    EXPECT_GT(inked, 20);

    Bitmap solid = Filled(120, 50, kRed);
    DrawText(solid, {}, 10, 10, "Hallo", f, kBlack, true, kWhite);
    const Rect cell{10, 10, 10 + extent.cx, 10 + extent.cy};
    for (int32_t y = 0; y < solid.Height(); ++y)
        for (int32_t x = 0; x < solid.Width(); ++x) {
            const bool inside = !Intersect(cell, {x, y, x + 1, y + 1}).Empty();
            const bool red = solid.GetPixel(x, y) == PixelOf(kRed);
            ASSERT_EQ(red, !inside) << x << "," << y;
        }
}

TEST(TextDraw, FullCoverageIsTheTextColourAndEdgesRoundExactly)
{
    const FontSpec f = Font("Arial", 40);
    const Bitmap black = Drawn("W", f);
    Pixel darkest = 0xFFFFFFFFu;
    for (int32_t y = 0; y < black.Height(); ++y)
        for (int32_t x = 0; x < black.Width(); ++x)
            darkest = std::min(darkest, black.GetPixel(x, y));
    EXPECT_EQ(darkest, PixelOf(kBlack));

    // Blue must land in the blue byte: a fully covered pixel is exactly blue.
    const Bitmap blue = Drawn("W", f, Rgb(0, 0, 255));
    bool found = false;
    for (int32_t y = 0; y < blue.Height() && !found; ++y)
        for (int32_t x = 0; x < blue.Width() && !found; ++x)
            found = blue.GetColor(x, y) == Rgb(0, 0, 255);
    EXPECT_TRUE(found);

    // Black on white reveals each pixel's coverage; the same glyph in other
    // colours must then be the rounded mix of text and paper.
    const ColorRef ink = Rgb(200, 220, 10), paper = Rgb(100, 30, 240);
    const Bitmap mixed = Drawn("W", f, ink, paper);
    int light = 0, dark = 0;
    for (int32_t y = 0; y < mixed.Height(); ++y)
        for (int32_t x = 0; x < mixed.Width(); ++x) {
            const int c = 255 - RedOf(black.GetColor(x, y));
            light += c > 0 && c < 128;
            dark += c >= 128 && c < 255;
            auto mix = [c](int s, int d) { return uint8_t(std::lround((s * c + d * (255 - c)) / 255.0)); };
            const ColorRef want = Rgb(mix(200, 100), mix(220, 30), mix(10, 240));
            ASSERT_EQ(mixed.GetPixel(x, y), PixelOf(want)) << x << "," << y << " coverage " << c;
        }
    // Edges are anti-aliased on both sides of half coverage.
    EXPECT_GT(light, 10);
    EXPECT_GT(dark, 10);
}

TEST(TextFonts, FamiliesResolveToTheExpectedFaces)
{
    EXPECT_NE(FontFileFor(Font("Arial", 16)).find("LiberationSans-Regular"), std::string::npos);
    EXPECT_NE(FontFileFor(Font("Arial", 16, true)).find("LiberationSans-Bold"), std::string::npos);
    // fontconfig alone would answer with DejaVu Sans regular. The heavy
    // face has Arial's shapes, so the digits of the time dialog and the
    // countdown look like every other text.
    const std::string black = FontFileFor(Font("Arial Black", 16));
    EXPECT_NE(black.find("LiberationSans-Bold"), std::string::npos) << black;
    EXPECT_EQ(black, FontFileFor(Font("arial black", 16, true)));
    EXPECT_FALSE(FontFileFor(Font("Keine solche Schrift", 16)).empty());
}

TEST(TextFonts, BoldIsWiderFromABoldFaceOrSynthesised)
{
    const char* text = "Konzentration";
    EXPECT_GT(MeasureText(Font("Arial", 16, true), text).cx, MeasureText(Font("Arial", 16), text).cx);
    // DejaVu Sans Light has no bold face: the light outlines are thickened.
    const FontSpec light = Font("DejaVu Sans Light", 16), heavy = Font("DejaVu Sans Light", 16, true);
    EXPECT_EQ(FontFileFor(light), FontFileFor(heavy));
    EXPECT_GT(MeasureText(heavy, text).cx, MeasureText(light, text).cx);
    auto darkness = [](const Bitmap& b) {
        long sum = 0;
        for (int32_t y = 0; y < b.Height(); ++y)
            for (int32_t x = 0; x < b.Width(); ++x)
                sum += 255 - RedOf(b.GetColor(x, y));
        return sum;
    };
    EXPECT_GT(darkness(Drawn("Hm", heavy)), darkness(Drawn("Hm", light)) * 5 / 4);
}

TEST(TextDraw, UnderlineRunsBelowTheBaselineAcrossTheWidth)
{
    const int32_t width = MeasureText(Font("Arial", 16), "Hallo").cx;
    auto fullRows = [width](const Bitmap& b) {
        std::vector<int32_t> rows;
        for (int32_t y = 0; y < b.Height(); ++y) {
            bool full = true;
            for (int32_t x = 10; x < 10 + width && full; ++x)
                full = b.GetPixel(x, y) == PixelOf(kBlack);
            if (full)
                rows.push_back(y);
        }
        return rows;
    };
    EXPECT_TRUE(fullRows(Drawn("Hallo", Font("Arial", 16))).empty());
    const Bitmap lined = Drawn("Hallo", Font("Arial", 16, false, true));
    const std::vector<int32_t> rows = fullRows(lined);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 10 + 13);
    EXPECT_LT(rows.back(), 10 + 16);
    EXPECT_EQ(lined.GetPixel(9, rows.front()), PixelOf(kWhite));
    EXPECT_EQ(lined.GetPixel(10 + width, rows.front()), PixelOf(kWhite));
}

TEST(TextDraw, GermanLettersDashAndBulletHaveTheirOwnGlyphs)
{
    const FontSpec f = Font("Arial", 24);
    const Bitmap missing = Drawn("\xEE\x80\x80", f); // U+E000: no glyph, the .notdef box
    ASSERT_NE(InkBox(missing, kWhite), Rect{});
    for (const char* text : {"ä", "ö", "ü", "Ä", "Ö", "Ü", "ß", "—", "•"}) {
        const Bitmap b = Drawn(text, f);
        EXPECT_NE(InkBox(b, kWhite), Rect{}) << text;
        EXPECT_FALSE(b.Width() == missing.Width() && InkBox(b, kWhite) == InkBox(missing, kWhite)) << text;
    }
    EXPECT_GT(MeasureText(f, "—").cx, 2 * MeasureText(f, "-").cx);
}

TEST(TextMetrics, InvalidUtf8BecomesOneReplacementPerBadPart)
{
    const FontSpec f = Font("Arial", 16);
    auto w = [&f](const std::string& s) { return MeasureText(f, s).cx; };
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_GT(w("\xFF"), 0);
    EXPECT_EQ(w("\xFF"), w(fffd));
    EXPECT_EQ(w("a\xC3"), w("a" + fffd));            // cut off at the end
    EXPECT_EQ(w("\xC3x"), w(fffd + "x"));            // the next character survives
    EXPECT_EQ(w("\xC0\xAF"), w(fffd + fffd));        // overlong
    EXPECT_EQ(w("\xE0\x80\xAF"), w(fffd + fffd + fffd)); // overlong '/'
    EXPECT_EQ(w("\xED\xA0\x80"), w(fffd + fffd + fffd)); // surrogate
    EXPECT_EQ(w("\xF0\x9F\x98\x80"), w("\xEE\x80\x80"));  // one missing character, one box
}

TEST(TextDraw, NothingOutsideTheClipChanges)
{
    const FontSpec f = Font("Arial", 24, true, true);
    const Rect clip{20, 5, 50, 22};
    const Bitmap before = Filled(100, 40, kWhite);
    Bitmap b = before;
    DrawText(b, clip, 0, 0, "Wasserwaage", f, kBlack, true, Rgb(128, 128, 128));
    EXPECT_EQ(InkBox(b, kWhite), clip); // grey fills the whole clip, nothing beyond

    // Text hanging over every edge, clip reaching beyond the bitmap.
    Bitmap edge = Filled(30, 12, kWhite);
    DrawText(edge, {-50, -50, 500, 500}, -7, -9, "Wasserwaage", f, kBlack, true, kRed);
    DrawText(edge, {}, 20, 5, "Wasserwaage", f, kBlack, false, kRed);
    EXPECT_EQ(InkBox(edge, kWhite), (Rect{0, 0, 30, 12}));
}

TEST(TextThreads, ConcurrentUseGivesTheSameResults)
{
    // Sizes nobody used yet, so both threads fill the cache at the same time.
    auto work = [](std::vector<Size>& sizes, std::vector<Bitmap>& pictures) {
        for (int32_t h = 41; h < 61; ++h) {
            const FontSpec f = Font(h % 2 != 0 ? "Arial" : "DejaVu Sans", h, h % 3 == 0);
            sizes.push_back(MeasureText(f, "Geschwindigkeit • Höhe — Kurs"));
            pictures.push_back(Drawn("Höhe", f));
        }
    };
    std::vector<Size> sizesA, sizesB, sizesC;
    std::vector<Bitmap> picturesA, picturesB, picturesC;
    std::thread a(work, std::ref(sizesA), std::ref(picturesA));
    std::thread b(work, std::ref(sizesB), std::ref(picturesB));
    a.join();
    b.join();
    work(sizesC, picturesC); // from the warm cache
    EXPECT_EQ(sizesA, sizesB);
    EXPECT_EQ(sizesA, sizesC);
    for (size_t i = 0; i < picturesA.size(); ++i) {
        EXPECT_EQ(InkBox(picturesA[i], kWhite), InkBox(picturesC[i], kWhite));
        for (int32_t y = 0; y < picturesA[i].Height(); ++y)
            ASSERT_TRUE(std::equal(picturesA[i].Row(y), picturesA[i].Row(y) + picturesA[i].Width(),
                                   picturesB[i].Row(y)) &&
                        std::equal(picturesA[i].Row(y), picturesA[i].Row(y) + picturesA[i].Width(),
                                   picturesC[i].Row(y)))
                << i;
    }
}

} // namespace
} // namespace kestrava::gdi
