#include "resources/skin/Draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace kestrava::artwork {

Rgbf FromHex(uint32_t rrggbb)
{
    return {double((rrggbb >> 16) & 0xFF), double((rrggbb >> 8) & 0xFF), double(rrggbb & 0xFF)};
}

Rgbf Mix(Rgbf a, Rgbf b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgbf Scale(Rgbf c, double f)
{
    auto s = [f](double v) { return std::clamp(v * f, 0.0, 255.0); };
    return {s(c.r), s(c.g), s(c.b)};
}

// --- shapes -----------------------------------------------------------------

Sdf Rect(double left, double top, double right, double bottom) { return RoundRect(left, top, right, bottom, 0); }

Sdf RoundRect(double left, double top, double right, double bottom, double radius)
{
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    return [=](double x, double y) {
        const double qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
        const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
        return outside + std::min(std::max(qx, qy), 0.0) - radius;
    };
}

Sdf Circle(double cx, double cy, double radius)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - radius; };
}

Sdf Ring(double cx, double cy, double radius, double thickness)
{
    return [=](double x, double y) { return std::fabs(std::hypot(x - cx, y - cy) - radius) - thickness / 2; };
}

Sdf Arc(double cx, double cy, double radius, double thickness, double a0, double a1)
{
    const double x0 = cx + radius * std::cos(a0), y0 = cy + radius * std::sin(a0);
    const double x1 = cx + radius * std::cos(a1), y1 = cy + radius * std::sin(a1);
    return [=](double x, double y) {
        double a = std::atan2(y - cy, x - cx);
        while (a < a0)
            a += 2 * std::numbers::pi;
        if (a <= a1)
            return std::fabs(std::hypot(x - cx, y - cy) - radius) - thickness / 2;
        return std::min(std::hypot(x - x0, y - y0), std::hypot(x - x1, y - y1)) - thickness / 2;
    };
}

Sdf Segment(double x0, double y0, double x1, double y1, double thickness)
{
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - thickness / 2;
    };
}

Sdf Polygon(std::vector<std::pair<double, double>> points)
{
    return [p = std::move(points)](double x, double y) {
        double d = 1e9;
        bool inside = false;
        for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
            const double ex = p[j].first - p[i].first, ey = p[j].second - p[i].second;
            const double wx = x - p[i].first, wy = y - p[i].second;
            const double t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0);
            d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
            const bool c1 = y >= p[i].second, c2 = y < p[j].second, c3 = ex * wy > ey * wx;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
                inside = !inside;
        }
        return inside ? -d : d;
    };
}

Sdf Union(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf from, Sdf cut)
{
    return [a = std::move(from), b = std::move(cut)](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Intersect(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](double x, double y) { return std::max(a(x, y), b(x, y)); };
}

Sdf Shifted(Sdf s, double dx, double dy)
{
    return [s = std::move(s), dx, dy](double x, double y) { return s(x - dx, y - dy); };
}

Sdf Aircraft(double cx, double cy, double k)
{
    Sdf plane = RoundRect(cx - 7 * k, cy - 62 * k, cx + 7 * k, cy + 54 * k, 7 * k);
    plane = Union(plane, Polygon({{cx - 78 * k, cy + 6 * k}, {cx - 6 * k, cy - 20 * k}, {cx + 6 * k, cy - 20 * k},
                                  {cx + 78 * k, cy + 6 * k}, {cx + 78 * k, cy + 14 * k}, {cx + 6 * k, cy + 4 * k},
                                  {cx - 6 * k, cy + 4 * k}, {cx - 78 * k, cy + 14 * k}}));
    plane = Union(plane, Polygon({{cx - 28 * k, cy + 52 * k}, {cx - 4 * k, cy + 38 * k}, {cx + 4 * k, cy + 38 * k},
                                  {cx + 28 * k, cy + 52 * k}, {cx + 28 * k, cy + 58 * k}, {cx - 28 * k, cy + 58 * k}}));
    return Rotated(plane, cx, cy, -0.18);
}

Sdf Rotated(Sdf s, double cx, double cy, double angle)
{
    const double c = std::cos(-angle), sn = std::sin(-angle);
    return [s = std::move(s), cx, cy, c, sn](double x, double y) {
        const double rx = x - cx, ry = y - cy;
        return s(cx + rx * c - ry * sn, cy + rx * sn + ry * c);
    };
}

Sdf Grown(Sdf s, double by)
{
    return [s = std::move(s), by](double x, double y) { return s(x, y) - by; };
}

Paint Solid(Rgbf c)
{
    return [c](double, double) { return c; };
}

Paint VGradient(Rgbf top, Rgbf bottom, double y0, double y1)
{
    return [=](double, double y) { return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0)); };
}

