// The ZEK screen, pixel by pixel: where the trackers land, what hides what,
// the lights and the arithmetic boxes. The pictures are simple synthetic
// ones, so that every expected pixel follows from the layout alone.
#include "modules/zek/ZekPainter.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Resample.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace kestrava::zek {
namespace {

namespace fs = std::filesystem;
using gdi::Bitmap;
using gdi::ColorRef;
using gdi::Rgb;

constexpr ColorRef kRed = Rgb(220, 30, 30);
constexpr ColorRef kBlue = Rgb(30, 30, 220);
constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kBlack = Rgb(0, 0, 0);

ColorRef LightColor(int n, bool lit) { return lit ? Rgb(uint8_t(200 + n), 200, 0) : Rgb(uint8_t(10 + n), 40, 40); }

void Save(const fs::path& path, Bitmap image)
{
    image.SetBitsPerPixel(24);
    std::string error;
    ASSERT_TRUE(gdi::SaveBmp(path.string(), image, &error)) << error;
}

Bitmap Uniform(int32_t size, ColorRef color)
{
    Bitmap image(size, size);
    image.Fill(gdi::PixelOf(color));
    return image;
}

// The pictures: the cross is a white frame on the see-through field colour,
// or a red square with a see-through lower-left pixel; the cursor is a blue square in the middle of a
// see-through square; every lamp is one colour.
class Pictures {
public:
    explicit Pictures(bool solidCross = false)
    {
        folder = fs::temp_directory_path() / ("kestrava-zekpaint-" + std::to_string(getpid()) + "-" +
                                              std::to_string(counter++));
        fs::create_directories(folder / "graphics");
        Bitmap cross = Uniform(60, solidCross ? kRed : kBackgroundColor);
        if (!solidCross)
            for (int32_t i = 0; i < 60; ++i)
                for (int32_t t = 0; t < 3; ++t) {
                    cross.SetPixel(i, t, gdi::PixelOf(kWhite));
                    cross.SetPixel(t, i, gdi::PixelOf(kWhite));
                    cross.SetPixel(i, 59 - t, gdi::PixelOf(kWhite));
                    cross.SetPixel(59 - t, i, gdi::PixelOf(kWhite));
                }
        // The see-through colour is the lower-left pixel's.
        cross.SetPixel(0, 59, gdi::PixelOf(kBackgroundColor));
        Save(folder / "graphics/cross.bmp", cross);
        Bitmap cursor = Uniform(60, kBackgroundColor);
        for (int32_t y = 20; y < 40; ++y)
            for (int32_t x = 20; x < 40; ++x)
                cursor.SetPixel(x, y, gdi::PixelOf(kBlue));
        Save(folder / "graphics/catch.bmp", cursor);
        for (int n = 1; n <= 4; ++n) {
            Save(folder / ("graphics/F" + std::to_string(n) + "On.bmp"), Uniform(40, LightColor(n, true)));
            Save(folder / ("graphics/F" + std::to_string(n) + "Off.bmp"), Uniform(40, LightColor(n, false)));
        }
    }
    ~Pictures() { fs::remove_all(folder); }
    std::string Dir() const { return folder.string() + "/"; }
    fs::path folder;
    static inline int counter = 0;
};

// A test area of 800 x 600 at scale 1 (or other sizes) with the painter.
class Screen {
public:
    Screen(const Pictures& pictures, int32_t width = 800)
        : bitmap(width, width * 3 / 4)
    {
        status.DC = bitmap.Handle();
        status.Scale = width / 800.0;
        SetShortStringUtf8(status.ModuleDir, pictures.Dir());
        painter.SetStatus(&status);
        painter.LoadImages();
        state.TargetX = state.TargetY = state.CursorX = state.CursorY = 300;
        state.VTargetY = state.VCursorY = 300;
        Settle();
    }
    // As after a paint: the drawn positions are the current ones.
    void Settle()
    {
        state.TargetXDrawn = state.TargetX, state.TargetYDrawn = state.TargetY;
        state.CursorXDrawn = state.CursorX, state.CursorYDrawn = state.CursorY;
        state.VTargetYDrawn = state.VTargetY, state.VCursorYDrawn = state.VCursorY;
    }
    ColorRef At(int32_t x, int32_t y) const { return bitmap.GetColor(x, y); }
    Bitmap bitmap;
    TTestStatus status{};
    ZekSettings settings;
    ZekPainter painter{settings};
    ZekState state{};
};

TEST(ZekPainterTest, TargetAt300CoversScreenPixels410To470And420To480)
{
    Pictures pictures;
    Screen screen(pictures);
    screen.state.CursorX = screen.state.CursorY = 100; // out of the way
    screen.Settle();
    screen.painter.PaintAll(screen.state);
    // The frame of the cross lies on the sprite's outermost pixels: inside
    // the box they are lit (but for the see-through lower-left corner), one
    // pixel outside is the field's colour.
    EXPECT_EQ(screen.At(410, 479), kBackgroundColor);
    for (int32_t x = 410; x < 470; ++x) {
        EXPECT_NE(screen.At(x, 420), kBackgroundColor) << x;
        if (x > 410) {
            EXPECT_NE(screen.At(x, 479), kBackgroundColor) << x;
        }
        EXPECT_EQ(screen.At(x, 419), kBackgroundColor) << x;
        EXPECT_EQ(screen.At(x, 480), kBackgroundColor) << x;
    }
    for (int32_t y = 420; y < 480; ++y) {
        if (y < 479) {
            EXPECT_NE(screen.At(410, y), kBackgroundColor) << y;
        }
        EXPECT_NE(screen.At(469, y), kBackgroundColor) << y;
        EXPECT_EQ(screen.At(409, y), kBackgroundColor) << y;
        EXPECT_EQ(screen.At(470, y), kBackgroundColor) << y;
    }
    EXPECT_EQ(screen.At(440, 450), kBackgroundColor); // the inside of the frame
    // The vertical field's target: x = 50 in a field at 20, so 20+20..20+80.
    EXPECT_NE(screen.At(40, 420), kBackgroundColor);
    EXPECT_EQ(screen.At(39, 420), kBackgroundColor);
    EXPECT_NE(screen.At(99, 479), kBackgroundColor);
    EXPECT_EQ(screen.At(100, 479), kBackgroundColor);
    EXPECT_EQ(screen.At(40, 480), kBackgroundColor);
}

TEST(ZekPainterTest, CursorHidesTheCrossButNotWhereItIsSeeThrough)
{
    Pictures pictures(/*solidCross=*/true);
    Screen screen(pictures);
    screen.painter.PaintAll(screen.state);
    EXPECT_EQ(screen.At(440, 450), kBlue);   // the cursor's middle, over the cross
    EXPECT_EQ(screen.At(415, 425), kRed);    // the cross through the cursor's see-through part
    EXPECT_EQ(screen.At(70, 450), kBlue);    // the same in the vertical field
    EXPECT_EQ(screen.At(45, 425), kRed);
}

TEST(ZekPainterTest, OnlyTheOldAndNewPlacesAreRedrawn)
{
    Pictures pictures(/*solidCross=*/true);
    Screen screen(pictures);
    screen.painter.PaintAll(screen.state);
    // Paint something the painter must leave alone, then move the target.
    screen.bitmap.SetPixel(600, 500, gdi::PixelOf(kWhite));
    screen.state.TargetX = 320; // 20 units right: box 430..490
    screen.painter.PaintTrackingFields(screen.state);
    EXPECT_EQ(screen.At(600, 500), kWhite);
    EXPECT_EQ(screen.At(412, 425), kBackgroundColor); // old place, now uncovered
    EXPECT_EQ(screen.At(489, 425), kRed);             // new place
    EXPECT_EQ(screen.At(440, 450), kBlue);            // the cursor is drawn again on top
}

TEST(ZekPainterTest, LightsShowTheirLitOrUnlitPicture)
{
    Pictures pictures;
    Screen screen(pictures);
    screen.state.Light = 2;
    screen.painter.PaintLights(screen.state);
    const int32_t places[4][2] = {{20, 20}, {80, 20}, {20, 80}, {80, 80}};
    for (int n = 1; n <= 4; ++n) {
        const int32_t x = places[n - 1][0], y = places[n - 1][1];
        const ColorRef expected = LightColor(n, n == 2);
        EXPECT_EQ(screen.At(x, y), expected) << n;
        EXPECT_EQ(screen.At(x + 39, y + 39), expected) << n;
        EXPECT_EQ(screen.At(x + 40, y + 39), kBlack) << n;
    }
}

TEST(ZekPainterTest, ArithmeticBoxesStayEmptyWithoutATask)
{
    Pictures pictures;
    Screen screen(pictures);
    SetShortStringUtf8(screen.state.AnswerText, "123");
    screen.painter.PaintArithmetic(screen.state);
    // Frames grey, insides all field colour.
    EXPECT_EQ(screen.At(400, 20), kFramePenColor);
    EXPECT_EQ(screen.At(779, 59), kFramePenColor);
    EXPECT_EQ(screen.At(400, 80), kFramePenColor);
    EXPECT_EQ(screen.At(780, 60), kBlack);
    for (int32_t y : {21, 40, 58, 81, 100, 118})
        for (int32_t x = 401; x < 779; ++x)
            ASSERT_EQ(screen.At(x, y), kBackgroundColor) << x << "," << y;

    // With a task both texts appear, centred on (590, 40) and (590, 100).
    SetShortStringUtf8(screen.state.TaskText, "3 + 4 • 7 = ?");
    screen.painter.PaintArithmetic(screen.state);
    auto inkAround = [&](int32_t cy) {
        int left = 800, right = 0;
        for (int32_t y = cy - 15; y < cy + 15; ++y)
            for (int32_t x = 401; x < 779; ++x)
                if (gdi::RedOf(screen.At(x, y)) > 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return std::pair(left, right);
    };
    auto [taskLeft, taskRight] = inkAround(40);
    auto [answerLeft, answerRight] = inkAround(100);
    EXPECT_LT(taskLeft, taskRight);
    EXPECT_NEAR((taskLeft + taskRight) / 2.0, 590, 4);
    EXPECT_NEAR((answerLeft + answerRight) / 2.0, 590, 4);
    EXPECT_GT(taskRight - taskLeft, 2 * (answerRight - answerLeft));
}

TEST(ZekPainterTest, FullRepaintClearsAndFramesTheFieldsAtAnyScale)
{
    Pictures pictures;
    Screen screen(pictures, 1000); // scale 1.25
    screen.bitmap.Fill(gdi::PixelOf(kWhite));
    screen.painter.PaintAll(screen.state);
    EXPECT_EQ(screen.At(5, 5), kBlack);
    EXPECT_EQ(screen.At(999, 749), kBlack);
    // Vertical field (20,150)-(120,580) -> (25,187)-(150,725).
    EXPECT_EQ(screen.At(25, 187), kFramePenColor);
    EXPECT_EQ(screen.At(149, 724), kFramePenColor);
    EXPECT_EQ(screen.At(26, 188), kBackgroundColor);
    EXPECT_EQ(screen.At(24, 187), kBlack);
    // 2-D field (140,150)-(780,580) -> (175,187)-(975,725).
    EXPECT_EQ(screen.At(175, 300), kFramePenColor);
    EXPECT_EQ(screen.At(974, 300), kFramePenColor);
    EXPECT_EQ(screen.At(975, 300), kBlack);
}

TEST(ZekPainterTest, ResizeGivesPicturesOfTheNewSizeOnlyWhenReloaded)
{
    Pictures pictures;
    Screen screen(pictures);
    screen.state.Light = 1;
    screen.status.Scale = 2.0;
    screen.bitmap.SetSize(1600, 1200); // same handle, bigger area
    screen.painter.PaintLights(screen.state);
    // Old 40-pixel pictures at the new places (40, 40).
    EXPECT_EQ(screen.At(79, 79), LightColor(1, true));
    EXPECT_EQ(screen.At(80, 80), kBlack);
    screen.painter.LoadImages();
    screen.painter.PaintLights(screen.state);
    EXPECT_EQ(screen.At(119, 119), LightColor(1, true));
}

TEST(ZekPainterTest, MissingPicturesAreLeftOutAndReported)
{
    Pictures pictures(/*solidCross=*/true);
    fs::remove(pictures.folder / "graphics/catch.bmp");
    fs::remove(pictures.folder / "graphics/F3Off.bmp");
    Screen screen(pictures);
    EXPECT_EQ(screen.painter.MissingPictures(), 2);
    screen.painter.PaintAll(screen.state);
    EXPECT_EQ(screen.At(440, 450), kRed);  // no cursor drawn over the cross
    EXPECT_EQ(screen.At(30, 90), kBlack);  // no unlit lamp 3
    EXPECT_EQ(screen.At(30, 30), LightColor(1, false));
}

TEST(ZekPainterTest, NothingIsDrawnWithoutAValidDeviceContext)
{
    Pictures pictures;
    Screen screen(pictures);
    screen.bitmap.Fill(gdi::PixelOf(kWhite));
    screen.status.DC = 0;
    screen.painter.PaintAll(screen.state);
    screen.status.DC = 987654;
    screen.painter.PaintAll(screen.state);
    EXPECT_EQ(screen.At(440, 450), kWhite);
    EXPECT_EQ(screen.At(5, 5), kWhite);
    screen.painter.Release();
    screen.status.DC = screen.bitmap.Handle();
    screen.painter.PaintTrackingFields(screen.state); // released: nothing, no crash
    EXPECT_EQ(screen.At(440, 450), kWhite);
}

} // namespace
} // namespace kestrava::zek

