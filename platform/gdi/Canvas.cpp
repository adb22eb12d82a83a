// The canvas: pen, brush and font on a device context, with the system's
// pixel rules: right and bottom edges are exclusive, lines leave out their
// end point, frames lie inside their rectangle.
//
// Shapes work in 64-bit coordinates and visit only what lies inside the
// clip, so a stray coordinate near the int32 limits neither wraps around
// nor walks billions of pixels.
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Internal.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace kestrava::gdi {

namespace {

// Fills [left, right) x [top, bottom) where it meets clip, which lies
// inside the target.
void FillBox(Bitmap& target, const Rect& clip, int64_t left, int64_t top, int64_t right, int64_t bottom, Pixel p)
{
    left = std::max<int64_t>(left, clip.left);
    top = std::max<int64_t>(top, clip.top);
    right = std::min<int64_t>(right, clip.right);
    bottom = std::min<int64_t>(bottom, clip.bottom);
    if (left >= right || top >= bottom)
        return;
    target.MarkDrawn({int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)});
    Traffic().filled.fetch_add(uint64_t((right - left) * (bottom - top)), std::memory_order_relaxed);
    for (int64_t y = top; y < bottom; ++y) {
        Pixel* row = target.Row(int32_t(y));
        std::fill(row + left, row + right, p);
    }
}

// One ring of a dotted frame: the outline of [l, r) x [t, b), walked
// clockwise from the top-left corner with every other pixel drawn, the
// corner first. Each pixel's place in the walk follows from its side and
// position, so only the part of each side inside the clip is visited.
void DottedRing(Bitmap& target, const Rect& clip, int64_t l, int64_t t, int64_t r, int64_t b, Pixel p)
{
    const int64_t w = r - l;
    const int64_t h = b - t;
    const Rect ring = Intersect({int32_t(l), int32_t(t), int32_t(r), int32_t(b)}, clip);
    target.MarkDrawn(ring);
    auto across = [&](int64_t y, int64_t from, int64_t to, auto walkIndex) { // x in [from, to)
        if (y < clip.top || y >= clip.bottom)
            return;
        Pixel* row = target.Row(int32_t(y));
        for (int64_t x = std::max<int64_t>(from, clip.left); x < std::min<int64_t>(to, clip.right); ++x)
            if (walkIndex(x) % 2 == 0)
                row[x] = p;
    };
    auto down = [&](int64_t x, int64_t from, int64_t to, auto walkIndex) { // y in [from, to)
        if (x < clip.left || x >= clip.right)
            return;
        for (int64_t y = std::max<int64_t>(from, clip.top); y < std::min<int64_t>(to, clip.bottom); ++y)
            if (walkIndex(y) % 2 == 0)
                target.Row(int32_t(y))[x] = p;
    };
    across(t, l, r, [&](int64_t x) { return x - l; });
    down(r - 1, t + 1, b, [&](int64_t y) { return (w - 1) + (y - t); });
    if (h > 1)
        across(b - 1, l, r - 1, [&](int64_t x) { return (w - 1) + (h - 1) + (r - 1 - x); });
    if (w > 1)
        down(l, t + 1, b - 1, [&](int64_t y) { return 2 * (w - 1) + (h - 1) + (b - 1 - y); });
}

// A pen of width w covers the offsets lo..lo + w - 1 around each point of
// its line: centred for odd widths, and one more pixel to the right and
// below for even widths (width 2 is the point and its right and lower
// neighbours).
int64_t PenWidth(const Pen& pen) { return std::max<int64_t>(pen.width, 1); }
int64_t PenLow(int64_t width) { return -((width - 1) / 2); }

bool FitsInt32(int64_t v) { return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max(); }

} // namespace

Rect Canvas::ClipFor(const Bitmap& target) const
{
    const Rect bounds{0, 0, target.Width(), target.Height()};
    return m_clip.Empty() ? bounds : Intersect(m_clip, bounds);
}

void Canvas::FillRect(const Rect& r)
{
    Bitmap* target = Target();
    if (target == nullptr || brush.style == BrushStyle::Clear)
        return;
    FillBox(*target, ClipFor(*target), r.left, r.top, r.right, r.bottom, PixelOf(brush.color));
}

void Canvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Bitmap* target = Target();
    if (target == nullptr)
        return;
    const Rect clip = ClipFor(*target);
    const int64_t l = std::min(left, right);
    const int64_t r = std::max(left, right);
    const int64_t t = std::min(top, bottom);
    const int64_t b = std::max(top, bottom);
    if (l == r || t == b)
        return;

    const int64_t w = pen.style == PenStyle::Clear ? 0 : PenWidth(pen);
    if (brush.style == BrushStyle::Solid)
        FillBox(*target, clip, l + w, t + w, r - w, b - w, PixelOf(brush.color));
    if (w == 0)
        return;
    const Pixel ink = PixelOf(pen.color);
    if (pen.style == PenStyle::Dot) {
        for (int64_t i = 0; i < w && l + i < r - i && t + i < b - i; ++i)
            DottedRing(*target, clip, l + i, t + i, r - i, b - i, ink);
        return;
    }
    // Four bands of the pen's width along the inside of the outline; a
    // rectangle narrower than two pen widths is all frame.
    FillBox(*target, clip, l, t, r, std::min(t + w, b), ink);
    FillBox(*target, clip, l, std::max(b - w, t + w), r, b, ink);
    FillBox(*target, clip, l, t + w, std::min(l + w, r), b - w, ink);
    FillBox(*target, clip, std::max(r - w, l + w), t + w, r, b - w, ink);
}

