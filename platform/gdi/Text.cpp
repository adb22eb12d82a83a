// Text: UTF-8 decoding, the text's extent, and blending the cached glyphs
// into a bitmap. Fonts, sizes and glyph renderings live in FontCache.cpp.
#include "platform/gdi/Text.h"

#include "platform/gdi/FontCache.h"

#include <algorithm>
#include <string>

namespace kestrava::gdi {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Strict UTF-8: an invalid or truncated sequence becomes one U+FFFD per
// maximal invalid part (as Unicode recommends), never a guess, so a stray
// Windows-1252 byte shows as one replacement mark and swallows nothing after
// it.
std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = uint8_t(text[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        int need;
        char32_t c;
        uint8_t low = 0x80, high = 0xBF; // allowed range of the first continuation byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            c = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            c = lead & 0x0Fu;
            if (lead == 0xE0)
                low = 0xA0; // overlong
            else if (lead == 0xED)
                high = 0x9F; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            c = lead & 0x07u;
            if (lead == 0xF0)
                low = 0x90; // overlong
            else if (lead == 0xF4)
                high = 0x8F; // beyond U+10FFFF
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        ++i;
        bool complete = true;
        for (int k = 0; k < need; ++k, ++i) {
            const uint8_t byte = i < text.size() ? uint8_t(text[i]) : 0;
            if (i >= text.size() || byte < low || byte > high) {
                complete = false;
                break;
            }
            c = c << 6 | (byte & 0x3Fu);
            low = 0x80;
            high = 0xBF;
        }
        out.push_back(complete ? c : kReplacement);
    }
    return out;
}

uint32_t BlendChannel(uint32_t src, uint32_t dst, uint32_t coverage)
{
    return (src * coverage + dst * (255 - coverage) + 127) / 255;
}

void FillRect(Bitmap& target, const Rect& r, Pixel p)
{
    for (int32_t y = r.top; y < r.bottom; ++y) {
        Pixel* row = target.Row(y);
        for (int32_t x = r.left; x < r.right; ++x)
            row[x] = p;
    }
}

// Beyond this no text can reach a bitmap, and the coordinate sums below stay
// far from overflowing.
constexpr int32_t kFarAway = 1 << 28;

} // namespace

Size MeasureText(const FontSpec& font, std::string_view utf8)
{
    const detail::TextLayout layout = detail::LayOut(font, DecodeUtf8(utf8), false);
    if (!layout.valid)
        return {};
    return {layout.width, layout.cellHeight};
}

void DrawText(Bitmap& target, const Rect& clip, int32_t x, int32_t y, std::string_view utf8, const FontSpec& font,
              ColorRef color, bool opaque, ColorRef background)
{
    const Rect bounds{0, 0, target.Width(), target.Height()};
    const Rect area = clip.Empty() ? bounds : Intersect(clip, bounds);
    if (area.Empty() || x < -kFarAway || x > kFarAway || y < -kFarAway || y > kFarAway)
        return;
    const detail::TextLayout layout = detail::LayOut(font, DecodeUtf8(utf8), true);
    if (!layout.valid)
        return;
    const int32_t width = std::min(layout.width, kFarAway);
    // Glyphs may overhang their advance a little on either side.
    const int32_t overhang = layout.cellHeight / 2 + 1;
    target.MarkDrawn(Intersect({x - overhang, y, x + width + overhang, y + layout.cellHeight}, area));

    if (opaque)
        FillRect(target, Intersect({x, y, x + width, y + layout.cellHeight}, area), PixelOf(background));

    const Pixel solid = PixelOf(color);
    const uint32_t red = RedOf(color), green = GreenOf(color), blue = BlueOf(color);
    const int32_t baseline = y + layout.ascent;
    for (const detail::PlacedGlyph& placed : layout.glyphs) {
        const detail::GlyphImage& image = *placed.image;
        if (placed.x > kFarAway)
            break;
        const int32_t left = x + placed.x + image.left;
        const int32_t top = baseline - image.top;
        const Rect r = Intersect({left, top, left + image.width, top + image.rows}, area);
        for (int32_t py = r.top; py < r.bottom; ++py) {
            Pixel* row = target.Row(py);
            const uint8_t* coverage =
                image.coverage.data() + size_t(py - top) * size_t(image.width) + size_t(r.left - left);
            for (int32_t px = r.left; px < r.right; ++px, ++coverage) {
                const uint32_t c = *coverage;
                if (c == 0)
                    continue;
                if (c == 255) {
                    row[px] = solid;
                    continue;
                }
                const Pixel d = row[px];
                row[px] = BlendChannel(blue, d & 0xFF, c) | BlendChannel(green, (d >> 8) & 0xFF, c) << 8 |
                          BlendChannel(red, (d >> 16) & 0xFF, c) << 16 | 0xFF000000u;
            }
        }
    }

    if (font.underline) {
        const int32_t top = y + layout.underlineTop;
        FillRect(target, Intersect({x, top, x + width, top + layout.underlineThickness}, area), solid);
    }
}

std::string FontFileFor(const FontSpec& font) { return detail::ResolvedFontFile(font); }

} // namespace kestrava::gdi
