// BMP files: reading the layouts the system's pictures and other programs'
// pictures come in (1, 4, 8, 16, 24 and 32 bits, colour masks, run-length
// compressed 4 and 8 bits), writing them back uncompressed in their declared
// depth, and the file write the picture savers share (a DurableFile).
//
// A BMP header is untrusted input: every size it claims is checked against
// the bytes at hand in 64-bit arithmetic before anything is read, and
// pictures too large to hold are refused before anything is allocated. A
// run-length code is checked against the data left and the picture's edges
// before it writes anything.
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DurableFile.h"
#include "platform/gdi/FileAccess.h"
#include "platform/gdi/Internal.h"

#include <bit>
#include <cstdio>
#include <unordered_map>

namespace kestrava::gdi {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// Limits on what a file may ask us to allocate. 32768 pixels a side is more
// than any screen the system runs on; 2^28 pixels is a gigabyte of BGRA.
constexpr int64_t kMaxSide = 32768;
constexpr int64_t kMaxPixels = int64_t(1) << 28;
// A file that large is no picture of ours; reading it would only waste memory.
constexpr uint64_t kMaxFileSize = uint64_t{1} << 31;

bool Fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(v >> shift));
}

// Bytes in one stored row: rows are padded to whole 32-bit words.
int64_t Stride(int64_t width, int64_t bits) { return (width * bits + 31) / 32 * 4; }

// One channel of a BI_BITFIELDS pixel, scaled to 8 bits whatever the
// channel's width.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            max = (uint64_t(1) << std::bit_width(mask >> shift)) - 1;
        }
    }
    uint8_t Of(uint32_t pixel) const
    {
        if (mask == 0)
            return 0;
        const uint64_t v = (pixel & mask) >> shift;
        return max == 255 ? uint8_t(v) : uint8_t((v * 255 + max / 2) / max);
    }
};

// Run-length compressed 4 or 8 bit pixels into indices (top row first).
// Each row is runs of one index (or, with 4 bits, of two alternating ones)
// and stretches of literal indices padded to 16 bits, ended by an
// end-of-line code; a delta code skips pixels and rows. Pixels no code
// writes keep index 0. Runs and stretches are cut at the row's right edge
// (some writers encode the row's padding too). Decoding stops at the
// end-of-bitmap code, at the end of the data, and at the first code that
// would reach past the data or leave the picture: a damaged code ends the
// picture there, nothing of it written.
void DecodeRle(const uint8_t* data, uint64_t size, int64_t width, int64_t height, uint32_t bits, uint8_t* indices)
{
    // The index of pixel k of a run or stretch whose bytes start at p.
    const auto nibble = [bits](const uint8_t* p, uint64_t k) {
        return bits == 8 ? p[k] : uint8_t(k % 2 == 0 ? p[k / 2] >> 4 : p[k / 2] & 0x0F);
    };
    uint64_t at = 0;
    int64_t x = 0;
    int64_t row = 0; // counted from the bottom, as the rows are stored
    while (size - at >= 2) {
        const uint8_t count = data[at];
        const uint8_t code = data[at + 1];
        at += 2;
        if (count > 0) {
            if (row >= height)
                return;
            const int64_t n = std::min<int64_t>(count, width - x);
            uint8_t* out = indices + (height - 1 - row) * width + x;
            for (int64_t k = 0; k < n; ++k)
                out[k] = bits == 8 ? code : uint8_t(k % 2 == 0 ? code >> 4 : code & 0x0F);
            x += n;
        } else if (code == 0) { // end of line
            x = 0;
            ++row;
        } else if (code == 1) { // end of bitmap
            return;
        } else if (code == 2) { // delta: right and up
            if (size - at < 2 || data[at] > width - x || data[at + 1] > height - row)
                return;
            x += data[at];
            row += data[at + 1];
            at += 2;
        } else { // a stretch of `code` literal indices
            const uint64_t bytes = bits == 8 ? code : (uint64_t(code) + 1) / 2;
            if (row >= height || bytes > size - at)
                return;
            const int64_t n = std::min<int64_t>(code, width - x);
            uint8_t* out = indices + (height - 1 - row) * width + x;
            for (int64_t k = 0; k < n; ++k)
                out[k] = nibble(data + at, uint64_t(k));
            x += n;
            at += std::min(bytes + bytes % 2, size - at);
        }
    }
}

} // namespace