Paint HGradient(Rgbf left, Rgbf right, double x0, double x1)
{
    return [=](double x, double) { return Mix(left, right, std::clamp((x - x0) / (x1 - x0), 0.0, 1.0)); };
}

gdi::FontSpec Font(int32_t height, bool bold, const char* family)
{
    gdi::FontSpec f;
    f.family = family;
    f.height = height;
    f.bold = bold;
    return f;
}

// --- scale ------------------------------------------------------------------

namespace {
double g_scale = 1;
} // namespace

double DrawingScale() { return g_scale; }

DrawingScaleScope::DrawingScaleScope(double scale) : m_previous(g_scale) { g_scale = scale; }
DrawingScaleScope::~DrawingScaleScope() { g_scale = m_previous; }

int32_t Scaled(double units, double scale) { return int32_t(std::floor(units * scale + 0.5)); }

std::string ScaleSuffix(double scale)
{
    if (scale == 1)
        return "";
    char text[16];
    std::snprintf(text, sizeof text, "@%gx", scale);
    return text;
}

gdi::FontSpec ScaledFont(gdi::FontSpec font, double scale)
{
    font.height = Scaled(font.height, scale);
    return font;
}

// --- layer ------------------------------------------------------------------

Layer::Layer(int32_t width, int32_t height)
    : m_unitsW(width), m_unitsH(height), m_scale(g_scale), m_width(Scaled(width, m_scale)),
      m_height(Scaled(height, m_scale)), m_r(size_t(m_width) * size_t(m_height)), m_g(m_r.size()),
      m_b(m_r.size()), m_a(m_r.size())
{
}

Layer Layer::FromBitmap(const gdi::Bitmap& picture)
{
    // The units that give the picture's pixels at the drawing scale.
    Layer layer(int32_t(std::lround(picture.Width() / g_scale)), int32_t(std::lround(picture.Height() / g_scale)));
    layer.m_width = picture.Width();
    layer.m_height = picture.Height();
    const size_t pixels = size_t(layer.m_width) * size_t(layer.m_height);
    for (auto* plane : {&layer.m_r, &layer.m_g, &layer.m_b, &layer.m_a})
        plane->assign(pixels, 0.0);
    for (int32_t y = 0; y < layer.m_height; ++y)
        for (int32_t x = 0; x < layer.m_width; ++x) {
            const gdi::ColorRef c = gdi::ColorOf(picture.GetPixel(x, y));
            layer.Blend(layer.Index(x, y), {double(gdi::RedOf(c)), double(gdi::GreenOf(c)), double(gdi::BlueOf(c))}, 1);
        }
    return layer;
}

void Layer::Blend(size_t i, Rgbf c, double a)
{
    if (a <= 0)
        return;
    const double keep = 1 - a;
    m_r[i] = c.r * a + m_r[i] * keep;
    m_g[i] = c.g * a + m_g[i] * keep;
    m_b[i] = c.b * a + m_b[i] * keep;
    m_a[i] = a + m_a[i] * keep;
}

void Layer::Fill(const Sdf& shape, const Paint& paint, double opacity)
{
    // The pixel's centre in units; the distance back in pixels. The shapes
    // never overstate a distance (min and max of distances, isometries), so
    // a tile whose centre lies further outside than its half diagonal plus
    // half a pixel has no pixel the shape covers, and one as far inside is
    // covered whole: both are decided from the centre alone, with the same
    // pixels as pixel by pixel.
    constexpr int32_t kTile = 8;
    const double reach = kTile * std::numbers::sqrt2 / 2 + 0.5 + 1e-6;
    for (int32_t ty = 0; ty < m_height; ty += kTile)
        for (int32_t tx = 0; tx < m_width; tx += kTile) {
            const int32_t xEnd = std::min(tx + kTile, m_width), yEnd = std::min(ty + kTile, m_height);
            const double centre = shape((tx + xEnd) / 2.0 / m_scale, (ty + yEnd) / 2.0 / m_scale) * m_scale;
            if (centre > reach)
                continue;
            const bool whole = centre < -reach;
            for (int32_t y = ty; y < yEnd; ++y)
                for (int32_t x = tx; x < xEnd; ++x) {
                    const double px = (x + 0.5) / m_scale, py = (y + 0.5) / m_scale;
                    const double coverage = whole ? 1.0 : std::clamp(0.5 - shape(px, py) * m_scale, 0.0, 1.0);
                    if (coverage > 0)
                        Blend(Index(x, y), paint(px, py), coverage * opacity);
                }
        }
}

