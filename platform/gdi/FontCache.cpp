// Font lookup (fontconfig), faces and sizes (FreeType), rendered glyphs.
//
// Metrics follow the platform's fonts, not FreeType's defaults: a font's
// height is its cell height, the sum of the face's Windows ascent and
// descent (OS/2 usWinAscent + usWinDescent, hhea ascender - descender when a
// face lacks them). That sum is scaled to exactly the requested number of
// pixels, the em size follows from it, and the baseline lies at the rounded
// scaled ascent. A negative height is an em height in pixels, as the
// platform's font records take it; a zero height measures and draws nothing.
#include "platform/gdi/FontCache.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace kestrava::gdi::detail {
namespace {

// Bounds that keep a program cycling through many sizes or scripts from
// growing the cache without end; hitting one only costs re-rendering.
constexpr size_t kMaxSizes = 64;
constexpr size_t kMaxGlyphsPerSize = 4096;
// A cell taller than any screen would only make huge glyph bitmaps.
constexpr int32_t kMaxCellHeight = 2048;
// Weight class from which a face counts as bold (600 is semibold).
constexpr int32_t kBoldWeight = 600;

struct Face {
    std::string path;
    FT_Face face = nullptr;
    int64_t unitsPerEm = 0;
    int64_t winAscent = 0;
    int64_t winDescent = 0;
    int32_t weightClass = 400;
    int64_t underlinePosition = 0; // centre of the stroke, font units, negative below the baseline
    int64_t underlineThickness = 0;

    Face() = default;
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;
    ~Face()
    {
        if (face != nullptr)
            FT_Done_Face(face);
    }
};

struct Glyph {
    FT_UInt index = 0;
    int32_t advance = 0;
    std::shared_ptr<const GlyphImage> image; // null for blank glyphs such as the space
};

struct SizedFont {
    Face* face = nullptr;
    FT_Size size = nullptr;
    bool embolden = false;
    FT_Pos emboldenStrength = 0; // 26.6 pixels
    int32_t emboldenAdvance = 0; // whole pixels the emboldened glyphs grow by
    int32_t cellHeight = 0;
    int32_t ascent = 0;
    int32_t underlineTop = 0;
    int32_t underlineThickness = 0;
    std::unordered_map<char32_t, Glyph> glyphs;

    SizedFont() = default;
    SizedFont(const SizedFont&) = delete;
    SizedFont& operator=(const SizedFont&) = delete;
    ~SizedFont()
    {
        if (size != nullptr)
            FT_Done_Size(size);
    }
};

struct Resolved {
    Face* face = nullptr;
    bool embolden = false; // bold asked for, but the face found is not
};

// Rounded quotient of non-negative numbers.
int64_t RoundDiv(int64_t numerator, int64_t denominator) { return (2 * numerator + denominator) / (2 * denominator); }

int32_t Pixels26(FT_Pos value) { return int32_t((value + 32) >> 6); }

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

std::shared_ptr<const GlyphImage> CopyBitmap(const FT_GlyphSlot slot)
{
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.width == 0 || bm.rows == 0 || bm.buffer == nullptr)
        return nullptr;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO)
        return nullptr;
    auto image = std::make_shared<GlyphImage>();
    image->left = slot->bitmap_left;
    image->top = slot->bitmap_top;
    image->width = int32_t(bm.width);
    image->rows = int32_t(bm.rows);
    image->coverage.resize(size_t(bm.width) * size_t(bm.rows));
    const size_t stride = size_t(std::abs(bm.pitch));
    const uint32_t maxGray = bm.num_grays > 1 ? uint32_t(bm.num_grays - 1) : 255u;
    bool inked = false;
    for (unsigned y = 0; y < bm.rows; ++y) {
        // A negative pitch means the rows run bottom-up in memory.
        const unsigned memoryRow = bm.pitch < 0 ? bm.rows - 1 - y : y;
        const unsigned char* src = bm.buffer + memoryRow * stride;
        uint8_t* dst = image->coverage.data() + size_t(y) * bm.width;
        for (unsigned x = 0; x < bm.width; ++x) {
            uint32_t value;
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                value = ((src[x >> 3] >> (7 - (x & 7))) & 1) != 0 ? 255u : 0u;
            else if (maxGray == 255)
                value = src[x];
            else
                value = std::min<uint32_t>(255u, (src[x] * 255u + maxGray / 2) / maxGray);
            dst[x] = uint8_t(value);
            inked |= value != 0;
        }
    }
    return inked ? std::move(image) : nullptr;
}

