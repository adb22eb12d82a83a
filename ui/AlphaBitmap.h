// A picture with a per-pixel alpha channel that blends itself over whatever
// it is drawn on.
//
// The skinned windows and dialogs float soft-edged, partly transparent
// pictures over the main window. Their artwork comes in two kinds: a 24-bit
// colour picture with a separate 8-bit mask whose palette index per pixel is
// the alpha, and complete 32-bit bitmap files that carry their alpha
// themselves. Both end up here as 32-bit BGRA with straight (not
// premultiplied) alpha: 255 opaque, 0 transparent.
//
// Resources are the program's artwork files: a resource folder stands for
// the module whose resources are looked up, and the resource NAME (BITMAP or
// RCDATA alike) is the bitmap file NAME.bmp in that folder.
#pragma once

#include "platform/app/Canvas.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"

#include <cstdint>
#include <string>

namespace kestrava::ui {

class TAlphaBitmap : public gdi::Bitmap {
public:
    TAlphaBitmap() = default;
    TAlphaBitmap(int32_t width, int32_t height) : gdi::Bitmap(width, height) {}

    // The BITMAP resource name. A 24-bit picture becomes 32-bit and takes its
    // alpha from the resource name + "A"; a 32-bit picture is used as it is;
    // any other depth stays opaque. A mask that is missing, unreadable, not
    // 8-bit or not the picture's size is ignored: the picture stays opaque.
    // False (the bitmap unchanged, the reason in error) when the picture
    // itself cannot be loaded.
    bool LoadResourceWithAlpha(const std::string& resourceFolder, const std::string& name,
                               std::string* error = nullptr);
    // The RCDATA resource name: a complete bitmap file, kept with its alpha.
    bool LoadRCData(const std::string& resourceFolder, const std::string& name, std::string* error = nullptr);
    // The same from the program's resource folder; a missing or unreadable
    // picture throws EResNotFound (a missing mask still only leaves it
    // opaque).
    void LoadResourceWithAlpha(const std::string& name);
    void LoadRCData(const std::string& name);
    // A bitmap file. A 24-bit picture becomes 32-bit and takes its alpha from
    // the file of the same name with the extension ".ALP" (or ".alp", for
    // masks copied onto a case-sensitive file system), when there is one.
    bool LoadFromFile(const std::string& path, std::string* error = nullptr);

    // Blends the picture over the canvas with its top-left corner at (x, y);
    // see AlphaBlend.
    void Draw(app::Canvas& canvas, int32_t x, int32_t y) const;
    // Only the rectangle's top-left corner counts: the picture is never
    // stretched.
    void Draw(app::Canvas& canvas, const gdi::Rect& r) const { Draw(canvas, r.left, r.top); }
    void Draw(gdi::Canvas& canvas, int32_t x, int32_t y) const;
};

// Fills the alpha bytes of a 24-bit picture from its mask and declares the
// picture 32-bit. The mask must be an 8-bit picture of the same size: pixel
// (x, y) takes the mask's palette index at (x, y) as its alpha. Without a
// usable mask the picture still becomes 32-bit but stays opaque, and the
// result is false. Pictures of other depths are left alone.
bool ApplyAlphaMask(gdi::Bitmap& picture, const gdi::Bitmap* mask);

// Draws picture at (x, y) of the canvas, blending by the picture's alpha a:
// 255 copies all four bytes, 0 leaves the canvas, anything between mixes
// each colour channel as (a × S + (256 − a) × D) >> 8 and keeps the canvas's
// alpha byte. What lies under the picture is read into a scratch bitmap of
// the picture's size, blended there and copied back through the canvas, so
// the canvas's clip and bounds limit what changes; the scratch pixels that
// lie outside the target are blended too but never copied back.
void AlphaBlend(app::Canvas& canvas, int32_t x, int32_t y, const gdi::Bitmap& picture);
void AlphaBlend(gdi::Canvas& canvas, int32_t x, int32_t y, const gdi::Bitmap& picture);

} // namespace kestrava::ui