bool DecodeBmp(const std::vector<uint8_t>& bytes, Bitmap& bitmap, std::string* error)
{
    const uint8_t* file = bytes.data();
    const uint64_t fileSize = bytes.size();
    if (fileSize < kFileHeaderSize + 4)
        return Fail(error, "BMP: file too short for a header (" + std::to_string(fileSize) + " bytes)");
    if (file[0] != 'B' || file[1] != 'M')
        return Fail(error, "BMP: not a bitmap file (no \"BM\" signature)");
    const uint64_t dataOffset = U32(file + 10);
    const uint32_t headerSize = U32(file + 14);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != 124)
        return Fail(error, "BMP: unsupported header size " + std::to_string(headerSize));
    if (kFileHeaderSize + uint64_t(headerSize) > fileSize)
        return Fail(error, "BMP: header runs past the end of the file");

    const uint8_t* info = file + kFileHeaderSize;
    int64_t width = 0;
    int64_t height = 0;
    bool topDown = false;
    uint32_t bits = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    uint64_t paletteEntrySize = 4;
    if (headerSize == kCoreHeaderSize) {
        // The old OS/2 layout: 16-bit unsigned sizes, always bottom-up,
        // three-byte palette entries.
        width = U16(info + 4);
        height = U16(info + 6);
        bits = U16(info + 10);
        paletteEntrySize = 3;
    } else {
        width = int32_t(U32(info + 4));
        const int32_t rawHeight = int32_t(U32(info + 8));
        topDown = rawHeight < 0;
        height = topDown ? -int64_t(rawHeight) : int64_t(rawHeight);
        bits = U16(info + 14);
        compression = U32(info + 16);
        colorsUsed = U32(info + 32);
    }

    if (width <= 0 || height <= 0)
        return Fail(error, "BMP: invalid size " + std::to_string(width) + " x " + std::to_string(height));
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        return Fail(error, "BMP: picture of " + std::to_string(width) + " x " + std::to_string(height) +
                               " pixels is too large");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Fail(error, "BMP: " + std::to_string(bits) + " bits per pixel are not supported");
    const bool bitfields = compression == kBiBitfields || compression == kBiAlphaBitfields;
    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    if (compression != kBiRgb && !bitfields && !rle)
        return Fail(error, "BMP: compression method " + std::to_string(compression) + " is not supported");
    if (bitfields && bits != 16 && bits != 32)
        return Fail(error, "BMP: colour masks are only supported with 16 or 32 bits per pixel");
    if (rle && bits != (compression == kBiRle8 ? 8u : 4u))
        return Fail(error, "BMP: compression method " + std::to_string(compression) + " does not fit " +
                               std::to_string(bits) + " bits per pixel");
    if (rle && topDown)
        return Fail(error, "BMP: a run-length compressed picture cannot be stored top-down");

    // The colour masks sit right after the 40-byte part of the header: inside
    // the larger headers, behind the plain one.
    uint64_t paletteOffset = kFileHeaderSize + headerSize;
    uint32_t masks[4] = {0, 0, 0, 0};
    if (bitfields) {
        const uint64_t maskCount = headerSize >= 56 || compression == kBiAlphaBitfields ? 4 : 3;
        const uint64_t masksEnd = kFileHeaderSize + kInfoHeaderSize + 4 * maskCount;
        if (masksEnd > fileSize)
            return Fail(error, "BMP: colour masks run past the end of the file");
        for (uint64_t i = 0; i < maskCount; ++i)
            masks[i] = U32(file + kFileHeaderSize + kInfoHeaderSize + 4 * i);
        if (headerSize == kInfoHeaderSize)
            paletteOffset = masksEnd;
        if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0)
            return Fail(error, "BMP: the colour masks are all empty");
    } else if (bits == 16) {
        // 16 bits without masks: five bits each of red, green and blue.
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }

    std::vector<ColorRef> palette;
    if (bits <= 8) {
        const uint64_t maxEntries = uint64_t(1) << bits;
        uint64_t entries = colorsUsed != 0 ? colorsUsed : maxEntries;
        if (headerSize == kCoreHeaderSize && dataOffset > paletteOffset)
            entries = std::min(maxEntries, (dataOffset - paletteOffset) / paletteEntrySize);
        if (entries > maxEntries)
            return Fail(error, "BMP: palette of " + std::to_string(entries) + " colours is more than " +
                                   std::to_string(bits) + " bits per pixel can use");
        if (paletteOffset + entries * paletteEntrySize > fileSize)
            return Fail(error, "BMP: palette of " + std::to_string(entries) + " colours runs past the end of the file");
        palette.reserve(size_t(entries));
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* e = file + paletteOffset + i * paletteEntrySize;
            palette.push_back(Rgb(e[2], e[1], e[0]));
        }
    }

    // The last row may lack its padding; everything before it must be whole.
    // Compressed data is only known to hold its first code.
    const int64_t stride = Stride(width, bits);
    const uint64_t needed = rle ? 2 : uint64_t(stride * (height - 1) + (width * bits + 7) / 8);
    if (dataOffset > fileSize || needed > fileSize - dataOffset)
        return Fail(error, "BMP: pixel data truncated (" + std::to_string(needed) + " bytes needed at offset " +
                               std::to_string(dataOffset) + ", the file has " + std::to_string(fileSize) + ")");

    Bitmap out(static_cast<int32_t>(width), static_cast<int32_t>(height));
    std::vector<uint8_t> indices;
    if (bits <= 8)
        indices.resize(size_t(width * height));
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    const bool takesAlpha = (bits == 32 && !bitfields) || masks[3] != 0;
    bool anyAlpha = false;

    if (rle) {
        DecodeRle(file + dataOffset, fileSize - dataOffset, width, height, bits, indices.data());
        for (int64_t y = 0; y < height; ++y) {
            const uint8_t* index = indices.data() + y * width;
            Pixel* row = out.Row(int32_t(y));
            for (int64_t x = 0; x < width; ++x)
                row[x] = index[x] < palette.size() ? PixelOf(palette[index[x]]) : PixelOf(0);
        }
    }
    for (int64_t fileRow = 0; fileRow < height && !rle; ++fileRow) {
        const int64_t y = topDown ? fileRow : height - 1 - fileRow;
        const uint8_t* src = file + dataOffset + uint64_t(fileRow * stride);
        Pixel* row = out.Row(int32_t(y));
        switch (bits) {
        case 1:
        case 4:
        case 8: {
            const uint32_t perByte = 8 / bits;
            const uint32_t mask = (1u << bits) - 1;
            uint8_t* index = indices.data() + y * width;
            for (int64_t x = 0; x < width; ++x) {
                const uint32_t shift = 8 - bits - bits * uint32_t(uint64_t(x) % perByte);
                const uint8_t i = uint8_t(uint32_t(src[uint64_t(x) / perByte]) >> shift & mask);
                index[x] = i;
                row[x] = i < palette.size() ? PixelOf(palette[i]) : PixelOf(0);
            }
            break;
        }
        case 24:
            for (int64_t x = 0; x < width; ++x) {
                const uint8_t* p = src + 3 * x;
                row[x] = Pixel(p[0]) | Pixel(p[1]) << 8 | Pixel(p[2]) << 16 | 0xFF000000u;
            }
            break;
        case 16:
        case 32:
            for (int64_t x = 0; x < width; ++x) {
                const uint32_t v = bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
                Pixel p = v;
                if (bits == 16 || bitfields)
                    p = Pixel(blue.Of(v)) | Pixel(green.Of(v)) << 8 | Pixel(red.Of(v)) << 16 |
                        Pixel(masks[3] != 0 ? alpha.Of(v) : 255) << 24;
                anyAlpha = anyAlpha || (p >> 24) != 0;
                row[x] = p;
            }
            break;
        default:
            break;
        }
    }

    // Many writers leave the fourth byte of a 32-bit pixel at zero; a picture
    // that would be wholly invisible is one that never meant to have alpha.
    if (takesAlpha && !anyAlpha)
        for (int32_t y = 0; y < out.Height(); ++y)
            for (int32_t x = 0; x < out.Width(); ++x)
                out.Row(y)[x] |= 0xFF000000u;
    // 16-bit pictures are held in the depth that keeps what they hold: 32
    // bits when they carry alpha, 24 otherwise.
    out.SetBitsPerPixel(bits == 16 ? (takesAlpha ? 32 : 24) : int32_t(bits));
    out.SetPaletteData(std::move(palette), std::move(indices));
    out.SetTransparent(bitmap.Transparent());
    bitmap = std::move(out);
    return true;
}

