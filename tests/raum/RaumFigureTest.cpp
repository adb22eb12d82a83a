// The figures: the lattice rotations and their classes, the checks of
// congruence and chirality on figures whose answer is known, every item of
// many seeds (a "gleich" pair is a rotation, a "gespiegelt" pair never is,
// each cube of both figures in view), and the drawing order against a ray
// cast through every pixel.
#include "modules/raum/RaumFigure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

namespace kestrava::raum {
namespace {

TEST(RaumFigure, TheTwentyFourTurnsAndTheirClasses)
{
    const std::vector<Turn>& turns = LatticeTurns();
    ASSERT_EQ(turns.size(), 24u);
    EXPECT_EQ(turns[0], Turn{});
    std::set<std::array<int32_t, 9>> distinct;
    for (const Turn& t : turns)
        distinct.insert(t.m);
    EXPECT_EQ(distinct.size(), 24u);
    std::map<int32_t, int> perClass;
    for (const Turn& t : turns)
        ++perClass[TurnClass(t)];
    // Identity; two quarter turns and one half turn about y; four quarter and
    // two half turns about x and z; eight thirds about diagonals and six
    // halves about face diagonals.
    EXPECT_EQ(perClass, (std::map<int32_t, int>{{-1, 1}, {0, 2}, {1, 1}, {2, 6}, {3, 14}}));
    // The turns about the vertical axis keep it where it is.
    for (const Turn& t : turns) {
        if (TurnClass(t) == 0 || TurnClass(t) == 1) {
            EXPECT_EQ((t * Cell{0, 1, 0}), (Cell{0, 1, 0}));
        }
    }
}

TEST(RaumFigure, CongruenceAndChiralityOfKnownFigures)
{
    const Cells screw = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}};  // turns one way
    const Cells corner = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}; // mirror-symmetric
    const Cells ell = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}};    // flat
    EXPECT_TRUE(Chiral(screw));
    EXPECT_FALSE(Chiral(corner));
    EXPECT_FALSE(Chiral(ell)) << "a flat figure flips over into its mirror image";
    EXPECT_FALSE(Congruent(screw, Mirrored(screw)));
    const Cells moved = {{5, 5, 5}, {5, 5, 4}, {5, 4, 4}, {6, 4, 4}}; // the screw turned and shifted
    EXPECT_EQ(Congruent(screw, moved), !Congruent(Mirrored(screw), moved));
    EXPECT_FALSE(Congruent(screw, ell));
    EXPECT_FALSE(FaceConnected({{0, 0, 0}, {1, 1, 0}}));
    EXPECT_FALSE(FaceConnected({{0, 0, 0}, {0, 0, 0}}));
    EXPECT_TRUE(FaceConnected(screw));
}

TEST(RaumFigure, EveryItemIsWhatItsAnswerSays)
{
    for (uint64_t seed = 1; seed <= 60; ++seed)
        for (int32_t turnClass = 0; turnClass < kTurnClasses; ++turnClass)
            for (const bool mirror : {false, true}) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << " class " << turnClass << " mirror " << mirror);
                const Item item = MakeItem(seed * 7919, turnClass, mirror);
                ASSERT_GE(item.Left.size(), 8u);
                ASSERT_LE(item.Left.size(), 10u);
                EXPECT_TRUE(FaceConnected(item.Left));
                EXPECT_TRUE(Chiral(item.Left));
                EXPECT_EQ(TurnClass(item.Rotation), turnClass);
                EXPECT_NE(NormalForm(item.Left), NormalForm(item.Right)) << "the pair must not look alike";
                EXPECT_EQ(Congruent(item.Left, item.Right), !mirror);
                EXPECT_EQ(Congruent(Mirrored(item.Left), item.Right), mirror);
                EXPECT_TRUE(EveryCubeVisible(item.Left, item.View));
                EXPECT_TRUE(EveryCubeVisible(item.Right, item.View));
                const Item again = MakeItem(seed * 7919, turnClass, mirror);
                EXPECT_EQ(again.Left, item.Left);
                EXPECT_EQ(again.Right, item.Right);
            }
}

// The cube a ray through a pixel's centre meets first, -1 for none: the
// reference the painter's order must match.
int32_t CubeOnRay(const Cells& cells, const FigureSpace& space, const kit::Mat3& view, double px, double py)
{
    const kit::Mat3 back = view.Transposed();
    const kit::Vec3 from = back * kit::Vec3{0, 0, -space.Camera.Distance};
    const kit::Vec3 dir =
        back * kit::Vec3{(px - space.Camera.CentreX) / space.Camera.Focal, -(py - space.Camera.CentreY) / space.Camera.Focal, 1};
    int32_t best = -1;
    double nearest = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < cells.size(); ++i) {
        const kit::Vec3 c = kit::Vec3{double(cells[i][0]), double(cells[i][1]), double(cells[i][2])} - space.Centroid;
        double enter = 0.0, leave = nearest;
        const double o[3] = {from.x - c.x, from.y - c.y, from.z - c.z}, d[3] = {dir.x, dir.y, dir.z};
        for (int k = 0; k < 3 && enter <= leave; ++k) {
            if (std::abs(d[k]) < 1e-12) {
                if (std::abs(o[k]) > 0.5)
                    enter = leave + 1;
                continue;
            }
            double t0 = (-0.5 - o[k]) / d[k], t1 = (0.5 - o[k]) / d[k];
            if (t0 > t1)
                std::swap(t0, t1);
            enter = std::max(enter, t0);
            leave = std::min(leave, t1);
        }
        if (enter <= leave && enter < nearest) {
            nearest = enter;
            best = static_cast<int32_t>(i);
        }
    }
    return best;
}

TEST(RaumFigure, TheDrawingOrderHidesWhatARayMeetsLater)
{
    constexpr int32_t kSize = 240;
    int64_t pixels = 0, wrong = 0;
    for (uint64_t seed = 1; seed <= 24; ++seed) {
        const Item item = MakeItem(seed * 104729, int32_t(seed % 4), seed % 2 == 0);
        for (const Cells* cells : {&item.Left, &item.Right}) {
            const Placement place{kSize / 2.0, kSize / 2.0, kSize * 0.45};
            const FigureSpace space = SpaceOf(*cells, place);
            gdi::Bitmap picture(kSize, kSize);
            for (const FigureFace& face : FigureFaces(*cells, item.View, place, 0))
                kit::FillPolygon(picture, {}, face.Points, gdi::Rgb(uint8_t(face.Cube + 1), 0, 0));
            for (int32_t y = 0; y < kSize; ++y)
                for (int32_t x = 0; x < kSize; ++x) {
                    const int32_t drawn = int32_t(gdi::RedOf(picture.GetColor(x, y))) - 1;
                    const int32_t seen = CubeOnRay(*cells, space, item.View, x + 0.5, y + 0.5);
                    pixels += seen >= 0 ? 1 : 0;
                    wrong += drawn != seen ? 1 : 0;
                }
        }
    }
    ASSERT_GT(pixels, 48 * 3000);
    // Only pixels whose centre lies on an edge may go either way.
    EXPECT_LT(double(wrong) / double(pixels), 0.002) << wrong << " of " << pixels;
}

} // namespace
} // namespace kestrava::raum
