// Helpers shared by the drawing library's own sources. They are hidden from
// the library's exports: modules and the host use the public headers only.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

#define KESTRAVA_GDI_HIDDEN __attribute__((visibility("hidden")))

namespace kestrava::gdi::internal {

// Writes the bytes through WriteFileDurably, so a reader never sees half a
// picture and a failed write leaves the old file as it was; the error names
// the path.
KESTRAVA_GDI_HIDDEN bool WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size,
                                            std::string* error);

// The one pixel-copy routine behind the block copies and the canvas's
// bitmap drawing: the source rectangle (sx, sy, sw, sh) is scaled to the
// destination rectangle (x, y, w, h) by nearest pixel and written where it
// falls inside clip and the destination's bounds. Source pixels outside the
// source bitmap are left out, as are pixels whose colour equals *key when a
// key is given. Empty or negative sizes copy nothing. Source and
// destination may be the same bitmap, overlapping or not.
KESTRAVA_GDI_HIDDEN void CopyPixels(Bitmap& dst, const Rect& clip, int32_t x, int32_t y, int32_t w, int32_t h,
                                    const Bitmap& src, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                                    const ColorRef* key);

} // namespace kestrava::gdi::internal