bool LoadBmp(const std::string& path, Bitmap& bitmap, std::string* error)
{
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadRegularFile(path, kMaxFileSize, bytes, why))
        return Fail(error, "BMP: " + path + ": " + why);
    if (!DecodeBmp(bytes, bitmap, error)) {
        if (error != nullptr)
            *error += " (" + path + ")";
        return false;
    }
    return true;
}

namespace {

// The palette and indices a bitmap was read with, if they still describe
// its pixels and fit the depth it is written in. After drawing into the
// bitmap they no longer do, and the palette is built from the pixels.
bool OwnPaletteFits(const Bitmap& bitmap, size_t maxEntries)
{
    const auto& palette = bitmap.Palette();
    const auto& indices = bitmap.Indices();
    if (palette.empty() || palette.size() > maxEntries ||
        indices.size() != size_t(bitmap.Width()) * size_t(bitmap.Height()))
        return false;
    size_t i = 0;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        const Pixel* row = bitmap.Row(y);
        for (int32_t x = 0; x < bitmap.Width(); ++x, ++i)
            if (indices[i] >= palette.size() || (row[x] & 0x00FFFFFFu) != (PixelOf(palette[indices[i]]) & 0x00FFFFFFu))
                return false;
    }
    return true;
}

// A palette of the bitmap's colours in the order they first appear (top
// row first), and every pixel's index into it.
bool BuildPalette(const Bitmap& bitmap, size_t maxEntries, std::vector<ColorRef>& palette,
                  std::vector<uint8_t>& indices, std::string* error)
{
    std::unordered_map<Pixel, uint8_t> lookup;
    palette.clear();
    indices.assign(size_t(bitmap.Width()) * size_t(bitmap.Height()), 0);
    size_t i = 0;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        const Pixel* row = bitmap.Row(y);
        for (int32_t x = 0; x < bitmap.Width(); ++x, ++i) {
            const Pixel rgb = row[x] & 0x00FFFFFFu;
            auto it = lookup.find(rgb);
            if (it == lookup.end()) {
                if (palette.size() == maxEntries)
                    return Fail(error, "BMP: the picture has more than " + std::to_string(maxEntries) +
                                           " colours and cannot be written with " +
                                           std::to_string(bitmap.BitsPerPixel()) + " bits per pixel");
                it = lookup.emplace(rgb, uint8_t(palette.size())).first;
                palette.push_back(ColorOf(rgb));
            }
            indices[i] = it->second;
        }
    }
    return true;
}

} // namespace