void Layer::Text(const gdi::FontSpec& font, const std::string& text, double x, double y, Rgbf c, double opacity)
{
    TextAtPixel(ScaledFont(font, m_scale), text, int32_t(std::lround(x * m_scale)), int32_t(std::lround(y * m_scale)),
                c, opacity);
}

void Layer::TextAtPixel(const gdi::FontSpec& font, const std::string& text, int32_t ox, int32_t oy, Rgbf c,
                        double opacity)
{
    const gdi::Size extent = gdi::MeasureText(font, text);
    // Glyphs are rendered white on black; the grey level is the coverage.
    gdi::Bitmap mask(extent.cx + 4, extent.cy + 4);
    gdi::DrawText(mask, {0, 0, mask.Width(), mask.Height()}, 2, 2, text, font, gdi::Rgb(255, 255, 255), false, 0);
    for (int32_t my = 0; my < mask.Height(); ++my)
        for (int32_t mx = 0; mx < mask.Width(); ++mx) {
            const int32_t tx = ox + mx - 2, ty = oy + my - 2;
            if (tx < 0 || ty < 0 || tx >= m_width || ty >= m_height)
                continue;
            const double coverage = gdi::GreenOf(mask.GetColor(mx, my)) / 255.0;
            if (coverage > 0)
                Blend(Index(tx, ty), c, coverage * opacity);
        }
}

void Layer::TextCentred(const gdi::FontSpec& font, const std::string& text, double cx, double cy, Rgbf c,
                        double opacity)
{
    const gdi::FontSpec pixelFont = ScaledFont(font, m_scale);
    const gdi::Size extent = gdi::MeasureText(pixelFont, text);
    TextAtPixel(pixelFont, text, int32_t(std::floor(cx * m_scale - extent.cx / 2.0)),
                int32_t(std::floor(cy * m_scale - extent.cy / 2.0)), c, opacity);
}

void Layer::Draw(const Layer& other, int32_t x, int32_t y, double opacity)
{
    x = Scaled(x, m_scale);
    y = Scaled(y, m_scale);
    for (int32_t oy = 0; oy < other.m_height; ++oy)
        for (int32_t ox = 0; ox < other.m_width; ++ox) {
            const int32_t tx = x + ox, ty = y + oy;
            if (tx < 0 || ty < 0 || tx >= m_width || ty >= m_height)
                continue;
            const double a = other.Alpha(ox, oy);
            if (a > 0)
                Blend(Index(tx, ty), other.Colour(ox, oy), a * opacity);
        }
}

Rgbf Layer::Colour(int32_t x, int32_t y) const
{
    const size_t i = Index(x, y);
    if (m_a[i] <= 0)
        return {};
    return {m_r[i] / m_a[i], m_g[i] / m_a[i], m_b[i] / m_a[i]};
}

Layer Layer::Crop(int32_t x, int32_t y, int32_t width, int32_t height) const
{
    DrawingScaleScope scale(m_scale);
    Layer out(width, height);
    // A piece that would reach past the far edge (two halves rounded up) ends
    // at it: those pieces are the right and bottom ones.
    x = std::min(Scaled(x, m_scale), m_width - out.m_width);
    y = std::min(Scaled(y, m_scale), m_height - out.m_height);
    for (int32_t cy = 0; cy < out.m_height; ++cy)
        for (int32_t cx = 0; cx < out.m_width; ++cx) {
            const size_t from = Index(x + cx, y + cy), to = out.Index(cx, cy);
            out.m_r[to] = m_r[from];
            out.m_g[to] = m_g[from];
            out.m_b[to] = m_b[from];
            out.m_a[to] = m_a[from];
        }
    return out;
}

