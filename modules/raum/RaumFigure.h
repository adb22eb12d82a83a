// The figures of the Raumvorstellung test: unit cubes joined face to face,
// held as integer lattice cells, turned by the 24 rotations of the cube,
// mirrored, compared, and drawn in perspective.
//
// An item is a pair: the left figure, and on the right the same figure (or
// its mirror image) turned by one of the lattice rotations, both seen from
// the same direction. Since every figure is chiral (no rotation makes it
// equal to its mirror image), "gleich" and "gespiegelt" can always be told
// apart, and since every cube is partly in view, they can be seen.
//
// Drawing is exact without a depth buffer: along any ray from the eye each
// coordinate moves away from the eye's, so a cube that hides part of
// another is never farther from the eye in any axis. Drawing the cubes by
// falling sum of those per-axis distances, each with its faces towards the
// eye, is a correct painter's order for lattice cubes.
#pragma once

#include "modules/kit/Drawing.h"
#include "modules/kit/Random.h"
#include "modules/kit/Space3D.h"
#include "platform/gdi/Bitmap.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kestrava::raum {

using Cell = std::array<int32_t, 3>;
using Cells = std::vector<Cell>;

// A rotation of the lattice: a signed permutation matrix of determinant 1,
// rows first.
struct Turn {
    std::array<int32_t, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Cell operator*(const Cell& c) const;
    bool operator==(const Turn&) const = default;
};

// All 24, the identity first.
const std::vector<Turn>& LatticeTurns();

// How hard a turn is to follow, seen from the usual slightly raised view:
//   0  a quarter turn about the vertical axis
//   1  a half turn about the vertical axis
//   2  a quarter or half turn about a horizontal axis
//   3  a turn about a slanted axis (a third about a cube's diagonal, a half
//      about a face's diagonal)
// The identity has class -1.
inline constexpr int32_t kTurnClasses = 4;
int32_t TurnClass(const Turn& turn);

Cells Turned(const Turn& turn, const Cells& cells);
Cells Mirrored(const Cells& cells); // x to -x
// Shifted so that the lowest coordinate of each axis is 0, and sorted: two
// figures are the same placed figure when their normal forms are equal.
Cells NormalForm(Cells cells);
// Whether some lattice rotation (and a shift) makes a into b.
bool Congruent(const Cells& a, const Cells& b);
// Whether no rotation makes the figure its mirror image.
bool Chiral(const Cells& cells);
// Whether the cells are distinct and joined face to face into one piece.
bool FaceConnected(const Cells& cells);

// One item as the screen shows it.
struct Item {
    Cells Left;
    Cells Right;         // Turn * Left, or Turn * Mirrored(Left)
    bool Mirror = false; // the right answer is "gespiegelt"
    Turn Rotation;
    kit::Mat3 View;      // both figures are seen through it
};

// The item drawn from seed: a figure of 8 to 10 cubes in arms of two to four
// (a new one until it is chiral), a turn of the given class (0 to 3) that
// does not leave it looking the same, and a view in which every cube of
// both figures is partly visible. The same seed, class and mirror give the
// same item.
Item MakeItem(uint64_t seed, int32_t turnClass, bool mirror);

// The smallest share of its fair part of the figure's picture that each
// cube must show: with 9 cubes filling 900 pixels, every cube at least 25.
inline constexpr double kLeastVisibleShare = 0.25;

// Where and how large a figure is drawn: its centre and the radius its
// picture must fit in, in pixels.
struct Placement {
    double CentreX = 0.0;
    double CentreY = 0.0;
    double Radius = 100.0;
};

// A face ready to fill, in pixels, in drawing order; Cube is the index into
// the cells.
struct FigureFace {
    std::array<kit::PointF, 4> Points{};
    int32_t Cube = 0;
    gdi::ColorRef Colour = 0;
};

// The frame a figure is drawn in: cell centres less Centroid are model
// points, seen through the camera (in pixels) after the view's rotation.
struct FigureSpace {
    kit::Vec3 Centroid;
    kit::Camera Camera;
};
FigureSpace SpaceOf(const Cells& cells, const Placement& place);

// The visible faces of the figure under view, shaded from colour, the cubes
// from far to near (see above).
std::vector<FigureFace> FigureFaces(const Cells& cells, const kit::Mat3& view, const Placement& place,
                                    gdi::ColorRef colour);

// The radius to place both figures of the item with, so that the larger
// picture of the two just reaches radius (left and right at one size).
double FittingRadius(const Item& item, double radius);

// The pixels each cube shows, counted in a picture of size x size in which
// every cube is filled in a colour of its own.
std::vector<int32_t> VisiblePixels(const Cells& cells, const kit::Mat3& view, int32_t size = 160);
// Whether every cube shows at least kLeastVisibleShare of its fair part.
bool EveryCubeVisible(const Cells& cells, const kit::Mat3& view);

} // namespace kestrava::raum
