#include "platform/gdi/Bitmap.h"

#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace kestrava::gdi {

Rect Intersect(const Rect& a, const Rect& b)
{
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.Empty())
        return {};
    return r;
}

Rect Union(const Rect& a, const Rect& b)
{
    if (a.Empty())
        return b;
    if (b.Empty())
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

PixelTraffic& Traffic()
{
    static PixelTraffic traffic;
    return traffic;
}

Bitmap::Bitmap(int32_t width, int32_t height) { SetSize(width, height); }

Bitmap::~Bitmap() { ReleaseHandle(); }

// A handle names one bitmap object at one address: copies and moves start
// without one and get their own on first use.
Bitmap::Bitmap(const Bitmap& other)
    : m_width(other.m_width), m_height(other.m_height), m_bitsPerPixel(other.m_bitsPerPixel),
      m_transparent(other.m_transparent), m_pixels(other.m_pixels), m_palette(other.m_palette),
      m_indices(other.m_indices)
{
}

Bitmap& Bitmap::operator=(const Bitmap& other)
{
    if (this != &other) {
        m_width = other.m_width;
        m_height = other.m_height;
        m_bitsPerPixel = other.m_bitsPerPixel;
        m_transparent = other.m_transparent;
        m_pixels = other.m_pixels;
        m_palette = other.m_palette;
        m_indices = other.m_indices;
    }
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_bitsPerPixel(other.m_bitsPerPixel), m_transparent(other.m_transparent), m_pixels(std::move(other.m_pixels)),
      m_palette(std::move(other.m_palette)), m_indices(std::move(other.m_indices))
{
    other.ReleaseHandle();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
    if (this != &other) {
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_bitsPerPixel = other.m_bitsPerPixel;
        m_transparent = other.m_transparent;
        m_pixels = std::move(other.m_pixels);
        m_palette = std::move(other.m_palette);
        m_indices = std::move(other.m_indices);
        other.ReleaseHandle();
    }
    return *this;
}

void Bitmap::SetSize(int32_t width, int32_t height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_pixels.assign(size_t(m_width) * size_t(m_height), PixelOf(0));
    m_indices.clear();
}

void Bitmap::SetSize(int32_t width, int32_t height, Pixel p)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_pixels.assign(size_t(m_width) * size_t(m_height), p);
    m_indices.clear();
    Traffic().filled.fetch_add(m_pixels.size(), std::memory_order_relaxed);
    MarkDrawn({0, 0, m_width, m_height});
}

Pixel Bitmap::GetPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return Row(y)[x];
}

void Bitmap::SetPixel(int32_t x, int32_t y, Pixel p)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    Row(y)[x] = p;
}

void Bitmap::Fill(Pixel p)
{
    std::fill(m_pixels.begin(), m_pixels.end(), p);
    Traffic().filled.fetch_add(m_pixels.size(), std::memory_order_relaxed);
    MarkDrawn({0, 0, m_width, m_height});
}

void Bitmap::SetBitsPerPixel(int32_t bits)
{
    m_bitsPerPixel = bits;
    if (bits == 24)
        for (Pixel& p : m_pixels)
            p |= 0xFF000000u;
}

uint8_t Bitmap::IndexAt(int32_t x, int32_t y) const
{
    if (m_indices.size() != size_t(m_width) * size_t(m_height) || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_indices[size_t(y) * size_t(m_width) + size_t(x)];
}

void Bitmap::SetPaletteData(std::vector<ColorRef> palette, std::vector<uint8_t> indices)
{
    m_palette = std::move(palette);
    m_indices = std::move(indices);
}

namespace {

int64_t Area(const Rect& r) { return r.Empty() ? 0 : int64_t(r.Width()) * r.Height(); }

bool Overlap(const Rect& a, const Rect& b) { return !Intersect(a, b).Empty(); }

bool Inside(const Rect& inner, const Rect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

void DrawnRegion::Add(Rect r)
{
    if (r.Empty())
        return;
    for (const Rect& have : *this)
        if (Inside(r, have))
            return;
    // What r overlaps joins it, until it overlaps nothing: the rectangles
    // stay disjoint. A full region gives up the rectangle that grows least.
    for (;;) {
        bool merged = false;
        for (size_t i = 0; i < m_count; ++i)
            if (Overlap(m_rects[i], r)) {
                r = Union(r, m_rects[i]);
                Remove(i);
                merged = true;
                break;
            }
        if (merged)
            continue;
        if (m_count < kMaxRects)
            break;
        size_t best = 0;
        int64_t bestGrowth = INT64_MAX;
        for (size_t i = 0; i < m_count; ++i) {
            const int64_t growth = Area(Union(m_rects[i], r)) - Area(m_rects[i]);
            if (growth < bestGrowth) {
                bestGrowth = growth;
                best = i;
            }
        }
        r = Union(r, m_rects[best]);
        Remove(best);
    }
    m_rects[m_count++] = r;
}

Rect DrawnRegion::Bounds() const
{
    Rect bounds{};
    for (const Rect& r : *this)
        bounds = Union(bounds, r);
    return bounds;
}

DrawnRegion DrawnRegion::ClippedTo(const Rect& limit) const
{
    DrawnRegion clipped;
    for (const Rect& r : *this)
        if (const Rect c = Intersect(r, limit); !c.Empty())
            clipped.m_rects[clipped.m_count++] = c;
    return clipped;
}

bool Covers(const Rect* first, const Rect* last, const Rect& r)
{
    if (r.Empty())
        return true;
    for (; first != last; ++first) {
        const Rect hit = Intersect(*first, r);
        if (hit.Empty())
            continue;
        // What of r lies outside *first: up to four bands, each of which
        // the remaining rectangles must cover.
        const Rect rest[] = {{r.left, r.top, r.right, hit.top},
                             {r.left, hit.bottom, r.right, r.bottom},
                             {r.left, hit.top, hit.left, hit.bottom},
                             {hit.right, hit.top, r.right, hit.bottom}};
        for (const Rect& band : rest)
            if (!Covers(first + 1, last, band))
                return false;
        return true;
    }
    return false;
}

void Bitmap::MarkDrawn(const Rect& r) { m_drawn.Add(r); }

Rect Bitmap::TakeDrawn() { return TakeDrawnRegion().Bounds(); }

DrawnRegion Bitmap::TakeDrawnRegion()
{
    const DrawnRegion drawn = m_drawn.ClippedTo({0, 0, m_width, m_height});
    m_drawn.Clear();
    return drawn;
}

uint32_t Bitmap::Handle()
{
    if (m_handle == 0)
        m_handle = CreateBitmapDC(*this);
    return m_handle;
}

void Bitmap::ReleaseHandle()
{
    if (m_handle != 0) {
        DeleteDC(m_handle);
        m_handle = 0;
    }
}

} // namespace kestrava::gdi
