// A control's canvas: the one back buffer seen through the control's
// origin and the part of it being repainted.
//
// The drawing library's canvas works in target pixels; controls want to
// draw in their own coordinates and must not spill over their bounds or
// their parents'. This wraps the library canvas with a translation and a
// clip, keeping its pen, brush, font and pixel rules.
#pragma once

#include "platform/gdi/Canvas.h"

#include <string_view>

namespace kestrava::app {

class Canvas {
public:
    // Draws into target with (0, 0) at (originX, originY) of the target,
    // limited to screenClip (target coordinates). An empty clip draws
    // nothing.
    Canvas(gdi::HDC target, int32_t originX, int32_t originY, const gdi::Rect& screenClip);

    gdi::Pen pen;
    gdi::Brush brush;
    gdi::Font font;

    void FillRect(const gdi::Rect& r);
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void TextOut(int32_t x, int32_t y, std::string_view utf8);
    gdi::Size TextExtent(std::string_view utf8) const;
    int32_t TextWidth(std::string_view utf8) const { return TextExtent(utf8).cx; }
    int32_t TextHeight(std::string_view utf8) const { return TextExtent(utf8).cy; }
    void Draw(int32_t x, int32_t y, const gdi::Bitmap& bitmap);
    void StretchDraw(const gdi::Rect& r, const gdi::Bitmap& bitmap);
    // Copies srcRect of another device context to dst (local coordinates).
    void CopyRect(const gdi::Rect& dst, gdi::HDC src, const gdi::Rect& srcRect);

    // The part that may be drawn, in local coordinates.
    gdi::Rect ClipRect() const;
    // For drawing the library canvas cannot do (alpha blending, reading what
    // lies below): the target bitmap (null if the handle is stale), the
    // origin and the clip in target pixels.
    gdi::Bitmap* Target() const { return gdi::ResolveDC(m_inner.Handle()); }
    gdi::HDC Handle() const { return m_inner.Handle(); }
    int32_t OriginX() const { return m_x; }
    int32_t OriginY() const { return m_y; }
    const gdi::Rect& ScreenClip() const { return m_clip; }

private:
    gdi::Rect Shift(const gdi::Rect& r) const { return {r.left + m_x, r.top + m_y, r.right + m_x, r.bottom + m_y}; }
    // Hands the current pen, brush and font to the library canvas; false
    // when nothing may be drawn.
    bool Sync() const;

    mutable gdi::Canvas m_inner;
    int32_t m_x;
    int32_t m_y;
    gdi::Rect m_clip;
};

} // namespace kestrava::app
