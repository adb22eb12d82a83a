#include "ui/Focus.h"

#include "ui/AlphaBitmap.h"
#include "ui/Resources.h"
#include "ui/UiScale.h"

#include <algorithm>

namespace kestrava::ui {

namespace {

const TAlphaBitmap* FramePicture()
{
    // Loaded again when the scale (and with it the picture's file) changes.
    static TAlphaBitmap picture;
    static double loadedAt = 0.0;
    if (loadedAt != UiScale()) {
        try {
            picture.LoadResourceWithAlpha("Fokus");
            loadedAt = UiScale();
        } catch (const EResNotFound&) {
            return nullptr; // tried again next time
        }
    }
    return &picture;
}

// The source coordinate for position i of n along an edge of a picture of
// size s: the corners of (s - 1) / 2 pixels map to themselves, the rest to
// the picture's uniform middle.
int32_t SourceOf(int32_t i, int32_t n, int32_t s)
{
    const int32_t corner = (s - 1) / 2;
    if (i < corner && i < n / 2)
        return i;
    if (n - 1 - i < corner && n - 1 - i < (n + 1) / 2)
        return s - (n - i);
    return corner;
}

} // namespace

void PaintFocusFrame(app::Canvas& canvas, const gdi::Rect& rect)
{
    const TAlphaBitmap* picture = FramePicture();
    if (picture == nullptr || picture->Empty() || rect.Empty())
        return;
    const int32_t w = rect.Width();
    const int32_t h = rect.Height();
    const int32_t sw = picture->Width();
    const int32_t sh = picture->Height();
    gdi::Bitmap frame(w, h);
    frame.Fill(0);
    frame.SetBitsPerPixel(32);
    const int32_t band = std::max(sw, sh) / 2;
    for (int32_t y = 0; y < h; ++y) {
        const int32_t sy = SourceOf(y, h, sh);
        gdi::Pixel* row = frame.Row(y);
        const bool edgeRow = y < band || h - 1 - y < band;
        for (int32_t x = 0; x < w; ++x) {
            if (!edgeRow && x >= band && w - 1 - x >= band) {
                x = w - band - 1; // the see-through inside
                continue;
            }
            row[x] = picture->GetPixel(SourceOf(x, w, sw), sy);
        }
    }
    AlphaBlend(canvas, rect.left, rect.top, frame);
}

} // namespace kestrava::ui
