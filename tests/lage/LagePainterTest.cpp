// The painter's geometry by invariants: the horizon turns and moves the way
// the world does seen from the cockpit, the compass card puts the heading
// at the top, and the pictures keep north away from the viewer and east to
// the right.
#include "modules/lage/LagePainter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrava::lage {
namespace {

struct Painted {
    explicit Painted(const LagePose& pose)
    {
        LageState state{};
        state.Phase = kPhaseShowing;
        state.Item.Shown = pose;
        for (LagePose& p : state.Item.Pictures)
            p = pose;
        TTestStatus status{};
        status.DC = screen.Handle();
        status.Scale = 1.0;
        LagePainter painter;
        painter.SetStatus(&status);
        painter.PaintAll(state);
    }
    gdi::ColorRef At(double x, double y) const { return screen.GetColor(int32_t(x), int32_t(y)); }
    // On the artificial horizon, in parts of its radius from the centre
    // (y down): whether the card shows earth there.
    bool Earth(double x, double y) const
    {
        const gdi::ColorRef c = At(kHorizonCentre.x + x * kInstrumentRadius, kHorizonCentre.y + y * kInstrumentRadius);
        return gdi::RedOf(c) > gdi::BlueOf(c);
    }
    // The mean place of the pixels of picture 0 that match pick.
    kit::PointF Mean(bool (*pick)(gdi::ColorRef)) const
    {
        const gdi::Rect r = PictureRect(0);
        double sx = 0, sy = 0, n = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                if (pick(screen.GetColor(x, y)))
                    sx += x, sy += y, ++n;
        EXPECT_GT(n, 3) << "the wing tip is in sight";
        return {sx / n, sy / n};
    }
    gdi::Bitmap screen{800, 600};
};

// The wing tips, lit or in shade; the ground's greens are far greyer.
bool Red(gdi::ColorRef c) { return gdi::RedOf(c) > 90 && gdi::RedOf(c) > 2 * gdi::GreenOf(c) && gdi::RedOf(c) > 2 * gdi::BlueOf(c); }
bool Green(gdi::ColorRef c)
{
    return gdi::GreenOf(c) > 80 && gdi::GreenOf(c) * 10 > 22 * gdi::RedOf(c) && gdi::GreenOf(c) * 10 > 16 * gdi::BlueOf(c);
}

TEST(LagePainter, TheHorizonTurnsAgainstTheBankAndSinksAsTheNoseRises)
{
    const Painted level({0, 0, 0});
    EXPECT_FALSE(level.Earth(0.5, -0.1));
    EXPECT_TRUE(level.Earth(-0.5, 0.1));
    // Banked right: the horizon's right end rises, its left end sinks.
    const Painted right({2, 0, 0});
    EXPECT_TRUE(right.Earth(0.6, -0.2));
    EXPECT_FALSE(right.Earth(-0.6, 0.2));
    const Painted left({-2, 0, 0});
    EXPECT_FALSE(left.Earth(0.6, -0.2));
    EXPECT_TRUE(left.Earth(-0.6, 0.2));
    // Nose up: sky below the centre; nose down: earth above it.
    EXPECT_FALSE(Painted({0, 1, 0}).Earth(0, 0.2));
    EXPECT_TRUE(Painted({0, -1, 0}).Earth(0, -0.2));
}

TEST(LagePainter, TheCompassCardShowsTheHeadingAtTheTop)
{
    // The orange N stands where north lies from the aircraft: at the top
    // flying north, on the left flying east.
    const auto northAt = [](int32_t heading, double x, double y) {
        const Painted p({0, 0, heading});
        int32_t orange = 0;
        for (int32_t dy = -8; dy <= 8; ++dy)
            for (int32_t dx = -8; dx <= 8; ++dx) {
                const gdi::ColorRef c = p.At(kHeadingCentre.x + x * (kInstrumentRadius - 32) + dx,
                                             kHeadingCentre.y + y * (kInstrumentRadius - 32) + dy);
                orange += gdi::RedOf(c) > 200 && gdi::GreenOf(c) > 120 && gdi::GreenOf(c) < 190 && gdi::BlueOf(c) < 80;
            }
        return orange > 10;
    };
    EXPECT_TRUE(northAt(0, 0, -1));
    EXPECT_TRUE(northAt(2, -1, 0));
    EXPECT_FALSE(northAt(2, 0, -1));
    EXPECT_TRUE(northAt(4, 0, 1));
    EXPECT_TRUE(northAt(6, 1, 0));
}

TEST(LagePainter, ThePicturesKeepNorthAwayAndEastToTheRight)
{
    // Flying north, seen from behind: the red left tip on the left. Flying
    // south, towards the viewer: on the right. Flying east: the left tip
    // lies to the north, farther away and so higher in the picture.
    const Painted north({0, 0, 0});
    EXPECT_LT(north.Mean(Red).x, north.Mean(Green).x);
    const Painted south({0, 0, 4});
    EXPECT_GT(south.Mean(Red).x, south.Mean(Green).x);
    const Painted east({0, 0, 2});
    EXPECT_LT(east.Mean(Red).y, east.Mean(Green).y);
    // Banked right flying north: the right wing tip is the lower one.
    const Painted banked({3, 0, 0});
    EXPECT_GT(banked.Mean(Green).y, banked.Mean(Red).y + 20);
}

} // namespace
} // namespace kestrava::lage
