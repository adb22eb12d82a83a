#include "ui/AlphaBitmap.h"

#include "ui/Resources.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Paths.h"

#include <cstddef>
#include <limits>
#include <utility>

namespace kestrava::ui {

namespace {

using gdi::Pixel;

uint32_t Mix(uint32_t a, uint32_t s, uint32_t d) { return (a * s + (256 - a) * d) >> 8; }

// The picture and the scratch copy are both w × h 32-bit pixels without row
// padding, so the blend walks them as one run instead of row by row. The
// factor 256 − a (not 255 − a) is deliberate: it keeps the division a shift
// and is what the artwork was tuned against, so a half-transparent black
// pixel over white gives 127, not 126.
void BlendRun(const Pixel* src, Pixel* dst, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const Pixel s = src[i];
        const uint32_t a = s >> 24;
        if (a == 255) {
            dst[i] = s;
        } else if (a != 0) {
            const Pixel d = dst[i];
            const uint32_t b = Mix(a, s & 0xFF, d & 0xFF);
            const uint32_t g = Mix(a, (s >> 8) & 0xFF, (d >> 8) & 0xFF);
            const uint32_t r = Mix(a, (s >> 16) & 0xFF, (d >> 16) & 0xFF);
            dst[i] = (d & 0xFF000000u) | r << 16 | g << 8 | b;
        }
    }
}

// A scratch bitmap with a device context of its own, so that the canvas's
// copy routines (and with them its clip) can read from it.
struct Scratch {
    explicit Scratch(const gdi::Bitmap& picture)
        : bitmap(picture.Width(), picture.Height()), dc(gdi::CreateBitmapDC(bitmap))
    {
    }
    ~Scratch() { gdi::DeleteDC(dc); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    void Blend(const gdi::Bitmap& picture)
    {
        BlendRun(picture.Row(0), bitmap.Row(0), size_t(picture.Width()) * size_t(picture.Height()));
    }

    gdi::Bitmap bitmap;
    gdi::HDC dc;
};

// Whether a rectangle of the picture's size at (x, y) still has coordinates
// that fit 32 bits; further out it could not touch any target anyway.
bool Fits32(int64_t start, int32_t length)
{
    return start >= std::numeric_limits<int32_t>::min() && start + length <= std::numeric_limits<int32_t>::max();
}

bool Placeable(int32_t x, int32_t y, const gdi::Bitmap& picture)
{
    return !picture.Empty() && Fits32(x, picture.Width()) && Fits32(y, picture.Height());
}

bool Fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

} // namespace

bool ApplyAlphaMask(gdi::Bitmap& picture, const gdi::Bitmap* mask)
{
    if (picture.BitsPerPixel() != 24)
        return false;
    // Declaring 24 bits made every pixel opaque, which is what a picture
    // without a usable mask keeps.
    picture.SetBitsPerPixel(32);
    const int32_t w = picture.Width();
    const int32_t h = picture.Height();
    if (mask == nullptr || mask->BitsPerPixel() != 8 || mask->Width() != w || mask->Height() != h ||
        mask->Indices().size() != size_t(w) * size_t(h))
        return false;
    for (int32_t y = 0; y < h; ++y) {
        Pixel* row = picture.Row(y);
        for (int32_t x = 0; x < w; ++x)
            row[x] = (row[x] & 0x00FFFFFFu) | Pixel(mask->IndexAt(x, y)) << 24;
    }
    return true;
}

bool TAlphaBitmap::LoadResourceWithAlpha(const std::string& resourceFolder, const std::string& name,
                                         std::string* error)
{
    gdi::Bitmap picture;
    std::string why;
    if (!gdi::LoadBmp(ResourcePath(resourceFolder, name), picture, &why))
        return Fail(error, "bitmap resource " + name + " not found: " + why);
    if (picture.BitsPerPixel() == 24) {
        // A missing mask is not an error: the picture is simply drawn opaque.
        gdi::Bitmap mask;
        const bool haveMask = gdi::LoadBmp(ResourcePath(resourceFolder, name + "A"), mask);
        ApplyAlphaMask(picture, haveMask ? &mask : nullptr);
    }
    gdi::Bitmap::operator=(std::move(picture));
    return true;
}

bool TAlphaBitmap::LoadRCData(const std::string& resourceFolder, const std::string& name, std::string* error)
{
    gdi::Bitmap picture;
    std::string why;
    if (!gdi::LoadBmp(ResourcePath(resourceFolder, name), picture, &why))
        return Fail(error, "data resource " + name + " not found: " + why);
    gdi::Bitmap::operator=(std::move(picture));
    return true;
}

bool TAlphaBitmap::LoadFromFile(const std::string& path, std::string* error)
{
    gdi::Bitmap picture;
    if (!gdi::LoadBmp(path, picture, error))
        return false;
    if (picture.BitsPerPixel() == 24) {
        gdi::Bitmap mask;
        const bool haveMask =
            gdi::LoadBmp(ChangeFileExt(path, ".ALP"), mask) || gdi::LoadBmp(ChangeFileExt(path, ".alp"), mask);
        ApplyAlphaMask(picture, haveMask ? &mask : nullptr);
    }
    gdi::Bitmap::operator=(std::move(picture));
    return true;
}

void TAlphaBitmap::LoadResourceWithAlpha(const std::string& name)
{
    gdi::Bitmap picture = LoadResourceBitmap(name);
    if (picture.BitsPerPixel() == 24) {
        gdi::Bitmap mask;
        const bool haveMask = HasResource(name + "A") && gdi::LoadBmp(ResourcePath(name + "A"), mask);
        ApplyAlphaMask(picture, haveMask ? &mask : nullptr);
    }
    gdi::Bitmap::operator=(std::move(picture));
}

void TAlphaBitmap::LoadRCData(const std::string& name) { gdi::Bitmap::operator=(LoadResourceBitmap(name)); }

void TAlphaBitmap::Draw(app::Canvas& canvas, int32_t x, int32_t y) const { AlphaBlend(canvas, x, y, *this); }

void TAlphaBitmap::Draw(gdi::Canvas& canvas, int32_t x, int32_t y) const { AlphaBlend(canvas, x, y, *this); }

void AlphaBlend(app::Canvas& canvas, int32_t x, int32_t y, const gdi::Bitmap& picture)
{
    if (canvas.ScreenClip().Empty() || canvas.Target() == nullptr || !Placeable(x, y, picture))
        return;
    const int64_t screenX = int64_t(x) + canvas.OriginX();
    const int64_t screenY = int64_t(y) + canvas.OriginY();
    if (!Fits32(screenX, picture.Width()) || !Fits32(screenY, picture.Height()))
        return;
    const int32_t w = picture.Width();
    const int32_t h = picture.Height();
    Scratch scratch(picture);
    gdi::BitBlt(scratch.dc, 0, 0, w, h, canvas.Handle(), int32_t(screenX), int32_t(screenY));
    scratch.Blend(picture);
    canvas.CopyRect({x, y, x + w, y + h}, scratch.dc, {0, 0, w, h});
}

void AlphaBlend(gdi::Canvas& canvas, int32_t x, int32_t y, const gdi::Bitmap& picture)
{
    if (gdi::ResolveDC(canvas.Handle()) == nullptr || !Placeable(x, y, picture))
        return;
    const int32_t w = picture.Width();
    const int32_t h = picture.Height();
    Scratch scratch(picture);
    gdi::BitBlt(scratch.dc, 0, 0, w, h, canvas.Handle(), x, y);
    scratch.Blend(picture);
    canvas.CopyRect({x, y, x + w, y + h}, scratch.dc, {0, 0, w, h});
}

} // namespace kestrava::ui
