// Text through FreeType, with fonts found by family name through fontconfig.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <string>
#include <string_view>

namespace kestrava::gdi {

struct FontSpec {
    std::string family = "Arial";
    int32_t height = 16;       // cell height in pixels (ascent + descent)
    bool bold = false;
    bool underline = false;
    bool operator==(const FontSpec&) const = default;
};

// Width and height of a UTF-8 text in a font; the height is the font's cell
// height whatever the characters (so "Äquator" gives the row height).
Size MeasureText(const FontSpec& font, std::string_view utf8);

// Draws a UTF-8 text with its cell's top-left at (x, y), clipped to clip.
// Glyph edges are blended into what lies below; with opaque set the text's
// cell (its extent) is first filled with background.
void DrawText(Bitmap& target, const Rect& clip, int32_t x, int32_t y, std::string_view utf8, const FontSpec& font,
              ColorRef color, bool opaque, ColorRef background);

// The font file chosen for a spec (for diagnostics and tests).
std::string FontFileFor(const FontSpec& font);

} // namespace kestrava::gdi
