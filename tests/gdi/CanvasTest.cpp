// Canvas: lines, rectangles, fills, clipping, text wiring and dead handles,
// checked pixel for pixel.
#include "PixelArt.h"

#include "platform/gdi/Canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace kestrava::gdi {
namespace {

using testing::Art;
using testing::Filled;

constexpr ColorRef kInk = Rgb(200, 10, 20);
constexpr ColorRef kFill = Rgb(0, 90, 180);
const Pixel kPaper = PixelOf(Rgb(255, 255, 255));
const testing::Legend kLegend = {{PixelOf(kInk), '#'}, {PixelOf(kFill), 'o'}, {kPaper, '.'}};

struct Surface {
    Bitmap bitmap;
    Canvas canvas;
    Surface(int32_t w, int32_t h, Pixel paper = kPaper) : bitmap(Filled(w, h, paper)), canvas(bitmap.Handle())
    {
        canvas.pen.color = kInk;
        canvas.brush.color = kFill;
    }
    std::string Art() const { return testing::Art(bitmap, kLegend); }
    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
    {
        canvas.MoveTo(x0, y0);
        canvas.LineTo(x1, y1);
    }
};

TEST(CanvasLines, LeaveOutTheEndPointInEveryDirection)
{
    Surface s(8, 6);
    s.Line(1, 0, 5, 0);  // rightwards: 1..4
    s.Line(6, 1, 2, 1);  // leftwards: 6..3
    s.Line(0, 1, 0, 5);  // downwards: 1..4
    s.Line(7, 5, 7, 2);  // upwards: 5..3
    s.Line(3, 3, 3, 3);  // no length: nothing
    EXPECT_EQ(s.Art(), ".####...\n"
                       "#..####.\n"
                       "#.......\n"
                       "#......#\n"
                       "#......#\n"
                       ".......#\n");
}

TEST(CanvasLines, DiagonalsAndShallowSlopesFollowBresenham)
{
    Surface s(8, 7);
    s.Line(0, 0, 4, 4);  // (4, 4) left out
    s.Line(7, 0, 4, 3);  // the other diagonal, drawn towards the lower left
    s.Line(0, 6, 6, 4);  // two rows up over six columns: steps at k = 2 and 5
    EXPECT_EQ(s.Art(), "#......#\n"
                       ".#....#.\n"
                       "..#..#..\n"
                       "...#....\n"
                       ".....#..\n"
                       "..###...\n"
                       "##......\n");
}

TEST(CanvasLines, PolylineSharesCornersWithoutGapsOrDoubles)
{
    Surface s(6, 5);
    s.canvas.MoveTo(1, 1);
    s.canvas.LineTo(4, 1);
    s.canvas.LineTo(4, 3);
    s.canvas.LineTo(1, 3);
    s.canvas.LineTo(1, 1);
    EXPECT_EQ(s.Art(), "......\n"
                       ".####.\n"
                       ".#..#.\n"
                       ".####.\n"
                       "......\n");
}

TEST(CanvasLines, WidthTwoAddsTheRightAndLowerNeighbour)
{
    // Each drawn point (the end point still left out) is stamped with a
    // 2 x 2 square reaching right and down, so the stamp of the last point
    // reaches one pixel past it.
    Surface s(8, 8);
    s.canvas.pen.width = 2;
    s.Line(1, 1, 5, 1); // points 1..4
    s.Line(6, 3, 6, 6); // points 3..5
    EXPECT_EQ(s.Art(), "........\n"
                       ".#####..\n"
                       ".#####..\n"
                       "......##\n"
                       "......##\n"
                       "......##\n"
                       "......##\n"
                       "........\n");
}

TEST(CanvasLines, OddWidthIsCentred)
{
    Surface s(7, 5);
    s.canvas.pen.width = 3;
    s.Line(1, 2, 5, 2);
    EXPECT_EQ(s.Art(), ".......\n"
                       "######.\n"
                       "######.\n"
                       "######.\n"
                       ".......\n");
}

TEST(CanvasLines, DottedPenAlternatesAndKeepsItsRhythmAroundCorners)
{
    Surface s(10, 5);
    s.canvas.pen.style = PenStyle::Dot;
    s.canvas.MoveTo(0, 0);
    s.canvas.LineTo(9, 0); // nine pixels: on at 0, 2, 4, 6, 8
    s.canvas.LineTo(9, 5); // continues: (9, 0) is the tenth, off
    s.Line(0, 4, 4, 4);    // MoveTo starts the pattern afresh
    EXPECT_EQ(s.Art(), "#.#.#.#.#.\n"
                       ".........#\n"
                       "..........\n"
                       ".........#\n"
                       "#.#.......\n");
}

TEST(CanvasLines, ClearPenDrawsNothingButMovesThePen)
{
    Surface s(6, 3);
    s.canvas.pen.style = PenStyle::Clear;
    s.canvas.MoveTo(0, 1);
    s.canvas.LineTo(3, 1);
    s.canvas.pen.style = PenStyle::Solid;
    s.canvas.LineTo(6, 1);
    EXPECT_EQ(s.Art(), "......\n"
                       "...###\n"
                       "......\n");
}

TEST(CanvasLines, FarEndpointsAreClippedWithoutWalkingTheWholeLine)
{
    Surface s(5, 5);
    const auto start = std::chrono::steady_clock::now();
    s.Line(-2000000000, 1, 2000000000, 1);
    s.Line(3, 2147483647, 3, -2147483647 - 1); // upwards through the whole range
    s.Line(-2000000000, -2000000000, 2000000000, 2000000000);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(s.Art(), "#..#.\n"
                       "#####\n"
                       "..##.\n"
                       "...#.\n"
                       "...##\n");
    EXPECT_LT(took, std::chrono::seconds(1));
}

TEST(CanvasLines, LinesWriteOpaquePixelsEvenOnTransparentPaper)
{
    Surface s(3, 1, 0x00000000u);
    s.Line(0, 0, 3, 0);
    EXPECT_EQ(s.bitmap.GetPixel(1, 0), PixelOf(kInk, 255));
}

TEST(CanvasRectangles, OnePixelFrameAroundTheBrushFill)
{
    Surface s(8, 6);
    s.canvas.Rectangle(1, 1, 7, 5);
    EXPECT_EQ(s.Art(), "........\n"
                       ".######.\n"
                       ".#oooo#.\n"
                       ".#oooo#.\n"
                       ".######.\n"
                       "........\n");
}

TEST(CanvasRectangles, WidePenStaysInsideAndSwappedCornersAreTheSame)
{
    Surface a(8, 7);
    a.canvas.pen.width = 2;
    a.canvas.Rectangle(1, 1, 7, 7);
    EXPECT_EQ(a.Art(), "........\n"
                       ".######.\n"
                       ".######.\n"
                       ".##oo##.\n"
                       ".##oo##.\n"
                       ".######.\n"
                       ".######.\n");
    Surface b(8, 7);
    b.canvas.pen.width = 2;
    b.canvas.Rectangle(7, 7, 1, 1);
    EXPECT_EQ(b.Art(), a.Art());
}

TEST(CanvasRectangles, RectangleNarrowerThanTwoPensIsAllFrame)
{
    Surface s(6, 5);
    s.canvas.pen.width = 2;
    s.canvas.Rectangle(1, 1, 4, 4);
    EXPECT_EQ(s.Art(), "......\n"
                       ".###..\n"
                       ".###..\n"
                       ".###..\n"
                       "......\n");
}

TEST(CanvasRectangles, ClearBrushKeepsTheInsideAndClearPenDrawsNoFrame)
{
    Surface s(9, 4);
    s.canvas.brush.style = BrushStyle::Clear;
    s.canvas.Rectangle(0, 0, 4, 4);
    s.canvas.brush.style = BrushStyle::Solid;
    s.canvas.pen.style = PenStyle::Clear;
    s.canvas.Rectangle(5, 0, 9, 3);
    EXPECT_EQ(s.Art(), "####.oooo\n"
                       "#..#.oooo\n"
                       "#..#.oooo\n"
                       "####.....\n");
}

TEST(CanvasRectangles, DottedFrameWalksTheOutline)
{
    Surface s(5, 4);
    s.canvas.pen.style = PenStyle::Dot;
    s.canvas.brush.style = BrushStyle::Clear;
    s.canvas.Rectangle(0, 0, 5, 4);
    EXPECT_EQ(s.Art(), "#.#.#\n"
                       ".....\n"
                       "#...#\n"
                       ".#.#.\n");
}

TEST(CanvasRectangles, EmptyRectanglesDrawNothing)
{
    Surface s(4, 4);
    s.canvas.Rectangle(1, 1, 1, 3);
    s.canvas.Rectangle(0, 2, 4, 2);
    s.canvas.FillRect({3, 3, 1, 1});
    EXPECT_EQ(s.Art(), "....\n....\n....\n....\n");
}

TEST(CanvasFill, FillsRightAndBottomExclusiveWithTheBrushOnly)
{
    Surface s(5, 4);
    s.canvas.FillRect({1, 1, 4, 3});
    s.canvas.brush.style = BrushStyle::Clear;
    s.canvas.FillRect({0, 0, 5, 4});
    EXPECT_EQ(s.Art(), ".....\n"
                       ".ooo.\n"
                       ".ooo.\n"
                       ".....\n");
}

TEST(CanvasClip, EveryPrimitiveStaysInsideTheClip)
{
    Surface s(8, 6);
    s.canvas.SetClip({2, 1, 6, 5});
    s.canvas.FillRect({-100, -100, 100, 100});
    s.canvas.Rectangle(0, 0, 8, 6); // the frame lies wholly outside the clip
    s.canvas.pen.width = 3;
    s.Line(0, 3, 8, 3);
    Bitmap dot = Filled(8, 6, PixelOf(kInk));
    s.canvas.Draw(-1, 0, dot);
    EXPECT_EQ(s.Art(), "........\n"
                       "..####..\n"
                       "..####..\n"
                       "..####..\n"
                       "..####..\n"
                       "........\n");

    // An empty clip means the target's bounds.
    s.canvas.SetClip({});
    s.canvas.FillRect({0, 0, 8, 1});
    EXPECT_EQ(s.bitmap.GetPixel(0, 0), PixelOf(kFill));
}

TEST(CanvasHandles, NoTargetAndDeadHandlesDrawNothing)
{
    Bitmap bitmap = Filled(4, 4, kPaper);
    const HDC dead = CreateBitmapDC(bitmap);
    DeleteDC(dead);
    Bitmap picture = Filled(2, 2, PixelOf(kInk));
    for (HDC handle : {HDC(0), dead, HDC(0xFFFFFFF0u)}) {
        Canvas canvas(handle);
        canvas.FillRect({0, 0, 4, 4});
        canvas.Rectangle(0, 0, 4, 4);
        canvas.MoveTo(0, 0);
        canvas.LineTo(4, 4);
        canvas.TextOut(0, 0, "Text");
        canvas.Draw(0, 0, picture);
        canvas.StretchDraw({0, 0, 4, 4}, picture);
        canvas.CopyRect({0, 0, 4, 4}, picture.Handle(), {0, 0, 2, 2});
    }
    EXPECT_EQ(testing::Art(bitmap, kLegend), "....\n....\n....\n....\n");

    // A live target with a dead source copies nothing either.
    Canvas live(bitmap.Handle());
    live.CopyRect({0, 0, 4, 4}, dead, {0, 0, 4, 4});
    EXPECT_EQ(testing::Art(bitmap, kLegend), "....\n....\n....\n....\n");
}

TEST(CanvasText, SolidBrushPaintsTheTextCellAndClearBrushDoesNot)
{
    Surface s(120, 40);
    s.canvas.font.family = "Arial";
    s.canvas.font.height = 20;
    const Size extent = s.canvas.TextExtent("   ");
    ASSERT_GT(extent.cx, 0);
    EXPECT_EQ(extent, MeasureText(s.canvas.font, "   "));

    // Blanks leave only the background, which is the brush colour over
    // exactly the text's extent.
    s.canvas.TextOut(5, 6, "   ");
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 120; ++x) {
            const bool inside = x >= 5 && x < 5 + extent.cx && y >= 6 && y < 6 + extent.cy;
            ASSERT_EQ(s.bitmap.GetPixel(x, y), inside ? PixelOf(kFill) : kPaper) << x << "," << y;
        }

