#include "platform/app/Canvas.h"

namespace kestrava::app {

Canvas::Canvas(gdi::HDC target, int32_t originX, int32_t originY, const gdi::Rect& screenClip)
    : m_inner(target), m_x(originX), m_y(originY), m_clip(screenClip)
{
    // The library canvas reads an empty clip as "the whole target"; here it
    // means nothing to draw, which Sync enforces.
    m_inner.SetClip(screenClip);
}

bool Canvas::Sync() const
{
    if (m_clip.Empty())
        return false;
    m_inner.pen = pen;
    m_inner.brush = brush;
    m_inner.font = font;
    return true;
}

void Canvas::FillRect(const gdi::Rect& r)
{
    if (Sync())
        m_inner.FillRect(Shift(r));
}

void Canvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (Sync())
        m_inner.Rectangle(left + m_x, top + m_y, right + m_x, bottom + m_y);
}

void Canvas::MoveTo(int32_t x, int32_t y) { m_inner.MoveTo(x + m_x, y + m_y); }

void Canvas::LineTo(int32_t x, int32_t y)
{
    if (Sync())
        m_inner.LineTo(x + m_x, y + m_y);
    else
        m_inner.MoveTo(x + m_x, y + m_y);
}

void Canvas::TextOut(int32_t x, int32_t y, std::string_view utf8)
{
    if (Sync())
        m_inner.TextOut(x + m_x, y + m_y, utf8);
}

gdi::Size Canvas::TextExtent(std::string_view utf8) const { return gdi::MeasureText(font, utf8); }

void Canvas::Draw(int32_t x, int32_t y, const gdi::Bitmap& bitmap)
{
    if (Sync())
        m_inner.Draw(x + m_x, y + m_y, bitmap);
}

void Canvas::StretchDraw(const gdi::Rect& r, const gdi::Bitmap& bitmap)
{
    if (Sync())
        m_inner.StretchDraw(Shift(r), bitmap);
}

void Canvas::CopyRect(const gdi::Rect& dst, gdi::HDC src, const gdi::Rect& srcRect)
{
    if (Sync())
        m_inner.CopyRect(Shift(dst), src, srcRect);
}

gdi::Rect Canvas::ClipRect() const
{
    if (m_clip.Empty())
        return {};
    return {m_clip.left - m_x, m_clip.top - m_y, m_clip.right - m_x, m_clip.bottom - m_y};
}

} // namespace kestrava::app
