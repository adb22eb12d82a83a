// Painting: dirty rectangles, clipping, the standard controls' faces, the
// surface control's lock, hints, and the headless frame.
#include "AppFixture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kestrava::app::testing {
namespace {

constexpr gdi::ColorRef kRed = gdi::Rgb(255, 0, 0);
constexpr gdi::ColorRef kGreen = gdi::Rgb(0, 255, 0);
constexpr gdi::ColorRef kBlue = gdi::Rgb(0, 0, 255);
constexpr gdi::ColorRef kBlack = gdi::Rgb(0, 0, 0);
constexpr gdi::ColorRef kWhite = gdi::Rgb(255, 255, 255);

bool Inside(const gdi::Rect& r, int32_t x, int32_t y) { return x >= r.left && y >= r.top && x < r.right && y < r.bottom; }

class PaintTest : public AppTest {
protected:
    gdi::ColorRef At(int32_t x, int32_t y) const { return backend.Frame().GetColor(x, y); }
    // Every pixel of the frame is inColor inside r and outColor outside.
    ::testing::AssertionResult Exactly(const gdi::Rect& r, gdi::ColorRef inColor, gdi::ColorRef outColor) const
    {
        const gdi::Bitmap& f = backend.Frame();
        for (int32_t y = 0; y < f.Height(); ++y)
            for (int32_t x = 0; x < f.Width(); ++x) {
                const gdi::ColorRef want = Inside(r, x, y) ? inColor : outColor;
                if (f.GetColor(x, y) != want)
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex
                                                         << f.GetColor(x, y) << " not " << want;
            }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(PaintTest, OnlyTheInvalidatedPartIsRepaintedAndPresented)
{
    gdi::ColorRef color = kRed;
    int paints = 0;
    PaintBox box;
    box.OnPaint = [&](Canvas& c, const gdi::Rect& clip) {
        ++paints;
        c.brush = {color, gdi::BrushStyle::Solid};
        c.FillRect(clip);
    };
    Place(box, 100, 100, 50, 50);
    Pump();
    ASSERT_TRUE(Exactly({100, 100, 150, 150}, kRed, kBlack));
    backend.ClearPresented();
    const int before = backend.PresentCount();

    color = kBlue; // the box would now paint blue, but only where asked
    box.Invalidate({10, 10, 20, 30});
    Pump();
    EXPECT_EQ(backend.PresentCount(), before + 1);
    ASSERT_EQ(backend.PresentedRects().size(), 1u);
    EXPECT_EQ(backend.PresentedRects()[0], (gdi::Rect{110, 110, 120, 130}));
    for (int32_t y = 100; y < 150; ++y)
        for (int32_t x = 100; x < 150; ++x)
            ASSERT_EQ(At(x, y), Inside({110, 110, 120, 130}, x, y) ? kBlue : kRed) << x << "," << y;

    // Nothing dirty: no paint, no present.
    const int paintsNow = paints;
    Pump();
    EXPECT_EQ(paints, paintsNow);
    EXPECT_EQ(backend.PresentCount(), before + 1);
}

TEST_F(PaintTest, OverlappingDirtyRectanglesMergeAndSeparateOnesStayApart)
{
    Pump();
    backend.ClearPresented();
    app.InvalidateScreen({0, 0, 20, 20});
    app.InvalidateScreen({10, 10, 30, 30});
    app.InvalidateScreen({100, 100, 110, 110});
    app.InvalidateScreen({2, 2, 5, 5}); // inside the first
    app.InvalidateScreen({300, 230, 400, 400}); // cut at the screen's edge
    Pump();
    std::vector<gdi::Rect> got = backend.PresentedRects();
    std::sort(got.begin(), got.end(), [](const gdi::Rect& a, const gdi::Rect& b) { return a.left < b.left; });
    const std::vector<gdi::Rect> want = {{0, 0, 30, 30}, {100, 100, 110, 110}, {300, 230, 320, 240}};
    EXPECT_EQ(got, want);
}

TEST_F(PaintTest, ControlsCannotPaintOutsideThemselvesOrTheirParent)
{
    Panel parent;
    parent.SetColor(kBlue);
    Place(parent, 40, 40, 100, 60);
    PaintBox greedy; // paints far beyond its bounds
    greedy.OnPaint = [](Canvas& c, const gdi::Rect&) {
        c.brush = {kGreen, gdi::BrushStyle::Solid};
        c.FillRect({-1000, -1000, 1000, 1000});
        c.pen = {kGreen, 3, gdi::PenStyle::Solid};
        c.MoveTo(-50, -50);
        c.LineTo(500, 500);
    };
    Place(greedy, 80, 30, 50, 50, &parent); // sticks out to the right and below
    Pump();
    const gdi::Bitmap& f = backend.Frame();
    for (int32_t y = 0; y < f.Height(); ++y)
        for (int32_t x = 0; x < f.Width(); ++x) {
            gdi::ColorRef want = kBlack;
            if (Inside({120, 70, 140, 100}, x, y))
                want = kGreen;
            else if (Inside({40, 40, 140, 100}, x, y))
                want = kBlue;
            ASSERT_EQ(f.GetColor(x, y), want) << x << "," << y;
        }
}

// An opaque control hides what lies beneath it from a repaint it covers
// whole (its parent's face, siblings below it), never what lies above it
// or a repaint it covers only in part; the frame stays the same.
TEST_F(PaintTest, AnOpaqueControlSparesPaintingWhatItCovers)
{
    int parentPaints = 0, belowPaints = 0, abovePaints = 0;
    auto counting = [](int& count, gdi::ColorRef color) {
        return [&count, color](Canvas& c, const gdi::Rect& clip) {
            ++count;
            c.brush = {color, gdi::BrushStyle::Solid};
            c.FillRect(clip);
        };
    };
    PaintBox parent, below, above;
    parent.OnPaint = counting(parentPaints, kBlue);
    below.OnPaint = counting(belowPaints, kRed);
    above.OnPaint = counting(abovePaints, kWhite);
    SurfaceControl area;
    Place(parent, 0, 0, 200, 200);
    Place(below, 20, 20, 50, 50, &parent);
    Place(area, 10, 10, 100, 100, &parent);
    Place(above, 30, 30, 10, 10, &parent);
    {
        std::lock_guard<std::mutex> guard(area.Lock());
        area.Surface().Fill(gdi::PixelOf(kGreen));
    }
    Pump();
    auto reset = [&] { parentPaints = belowPaints = abovePaints = 0; };
    reset();
    area.Invalidate({5, 5, 60, 60}); // inside the area, under the label
    Pump();
    EXPECT_EQ(parentPaints, 0);
    EXPECT_EQ(belowPaints, 0);
    EXPECT_EQ(abovePaints, 1);
    EXPECT_EQ(At(25, 25), kGreen);
    EXPECT_EQ(At(35, 35), kWhite);
    reset();
    app.InvalidateScreen({100, 100, 130, 130}); // half outside the area
    Pump();
    EXPECT_EQ(parentPaints, 1);
    EXPECT_EQ(At(105, 105), kGreen);
    EXPECT_EQ(At(120, 120), kBlue);
    reset();
    area.Hide();
    Pump();
    EXPECT_EQ(parentPaints, 1);
    EXPECT_EQ(belowPaints, 1);
    EXPECT_EQ(At(25, 25), kRed);
}

TEST_F(PaintTest, HidingAndMovingRepaintWhatWasBelow)
{
    Panel back, front;
    back.SetColor(kRed);
    front.SetColor(kGreen);
    Place(back, 0, 0, 100, 100);
    Place(front, 10, 10, 20, 20);
    Pump();
    EXPECT_EQ(At(15, 15), kGreen);
    front.SetPosition(200, 10);
    Pump();
    EXPECT_EQ(At(15, 15), kRed);
    EXPECT_EQ(At(205, 15), kGreen);
    front.Hide();
    Pump();
    EXPECT_TRUE(Exactly({0, 0, 100, 100}, kRed, kBlack));
}

TEST_F(PaintTest, LabelAlignsItsTextInsideItsBounds)
{
    Label label;
    gdi::Font font;
    font.height = 16;
    font.color = kWhite;
    label.SetFont(font);
    label.SetColor(kBlack);
    label.SetText("WWW");
    Place(label, 0, 0, 200, 20);
    auto inkColumns = [&](int32_t from, int32_t to) {
        int ink = 0;
        for (int32_t x = from; x < to; ++x)
            for (int32_t y = 0; y < 20; ++y)
                if (At(x, y) != kBlack) {
                    ++ink;
                    break;
                }
        return ink;
    };
    Pump();
    EXPECT_GT(inkColumns(0, 100), 0);
    EXPECT_EQ(inkColumns(100, 200), 0);
    label.SetAlignment(Alignment::Right);
    Pump();
    EXPECT_EQ(inkColumns(0, 100), 0);
    EXPECT_GT(inkColumns(100, 200), 0);
    EXPECT_EQ(inkColumns(200, 320), 0);

    label.SetAutoSize(true);
    const gdi::Size extent = gdi::MeasureText(font, "WWW");
    EXPECT_EQ(label.Width(), extent.cx);
    EXPECT_EQ(label.Height(), extent.cy);
}

TEST_F(PaintTest, LabelDrawsEachLineUnderTheOtherCentred)
{
    // The question of the yes/no window: three lines of different widths,
    // each centred on its own, the block centred vertically.
    Label label;
    gdi::Font font;
    font.family = "Arial Black";
    font.height = 15;
    font.color = kWhite;
    label.SetFont(font);
    label.SetColor(kBlack);
    label.SetAlignment(Alignment::Center);
    label.SetLayout(VerticalAlignment::Center);
    const std::string lines[3] = {"Wollen Sie das", "Programm wirklich", "beenden?"};
    label.SetText(lines[0] + "\n" + lines[1] + "\r" + lines[2]);
    Place(label, 20, 30, 193, 65);
    Pump();

    const int32_t cell = gdi::MeasureText(font, "Ag").cy;
    const int32_t top = 30 + (65 - 3 * cell) / 2;
    // Rows with ink fall into exactly three bands, one per line cell, and
    // nothing is drawn above the first or below the last.
    for (int32_t y = 30; y < 95; ++y) {
        bool ink = false;
        for (int32_t x = 20; x < 213; ++x)
            ink = ink || At(x, y) != kBlack;
        if (y < top || y >= top + 3 * cell) {
            EXPECT_FALSE(ink) << "row " << y;
        }
    }
    for (int line = 0; line < 3; ++line) {
        int32_t left = 1000;
        int32_t right = -1;
        for (int32_t y = top + line * cell; y < top + (line + 1) * cell; ++y)
            for (int32_t x = 20; x < 213; ++x)
                if (At(x, y) != kBlack) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ASSERT_GE(right, left) << "line " << line << " is not drawn";
        // The ink spans the line's measured width (within a glyph's side
        // bearing) around the middle of the label: no line break glyph, no
        // cut-off text.
        const int32_t width = gdi::MeasureText(font, lines[line]).cx;
        const int32_t start = 20 + (193 - width) / 2;
        EXPECT_NEAR(left, start, 3) << "line " << line;
        EXPECT_NEAR(right, start + width - 1, 3) << "line " << line;
    }

    label.SetAutoSize(true);
    EXPECT_EQ(label.Height(), 3 * cell);
    EXPECT_EQ(label.Width(), gdi::MeasureText(font, lines[1]).cx);
}

TEST_F(PaintTest, TransparentImageLeavesOutItsLowerLeftColour)
{
    gdi::Bitmap picture(2, 2);
    picture.SetPixel(0, 0, gdi::PixelOf(kBlue));
    picture.SetPixel(1, 0, gdi::PixelOf(kGreen));
    picture.SetPixel(0, 1, gdi::PixelOf(kWhite)); // lower-left: the see-through colour
    picture.SetPixel(1, 1, gdi::PixelOf(kWhite));
    Panel back;
    back.SetColor(kRed);
    Place(back, 0, 0, 100, 100);
    Image image;
    image.SetPicture(picture);
    image.SetStretch(true);
    image.SetTransparent(true);
    Place(image, 10, 10, 20, 20);
    Pump();
    EXPECT_EQ(At(12, 12), kBlue);
    EXPECT_EQ(At(27, 12), kGreen);
    EXPECT_EQ(At(12, 27), kRed);
    EXPECT_EQ(At(27, 27), kRed);
    image.SetTransparent(false);
    Pump();
    EXPECT_EQ(At(12, 27), kWhite);
}

TEST_F(PaintTest, HintShowsAfterTheRestDelayAndHidesOnMoveAndPress)
{
    Panel button;
    button.SetColor(kRed);
    button.SetHint("Pause");
    Panel silent;
    silent.SetColor(kGreen);
    Place(button, 10, 10, 40, 40);
    Place(silent, 100, 10, 40, 40);
    Move(20, 20);
    app.Loop().AdvanceTime(Application::kHintDelayMs - 1);
    EXPECT_FALSE(app.HintVisible());
    app.Loop().AdvanceTime(1);
    ASSERT_TRUE(app.HintVisible());
    EXPECT_EQ(app.HintText(), "Pause");
    const gdi::Rect hint = app.HintRect();
    EXPECT_GE(hint.top, 20); // below the pointer
    EXPECT_GT(hint.Width(), 10);
    // Drawn above everything: the pale background shows inside its frame.
    EXPECT_EQ(At(hint.left + 1, hint.bottom - 2), gdi::Rgb(255, 255, 225));

    Move(21, 21);
    EXPECT_FALSE(app.HintVisible());
    EXPECT_NE(At(hint.left + 1, hint.bottom - 2), gdi::Rgb(255, 255, 225));
    // Resting again shows it again; a press hides it.
    app.Loop().AdvanceTime(Application::kHintDelayMs);
    EXPECT_TRUE(app.HintVisible());
    backend.PushMouseDown(21, 21);
    Pump();
    EXPECT_FALSE(app.HintVisible());
    backend.PushMouseUp(21, 21);
    // A control without a hint shows none.
    Move(110, 20);
    app.Loop().AdvanceTime(2000);
    EXPECT_FALSE(app.HintVisible());
    // Moving on before the delay is over cancels the pending hint.
    Move(20, 20);
    app.Loop().AdvanceTime(300);
    Move(110, 20);
    app.Loop().AdvanceTime(300);
    EXPECT_FALSE(app.HintVisible());
}

TEST_F(PaintTest, SurfaceIsCopiedUnderItsLock)
{
    std::mutex canvasLock;
    SurfaceControl area(&canvasLock);
    EXPECT_EQ(&area.Lock(), &canvasLock);
    Place(area, 20, 20, 80, 60);
    Pump();
    EXPECT_TRUE(Exactly({20, 20, 100, 80}, kBlack, kBlack));

    // Another thread draws through the device context while holding the
    // lock, first red, then (after the repaint has had time to start) blue.
    // A copy taken under the lock can only ever see blue.
    std::atomic<bool> holding{false};
    std::thread module([&] {
        std::lock_guard<std::mutex> guard(area.Lock());
        gdi::Canvas c(area.DeviceContext());
        c.brush = {kRed, gdi::BrushStyle::Solid};
        c.FillRect({0, 0, 80, 60});
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        c.brush = {kBlue, gdi::BrushStyle::Solid};
        c.FillRect({0, 0, 80, 60});
    });
    while (!holding)
        std::this_thread::yield();
    area.Invalidate();
    Pump();
    module.join();
    EXPECT_TRUE(Exactly({20, 20, 100, 80}, kBlue, kBlack));
}

TEST_F(PaintTest, SurfaceFollowsTheControlsSizeAndKeepsItsHandle)
{
    SurfaceControl area;
    area.color = kGreen;
    Place(area, 0, 0, 30, 20);
    const uint32_t dc = area.DeviceContext();
    EXPECT_NE(dc, 0u);
    EXPECT_EQ(area.Surface().Width(), 30);
    area.SetSize(64, 48);
    EXPECT_EQ(area.DeviceContext(), dc);
    EXPECT_EQ(gdi::ResolveDC(dc)->Width(), 64);
    EXPECT_EQ(gdi::ResolveDC(dc)->Height(), 48);
    Pump();
    EXPECT_TRUE(Exactly({0, 0, 64, 48}, kGreen, kBlack));
}

TEST(HeadlessFrame, SavedAsPngOfTheScreensSize)
{
    ManualClock clock;
    HeadlessBackend backend(64, 32);
    Application app(backend, clock);
    std::string error;
    ASSERT_TRUE(app.Open(error)) << error;
    app.MainForm().color = kRed;
    app.MainForm().Invalidate();
    app.Loop().RunPending();
    EXPECT_EQ(backend.Frame().GetColor(63, 31), kRed);
    const auto path = std::filesystem::temp_directory_path() / "kestrava_app_frame.png";
    std::filesystem::remove(path);
    ASSERT_TRUE(backend.SaveFrame(path.string(), &error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes[1], 'P');
    EXPECT_EQ(bytes[2], 'N');
    EXPECT_EQ(bytes[3], 'G');
    // IHDR: width and height, big-endian, at bytes 16 and 20.
    EXPECT_EQ((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19], 64);
    EXPECT_EQ((bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23], 32);
    std::filesystem::remove(path);
}

TEST(HeadlessBackendTest, RecordsMessageBoxesNumLockCursorsAndJoysticks)
{
    HeadlessBackend backend(800, 600, 16);
    EXPECT_EQ(backend.BitsPerPixel(), 16);
    backend.MessageBox("Kestrava", "Diese Aufl\xC3\xB6sung wird nicht unterst\xC3\xBCtzt!");
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(backend.MessageBoxes()[0].title, "Kestrava");
    backend.SetNumLock(true);
    EXPECT_TRUE(backend.NumLock());
    EXPECT_EQ(backend.LoadCursorFile("/nonexistent/FLIEGE.ANI"), nullptr);
    JoystickState js;
    js.present = true;
    js.xMax = 65535;
    js.x = 100;
    backend.SetJoystick(1, js);
    EXPECT_TRUE(backend.ReadJoystick(1).present);
    EXPECT_EQ(backend.ReadJoystick(1).x, 100);
    EXPECT_FALSE(backend.ReadJoystick(0).present);
    EXPECT_FALSE(backend.ReadJoystick(7).present);
    // Key repeats: a second down without an up is a repeat.
    backend.PushKeyDown(VK_A);
    backend.PushKeyDown(VK_A);
    backend.PushKeyUp(VK_A);
    backend.PushKeyDown(VK_A);
    std::vector<bool> repeats;
    while (auto e = backend.WaitEvent(0))
        if (e->type == Event::Type::KeyDown)
            repeats.push_back(e->repeat);
    EXPECT_EQ(repeats, (std::vector<bool>{false, true, false}));
}

} // namespace
} // namespace kestrava::app::testing
