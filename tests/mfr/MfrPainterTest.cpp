// The Mehrfachreaktion screen on a plain bitmap with the built pictures: the
// lit lamp and the dark ones, an answered lamp going dark, the outcome word,
// the pace bar's fill, the places at a full-HD scale, and that the partial
// paints of a tick touch nothing outside their own areas.
#include "MfrTestSupport.h"

#include "modules/mfr/MfrPainter.h"
#include "platform/gdi/Bitmap.h"

namespace kestrava::mfr::testing {
namespace {

class MfrPainterTest : public ::testing::Test {
protected:
    void Open(int32_t width, int32_t height, double scale, const std::string& dir = MFR_MODULE_DIR "/")
    {
        screen.emplace(width, height);
        status.DC = screen->Handle();
        status.Scale = scale;
        SetShortStringUtf8(status.ModuleDir, dir);
        painter.SetStatus(&status);
        painter.LoadImages();
    }
    gdi::ColorRef At(double x, double y) const
    {
        return screen->GetColor(int32_t(x * status.Scale), int32_t(y * status.Scale));
    }
    static bool Bright(gdi::ColorRef c) { return gdi::RedOf(c) + gdi::GreenOf(c) + gdi::BlueOf(c) > 350; }
    static bool Dark(gdi::ColorRef c) { return gdi::RedOf(c) + gdi::GreenOf(c) + gdi::BlueOf(c) < 150; }
    int CountExactly(gdi::ColorRef colour, const gdi::Rect& logical) const
    {
        const gdi::Rect r = painter.Pixels(logical);
        int n = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                n += screen->GetColor(x, y) == colour ? 1 : 0;
        return n;
    }
    // Every pixel outside the given logical rectangles still holds `marker`.
    bool UntouchedOutside(const std::vector<gdi::Rect>& areas, gdi::ColorRef marker) const
    {
        std::vector<gdi::Rect> pixels;
        for (const gdi::Rect& a : areas)
            pixels.push_back(painter.Pixels(a));
        for (int32_t y = 0; y < screen->Height(); ++y)
            for (int32_t x = 0; x < screen->Width(); ++x) {
                bool inside = false;
                for (const gdi::Rect& r : pixels)
                    inside = inside || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
                if (!inside && screen->GetColor(x, y) != marker)
                    return false;
            }
        return true;
    }

