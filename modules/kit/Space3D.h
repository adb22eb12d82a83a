// A small 3-D helper for tests that show solid figures or instruments:
// rotate, project in perspective, drop the faces turned away, sort the rest
// from far to near and fill them with flat shading.
//
//   kit::Mesh figure = kit::CubeFigure({{0,0,0}, {1,0,0}, {1,1,0}}, colour);
//   kit::Mat3 turn = kit::RotateY(0.6) * kit::RotateX(-0.4);
//   kit::Camera camera{.Distance = 8, .Focal = 600, .CentreX = 400, .CentreY = 300, .UnitSize = 1};
//   kit::DrawMesh(screen, figure, turn, camera);   // between Begin and End
//
// Space: x right, y up, z away from the viewer; the eye sits at z =
// -Distance looking along +z. Angles are radians, counter-clockwise seen
// from the positive end of the axis. Projected points are design units
// (800 x 600), so DrawMesh multiplies by the screen's Scale.
#pragma once

#include "modules/kit/Drawing.h"
#include "platform/gdi/Bitmap.h"

#include <array>
#include <optional>
#include <cstdint>
#include <vector>

namespace kestrava::kit {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;
    constexpr Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vec3 operator*(double f) const { return {x * f, y * f, z * f}; }
    constexpr bool operator==(const Vec3&) const = default;
};
constexpr double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Vec3& v);
Vec3 Normalised(const Vec3& v);  // the zero vector stays zero

// A rotation (or any linear map) as a 3 x 3 matrix, rows first.
struct Mat3 {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Vec3 operator*(const Vec3& v) const;
    Mat3 operator*(const Mat3& o) const;  // (a * b) * v == a * (b * v)
    Mat3 Transposed() const;              // the inverse of a rotation
};
Mat3 RotateX(double radians);
Mat3 RotateY(double radians);
Mat3 RotateZ(double radians);
Mat3 RotateAbout(const Vec3& axis, double radians);

struct Camera {
    double Distance = 10.0;  // from the eye to the origin, in model units
    double Focal = 600.0;    // design units on screen per model unit at the origin x Distance
    double CentreX = 400.0;  // where the origin lands, design units
    double CentreY = 300.0;
    double UnitSize = 1.0;   // model units per unit of the mesh
};

// A point in view space (already rotated) on the screen, in design units;
// false when it lies at or behind the eye.
bool Project(const Camera& camera, const Vec3& view, PointF& out);

struct Face {
    std::array<int32_t, 4> Corners{};  // vertex indices, ordered so that
                                       // (b - a) x (c - a) points outward
    int32_t Count = 4;                 // 3 or 4
    gdi::ColorRef Colour = 0;
};

struct Mesh {
    std::vector<Vec3> Vertices;
    std::vector<Face> Faces;
};

// Unit cubes at integer cells, centred on the figure's middle; a face two
// cubes share is left out, so only the outside is drawn.
Mesh CubeFigure(const std::vector<std::array<int32_t, 3>>& cells, gdi::ColorRef colour);

struct Light {
    Vec3 Towards = {-0.4, 0.6, -0.7};  // direction to the light, view space
    double Ambient = 0.35;             // share of the colour with no light
};

// Flat shading: the colour at Ambient plus (1 - Ambient) x the cosine
// between the face's normal and the light.
gdi::ColorRef Shade(gdi::ColorRef colour, const Vec3& normal, const Light& light);

// A face ready to fill: its corners on screen (pixels), its depth and colour.
struct ScreenFace {
    std::array<PointF, 4> Points{};
    int32_t Count = 0;
    double Depth = 0.0;
    gdi::ColorRef Colour = 0;
};

// Rotates the mesh, drops faces turned away from the eye (and any with a
// corner behind it), shades the rest and sorts them from far to near.
// scale turns design units into pixels.
std::vector<ScreenFace> ProjectMesh(const Mesh& mesh, const Mat3& rotation, const Camera& camera, const Light& light,
                                    double scale);

// ProjectMesh, then fills every face in that order (the painter's order) and
// outlines it with outline when given. Between Screen::Begin and End.
void DrawMesh(Screen& screen, const Mesh& mesh, const Mat3& rotation, const Camera& camera, const Light& light = {},
              std::optional<gdi::ColorRef> outline = std::nullopt);

} // namespace kestrava::kit
