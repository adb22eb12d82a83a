// A canvas draws into whatever device context its handle points at, with a
// pen, a brush and a font, the way the system's canvas objects do. With no
// handle, or one that resolves to nothing, every call does nothing.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Text.h"

#include <string_view>

namespace kestrava::gdi {

enum class PenStyle { Solid, Dot, Clear };
enum class BrushStyle { Solid, Clear };

struct Pen {
    ColorRef color = 0;
    int32_t width = 1;
    PenStyle style = PenStyle::Solid;
};

struct Brush {
    ColorRef color = Rgb(255, 255, 255);
    BrushStyle style = BrushStyle::Solid;
};

struct Font : FontSpec {
    ColorRef color = 0;
};

class Canvas {
public:
    Canvas() = default;
    explicit Canvas(HDC handle) : m_handle(handle) {}

    HDC Handle() const { return m_handle; }
    void SetHandle(HDC handle) { m_handle = handle; }

    Pen pen;
    Brush brush;
    Font font;

    // Fills with the brush (right and bottom exclusive).
    void FillRect(const Rect& r);
    // Frames with the pen (inside the rectangle's outline, as the system
    // draws it) and fills the inside with the brush.
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Lines leave out their end point; a pen of width w draws a w-pixel
    // wide line centred on the ideal one; the dotted pen alternates one
    // pixel on, one off.
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    // Text with the font; the background is the brush colour when the brush
    // is solid and nothing when it is clear.
    void TextOut(int32_t x, int32_t y, std::string_view utf8);
    Size TextExtent(std::string_view utf8) const;
    int32_t TextWidth(std::string_view utf8) const { return TextExtent(utf8).cx; }
    int32_t TextHeight(std::string_view utf8) const { return TextExtent(utf8).cy; }
    // Draws a bitmap at (x, y); a transparent bitmap leaves out its
    // see-through colour.
    void Draw(int32_t x, int32_t y, const Bitmap& bitmap);
    void StretchDraw(const Rect& r, const Bitmap& bitmap);
    // Copies a rectangle of another device context into a rectangle of this
    // one (scaled when the sizes differ).
    void CopyRect(const Rect& dst, HDC src, const Rect& srcRect);

    // Clipping rectangle in target pixels; empty (the default) = no clip but
    // the target's bounds.
    void SetClip(const Rect& clip) { m_clip = clip; }

private:
    Bitmap* Target() const { return ResolveDC(m_handle); }
    Rect ClipFor(const Bitmap& target) const;
    HDC m_handle = 0;
    int32_t m_penX = 0;
    int32_t m_penY = 0;
    int32_t m_dotPhase = 0;
    Rect m_clip{};
};

} // namespace kestrava::gdi
