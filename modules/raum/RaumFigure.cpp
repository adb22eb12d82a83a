#include "modules/raum/RaumFigure.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

namespace kestrava::raum {

namespace {

constexpr std::array<Cell, 6> kSteps = {{{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}}};

Cell Plus(const Cell& a, const Cell& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }

// A figure in the manner of arms: from one cube, straight runs of two to
// four cubes, each at right angles to the one before, until count cubes
// stand. No cube may touch an earlier one but its predecessor, so that the
// arms stay apart. Empty when the walk ran into itself.
Cells GrowArms(kit::BlockRandom& random, int32_t count)
{
    Cells cells{{0, 0, 0}};
    std::set<Cell> taken{{0, 0, 0}};
    Cell at{0, 0, 0};
    int32_t axis = -1;
    while (static_cast<int32_t>(cells.size()) < count) {
        const int32_t next = (axis + 1 + random.Below(2)) % 3;
        axis = axis < 0 ? random.Below(3) : next;
        const int32_t sign = random.Below(2) == 0 ? 1 : -1;
        const int32_t run = 2 + random.Below(3);
        for (int32_t k = 0; k < run && static_cast<int32_t>(cells.size()) < count; ++k) {
            const Cell from = at;
            at[size_t(axis)] += sign;
            if (taken.count(at))
                return {};
            for (const Cell& step : kSteps) {
                const Cell n = Plus(at, step);
                if (n != from && taken.count(n))
                    return {};
            }
            cells.push_back(at);
            taken.insert(at);
        }
    }
    return cells;
}

double Radians(int32_t degrees) { return degrees * std::numbers::pi / 180.0; }

} // namespace

Cell Turn::operator*(const Cell& c) const
{
    return {m[0] * c[0] + m[1] * c[1] + m[2] * c[2], m[3] * c[0] + m[4] * c[1] + m[5] * c[2],
            m[6] * c[0] + m[7] * c[1] + m[8] * c[2]};
}

const std::vector<Turn>& LatticeTurns()
{
    static const std::vector<Turn> turns = [] {
        std::vector<Turn> all;
        std::array<int32_t, 3> axes{0, 1, 2};
        do {
            for (int32_t signs = 0; signs < 8; ++signs) {
                Turn t;
                t.m.fill(0);
                for (size_t row = 0; row < 3; ++row)
                    t.m[row * 3 + size_t(axes[row])] = (signs >> row) & 1 ? -1 : 1;
                const auto& m = t.m;
                const int32_t det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                                    m[2] * (m[3] * m[7] - m[4] * m[6]);
                if (det == 1)
                    all.push_back(t);
            }
        } while (std::next_permutation(axes.begin(), axes.end()));
        return all; // the first permutation with no sign flipped is the identity
    }();
    return turns;
}

int32_t TurnClass(const Turn& t)
{
    const int32_t trace = t.m[0] + t.m[4] + t.m[8];
    if (trace == 3)
        return -1;
    if (trace == 0)
        return 3; // a third about a cube's diagonal
    const bool vertical = t.m[4] == 1;
    const bool horizontal = t.m[0] == 1 || t.m[8] == 1;
    if (trace == 1) // a quarter about the axis that stays
        return vertical ? 0 : 2;
    return vertical ? 1 : horizontal ? 2 : 3; // a half turn
}

Cells Turned(const Turn& turn, const Cells& cells)
{
    Cells out;
    out.reserve(cells.size());
    for (const Cell& c : cells)
        out.push_back(turn * c);
    return out;
}

Cells Mirrored(const Cells& cells)
{
    Cells out = cells;
    for (Cell& c : out)
        c[0] = -c[0];
    return out;
}

Cells NormalForm(Cells cells)
{
    if (cells.empty())
        return cells;
    Cell low = cells.front();
    for (const Cell& c : cells)
        for (size_t k = 0; k < 3; ++k)
            low[k] = std::min(low[k], c[k]);
    for (Cell& c : cells)
        for (size_t k = 0; k < 3; ++k)
            c[k] -= low[k];
    std::sort(cells.begin(), cells.end());
    return cells;
}

bool Congruent(const Cells& a, const Cells& b)
{
    if (a.size() != b.size())
        return false;
    const Cells target = NormalForm(b);
    return std::any_of(LatticeTurns().begin(), LatticeTurns().end(),
                       [&](const Turn& t) { return NormalForm(Turned(t, a)) == target; });
}

bool Chiral(const Cells& cells) { return !Congruent(cells, Mirrored(cells)); }

bool FaceConnected(const Cells& cells)
{
    const std::set<Cell> all(cells.begin(), cells.end());
    if (all.empty() || all.size() != cells.size())
        return false;
    std::set<Cell> reached{cells.front()};
    std::vector<Cell> open{cells.front()};
    while (!open.empty()) {
        const Cell c = open.back();
        open.pop_back();
        for (const Cell& step : kSteps) {
            const Cell n = Plus(c, step);
            if (all.count(n) && reached.insert(n).second)
                open.push_back(n);
        }
    }
    return reached.size() == all.size();
}

Item MakeItem(uint64_t seed, int32_t turnClass, bool mirror)
{
    kit::BlockRandom random(seed);
    turnClass = std::clamp(turnClass, 0, kTurnClasses - 1);
    Item item;
    item.Mirror = mirror;
    // Practically every figure finds a view within a few tries; should a
    // thousand fail, the last chiral one is shown as it is.
    for (int32_t attempt = 0; attempt < 1000; ++attempt) {
        const Cells cells = GrowArms(random, 8 + random.Below(3));
        if (cells.empty() || !Chiral(cells))
            continue;
        const Cells shape = mirror ? Mirrored(cells) : cells;
        const Cells shapeForm = NormalForm(shape);
        std::vector<Turn> turns;
        for (const Turn& t : LatticeTurns())
            if (TurnClass(t) == turnClass && NormalForm(Turned(t, shape)) != shapeForm)
                turns.push_back(t);
        if (turns.empty())
            continue;
        item.Left = cells;
        item.Rotation = turns[size_t(random.Below(static_cast<int32_t>(turns.size())))];
        item.Right = Turned(item.Rotation, shape);
        for (int32_t look = 0; look < 12; ++look) {
            const double yaw = Radians(20 + random.Below(51) + 90 * random.Below(4));
            const double pitch = -Radians(15 + random.Below(21)); // seen from a little above
            item.View = kit::RotateX(pitch) * kit::RotateY(yaw);
            if (EveryCubeVisible(item.Left, item.View) && EveryCubeVisible(item.Right, item.View))
                return item;
        }
    }
    return item;
}

FigureSpace SpaceOf(const Cells& cells, const Placement& place)
{
    FigureSpace space;
    for (const Cell& c : cells)
        space.Centroid = space.Centroid + kit::Vec3{double(c[0]), double(c[1]), double(c[2])};
    space.Centroid = space.Centroid * (1.0 / double(std::max<size_t>(cells.size(), 1)));
    double reach = 0.0;
    for (const Cell& c : cells)
        reach = std::max(reach, kit::Length(kit::Vec3{double(c[0]), double(c[1]), double(c[2])} - space.Centroid));
    reach += std::sqrt(3.0) / 2.0; // to the farthest corner
    // Far enough for a mild perspective (the near end at most half again as
    // large as the far one); the nearest point at the radius.
    space.Camera.Distance = 5.0 * reach;
    space.Camera.Focal = place.Radius * (space.Camera.Distance - reach) / reach;
    space.Camera.CentreX = place.CentreX;
    space.Camera.CentreY = place.CentreY;
    return space;
}

std::vector<FigureFace> FigureFaces(const Cells& cells, const kit::Mat3& view, const Placement& place,
                                    gdi::ColorRef colour)
{
    std::vector<FigureFace> faces;
    if (cells.empty())
        return faces;
    const FigureSpace space = SpaceOf(cells, place);
    const kit::Camera& camera = space.Camera;
    std::vector<kit::Vec3> centres;
    for (const Cell& c : cells)
        centres.push_back(kit::Vec3{double(c[0]), double(c[1]), double(c[2])} - space.Centroid);
    const kit::Vec3 eye = view.Transposed() * kit::Vec3{0.0, 0.0, -camera.Distance};

    // By falling sum of per-axis distances from the eye to the cube, then by
    // falling distance of its centre.
    std::vector<size_t> order(cells.size());
    std::vector<std::pair<double, double>> keys(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const kit::Vec3 d = centres[i] - eye;
        keys[i] = {std::max(0.0, std::abs(d.x) - 0.5) + std::max(0.0, std::abs(d.y) - 0.5) +
                       std::max(0.0, std::abs(d.z) - 0.5),
                   kit::Length(d)};
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] > keys[b]; });

    const std::set<Cell> taken(cells.begin(), cells.end());
    const kit::Light light;
    for (const size_t i : order) {
        for (size_t s = 0; s < kSteps.size(); ++s) {
            if (taken.count(Plus(cells[i], kSteps[s])))
                continue; // a face two cubes share
            const size_t axis = s / 2, u = (axis + 1) % 3, w = (axis + 2) % 3;
            const double sign = s % 2 == 0 ? 1.0 : -1.0;
            std::array<double, 3> n{0, 0, 0};
            n[axis] = sign;
            const kit::Vec3 normal{n[0], n[1], n[2]};
            const kit::Vec3 middle = centres[i] + normal * 0.5;
            if (kit::Dot(normal, eye - middle) <= 0.0)
                continue; // turned away
            FigureFace face;
            face.Cube = static_cast<int32_t>(i);
            face.Colour = kit::Shade(colour, view * normal, light);
            static constexpr std::array<std::array<double, 2>, 4> kSpan = {{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}};
            bool inFront = true;
            for (size_t k = 0; k < 4; ++k) {
                std::array<double, 3> p{middle.x, middle.y, middle.z};
                p[u] += 0.5 * kSpan[k][0];
                p[w] += 0.5 * kSpan[k][1];
                inFront = inFront && kit::Project(camera, view * kit::Vec3{p[0], p[1], p[2]}, face.Points[k]);
            }
            if (inFront)
                faces.push_back(face);
        }
    }
    return faces;
}

