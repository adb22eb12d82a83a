// Device contexts: 32-bit handles that the drawing library resolves to a
// bitmap. A module receives the handle of the host's test area in the status
// record and draws through it; a handle of 0, or one that is not (or no
// longer) registered, draws nothing and never crashes.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <cstdint>

namespace kestrava::gdi {

using HDC = uint32_t;

// Registers a bitmap as a drawing target; the bitmap must outlive the
// handle. [thread-safe]
HDC CreateBitmapDC(Bitmap& bitmap);
// Unregisters; later use of the handle draws nothing. [thread-safe]
void DeleteDC(HDC dc);

// The bitmap behind a handle, or null. Only valid while the owner keeps the
// bitmap; drawing happens under the owner's lock (the test area's canvas
// lock for the host's test area).
Bitmap* ResolveDC(HDC dc);

// Block copies between device contexts, clipped to both bitmaps.
void BitBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy);
// Scaled copy (nearest pixel, as the platform's default stretch mode).
void StretchBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh);
// Copy that leaves out every pixel of the colour key (scaled like StretchBlt
// when the sizes differ).
void TransparentBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy, int32_t sw,
                    int32_t sh, ColorRef key);

} // namespace kestrava::gdi