std::vector<uint8_t> EncodeBmp(const Bitmap& bitmap, std::string* error)
{
    const int32_t bits = bitmap.BitsPerPixel();
    if (bitmap.Empty()) {
        Fail(error, "BMP: cannot write an empty picture");
        return {};
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        Fail(error, "BMP: cannot write " + std::to_string(bits) + " bits per pixel");
        return {};
    }
    const int64_t width = bitmap.Width();
    const int64_t height = bitmap.Height();

    std::vector<ColorRef> builtPalette;
    std::vector<uint8_t> builtIndices;
    const std::vector<ColorRef>* palette = &builtPalette;
    const std::vector<uint8_t>* indices = &builtIndices;
    if (bits <= 8) {
        const size_t maxEntries = size_t(1) << bits;
        if (OwnPaletteFits(bitmap, maxEntries)) {
            palette = &bitmap.Palette();
            indices = &bitmap.Indices();
        } else if (!BuildPalette(bitmap, maxEntries, builtPalette, builtIndices, error)) {
            return {};
        }
    }

    const int64_t stride = Stride(width, bits);
    const int64_t dataOffset = int64_t(kFileHeaderSize + kInfoHeaderSize + 4 * palette->size());
    const int64_t fileSize = dataOffset + stride * height;
    if (fileSize > int64_t(UINT32_MAX)) {
        Fail(error, "BMP: the picture is too large for a bitmap file");
        return {};
    }

    std::vector<uint8_t> out;
    out.reserve(size_t(fileSize));
    out.push_back('B');
    out.push_back('M');
    Put32(out, uint32_t(fileSize));
    Put32(out, 0);
    Put32(out, uint32_t(dataOffset));
    Put32(out, kInfoHeaderSize);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height)); // positive: bottom-up
    Put16(out, 1);
    Put16(out, uint16_t(bits));
    Put32(out, kBiRgb);
    Put32(out, uint32_t(stride * height));
    Put32(out, 0); // no resolution: the pictures are shown pixel for pixel
    Put32(out, 0);
    Put32(out, uint32_t(palette->size()));
    Put32(out, 0);
    for (ColorRef c : *palette) {
        out.push_back(BlueOf(c));
        out.push_back(GreenOf(c));
        out.push_back(RedOf(c));
        out.push_back(0);
    }

    for (int64_t y = height - 1; y >= 0; --y) {
        const Pixel* row = bitmap.Row(int32_t(y));
        const size_t rowStart = out.size();
        if (bits <= 8) {
            const uint8_t* index = indices->data() + y * width;
            const uint32_t perByte = 8 / uint32_t(bits);
            for (int64_t x = 0; x < width; x += perByte) {
                uint8_t packed = 0;
                for (uint32_t k = 0; k < perByte; ++k) {
                    const uint8_t i = x + k < width ? index[x + k] : 0;
                    packed = uint8_t(packed | i << (8 - uint32_t(bits) * (k + 1)));
                }
                out.push_back(packed);
            }
        } else {
            for (int64_t x = 0; x < width; ++x) {
                const Pixel p = row[x];
                out.push_back(uint8_t(p));
                out.push_back(uint8_t(p >> 8));
                out.push_back(uint8_t(p >> 16));
                if (bits == 32)
                    out.push_back(uint8_t(p >> 24));
            }
        }
        out.resize(rowStart + size_t(stride), 0);
    }
    return out;
}

bool SaveBmp(const std::string& path, const Bitmap& bitmap, std::string* error)
{
    const std::vector<uint8_t> bytes = EncodeBmp(bitmap, error);
    if (bytes.empty())
        return false;
    return internal::WriteFileReplacing(path, bytes.data(), bytes.size(), error);
}

namespace internal {

bool WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size, std::string* error)
{
    std::string reason;
    if (WriteFileDurably(path, data, size, reason))
        return true;
    return Fail(error, "cannot write " + path + ": " + reason);
}

} // namespace internal

} // namespace kestrava::gdi