    std::optional<gdi::Bitmap> screen;
    TTestStatus status{};
    MfrSettings settings;
    MfrPainter painter{settings};
    MfrState state{};
};

TEST_F(MfrPainterTest, TheLitLampShinesAndGoesDarkOnceAnswered)
{
    Open(800, 600, 1.0);
    ASSERT_EQ(painter.MissingPictures(), 0);
    state.Lamp = 2;
    state.Interval = settings.Start;
    painter.PaintAll(state);
    const double middle = kLampTop + kLampSize / 2.0;
    EXPECT_TRUE(Bright(At(kLampCentres[1], middle)));
    for (size_t n : {0u, 2u, 3u})
        EXPECT_TRUE(Dark(At(kLampCentres[n], middle))) << n;
    EXPECT_EQ(At(20, 20), kBackground);

    state.Answered = kAnsweredLamp;
    painter.PaintLamps(state);
    EXPECT_TRUE(Dark(At(kLampCentres[1], middle)));
}

TEST_F(MfrPainterTest, TheOutcomeWordInItsColourAndThePaceBarsFill)
{
    Open(800, 600, 1.0);
    const gdi::Rect word = {250, 440, 550, 495};
    state.Interval = settings.Slowest;
    painter.PaintAll(state);
    EXPECT_EQ(CountExactly(kCorrectColor, word) + CountExactly(kErrorColor, word), 0);
    const gdi::Rect bar = painter.Pixels(kPaceBar);
    const int32_t y = (bar.top + bar.bottom) / 2;
    EXPECT_EQ(screen->GetColor(bar.left + 1, y), gdi::Rgb(24, 24, 24)) << "slowest: an empty bar";

    state.LastOutcome = kOutcomeCorrect;
    state.Interval = settings.Fastest;
    painter.PaintStatus(state);
    EXPECT_GT(CountExactly(kCorrectColor, word), 50);
    EXPECT_EQ(screen->GetColor(bar.left + 1, y), kPaceColor);
    EXPECT_EQ(screen->GetColor(bar.right - 2, y), kPaceColor) << "fastest: a full bar";
    EXPECT_EQ(screen->GetColor(bar.left, y), kFrameColor);

    state.LastOutcome = kOutcomeError;
    state.Interval = (settings.Fastest + settings.Slowest) / 2;
    painter.PaintStatus(state);
    EXPECT_EQ(CountExactly(kCorrectColor, word), 0);
    EXPECT_GT(CountExactly(kErrorColor, word), 50);
    const int32_t half = bar.left + 1 + (bar.Width() - 2) / 2;
    EXPECT_EQ(screen->GetColor(half - 1, y), kPaceColor);
    EXPECT_EQ(screen->GetColor(half + 1, y), gdi::Rgb(24, 24, 24));
}

TEST_F(MfrPainterTest, PartialPaintsStayInTheirAreas)
{
    Open(800, 600, 1.0);
    const gdi::ColorRef marker = gdi::Rgb(1, 2, 3);
    screen->Fill(gdi::PixelOf(marker));
    state.Lamp = 4;
    state.LastOutcome = kOutcomeMissed;
    state.Interval = 1000;
    painter.PaintStatus(state);
    EXPECT_TRUE(UntouchedOutside({kOutcomeWord, kPaceBar}, marker));
    std::vector<gdi::Rect> lamps;
    for (int32_t c : kLampCentres)
        lamps.push_back({c - kLampSize / 2, kLampTop, c - kLampSize / 2 + kLampSize + 1, kLampTop + kLampSize + 1});
    screen->Fill(gdi::PixelOf(marker));
    painter.PaintLamps(state);
    EXPECT_TRUE(UntouchedOutside(lamps, marker));
    EXPECT_FALSE(UntouchedOutside({}, marker)) << "the lamps were drawn";

    // Lamp 4 goes out and lamp 1 comes on: only those two are drawn again,
    // and nothing at all when nothing changed.
    screen->Fill(gdi::PixelOf(marker));
    state.Lamp = 1;
    painter.PaintLamps(state);
    EXPECT_TRUE(UntouchedOutside({lamps[0], lamps[3]}, marker));
    EXPECT_FALSE(UntouchedOutside({lamps[0]}, marker));
    EXPECT_FALSE(UntouchedOutside({lamps[3]}, marker));
    screen->Fill(gdi::PixelOf(marker));
    painter.PaintLamps(state);
    EXPECT_TRUE(UntouchedOutside({}, marker));
    // A full paint clears the screen and so draws every lamp again.
    painter.PaintAll(state);
    EXPECT_TRUE(Bright(At(kLampCentres[0], kLampTop + kLampSize / 2.0)));
    EXPECT_TRUE(Dark(At(kLampCentres[3], kLampTop + kLampSize / 2.0)));
    EXPECT_NE(At(kLampCentres[3], kLampTop + kLampSize / 2.0), marker);
}

TEST_F(MfrPainterTest, AFullHdAreaScalesEveryPlace)
{
    Open(1920, 1440, 2.4);
    ASSERT_EQ(painter.MissingPictures(), 0);
    state.Lamp = 4;
    state.Interval = settings.Fastest;
    painter.PaintAll(state);
    EXPECT_TRUE(Bright(At(kLampCentres[3], kLampTop + kLampSize / 2.0)));
    EXPECT_TRUE(Dark(At(kLampCentres[2], kLampTop + kLampSize / 2.0)));
    const gdi::Rect bar = painter.Pixels(kPaceBar);
    EXPECT_EQ(bar, (gdi::Rect{600, 1224, 1560, 1296}));
    EXPECT_EQ(screen->GetColor(bar.right - 2, bar.top + 5), kPaceColor);
    EXPECT_EQ(screen->GetColor(1919, 1439), kBackground);
}

TEST_F(MfrPainterTest, MissingPicturesLeaveTheLampsOutButDrawTheRest)
{
    ScratchFolder empty;
    Open(800, 600, 1.0, empty.Path().string() + "/");
    EXPECT_EQ(painter.MissingPictures(), 8);
    state.Lamp = 1;
    state.LastOutcome = kOutcomeCorrect;
    painter.PaintAll(state);
    EXPECT_EQ(At(kLampCentres[0], kLampTop + kLampSize / 2.0), kBackground);
    EXPECT_GT(CountExactly(kCorrectColor, {250, 440, 550, 495}), 50);
    painter.Release();
    painter.SetStatus(nullptr);
    painter.PaintAll(state);  // no status: nothing, no crash
}

} // namespace
} // namespace kestrava::mfr::testing