    Surface clear(120, 40);
    clear.canvas.font = s.canvas.font;
    clear.canvas.brush.style = BrushStyle::Clear;
    clear.canvas.TextOut(5, 6, "   ");
    EXPECT_EQ(clear.bitmap.GetPixel(6, 7), kPaper);

    // Glyphs take the font's colour, not the pen's.
    Surface ink(120, 40);
    ink.canvas.font = s.canvas.font;
    ink.canvas.font.color = Rgb(0, 0, 0);
    ink.canvas.brush.style = BrushStyle::Clear;
    ink.canvas.TextOut(5, 6, "HHHH");
    bool black = false;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 120; ++x)
            black = black || ink.bitmap.GetPixel(x, y) == PixelOf(Rgb(0, 0, 0));
    EXPECT_TRUE(black);
}

// What a module draws on its surface is presented from the drawn area, so
// every drawing call must widen it to cover its pixels, clipped to the
// bitmap, and taking it starts afresh.
TEST(DrawnAreaTest, EveryDrawingCallWidensTheDrawnArea)
{
    Bitmap b(100, 80);
    Canvas c(b.Handle());
    b.TakeDrawn();
    EXPECT_TRUE(b.TakeDrawn().Empty());

    c.brush.color = Rgb(1, 2, 3);
    c.FillRect({10, 10, 20, 20});
    EXPECT_EQ(b.TakeDrawn(), (Rect{10, 10, 20, 20}));

    c.pen.width = 3;
    c.MoveTo(30, 30);
    c.LineTo(40, 30);
    const Rect line = b.TakeDrawn();
    EXPECT_LE(line.left, 29);
    EXPECT_GE(line.right, 40);
    EXPECT_LE(line.top, 29);
    EXPECT_GE(line.bottom, 32);

    c.font.height = 20;
    c.TextOut(50, 50, "Wq");
    const Rect text = b.TakeDrawn();
    EXPECT_LE(text.left, 50);
    EXPECT_EQ(text.top, 50);
    EXPECT_EQ(text.bottom, 70);
    // Every inked pixel lies inside what was reported.
    Bitmap blank(100, 80);
    Canvas onBlank(blank.Handle());
    onBlank.font = c.font;
    onBlank.font.color = Rgb(255, 255, 255);
    onBlank.brush.style = BrushStyle::Clear;
    onBlank.TextOut(50, 50, "Wq");
    const Rect ink = blank.TakeDrawn();
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 100; ++x)
            if (blank.GetColor(x, y) != 0) {
                EXPECT_TRUE(x >= ink.left && x < ink.right && y >= ink.top && y < ink.bottom) << x << "," << y;
            }

    Bitmap sprite(30, 30);
    c.Draw(90, 70, sprite); // clipped by the bitmap's edge
    EXPECT_EQ(b.TakeDrawn(), (Rect{90, 70, 100, 80}));
    c.Rectangle(0, 0, 5, 5);
    c.FillRect({60, 0, 70, 5});
    EXPECT_EQ(b.TakeDrawn(), (Rect{0, 0, 70, 5}));
}