namespace {

uint8_t Byte(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

gdi::ColorRef Ref(Rgbf c) { return gdi::Rgb(Byte(c.r), Byte(c.g), Byte(c.b)); }

} // namespace

gdi::Bitmap Layer::Opaque(Rgbf matte) const
{
    gdi::Bitmap out(m_width, m_height);
    for (int32_t y = 0; y < m_height; ++y)
        for (int32_t x = 0; x < m_width; ++x) {
            const size_t i = Index(x, y);
            const double keep = 1 - m_a[i];
            out.SetPixel(x, y, gdi::PixelOf(Ref({m_r[i] + matte.r * keep, m_g[i] + matte.g * keep,
                                                 m_b[i] + matte.b * keep})));
        }
    out.SetBitsPerPixel(24);
    return out;
}

gdi::Bitmap Layer::ColourOnly() const
{
    gdi::Bitmap out(m_width, m_height);
    for (int32_t y = 0; y < m_height; ++y)
        for (int32_t x = 0; x < m_width; ++x)
            out.SetPixel(x, y, gdi::PixelOf(Ref(Colour(x, y))));
    out.SetBitsPerPixel(24);
    return out;
}

gdi::Bitmap Layer::WithAlpha() const
{
    gdi::Bitmap out(m_width, m_height);
    for (int32_t y = 0; y < m_height; ++y)
        for (int32_t x = 0; x < m_width; ++x)
            out.SetPixel(x, y, gdi::PixelOf(Ref(Colour(x, y)), Byte(m_a[Index(x, y)] * 255)));
    out.SetBitsPerPixel(32);
    return out;
}

gdi::Bitmap Layer::AlphaMask() const
{
    std::vector<gdi::ColorRef> ramp(256);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = gdi::Rgb(uint8_t(i), uint8_t(i), uint8_t(i));
    std::vector<uint8_t> indices(size_t(m_width) * size_t(m_height));
    gdi::Bitmap out(m_width, m_height);
    for (int32_t y = 0; y < m_height; ++y)
        for (int32_t x = 0; x < m_width; ++x) {
            const uint8_t alpha = Byte(m_a[Index(x, y)] * 255);
            indices[Index(x, y)] = alpha;
            out.SetPixel(x, y, gdi::PixelOf(ramp[alpha]));
        }
    out.SetBitsPerPixel(8);
    out.SetPaletteData(std::move(ramp), std::move(indices));
    return out;
}

gdi::Size Measure(const gdi::FontSpec& font, const std::string& text)
{
    if (g_scale == 1)
        return gdi::MeasureText(font, text);
    const gdi::Size pixels = gdi::MeasureText(ScaledFont(font, g_scale), text);
    return {int32_t(std::lround(pixels.cx / g_scale)), int32_t(std::lround(pixels.cy / g_scale))};
}

gdi::FontSpec FitFont(gdi::FontSpec font, const std::string& text, int32_t width)
{
    while (font.height > 6 && Measure(font, text).cx > width)
        --font.height;
    return font;
}

// --- output -----------------------------------------------------------------

Output::Output(std::string programFolder, std::string lookFolder)
    : m_skin(programFolder + "/skin"), m_program(std::move(programFolder)), m_look(std::move(lookFolder))
{
}

std::string Output::AtScale(const std::string& name)
{
    const size_t dot = name.rfind('.');
    const std::string suffix = ScaleSuffix(g_scale);
    return dot == std::string::npos ? name + suffix : name.substr(0, dot) + suffix + name.substr(dot);
}

bool Output::Picture(const std::string& unscaled, const gdi::Bitmap& picture)
{
    const std::string name = unscaled + ScaleSuffix(g_scale);
    std::string error;
    m_written.insert(name + ".bmp");
    if (!gdi::SaveBmp(m_skin + "/" + name + ".bmp", picture, &error)) {
        std::fprintf(stderr, "make-host-artwork: %s/%s.bmp: %s\n", m_skin.c_str(), name.c_str(), error.c_str());
        ok = false;
        return false;
    }
    if (!m_look.empty() && !gdi::SavePng(m_look + "/" + name + ".png", picture, &error)) {
        std::fprintf(stderr, "make-host-artwork: %s/%s.png: %s\n", m_look.c_str(), name.c_str(), error.c_str());
        ok = false;
        return false;
    }
    return true;
}

void Output::Prune()
{
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(m_skin, error)) {
        const std::string file = item.path().filename().string();
        if (item.path().extension() == ".bmp" && !m_written.count(file)) {
            std::filesystem::remove(item.path(), error);
            if (error) {
                std::fprintf(stderr, "make-host-artwork: cannot remove %s: %s\n", item.path().c_str(),
                             error.message().c_str());
                ok = false;
            }
        }
    }
}

void Output::Look(const std::string& name, const gdi::Bitmap& picture)
{
    if (!m_look.empty())
        gdi::SavePng(m_look + "/" + name + ScaleSuffix(g_scale) + ".png", picture);
}

bool Output::File(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = m_program + "/" + AtScale(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-host-artwork: cannot write %s\n", path.c_str());
        ok = false;
        return false;
    }
    return true;
}

} // namespace kestrava::artwork