class FontCache {
public:
    // The object itself is never destroyed, so that a thread still drawing
    // while the process runs its exit handlers finds a valid mutex. What it
    // holds is released at exit, fontconfig's configuration in particular,
    // which otherwise leaves memory that leak checkers report; text drawn
    // after that is not drawn.
    static FontCache& Instance()
    {
        static FontCache* cache = new FontCache();
        static struct ReleaseAtExit {
            ~ReleaseAtExit() { cache->Release(); }
        } release;
        return *cache;
    }

    TextLayout LayOut(const FontSpec& font, std::u32string_view text, bool withImages)
    {
        std::lock_guard lock(m_mutex);
        TextLayout out;
        SizedFont* sized = SizeFor(font);
        if (sized == nullptr)
            return out;
        out.valid = true;
        out.cellHeight = sized->cellHeight;
        out.ascent = sized->ascent;
        out.underlineTop = sized->underlineTop;
        out.underlineThickness = sized->underlineThickness;
        if (withImages)
            out.glyphs.reserve(text.size());
        // No kerning: the system's text output does not kern either, and the
        // metric-compatible faces then give exactly the widths the layouts
        // were made for.
        int64_t pen = 0;
        for (char32_t c : text) {
            const Glyph& glyph = GlyphFor(*sized, c);
            if (withImages && glyph.image)
                out.glyphs.push_back({int32_t(std::clamp<int64_t>(pen, INT32_MIN, INT32_MAX)), glyph.image});
            pen += glyph.advance;
        }
        out.width = int32_t(std::clamp<int64_t>(pen, 0, INT32_MAX));
        return out;
    }

