// Bitmaps of the drawing library.
//
// Pixels are always held as 32-bit BGRA, top-down, whatever depth a bitmap
// declares. The declared depth (BitsPerPixel) is what the picture is saved
// with and what the resampler and the alpha masks look at; an image read
// from a palette file also keeps its palette indices, because alpha masks
// are stored as the index of each pixel.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrava::gdi {

// A colour as the system gives it: 0x00BBGGRR.
using ColorRef = uint32_t;
constexpr ColorRef Rgb(uint8_t r, uint8_t g, uint8_t b) { return ColorRef(r) | ColorRef(g) << 8 | ColorRef(b) << 16; }
constexpr uint8_t RedOf(ColorRef c) { return uint8_t(c); }
constexpr uint8_t GreenOf(ColorRef c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(ColorRef c) { return uint8_t(c >> 16); }

// A pixel in memory: bytes B, G, R, A, i.e. 0xAARRGGBB as a uint32.
using Pixel = uint32_t;
constexpr Pixel PixelOf(ColorRef c, uint8_t alpha = 255)
{
    return Pixel(BlueOf(c)) | Pixel(GreenOf(c)) << 8 | Pixel(RedOf(c)) << 16 | Pixel(alpha) << 24;
}
constexpr ColorRef ColorOf(Pixel p) { return Rgb(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)); }

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    constexpr int32_t Width() const { return right - left; }
    constexpr int32_t Height() const { return bottom - top; }
    constexpr bool Empty() const { return right <= left || bottom <= top; }
    constexpr bool operator==(const Rect&) const = default;
};
Rect Intersect(const Rect& a, const Rect& b);
Rect Union(const Rect& a, const Rect& b); // bounding box; an empty side is ignored

// A few disjoint rectangles that together cover what was drawn. Draws far
// apart stay apart (the two tracking fields of a test at the screen's two
// sides), so that what is copied and shown stays near what changed. Holds
// at most kMaxRects; one more merges with the rectangle it grows least.
class DrawnRegion {
public:
    static constexpr size_t kMaxRects = 8;
    void Add(Rect r);
    void Clear() { m_count = 0; }
    bool Empty() const { return m_count == 0; }
    size_t Size() const { return m_count; }
    const Rect* begin() const { return m_rects; }
    const Rect* end() const { return m_rects + m_count; }
    Rect Bounds() const;
    // Each rectangle cut to limit; those left empty dropped.
    DrawnRegion ClippedTo(const Rect& limit) const;

private:
    void Remove(size_t i) { m_rects[i] = m_rects[--m_count]; }
    Rect m_rects[kMaxRects]{};
    size_t m_count = 0;
};

// Whether the rectangles together cover every pixel of r.
bool Covers(const Rect* first, const Rect* last, const Rect& r);

struct Size {
    int32_t cx = 0, cy = 0;
    constexpr bool operator==(const Size&) const = default;
};

// Pixels written by fills and by copies since the program started, in
// every bitmap (the modules' surfaces too): what the benchmarks weigh
// against the pixels that change on screen.
struct PixelTraffic {
    std::atomic<uint64_t> filled{0};
    std::atomic<uint64_t> copied{0};
};
PixelTraffic& Traffic();

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int32_t width, int32_t height); // black, opaque, 32 bits per pixel
    ~Bitmap();
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    bool Empty() const { return m_width <= 0 || m_height <= 0; }
    // New size; the content is cleared to opaque black. Negative sizes count
    // as 0. Palette indices are dropped.
    void SetSize(int32_t width, int32_t height);
    // The new size with every pixel p, in one pass (and drawn as a Fill).
    void SetSize(int32_t width, int32_t height, Pixel p);

    Pixel* Row(int32_t y) { return m_pixels.data() + size_t(y) * size_t(m_width); }
    const Pixel* Row(int32_t y) const { return m_pixels.data() + size_t(y) * size_t(m_width); }
    Pixel GetPixel(int32_t x, int32_t y) const; // 0 outside
    void SetPixel(int32_t x, int32_t y, Pixel p); // ignored outside
    ColorRef GetColor(int32_t x, int32_t y) const { return ColorOf(GetPixel(x, y)); }
    void Fill(Pixel p);

    // Declared depth: 1, 4, 8, 24 or 32. Declaring 24 makes every pixel
    // opaque (24-bit pictures have no alpha).
    int32_t BitsPerPixel() const { return m_bitsPerPixel; }
    void SetBitsPerPixel(int32_t bits);

    // Palette and per-pixel indices of a picture read from a 1, 4 or 8 bit
    // file (empty otherwise). Any drawing into the bitmap leaves them as they
    // were read: they describe the file, not the current pixels.
    const std::vector<ColorRef>& Palette() const { return m_palette; }
    const std::vector<uint8_t>& Indices() const { return m_indices; }
    uint8_t IndexAt(int32_t x, int32_t y) const; // 0 when there are none
    void SetPaletteData(std::vector<ColorRef> palette, std::vector<uint8_t> indices);

    // Transparent drawing: every pixel of the colour of the lower-left pixel
    // is see-through when the bitmap is drawn with Canvas::Draw.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent) { m_transparent = transparent; }
    ColorRef TransparentColor() const { return Empty() ? 0 : GetColor(0, m_height - 1); }

    // The device context that draws into this bitmap; created on first use,
    // released with the bitmap. Valid until the bitmap is destroyed.
    uint32_t Handle();

    // The part of the bitmap drawn into since the last TakeDrawn: every
    // fill, line, text and copy through the drawing calls widens it. A
    // surface that a module draws on by itself is presented from this.
    void MarkDrawn(const Rect& r);
    // The bounding box of what was drawn, or the rectangles themselves.
    Rect TakeDrawn();
    DrawnRegion TakeDrawnRegion();
    Rect Drawn() const { return m_drawn.Bounds(); }

private:
    void ReleaseHandle();
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_bitsPerPixel = 32;
    bool m_transparent = false;
    std::vector<Pixel> m_pixels;
    std::vector<ColorRef> m_palette;
    std::vector<uint8_t> m_indices;
    uint32_t m_handle = 0;
    DrawnRegion m_drawn;
};

// BMP files: reads 1, 4, 8, 24 and 32 bits per pixel (uncompressed, and
// BI_BITFIELDS for 32 bit), bottom-up and top-down. On failure returns false,
// leaves the bitmap as it was and says why in error (if given). Never reads
// past what the file holds, whatever its header claims.
bool LoadBmp(const std::string& path, Bitmap& bitmap, std::string* error = nullptr);
bool DecodeBmp(const std::vector<uint8_t>& bytes, Bitmap& bitmap, std::string* error = nullptr);
// Writes in the bitmap's declared depth (bottom-up). Depths of 8 bits and
// less write the bitmap's palette and indices when it has them and they still
// match its pixels (nothing was drawn over them), and a palette made from its
// colours otherwise (false when more colours than fit). 32 bit keeps the
// alpha channel. The file is written to a temporary name and renamed into
// place.
bool SaveBmp(const std::string& path, const Bitmap& bitmap, std::string* error = nullptr);
std::vector<uint8_t> EncodeBmp(const Bitmap& bitmap, std::string* error = nullptr);
// PNG (8-bit RGBA) for captured frames and pictures to look at.
bool SavePng(const std::string& path, const Bitmap& bitmap, std::string* error = nullptr);

} // namespace kestrava::gdi
