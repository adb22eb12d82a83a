#include "modules/lage/LagePainter.h"

#include "platform/gdi/DeviceContext.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace kestrava::lage {

using kit::PointF;

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr gdi::ColorRef kBackground = gdi::Rgb(18, 24, 34);
constexpr gdi::ColorRef kBezel = gdi::Rgb(52, 56, 62);
constexpr gdi::ColorRef kDial = gdi::Rgb(28, 30, 34);
constexpr gdi::ColorRef kSky = gdi::Rgb(58, 132, 206);
constexpr gdi::ColorRef kEarth = gdi::Rgb(146, 96, 52);
constexpr gdi::ColorRef kWhite = gdi::Rgb(240, 240, 240);
constexpr gdi::ColorRef kMarker = gdi::Rgb(255, 160, 30);
constexpr gdi::ColorRef kLabel = gdi::Rgb(170, 176, 186);
constexpr gdi::ColorRef kPictureSky = gdi::Rgb(150, 196, 236);
constexpr gdi::ColorRef kField = gdi::Rgb(104, 142, 78);
constexpr gdi::ColorRef kFieldLine = gdi::Rgb(84, 118, 62);
constexpr gdi::ColorRef kShadow = gdi::Rgb(62, 88, 48);
constexpr gdi::ColorRef kAxisLine = gdi::Rgb(214, 206, 160);
// The pictures show the pitch steeper than the instrument, so that it can
// be told at a glance.
constexpr double kPicturePitch = 20 * kDegree;
constexpr double kInstrumentPitch = 10 * kDegree;
// The view on the pictures: looking north, from slightly above.
constexpr double kViewTilt = 0.44;
constexpr double kGroundBelow = 2.0;

// A quad from a to b, width units wide.
std::vector<PointF> Bar(PointF a, PointF b, double width)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length <= 0)
        return {};
    const double nx = -dy / length * width / 2, ny = dx / length * width / 2;
    return {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
}

// A point at angle degrees clockwise from the top, radius r around c.
PointF Polar(PointF c, double r, double degrees)
{
    return {c.x + r * std::sin(degrees * kDegree), c.y - r * std::cos(degrees * kDegree)};
}

