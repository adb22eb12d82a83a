// Builds BMP files field by field for the tests and the fuzz seeds, the way
// other programs write them, so the reader is tested against more than its
// own writer: any header layout, run-length compressed rows and 16-bit
// pixels packed through colour masks.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kestrava::gdi::testing {

inline void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
inline void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (size_t i = 0; i < 4; ++i)
        out[at + i] = uint8_t(v >> (8 * i));
}

struct BmpFile {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;   // inside a large header, after a 40-byte one
    std::vector<uint8_t> palette;  // raw entries
    std::vector<uint8_t> pixels;   // raw rows as stored
    int64_t dataOffset = -1;       // -1: right after the palette

    std::vector<uint8_t> Bytes() const
    {
        const size_t extraMasks = headerSize == 40 ? 4 * masks.size() : 0;
        const size_t start = 14 + headerSize + extraMasks + palette.size();
        std::vector<uint8_t> out(start);
        out[0] = 'B';
        out[1] = 'M';
        Put32(out, 10, dataOffset < 0 ? uint32_t(start) : uint32_t(dataOffset));
        Put32(out, 14, headerSize);
        if (headerSize == 12) {
            Put16(out, 18, uint32_t(width));
            Put16(out, 20, uint32_t(height));
            Put16(out, 22, 1);
            Put16(out, 24, bits);
        } else {
            Put32(out, 18, uint32_t(width));
            Put32(out, 22, uint32_t(height));
            Put16(out, 26, 1);
            Put16(out, 28, bits);
            Put32(out, 30, compression);
            Put32(out, 46, colorsUsed);
            for (size_t i = 0; i < masks.size(); ++i)
                Put32(out, 54 + 4 * i, masks[i]);
        }
        std::copy(palette.begin(), palette.end(), out.begin() + long(start - palette.size()));
        Put32(out, 2, uint32_t(start + pixels.size()));
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

// Indices (top row first) run-length compressed as 4 or 8 bit rows, bottom
// row first: runs of two or more equal indices as encoded runs, stretches of
// three or more unequal ones as literal stretches padded to 16 bits, the
// rest as runs of one. Every row but the last ends with end-of-line, the
// last with end-of-bitmap.
inline std::vector<uint8_t> RleRows(const std::vector<uint8_t>& indices, int32_t width, int32_t height, int bits)
{
    std::vector<uint8_t> out;
    const auto byteOf = [bits](uint8_t i) { return bits == 8 ? i : uint8_t(i << 4 | i); };
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* row = indices.data() + size_t(y) * size_t(width);
        int32_t x = 0;
        while (x < width) {
            int32_t run = 1;
            while (x + run < width && run < 255 && row[x + run] == row[x])
                ++run;
            int32_t literal = 0;
            while (run == 1 && x + literal < width && literal < 255 &&
                   !(x + literal + 1 < width && row[x + literal] == row[x + literal + 1]))
                ++literal;
            if (literal >= 3) {
                out.push_back(0);
                out.push_back(uint8_t(literal));
                const size_t start = out.size();
                for (int32_t k = 0; k < literal; ++k) {
                    if (bits == 8)
                        out.push_back(row[x + k]);
                    else if (k % 2 == 0)
                        out.push_back(uint8_t(row[x + k] << 4));
                    else
                        out.back() = uint8_t(out.back() | row[x + k]);
                }
                if ((out.size() - start) % 2 != 0)
                    out.push_back(0);
                x += literal;
            } else {
                out.push_back(uint8_t(run));
                out.push_back(byteOf(row[x]));
                x += run;
            }
        }
        out.push_back(0);
        out.push_back(y == 0 ? 1 : 0);
    }
    return out;
}

// A colour channel quantised to the width of its mask, and back to 8 bits
// the way a reader scales it.
inline uint32_t Quantised(uint8_t c, uint32_t mask)
{
    const uint32_t max = (uint32_t(1) << std::popcount(mask)) - 1;
    return (uint32_t(c) * max + 127) / 255;
}
inline uint8_t Expanded(uint32_t q, uint32_t mask)
{
    return uint8_t(std::lround(q * 255.0 / double((uint32_t(1) << std::popcount(mask)) - 1)));
}

// The picture's rows as 16-bit pixels through masks {red, green, blue,
// alpha}, bottom row first and padded to 32 bits.
inline std::vector<uint8_t> Rows16(const Bitmap& b, const std::vector<uint32_t>& masks)
{
    std::vector<uint8_t> out;
    for (int32_t y = b.Height() - 1; y >= 0; --y) {
        for (int32_t x = 0; x < b.Width(); ++x) {
            const Pixel p = b.GetPixel(x, y);
            const uint8_t channels[4] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)};
            uint32_t v = 0;
            for (size_t c = 0; c < masks.size(); ++c)
                if (masks[c] != 0)
                    v |= Quantised(channels[c], masks[c]) << std::countr_zero(masks[c]);
            out.push_back(uint8_t(v));
            out.push_back(uint8_t(v >> 8));
        }
        out.resize((out.size() + 3) / 4 * 4, 0);
    }
    return out;
}

} // namespace kestrava::gdi::testing