// The dot pattern starts afresh at MoveTo and runs on through a series of
// LineTo calls, so a polyline's dots keep their rhythm around its corners.
void Canvas::MoveTo(int32_t x, int32_t y)
{
    m_penX = x;
    m_penY = y;
    m_dotPhase = 0;
}

void Canvas::LineTo(int32_t x, int32_t y)
{
    const int64_t x0 = m_penX;
    const int64_t y0 = m_penY;
    m_penX = x;
    m_penY = y;
    const int64_t dx = x - x0;
    const int64_t dy = y - y0;
    // One pixel per step along the longer axis; the end point is left out,
    // so a line of n steps draws n pixels.
    const int64_t n = std::max(std::abs(dx), std::abs(dy));
    const int64_t phase = m_dotPhase;
    m_dotPhase = int32_t((phase + n) % 2);

    Bitmap* target = Target();
    if (target == nullptr || n == 0 || pen.style == PenStyle::Clear)
        return;
    const Rect clip = ClipFor(*target);
    const Pixel ink = PixelOf(pen.color);
    const int64_t width = PenWidth(pen);
    const int64_t lo = PenLow(width);
    const int64_t hi = lo + width - 1;

    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int64_t majorStart = xMajor ? x0 : y0;
    const int64_t minorStart = xMajor ? y0 : x0;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const uint64_t minorRun = uint64_t(std::abs(xMajor ? dy : dx));
    const int64_t clipLow = xMajor ? clip.left : clip.top;
    const int64_t clipHigh = (xMajor ? clip.right : clip.bottom) - 1;

    // Only the steps whose pen stamp can reach into the clip along the
    // major axis are visited.
    int64_t first = majorStep > 0 ? clipLow - hi - majorStart : majorStart - (clipHigh - lo);
    int64_t last = majorStep > 0 ? clipHigh - lo - majorStart : majorStart - (clipLow - hi);
    first = std::max<int64_t>(first, 0);
    last = std::min(last, n - 1);

    const bool dotted = pen.style == PenStyle::Dot;
    for (int64_t k = first; k <= last; ++k) {
        if (dotted && (phase + k) % 2 != 0)
            continue;
        // Bresenham's choice in closed form: the minor offset is k * run / n
        // rounded to nearest, halves away from the start. k * run stays
        // below 2^64 because both are below 2^32.
        const uint64_t q = uint64_t(k) * minorRun;
        uint64_t offset = q / uint64_t(n);
        if (2 * (q % uint64_t(n)) >= uint64_t(n))
            ++offset;
        const int64_t major = majorStart + majorStep * k;
        const int64_t minor = minorStart + minorStep * int64_t(offset);
        const int64_t px = xMajor ? major : minor;
        const int64_t py = xMajor ? minor : major;
        FillBox(*target, clip, px + lo, py + lo, px + hi + 1, py + hi + 1, ink);
    }
}

void Canvas::TextOut(int32_t x, int32_t y, std::string_view utf8)
{
    Bitmap* target = Target();
    if (target == nullptr)
        return;
    DrawText(*target, ClipFor(*target), x, y, utf8, font, font.color, brush.style == BrushStyle::Solid, brush.color);
}

// Measuring needs no surface, so it answers even without a target.
Size Canvas::TextExtent(std::string_view utf8) const { return MeasureText(font, utf8); }

void Canvas::Draw(int32_t x, int32_t y, const Bitmap& bitmap)
{
    Bitmap* target = Target();
    if (target == nullptr || bitmap.Empty())
        return;
    const ColorRef key = bitmap.TransparentColor();
    internal::CopyPixels(*target, ClipFor(*target), x, y, bitmap.Width(), bitmap.Height(), bitmap, 0, 0,
                         bitmap.Width(), bitmap.Height(), bitmap.Transparent() ? &key : nullptr);
}

void Canvas::StretchDraw(const Rect& r, const Bitmap& bitmap)
{
    Bitmap* target = Target();
    const int64_t w = int64_t(r.right) - r.left;
    const int64_t h = int64_t(r.bottom) - r.top;
    if (target == nullptr || bitmap.Empty() || !FitsInt32(w) || !FitsInt32(h))
        return;
    const ColorRef key = bitmap.TransparentColor();
    internal::CopyPixels(*target, ClipFor(*target), r.left, r.top, int32_t(w), int32_t(h), bitmap, 0, 0,
                         bitmap.Width(), bitmap.Height(), bitmap.Transparent() ? &key : nullptr);
}

void Canvas::CopyRect(const Rect& dst, HDC src, const Rect& srcRect)
{
    Bitmap* target = Target();
    const Bitmap* source = ResolveDC(src);
    const int64_t w = int64_t(dst.right) - dst.left;
    const int64_t h = int64_t(dst.bottom) - dst.top;
    const int64_t sw = int64_t(srcRect.right) - srcRect.left;
    const int64_t sh = int64_t(srcRect.bottom) - srcRect.top;
    if (target == nullptr || source == nullptr || !FitsInt32(w) || !FitsInt32(h) || !FitsInt32(sw) || !FitsInt32(sh))
        return;
    internal::CopyPixels(*target, ClipFor(*target), dst.left, dst.top, int32_t(w), int32_t(h), *source, srcRect.left,
                         srcRect.top, int32_t(sw), int32_t(sh), nullptr);
}

} // namespace kestrava::gdi