// A box; its underside in another colour when given, so that a wing shows
// which side faces the viewer.
void AddBox(kit::Mesh& mesh, kit::Vec3 lo, kit::Vec3 hi, gdi::ColorRef colour, gdi::ColorRef under = 0xFFFFFFFF)
{
    const auto base = static_cast<int32_t>(mesh.Vertices.size());
    for (int32_t i = 0; i < 8; ++i)
        mesh.Vertices.push_back({i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
    // Corners ordered so that the faces' normals point outward.
    static constexpr int32_t kFaces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                             {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    for (const auto& f : kFaces)
        mesh.Faces.push_back({{base + f[0], base + f[1], base + f[2], base + f[3]}, 4,
                              &f == &kFaces[2] && under != 0xFFFFFFFF ? under : colour});
}

// A triangle facing away from inside.
void AddTriangle(kit::Mesh& mesh, kit::Vec3 a, kit::Vec3 b, kit::Vec3 c, kit::Vec3 inside, gdi::ColorRef colour)
{
    if (kit::Dot(kit::Cross(b - a, c - a), a - inside) < 0)
        std::swap(b, c);
    const auto base = static_cast<int32_t>(mesh.Vertices.size());
    mesh.Vertices.insert(mesh.Vertices.end(), {a, b, c});
    mesh.Faces.push_back({{base, base + 1, base + 2, 0}, 3, colour});
}

} // namespace

gdi::Rect PictureRect(int32_t picture)
{
    const int32_t left = 20 + picture * (kPictureWidth + 15);
    return {left, kPictureTop, left + kPictureWidth, kPictureTop + kPictureHeight};
}

const kit::Mesh& AircraftMesh()
{
    static const kit::Mesh mesh = [] {
        kit::Mesh m;
        const gdi::ColorRef body = gdi::Rgb(236, 236, 232), wing = gdi::Rgb(210, 212, 216), under = gdi::Rgb(96, 110, 140);
        AddBox(m, {-0.22, -0.22, -1.7}, {0.22, 0.22, 1.4}, body);            // fuselage
        // The nose, a pointed cone on the fuselage's front.
        const kit::Vec3 tip{0, -0.04, 2.2}, inside{0, 0, 1.5};
        const kit::Vec3 corners[4] = {{-0.22, -0.22, 1.4}, {0.22, -0.22, 1.4}, {0.22, 0.22, 1.4}, {-0.22, 0.22, 1.4}};
        for (size_t i = 0; i < 4; ++i)
            AddTriangle(m, corners[i], corners[(i + 1) % 4], tip, inside, body);
        AddBox(m, {-0.15, 0.22, 0.45}, {0.15, 0.36, 1.1}, gdi::Rgb(40, 60, 90)); // canopy, on top
        AddBox(m, {-1.75, -0.06, -0.25}, {1.75, 0.04, 0.65}, wing, under);   // wings
        AddBox(m, {-2.2, -0.06, -0.25}, {-1.75, 0.04, 0.65}, gdi::Rgb(220, 40, 40)); // left tip
        AddBox(m, {1.75, -0.06, -0.25}, {2.2, 0.04, 0.65}, gdi::Rgb(40, 190, 70));  // right tip
        AddBox(m, {-0.85, -0.02, -1.7}, {0.85, 0.06, -1.25}, wing, under);   // tailplane
        AddBox(m, {-0.05, 0.22, -1.7}, {0.05, 0.95, -1.15}, gdi::Rgb(60, 96, 170)); // fin
        return m;
    }();
    return mesh;
}

kit::Mat3 AircraftTurn(const LagePose& p)
{
    return kit::RotateY(p.Heading * 45 * kDegree) * kit::RotateX(-p.Pitch * kPicturePitch) *
           kit::RotateZ(-p.Bank * kBankStepDegrees * kDegree);
}

void LagePainter::Font(double height, bool bold, gdi::ColorRef colour)
{
    m_canvas.font.family = "Arial";
    m_canvas.font.bold = bold;
    m_canvas.font.underline = false;
    m_canvas.font.height = std::max(1, m_screen.Px(height));
    m_canvas.font.color = colour;
    m_canvas.brush.style = gdi::BrushStyle::Clear;
}

void LagePainter::PaintAll(const LageState& state)
{
    if (!m_screen.Begin())
        return;
    m_canvas.SetClip({});
    m_canvas.brush = {kBackground, gdi::BrushStyle::Solid};
    m_canvas.FillRect(m_screen.Area());
    const LagePose* shown = state.Phase == kPhaseShowing ? &state.Item.Shown : nullptr;
    Horizon(shown);
    HeadingIndicator(shown);
    Font(15, false, kLabel);
    m_screen.CentredText("Künstlicher Horizont", kHorizonCentre.x, kHorizonCentre.y + kInstrumentRadius + 26);
    m_screen.CentredText("Kurs", kHeadingCentre.x, kHeadingCentre.y + kInstrumentRadius + 26);

    for (int32_t i = 0; i < kPictures; ++i) {
        const gdi::Rect r = PictureRect(i);
        Picture(r, shown ? &state.Item.Pictures[i] : nullptr);
        // The key cap beneath.
        const gdi::Rect cap = m_screen.Pixels({((r.left + r.right) / 2) - 16, kKeysY - 16, ((r.left + r.right) / 2) + 16, kKeysY + 16});
        m_canvas.pen = {kLabel, std::max(1, m_screen.Px(1.5)), gdi::PenStyle::Solid};
        m_canvas.brush = {kDial, gdi::BrushStyle::Solid};
        m_canvas.Rectangle(cap.left, cap.top, cap.right, cap.bottom);
        Font(20, true, kWhite);
        m_screen.CentredText(std::to_string(i + 1), ((r.left + r.right) / 2), kKeysY);
    }

    const char* word = nullptr;
    gdi::ColorRef colour = kLabel;
    switch (state.LastOutcome) {
    case kOutcomeCorrect: word = "Richtig"; colour = gdi::Rgb(80, 180, 90); break;
    case kOutcomeWrong: word = "Falsch"; colour = gdi::Rgb(220, 84, 76); break;
    case kOutcomeMissed: word = "Zeit abgelaufen"; colour = gdi::Rgb(170, 170, 170); break;
    default: break;
    }
    if (word) {
        Font(26, true, colour);
        m_screen.CentredText(word, 400, kOutcomeY);
    }
    Font(15, false, kLabel);
    m_screen.CentredText("Welches Bild zeigt die Fluglage der Instrumente? Tasten 1 bis 4", 400, 574);
    m_screen.End();
}

void LagePainter::Horizon(const LagePose* pose)
{
    const PointF c = m_screen.Point(kHorizonCentre.x, kHorizonCentre.y);
    const double s = m_screen.Scale();
    const double r = kInstrumentRadius * s;
    m_screen.FillPolygon(kit::RegularPolygon(c, r + 12 * s, 72), kBezel);
    const std::vector<PointF> face = kit::RegularPolygon(c, r, 72);
    if (!pose) {
        m_screen.FillPolygon(face, kDial);
        return;
    }
    m_screen.FillPolygon(face, kSky);
    // The card: the horizon moves down as the nose comes up and turns the
    // other way from the bank, as the world does seen from the cockpit.
    const double bank = pose->Bank * kBankStepDegrees * kDegree;
    const double step = r * 0.32;  // 10 degrees of pitch
    const double off = pose->Pitch * step * (kInstrumentPitch / (10 * kDegree));
    const auto card = [&](std::vector<PointF> points) {
        for (PointF& p : points)
            p = {c.x + p.x, c.y + p.y};
        return kit::ClipToConvex(kit::Rotated(points, c, bank), face);
    };
    m_screen.FillPolygon(card({{3 * r, off}, {-3 * r, off}, {-3 * r, 3 * r}, {3 * r, 3 * r}}), kEarth);
    m_screen.FillPolygon(card(Bar({-3 * r, off}, {3 * r, off}, 2.5 * s)), kWhite);
    for (int32_t k : {-2, -1, 1, 2}) {
        const double y = off - k * step / 2;  // every 5 degrees
        const double half = (k % 2 == 0 ? 0.30 : 0.16) * r;
        m_screen.FillPolygon(card(Bar({-half, y}, {half, y}, 1.5 * s)), kWhite);
    }
    // The pointer on the card's rim against the fixed scale of 15-degree
    // marks.
    m_screen.FillPolygon(card({{0, -r + 3 * s}, {-7 * s, -r + 15 * s}, {7 * s, -r + 15 * s}}), kWhite);
    for (int32_t a = -45; a <= 45; a += 15) {
        const double inner = a % 45 == 0 ? r + 1 * s : r + 5 * s;
        m_screen.FillPolygon(Bar(Polar(c, inner, a), Polar(c, r + 11 * s, a), 2 * s), kWhite);
    }
    // The aircraft symbol, fixed to the case.
    m_screen.FillPolygon(Bar({c.x - 0.58 * r, c.y}, {c.x - 0.18 * r, c.y}, 4 * s), kMarker);
    m_screen.FillPolygon(Bar({c.x + 0.18 * r, c.y}, {c.x + 0.58 * r, c.y}, 4 * s), kMarker);
    m_screen.FillPolygon(kit::RegularPolygon(c, 4 * s, 16), kMarker);
}

void LagePainter::HeadingIndicator(const LagePose* pose)
{
    const PointF c = m_screen.Point(kHeadingCentre.x, kHeadingCentre.y);
    const double s = m_screen.Scale();
    const double r = kInstrumentRadius * s;
    m_screen.FillPolygon(kit::RegularPolygon(c, r + 12 * s, 72), kBezel);
    m_screen.FillPolygon(kit::RegularPolygon(c, r, 72), kDial);
    if (!pose)
        return;
    // The card turns so that the heading stands at the top.
    const int32_t heading = pose->Heading * 45;
    for (int32_t a = 0; a < 360; a += 15) {
        const double inner = a % 45 == 0 ? r - 16 * s : r - 9 * s;
        m_screen.FillPolygon(Bar(Polar(c, inner, a - heading), Polar(c, r - 2 * s, a - heading), 2 * s), kWhite);
    }
    static constexpr const char* kLetters[4] = {"N", "O", "S", "W"};
    for (int32_t k = 0; k < 4; ++k) {
        const PointF p = Polar(c, r - 32 * s, k * 90 - heading);
        Font(22, true, k == 0 ? kMarker : kWhite);
        m_screen.CentredText(kLetters[k], p.x / s, p.y / s);
    }
    // The lubber mark at the top and the aircraft, fixed, nose up.
    m_screen.FillPolygon(std::vector<PointF>{{c.x, c.y - r + 18 * s}, {c.x - 7 * s, c.y - r - 2 * s},
                                             {c.x + 7 * s, c.y - r - 2 * s}},
                         kMarker);
    m_screen.FillPolygon(Bar({c.x, c.y - 24 * s}, {c.x, c.y + 22 * s}, 5 * s), kMarker);
    m_screen.FillPolygon(Bar({c.x - 24 * s, c.y - 2 * s}, {c.x + 24 * s, c.y - 2 * s}, 5 * s), kMarker);
    m_screen.FillPolygon(Bar({c.x - 10 * s, c.y + 19 * s}, {c.x + 10 * s, c.y + 19 * s}, 4 * s), kMarker);
}

void LagePainter::Picture(const gdi::Rect& units, const LagePose* pose)
{
    const gdi::Rect px = m_screen.Pixels(units);
    gdi::Bitmap* target = gdi::ResolveDC(m_canvas.Handle());
    if (!target)
        return;
    m_canvas.SetClip({});
    m_canvas.pen = {kLabel, std::max(1, m_screen.Px(1)), gdi::PenStyle::Solid};
    m_canvas.brush = {pose ? kPictureSky : kDial, gdi::BrushStyle::Solid};
    m_canvas.Rectangle(px.left - 1, px.top - 1, px.right + 1, px.bottom + 1);
    if (!pose)
        return;

    const double s = m_screen.Scale();
    const kit::Camera camera{.Distance = 7.0, .Focal = 175.0, .CentreX = double((units.left + units.right) / 2),
                             .CentreY = units.top + 0.70 * kPictureHeight, .UnitSize = 1.0};
    const kit::Mat3 view = kit::RotateX(-kViewTilt);
    // A point of the ground (world x east, z north) on screen in pixels.
    const auto ground = [&](double x, double z, PointF& out) {
        if (!kit::Project(camera, view * kit::Vec3{x, -kGroundBelow, z}, out))
            return false;
        out = {out.x * s, out.y * s};
        return true;
    };
    PointF far{};
    ground(0, 1e6, far);
    const double horizon = far.y;
    kit::FillPolygon(*target, px,
                     std::vector<PointF>{{double(px.right), horizon}, {double(px.left), horizon},
                                         {double(px.left), double(px.bottom)}, {double(px.right), double(px.bottom)}},
                     kField);
    // The grid on the ground, the north-south and west-east lines through
    // the aircraft's place lighter; the nearest ground in sight is just in
    // front of the eye.
    const double nearest = -(camera.Distance - kGroundBelow * std::sin(kViewTilt)) / std::cos(kViewTilt) + 0.5;
    const auto line = [&](double x0, double z0, double x1, double z1, gdi::ColorRef colour, double width) {
        PointF a{}, b{};
        if (ground(x0, z0, a) && ground(x1, z1, b))
            kit::FillPolygon(*target, px, Bar(a, b, width * s), colour);
    };
    for (int32_t k = -12; k <= 12; ++k)
        line(k * 2.5, nearest, k * 2.5, 400, kFieldLine, 1.0);
    for (double z = std::ceil(nearest / 2.5) * 2.5; z < 120; z += 2.5)
        line(-60, z, 60, z, kFieldLine, 1.0);
    line(0, nearest, 0, 400, kAxisLine, 2.0);
    line(-60, 0, 60, 0, kAxisLine, 2.0);
    // The aircraft's shadow straight beneath it shows its heading even when
    // it flies towards the viewer.
    const kit::Mat3 turn = AircraftTurn(*pose);
    const kit::Mesh& mesh = AircraftMesh();
    for (const kit::Face& face : mesh.Faces) {
        std::vector<PointF> shadow;
        for (int32_t k = 0; k < face.Count; ++k) {
            const kit::Vec3 v = turn * mesh.Vertices[size_t(face.Corners[size_t(k)])];
            PointF p{};
            if (ground(v.x, v.z, p))
                shadow.push_back(p);
        }
        if (shadow.size() == size_t(face.Count))
            kit::FillPolygon(*target, px, shadow, kShadow);
    }
    // The compass on the edges of the ground: north at the horizon, the
    // others at the picture's sides and foot.
    Font(16, true, kWhite);
    const double cx = (units.left + units.right) / 2.0, groundMiddle = (horizon / s + units.bottom) / 2;
    m_screen.CentredText("N", cx, horizon / s + 10);
    m_screen.CentredText("S", cx, units.bottom - 10);
    m_screen.CentredText("W", units.left + 10, groundMiddle);
    m_screen.CentredText("O", units.right - 10, groundMiddle);

    for (const kit::ScreenFace& face :
         kit::ProjectMesh(mesh, view * turn, camera, kit::Light{}, s))
        kit::FillPolygon(*target, px, std::span<const PointF>(face.Points.data(), size_t(face.Count)), face.Colour);
}

} // namespace kestrava::lage
