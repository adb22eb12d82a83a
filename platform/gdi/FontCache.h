// The font cache behind Text.cpp (private to the drawing library).
//
// Finds a font file for a family through fontconfig, keeps one FreeType face
// per file, one FreeType size per face and cell height, and the rendered
// coverage of every glyph drawn at that size. A task text is drawn up to 50
// times a second, so after its first appearance laying it out costs one
// lookup per character and no FreeType call.
//
// Every entry point takes one mutex: FreeType faces are not thread-safe, and
// text is measured and drawn from both the user-interface thread and the
// tick thread. Rendered glyphs are handed out as shared pointers, so the
// caller blends them into its bitmap after the lock is released and a later
// eviction cannot pull them from under it. [thread-safe]
#pragma once

#include "platform/gdi/Text.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava::gdi::detail {

// One glyph's anti-aliased coverage (0 to 255), `width` bytes a row, placed
// relative to the pen position on the baseline: its top-left pixel lies at
// (pen + left, baseline - top).
struct GlyphImage {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t rows = 0;
    std::vector<uint8_t> coverage;
};

struct PlacedGlyph {
    int32_t x = 0; // pen position relative to the text's left edge
    std::shared_ptr<const GlyphImage> image;
};

// A text laid out in one font. All values are whole pixels relative to the
// top-left corner of the text's cell.
struct TextLayout {
    bool valid = false;  // false when no usable font was found at all
    int32_t width = 0;   // sum of the advances (and kerning)
    int32_t cellHeight = 0;
    int32_t ascent = 0;  // the baseline's row offset from the cell's top
    int32_t underlineTop = 0;
    int32_t underlineThickness = 0;
    std::vector<PlacedGlyph> glyphs; // filled only when asked for; blank glyphs left out
};

// Lays out code points in a font; with withImages false only the metrics are
// filled (measuring). [thread-safe]
TextLayout LayOut(const FontSpec& font, std::u32string_view text, bool withImages);

// The font file chosen for a font; empty when none. [thread-safe]
std::string ResolvedFontFile(const FontSpec& font);

} // namespace kestrava::gdi::detail
