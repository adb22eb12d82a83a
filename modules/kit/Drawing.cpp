#include "modules/kit/Drawing.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <numbers>
#include <vector>

namespace kestrava::kit {

int32_t Trunc(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(v), double(std::numeric_limits<int32_t>::min()),
                                           double(std::numeric_limits<int32_t>::max())));
}

gdi::Rect Screen::Pixels(const gdi::Rect& r) const
{
    const double s = Scale();
    return {Trunc(r.left * s), Trunc(r.top * s), Trunc(r.right * s), Trunc(r.bottom * s)};
}

bool Screen::Begin()
{
    if (!m_status)
        return false;
    canvas.SetHandle(m_status->DC);
    return true;
}

void Screen::CentredText(std::string_view utf8, double centreX, double centreY)
{
    const gdi::Size extent = canvas.TextExtent(utf8);
    canvas.TextOut(Px(centreX) - extent.cx / 2, Px(centreY) - extent.cy / 2, utf8);
}

void Screen::FillPolygon(std::span<const PointF> pixels, gdi::ColorRef colour)
{
    if (gdi::Bitmap* target = gdi::ResolveDC(canvas.Handle()))
        kit::FillPolygon(*target, {}, pixels, colour);
}

std::optional<gdi::Bitmap> Screen::LoadPicture(const std::string& relativePath, int32_t width, int32_t height,
                                               const char* tag) const
{
    const std::string path = (m_status ? ShortStringToUtf8(m_status->ModuleDir) : std::string()) + relativePath;
    gdi::Bitmap image;
    try {
        gdi::LoadScaledBitmap(image, path, width, height);
        return image;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: picture %s not drawn: %s\n", tag, path.c_str(), e.what());
    }
    return std::nullopt;
}

std::vector<PointF> RegularPolygon(PointF centre, double radius, int32_t n, double radians)
{
    std::vector<PointF> points;
    for (int32_t i = 0; i < n; ++i) {
        const double a = radians + 2.0 * std::numbers::pi * i / n;
        points.push_back({centre.x + radius * std::cos(a), centre.y - radius * std::sin(a)});
    }
    return points;
}

std::vector<PointF> Rotated(std::span<const PointF> points, PointF centre, double radians)
{
    // Screen y grows downwards: counter-clockwise on screen is -radians in
    // the usual frame.
    const double c = std::cos(radians), s = std::sin(radians);
    std::vector<PointF> out;
    for (const PointF& p : points) {
        const double dx = p.x - centre.x, dy = p.y - centre.y;
        out.push_back({centre.x + dx * c + dy * s, centre.y - dx * s + dy * c});
    }
    return out;
}

std::vector<PointF> ClipToConvex(std::span<const PointF> polygon, std::span<const PointF> clip)
{
    std::vector<PointF> out(polygon.begin(), polygon.end());
    if (clip.size() < 3)
        return {};
    // The clip's turning sense: inside is on the side its corners turn to.
    double area = 0.0;
    for (size_t i = 0; i < clip.size(); ++i) {
        const PointF& a = clip[i];
        const PointF& b = clip[(i + 1) % clip.size()];
        area += a.x * b.y - b.x * a.y;
    }
    const double sense = area >= 0.0 ? 1.0 : -1.0;
    for (size_t i = 0; i < clip.size() && !out.empty(); ++i) {
        const PointF a = clip[i];
        const PointF b = clip[(i + 1) % clip.size()];
        const auto side = [&](const PointF& p) { return sense * ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)); };
        std::vector<PointF> in;
        in.swap(out);
        for (size_t k = 0; k < in.size(); ++k) {
            const PointF& p = in[k];
            const PointF& q = in[(k + 1) % in.size()];
            const double sp = side(p), sq = side(q);
            if (sp >= 0.0)
                out.push_back(p);
            if ((sp >= 0.0) != (sq >= 0.0)) {
                const double t = sp / (sp - sq);
                out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t});
            }
        }
    }
    return out;
}

void FillPolygon(gdi::Bitmap& target, const gdi::Rect& clip, std::span<const PointF> points, gdi::ColorRef colour)
{
    if (points.size() < 3 || target.Empty())
        return;
    const gdi::Rect bounds{0, 0, target.Width(), target.Height()};
    const gdi::Rect area = clip.Empty() ? bounds : gdi::Intersect(clip, bounds);
    if (area.Empty())
        return;
    double top = points[0].y, bottom = points[0].y;
    for (const PointF& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return;
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    // Rows whose centre y + 0.5 lies inside the polygon's height.
    const int32_t first = std::max(area.top, Trunc(std::ceil(top - 0.5)));
    const int32_t last = std::min(area.bottom - 1, Trunc(std::floor(bottom - 0.5)));
    const gdi::Pixel ink = gdi::PixelOf(colour);
    std::vector<double> crossings;
    gdi::Rect drawn{};
    for (int32_t y = first; y <= last; ++y) {
        const double cy = y + 0.5;
        crossings.clear();
        for (size_t i = 0; i < points.size(); ++i) {
            const PointF& a = points[i];
            const PointF& b = points[(i + 1) % points.size()];
            // Half-open in y, so a vertex on the row counts once.
            if ((a.y <= cy) != (b.y <= cy))
                crossings.push_back(a.x + (cy - a.y) / (b.y - a.y) * (b.x - a.x));
        }
        std::sort(crossings.begin(), crossings.end());
        gdi::Pixel* row = target.Row(y);
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            // Pixels whose centre x + 0.5 lies in [from, to).
            const int32_t from = std::max(area.left, Trunc(std::ceil(crossings[i] - 0.5)));
            const int32_t to = std::min(area.right, Trunc(std::ceil(crossings[i + 1] - 0.5)));
            if (from >= to)
                continue;
            std::fill(row + from, row + to, ink);
            drawn = gdi::Union(drawn, {from, y, to, y + 1});
        }
    }
    if (!drawn.Empty())
        target.MarkDrawn(drawn);
}

} // namespace kestrava::kit