    std::string File(const FontSpec& font)
    {
        std::lock_guard lock(m_mutex);
        const Resolved resolved = Resolve(font);
        return resolved.face != nullptr ? resolved.face->path : std::string();
    }

private:
    void Release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_sizes.clear();
        m_resolved.clear();
        m_faces.clear();
        if (m_library != nullptr)
            FT_Done_FreeType(m_library);
        if (m_config != nullptr)
            FcConfigDestroy(m_config);
        m_library = nullptr;
        m_config = nullptr;
    }

    FontCache()
    {
        if (FT_Init_FreeType(&m_library) != 0) {
            m_library = nullptr;
            std::fprintf(stderr, "vgdi: FreeType could not be initialised; text is not drawn\n");
        }
        m_config = FcInitLoadConfigAndFonts();
        if (m_config == nullptr)
            std::fprintf(stderr, "vgdi: fontconfig could not be initialised; text is not drawn\n");
    }

    Resolved Resolve(const FontSpec& font)
    {
        std::string family = Lower(font.family);
        // fontconfig answers "Arial Black" with a regular face, which makes
        // headings that should shout look like body text. It is a bold sans
        // face, and always bold: Liberation Sans Bold first, which has
        // Arial's letter shapes like the rest of the interface (DejaVu's
        // "1" has a foot and reads as a serif face beside Arial's digits).
        const bool black = family == "arial black";
        const bool bold = font.bold || black;
        const auto key = std::make_pair(family, bold);
        if (auto it = m_resolved.find(key); it != m_resolved.end())
            return it->second;

        Resolved resolved;
        if (black) {
            for (const char* candidate : {"Liberation Sans", "DejaVu Sans"}) {
                Face* face = Match(candidate, true, true);
                if (face != nullptr && face->weightClass >= kBoldWeight) {
                    resolved.face = face;
                    break;
                }
            }
        }
        if (resolved.face == nullptr)
            resolved.face = Match(font.family.c_str(), bold, false);
        if (resolved.face == nullptr)
            resolved.face = Match("sans-serif", bold, false);
        if (resolved.face != nullptr)
            resolved.embolden = bold && resolved.face->weightClass < kBoldWeight;
        else if (!m_warnedMissing && !m_released) {
            m_warnedMissing = true;
            std::fprintf(stderr, "vgdi: no usable font for \"%s\"; text is not drawn\n", font.family.c_str());
        }
        m_resolved.emplace(key, resolved);
        return resolved;
    }

    // The face fontconfig picks for a family; with exactFamily, only one of
    // that family (instead of fontconfig's substitute for an unknown name).
    Face* Match(const char* family, bool bold, bool exactFamily)
    {
        if (m_config == nullptr || m_library == nullptr)
            return nullptr;
        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr)
            return nullptr;
        const auto* familyName = reinterpret_cast<const FcChar8*>(family);
        FcPatternAddString(pattern, FC_FAMILY, familyName);
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(m_config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(m_config, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr)
            return nullptr;

        std::string path;
        int index = 0;
        FcChar8* file = nullptr;
        bool familyFound = !exactFamily;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
            path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcChar8* matchedFamily = nullptr;
        for (int n = 0; !familyFound && FcPatternGetString(match, FC_FAMILY, n, &matchedFamily) == FcResultMatch; ++n)
            familyFound = FcStrCmpIgnoreCase(matchedFamily, familyName) == 0;
        FcPatternDestroy(match);
        if (path.empty() || !familyFound)
            return nullptr;
        return OpenFace(path, index);
    }

    Face* OpenFace(const std::string& path, int index)
    {
        const std::string key = path + '\n' + std::to_string(index);
        if (auto it = m_faces.find(key); it != m_faces.end())
            return it->second.get();
        auto entry = std::make_unique<Face>();
        entry->path = path;
        if (FT_New_Face(m_library, path.c_str(), index, &entry->face) != 0)
            entry->face = nullptr;
        if (entry->face == nullptr || !FT_IS_SCALABLE(entry->face)) {
            // Remembered as unusable so that every draw does not retry it.
            m_faces.emplace(key, nullptr);
            return nullptr;
        }
        FT_Face face = entry->face;
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        entry->unitsPerEm = std::max<int64_t>(face->units_per_EM, 1);
        entry->weightClass = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ? 700 : 400;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 != nullptr && os2->version != 0xFFFF) {
            entry->weightClass = os2->usWeightClass;
            entry->winAscent = os2->usWinAscent;
            entry->winDescent = os2->usWinDescent;
        }
        if (entry->winAscent + entry->winDescent <= 0) {
            entry->winAscent = std::max<int64_t>(face->ascender, 0);
            entry->winDescent = std::max<int64_t>(-int64_t(face->descender), 0);
        }
        if (entry->winAscent + entry->winDescent <= 0) {
            entry->winAscent = entry->unitsPerEm * 4 / 5;
            entry->winDescent = entry->unitsPerEm - entry->winAscent;
        }
        entry->underlinePosition = face->underline_position;
        entry->underlineThickness = face->underline_thickness;
        return m_faces.emplace(key, std::move(entry)).first->second.get();
    }

    SizedFont* SizeFor(const FontSpec& font)
    {
        if (font.height == 0)
            return nullptr;
        const int32_t height = std::clamp(font.height, -kMaxCellHeight, kMaxCellHeight);
        const Resolved resolved = Resolve(font);
        if (resolved.face == nullptr)
            return nullptr;
        const auto key = std::make_tuple(static_cast<const Face*>(resolved.face), height, resolved.embolden);
        if (auto it = m_sizes.find(key); it != m_sizes.end())
            return it->second.get();
        if (m_sizes.size() >= kMaxSizes)
            m_sizes.clear();

        Face& face = *resolved.face;
        auto sized = std::make_unique<SizedFont>();
        sized->face = &face;
        sized->embolden = resolved.embolden;
        if (FT_New_Size(face.face, &sized->size) != 0) {
            sized->size = nullptr;
            return nullptr;
        }
        FT_Activate_Size(sized->size);

        const int64_t ascent = face.winAscent;
        const int64_t cell = face.winAscent + face.winDescent;
        double scale; // pixels per font unit
        FT_Size_RequestRec request{};
        request.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
        if (height > 0) {
            sized->cellHeight = height;
            sized->ascent = int32_t(RoundDiv(ascent * height, cell));
            request.height = std::max<FT_Long>(RoundDiv(face.unitsPerEm * height * 64, cell), 1);
            scale = double(height) / double(cell);
        } else {
            const int64_t ppem = -int64_t(height);
            sized->cellHeight = int32_t(RoundDiv(cell * ppem, face.unitsPerEm));
            sized->ascent = int32_t(RoundDiv(ascent * ppem, face.unitsPerEm));
            request.height = FT_Long(ppem * 64);
            scale = double(ppem) / double(face.unitsPerEm);
        }
        if (FT_Request_Size(face.face, &request) != 0)
            return nullptr;

        // The underline hangs below the baseline, at least a pixel thick, and
        // stays inside the cell where it can so that an opaque background
        // covers it.
        const int32_t thickness = std::max<int32_t>(1, int32_t(std::lround(double(face.underlineThickness) * scale)));
        const double centre = -double(face.underlinePosition) * scale;
        int32_t top = sized->ascent + int32_t(std::lround(centre - double(thickness) / 2));
        top = std::max(top, sized->ascent);
        if (top + thickness > sized->cellHeight)
            top = std::max(sized->ascent, sized->cellHeight - thickness);
        sized->underlineTop = top;
        sized->underlineThickness = thickness;

        if (sized->embolden) {
            // The strength FreeType's own synthetic bold uses: 1/24 em.
            const FT_Pos em = FT_MulFix(face.face->units_per_EM, face.face->size->metrics.y_scale);
            sized->emboldenStrength = std::max<FT_Pos>(em / 24, 16);
            sized->emboldenAdvance = std::max(1, Pixels26(sized->emboldenStrength));
        }
        return m_sizes.emplace(key, std::move(sized)).first->second.get();
    }

    const Glyph& GlyphFor(SizedFont& sized, char32_t c)
    {
        if (auto it = sized.glyphs.find(c); it != sized.glyphs.end())
            return it->second;
        if (sized.glyphs.size() >= kMaxGlyphsPerSize)
            sized.glyphs.clear();

        FT_Face face = sized.face->face;
        FT_Activate_Size(sized.size);
        Glyph glyph;
        // A character the face lacks gets index 0, the face's .notdef box.
        glyph.index = FT_Get_Char_Index(face, c);
        FT_Error error = FT_Load_Glyph(face, glyph.index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP);
        if (error != 0 && glyph.index != 0) {
            glyph.index = 0;
            error = FT_Load_Glyph(face, 0, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP);
        }
        if (error == 0) {
            FT_GlyphSlot slot = face->glyph;
            glyph.advance = Pixels26(slot->advance.x);
            if (sized.embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
                FT_Outline_Embolden(&slot->outline, sized.emboldenStrength);
                if (glyph.advance > 0)
                    glyph.advance += sized.emboldenAdvance;
            }
            if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0)
                glyph.image = CopyBitmap(slot);
        }
        return sized.glyphs.emplace(c, std::move(glyph)).first->second;
    }

    std::mutex m_mutex;
    FT_Library m_library = nullptr;
    FcConfig* m_config = nullptr;
    bool m_warnedMissing = false;
    bool m_released = false;
    std::map<std::string, std::unique_ptr<Face>> m_faces; // path and face index
    std::map<std::pair<std::string, bool>, Resolved> m_resolved; // lower-case family, bold
    // After the faces, so that it would be destroyed first: a size needs its face.
    std::map<std::tuple<const Face*, int32_t, bool>, std::unique_ptr<SizedFont>> m_sizes;
};

} // namespace

TextLayout LayOut(const FontSpec& font, std::u32string_view text, bool withImages)
{
    return FontCache::Instance().LayOut(font, text, withImages);
}

std::string ResolvedFontFile(const FontSpec& font) { return FontCache::Instance().File(font); }

} // namespace kestrava::gdi::detail