double FittingRadius(const Item& item, double radius)
{
    // Offsets from the centre grow with the camera's focal length, which
    // grows with the radius.
    double extent = 0.0;
    for (const Cells* cells : {&item.Left, &item.Right})
        for (const FigureFace& face : FigureFaces(*cells, item.View, {0.0, 0.0, radius}, 0))
            for (const kit::PointF& p : face.Points)
                extent = std::max({extent, std::abs(p.x), std::abs(p.y)});
    return extent > 0.0 ? radius * radius / extent : radius;
}

std::vector<int32_t> VisiblePixels(const Cells& cells, const kit::Mat3& view, int32_t size)
{
    gdi::Bitmap picture(size, size);
    const Placement place{size / 2.0, size / 2.0, size * 0.45};
    for (const FigureFace& face : FigureFaces(cells, view, place, 0)) {
        const auto id = static_cast<uint32_t>(face.Cube + 1);
        kit::FillPolygon(picture, {}, face.Points, gdi::Rgb(uint8_t(id), uint8_t(id >> 8), 0));
    }
    std::vector<int32_t> counts(cells.size(), 0);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const gdi::ColorRef c = picture.GetColor(x, y);
            const uint32_t id = gdi::RedOf(c) + (uint32_t(gdi::GreenOf(c)) << 8);
            if (id >= 1 && id <= counts.size())
                ++counts[id - 1];
        }
    return counts;
}

bool EveryCubeVisible(const Cells& cells, const kit::Mat3& view)
{
    const std::vector<int32_t> counts = VisiblePixels(cells, view);
    if (counts.empty())
        return false;
    int64_t total = 0;
    for (const int32_t c : counts)
        total += c;
    const double least = kLeastVisibleShare * double(total) / double(counts.size());
    return std::all_of(counts.begin(), counts.end(), [least](int32_t c) { return c > 0 && c >= least; });
}

} // namespace kestrava::raum