// The drawn region against the pixels themselves: after any sequence of
// draws its rectangles are disjoint, at most kMaxRects, and cover every
// drawn pixel; draws far apart stay apart; Covers agrees with a pixel count.
TEST(DrawnAreaTest, TheRegionCoversEveryDrawnPixelWithFewDisjointRectangles)
{
    Bitmap b(64, 48);
    b.TakeDrawn();
    Canvas c(b.Handle());
    c.brush.color = Rgb(255, 255, 255);
    c.FillRect({0, 0, 4, 4});
    c.FillRect({60, 44, 64, 48});
    const DrawnRegion apart = b.TakeDrawnRegion();
    ASSERT_EQ(apart.Size(), 2u);

    uint32_t seed = 7;
    auto next = [&seed](int32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return int32_t((seed >> 8) % uint32_t(n));
    };
    for (int round = 0; round < 200; ++round) {
        b.Fill(PixelOf(Rgb(0, 0, 0)));
        b.TakeDrawn();
        std::vector<Rect> drawn;
        for (int k = 1 + next(14); k > 0; --k) {
            const int32_t x = next(60), y = next(44);
            const Rect r{x, y, x + 1 + next(12), y + 1 + next(12)};
            c.FillRect(r);
            drawn.push_back(Intersect(r, {0, 0, 64, 48}));
        }
        const DrawnRegion region = b.TakeDrawnRegion();
        ASSERT_LE(region.Size(), DrawnRegion::kMaxRects);
        for (const Rect* i = region.begin(); i != region.end(); ++i)
            for (const Rect* j = i + 1; j != region.end(); ++j)
                ASSERT_TRUE(Intersect(*i, *j).Empty()) << "round " << round;
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                if (b.GetPixel(x, y) != PixelOf(Rgb(0, 0, 0))) {
                    ASSERT_TRUE(Covers(region.begin(), region.end(), {x, y, x + 1, y + 1})) << x << "," << y;
                }
            }
        // Covers of a random probe against counting its pixels.
        const int32_t px = next(56), py = next(40);
        const Rect probe{px, py, px + 1 + next(8), py + 1 + next(8)};
        bool all = true;
        for (int32_t y = probe.top; y < probe.bottom; ++y)
            for (int32_t x = probe.left; x < probe.right; ++x)
                all = all && std::any_of(drawn.begin(), drawn.end(), [&](const Rect& r) {
                          return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                      });
        EXPECT_EQ(Covers(drawn.data(), drawn.data() + drawn.size(), probe), all) << "round " << round;
    }
}

} // namespace
} // namespace kestrava::gdi
