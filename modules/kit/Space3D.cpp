#include "modules/kit/Space3D.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace kestrava::kit {

double Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }

Vec3 Normalised(const Vec3& v)
{
    const double length = Length(v);
    return length > 0.0 ? v * (1.0 / length) : Vec3{};
}

Vec3 Mat3::operator*(const Vec3& v) const
{
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
}

Mat3 Mat3::operator*(const Mat3& o) const
{
    Mat3 r;
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            r.m[i * 3 + j] = m[i * 3] * o.m[j] + m[i * 3 + 1] * o.m[3 + j] + m[i * 3 + 2] * o.m[6 + j];
    return r;
}

Mat3 Mat3::Transposed() const { return {{m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]}}; }

Mat3 RotateX(double a)
{
    const double c = std::cos(a), s = std::sin(a);
    return {{1, 0, 0, 0, c, -s, 0, s, c}};
}

Mat3 RotateY(double a)
{
    const double c = std::cos(a), s = std::sin(a);
    return {{c, 0, s, 0, 1, 0, -s, 0, c}};
}

Mat3 RotateZ(double a)
{
    const double c = std::cos(a), s = std::sin(a);
    return {{c, -s, 0, s, c, 0, 0, 0, 1}};
}

Mat3 RotateAbout(const Vec3& axis, double a)
{
    const Vec3 u = Normalised(axis);
    const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    return {{t * u.x * u.x + c, t * u.x * u.y - s * u.z, t * u.x * u.z + s * u.y,
             t * u.x * u.y + s * u.z, t * u.y * u.y + c, t * u.y * u.z - s * u.x,
             t * u.x * u.z - s * u.y, t * u.y * u.z + s * u.x, t * u.z * u.z + c}};
}

bool Project(const Camera& camera, const Vec3& v, PointF& out)
{
    const double depth = v.z + camera.Distance;
    if (!(depth > 1e-9))
        return false;
    const double f = camera.Focal / depth;
    out = {camera.CentreX + v.x * f, camera.CentreY - v.y * f};  // y up in space, down on screen
    return true;
}

Mesh CubeFigure(const std::vector<std::array<int32_t, 3>>& cells, gdi::ColorRef colour)
{
    Mesh mesh;
    if (cells.empty())
        return mesh;
    const std::set<std::array<int32_t, 3>> occupied(cells.begin(), cells.end());
    Vec3 low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    for (const auto& c : occupied) {
        low = {std::min(low.x, double(c[0])), std::min(low.y, double(c[1])), std::min(low.z, double(c[2]))};
        high = {std::max(high.x, double(c[0])), std::max(high.y, double(c[1])), std::max(high.z, double(c[2]))};
    }
    const Vec3 middle = (low + high) * 0.5;
    // Per axis and side: the neighbour's offset and the face's corners on
    // the unit cube [0, 1]^3, counter-clockwise seen from outside.
    struct Side {
        std::array<int32_t, 3> step;
        std::array<Vec3, 4> corners;
    };
    static const std::array<Side, 6> kSides = {{
        {{1, 0, 0}, {{{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}}},
        {{-1, 0, 0}, {{{0, 0, 1}, {0, 1, 1}, {0, 1, 0}, {0, 0, 0}}}},
        {{0, 1, 0}, {{{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}}}},
        {{0, -1, 0}, {{{0, 0, 1}, {0, 0, 0}, {1, 0, 0}, {1, 0, 1}}}},
        {{0, 0, 1}, {{{1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0, 0, 1}}}},
        {{0, 0, -1}, {{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}}},
    }};
    for (const auto& c : occupied) {
        const Vec3 origin = Vec3{double(c[0]), double(c[1]), double(c[2])} - middle - Vec3{0.5, 0.5, 0.5};
        for (const Side& side : kSides) {
            if (occupied.count({c[0] + side.step[0], c[1] + side.step[1], c[2] + side.step[2]}))
                continue;
            Face face;
            face.Colour = colour;
            for (size_t k = 0; k < 4; ++k) {
                face.Corners[k] = static_cast<int32_t>(mesh.Vertices.size());
                mesh.Vertices.push_back(origin + side.corners[k]);
            }
            mesh.Faces.push_back(face);
        }
    }
    return mesh;
}

gdi::ColorRef Shade(gdi::ColorRef colour, const Vec3& normal, const Light& light)
{
    const double cosine = std::max(0.0, Dot(Normalised(normal), Normalised(light.Towards)));
    const double f = std::clamp(light.Ambient + (1.0 - light.Ambient) * cosine, 0.0, 1.0);
    const auto part = [f](uint8_t v) { return static_cast<uint8_t>(std::lround(v * f)); };
    return gdi::Rgb(part(gdi::RedOf(colour)), part(gdi::GreenOf(colour)), part(gdi::BlueOf(colour)));
}

std::vector<ScreenFace> ProjectMesh(const Mesh& mesh, const Mat3& rotation, const Camera& camera, const Light& light,
                                    double scale)
{
    std::vector<Vec3> view(mesh.Vertices.size());
    for (size_t i = 0; i < view.size(); ++i)
        view[i] = rotation * (mesh.Vertices[i] * camera.UnitSize);
    const Vec3 eye{0.0, 0.0, -camera.Distance};
    std::vector<ScreenFace> faces;
    faces.reserve(mesh.Faces.size());
    for (const Face& face : mesh.Faces) {
        const int32_t count = std::clamp(face.Count, 0, 4);
        if (count < 3)
            continue;
        bool valid = true;
        for (int32_t k = 0; k < count; ++k)
            valid = valid && face.Corners[size_t(k)] >= 0 && size_t(face.Corners[size_t(k)]) < view.size();
        if (!valid)
            continue;
        const Vec3& a = view[size_t(face.Corners[0])];
        const Vec3& b = view[size_t(face.Corners[1])];
        const Vec3& c = view[size_t(face.Corners[2])];
        const Vec3 normal = Cross(b - a, c - a);
        if (Dot(normal, eye - a) <= 0.0)
            continue;  // turned away
        ScreenFace out;
        out.Count = count;
        Vec3 sum{};
        for (int32_t k = 0; k < count && valid; ++k) {
            const Vec3& v = view[size_t(face.Corners[size_t(k)])];
            PointF p;
            valid = Project(camera, v, p);
            out.Points[size_t(k)] = {p.x * scale, p.y * scale};
            sum = sum + v;
        }
        if (!valid)
            continue;
        out.Depth = Length(sum * (1.0 / count) - eye);
        out.Colour = Shade(face.Colour, normal, light);
        faces.push_back(out);
    }
    std::stable_sort(faces.begin(), faces.end(), [](const ScreenFace& l, const ScreenFace& r) { return l.Depth > r.Depth; });
    return faces;
}

void DrawMesh(Screen& screen, const Mesh& mesh, const Mat3& rotation, const Camera& camera, const Light& light,
              std::optional<gdi::ColorRef> outline)
{
    for (const ScreenFace& face : ProjectMesh(mesh, rotation, camera, light, screen.Scale())) {
        screen.FillPolygon({face.Points.data(), size_t(face.Count)}, face.Colour);
        if (!outline)
            continue;
        screen.canvas.pen = {*outline, 1, gdi::PenStyle::Solid};
        const PointF& last = face.Points[size_t(face.Count - 1)];
        screen.canvas.MoveTo(Trunc(last.x), Trunc(last.y));
        for (int32_t k = 0; k < face.Count; ++k)
            screen.canvas.LineTo(Trunc(face.Points[size_t(k)].x), Trunc(face.Points[size_t(k)].y));
    }
}

} // namespace kestrava::kit