namespace kestrava::zek {
namespace {

// The generated pictures, scaled as the module scales them, for every test
// area from the smallest screen on: the see-through colour must stay exactly
// the field's colour, or the sprites would show a square around them.
TEST(ZekPicturesTest, SpritesKeepTheirSeeThroughColourAtEveryScale)
{
    const std::string folder = std::string(ZEK_PICTURES_DIR) + "/";
    for (double scale : {733.0 / 800.0, 1.0, 1.37, 2.4, 3.2}) {
        const int32_t size = int32_t(60 * scale);
        for (const char* name : {"cross.bmp", "catch.bmp"}) {
            Bitmap image;
            gdi::LoadScaledBitmap(image, folder + name, size, size);
            EXPECT_EQ(image.TransparentColor(), kBackgroundColor) << name << " at " << scale;
            EXPECT_EQ(image.GetColor(size - 1, 0), kBackgroundColor) << name << " at " << scale;
        }
    }
}

TEST(ZekPicturesTest, LitLampsAreFarBrighterThanUnlitOnes)
{
    const std::string folder = std::string(ZEK_PICTURES_DIR) + "/";
    auto brightness = [&](const std::string& name) {
        Bitmap image;
        std::string error;
        EXPECT_TRUE(gdi::LoadBmp(folder + name, image, &error)) << error;
        // The lens: the middle half of the picture.
        double sum = 0;
        const int32_t w = image.Width(), h = image.Height();
        for (int32_t y = h / 4; y < h * 3 / 4; ++y)
            for (int32_t x = w / 4; x < w * 3 / 4; ++x) {
                const ColorRef c = image.GetColor(x, y);
                sum += gdi::RedOf(c) + gdi::GreenOf(c) + gdi::BlueOf(c);
            }
        return sum / ((w / 2) * (h / 2));
    };
    for (int n = 1; n <= 4; ++n) {
        const std::string lamp = "F" + std::to_string(n);
        EXPECT_GT(brightness(lamp + "On.bmp"), 3.0 * brightness(lamp + "Off.bmp")) << lamp;
    }
}

} // namespace
} // namespace kestrava::zek
