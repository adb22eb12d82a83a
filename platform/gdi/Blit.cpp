// Block copies between device contexts, and the pixel-copy routine the
// canvas draws bitmaps with.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Internal.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestrava::gdi {

namespace internal {

namespace {

// The source pixel that destination pixel i of a run of `to` pixels takes
// from a run of `from` pixels: the one under the destination pixel's centre,
// floor((i + 1/2) * from / to), in exact integers. With both sizes below
// 2^31 the product stays below 2^63.
int64_t SourceOffset(int64_t i, int64_t from, int64_t to) { return ((2 * i + 1) * from) / (2 * to); }

} // namespace

void CopyPixels(Bitmap& dst, const Rect& clip, int32_t x, int32_t y, int32_t w, int32_t h, const Bitmap& src,
                int32_t sx, int32_t sy, int32_t sw, int32_t sh, const ColorRef* key)
{
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0 || src.Empty())
        return;
    const Rect area = Intersect(clip, {0, 0, dst.Width(), dst.Height()});
    if (area.Empty())
        return;

    // The visible part of the destination rectangle, relative to (x, y).
    int64_t i0 = std::max<int64_t>(0, int64_t(area.left) - x);
    int64_t i1 = std::min<int64_t>(w, int64_t(area.right) - x);
    int64_t j0 = std::max<int64_t>(0, int64_t(area.top) - y);
    int64_t j1 = std::min<int64_t>(h, int64_t(area.bottom) - y);
    if (i0 >= i1 || j0 >= j1)
        return;
    dst.MarkDrawn({int32_t(x + i0), int32_t(y + j0), int32_t(x + i1), int32_t(y + j1)});
    Traffic().copied.fetch_add(uint64_t((i1 - i0) * (j1 - j0)), std::memory_order_relaxed);

    // A bitmap declared with fewer than 32 bits has no alpha: whatever is
    // copied into it stays opaque, as SetBitsPerPixel(24) promises.
    const Pixel forceOpaque = dst.BitsPerPixel() == 32 ? 0u : 0xFF000000u;

    if (w == sw && h == sh && key == nullptr) {
        i0 = std::max<int64_t>(i0, -int64_t(sx));
        i1 = std::min<int64_t>(i1, int64_t(src.Width()) - sx);
        j0 = std::max<int64_t>(j0, -int64_t(sy));
        j1 = std::min<int64_t>(j1, int64_t(src.Height()) - sy);
        if (i0 >= i1 || j0 >= j1)
            return;
        const size_t count = size_t(i1 - i0);
        auto copyRow = [&](int64_t j) {
            const Pixel* from = src.Row(int32_t(sy + j)) + (sx + i0);
            Pixel* to = dst.Row(int32_t(y + j)) + (x + i0);
            std::memmove(to, from, count * sizeof(Pixel));
            if (forceOpaque != 0)
                for (size_t k = 0; k < count; ++k)
                    to[k] |= forceOpaque;
        };
        // Within one bitmap, a copy that moves the picture down has to start
        // with the bottom row, or it would read rows it has already
        // overwritten; memmove takes care of the overlap within a row.
        if (&dst == &src && y > sy) {
            for (int64_t j = j1 - 1; j >= j0; --j)
                copyRow(j);
        } else {
            for (int64_t j = j0; j < j1; ++j)
                copyRow(j);
        }
        return;
    }

    // Scaled or keyed copies read pixels in no simple order, so a copy
    // within one bitmap reads from a snapshot of it.
    Bitmap snapshot;
    const Bitmap* from = &src;
    if (&dst == &src) {
        snapshot = src;
        from = &snapshot;
    }

    std::vector<int32_t> columns(size_t(i1 - i0));
    for (int64_t i = i0; i < i1; ++i) {
        const int64_t c = sx + SourceOffset(i, sw, w);
        columns[size_t(i - i0)] = c >= 0 && c < from->Width() ? int32_t(c) : -1;
    }
    const Pixel keyRgb = key != nullptr ? PixelOf(*key) & 0x00FFFFFFu : 0u;

    for (int64_t j = j0; j < j1; ++j) {
        const int64_t row = sy + SourceOffset(j, sh, h);
        if (row < 0 || row >= from->Height())
            continue;
        const Pixel* s = from->Row(int32_t(row));
        Pixel* d = dst.Row(int32_t(y + j));
        for (int64_t i = i0; i < i1; ++i) {
            const int32_t c = columns[size_t(i - i0)];
            if (c < 0)
                continue;
            const Pixel p = s[c];
            if (key != nullptr && (p & 0x00FFFFFFu) == keyRgb)
                continue;
            d[x + i] = p | forceOpaque;
        }
    }
}

} // namespace internal

namespace {

Rect Bounds(const Bitmap& b) { return {0, 0, b.Width(), b.Height()}; }

} // namespace

void BitBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy)
{
    Bitmap* d = ResolveDC(dst);
    const Bitmap* s = ResolveDC(src);
    if (d == nullptr || s == nullptr)
        return;
    internal::CopyPixels(*d, Bounds(*d), x, y, w, h, *s, sx, sy, w, h, nullptr);
}

void StretchBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh)
{
    Bitmap* d = ResolveDC(dst);
    const Bitmap* s = ResolveDC(src);
    if (d == nullptr || s == nullptr)
        return;
    internal::CopyPixels(*d, Bounds(*d), x, y, w, h, *s, sx, sy, sw, sh, nullptr);
}

void TransparentBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                    int32_t sh, ColorRef key)
{
    Bitmap* d = ResolveDC(dst);
    const Bitmap* s = ResolveDC(src);
    if (d == nullptr || s == nullptr)
        return;
    internal::CopyPixels(*d, Bounds(*d), x, y, w, h, *s, sx, sy, sw, sh, &key);
}

} // namespace kestrava::gdi
