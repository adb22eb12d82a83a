// Cursor files built byte by byte, for the decoder's tests and the
// backend's: icon-directory images, .CUR/.ICO files and RIFF .ANI files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrava::sdl::testing {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutTag(Bytes& b, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(tag[i]));
}
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// A headerless-BMP image as stored in an icon directory. xorRows and
// andRows are given top-down, each row already padded to 4 bytes; they are
// stored bottom-up as the format wants.
inline Bytes Dib(int32_t width, int32_t height, uint16_t bits, const std::vector<uint32_t>& palette,
                 const std::vector<Bytes>& xorRows, const std::vector<Bytes>& andRows)
{
    Bytes b;
    Put32(b, 40);
    Put32(b, uint32_t(width));
    Put32(b, uint32_t(height * 2));
    Put16(b, 1);
    Put16(b, bits);
    Put32(b, 0); // BI_RGB
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, uint32_t(palette.size()));
    Put32(b, 0);
    for (uint32_t c : palette)
        Put32(b, c);
    for (auto row = xorRows.rbegin(); row != xorRows.rend(); ++row)
        Append(b, *row);
    for (auto row = andRows.rbegin(); row != andRows.rend(); ++row)
        Append(b, *row);
    return b;
}

// An icon directory with one image: type 2 (cursor) carries the hotspot.
inline Bytes IconFile(uint16_t type, const Bytes& image, uint16_t hotX = 0, uint16_t hotY = 0, uint8_t width = 0,
                      uint8_t height = 0)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, 1);
    b.push_back(width);
    b.push_back(height);
    b.push_back(0);
    b.push_back(0);
    Put16(b, hotX);
    Put16(b, hotY);
    Put32(b, uint32_t(image.size()));
    Put32(b, 22);
    Append(b, image);
    return b;
}

// A 2 x 2 cursor of one opaque 24-bit colour (0x00RRGGBB as stored B, G, R).
inline Bytes SolidCursor(uint32_t rgb, uint16_t hotX = 1, uint16_t hotY = 0)
{
    Bytes row = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), uint8_t(rgb), uint8_t(rgb >> 8),
                 uint8_t(rgb >> 16), 0, 0};
    Bytes mask = {0, 0, 0, 0};
    return IconFile(2, Dib(2, 2, 24, {}, {row, row}, {mask, mask}), hotX, hotY, 2, 2);
}

inline Bytes Chunk(const char* id, const Bytes& data)
{
    Bytes b;
    PutTag(b, id);
    Put32(b, uint32_t(data.size()));
    Append(b, data);
    if (data.size() % 2 != 0)
        b.push_back(0);
    return b;
}

inline Bytes ListChunk(const char* type, const Bytes& inner)
{
    Bytes data;
    PutTag(data, type);
    Append(data, inner);
    return Chunk("LIST", data);
}

inline Bytes AniHeader(uint32_t frames, uint32_t steps, uint32_t rate, uint32_t flags)
{
    Bytes h;
    Put32(h, 36);
    Put32(h, frames);
    Put32(h, steps);
    for (int i = 0; i < 4; ++i)
        Put32(h, 0); // width, height, bit count, planes: unused for icon frames
    Put32(h, rate);
    Put32(h, flags);
    return Chunk("anih", h);
}

inline Bytes Words(const std::vector<uint32_t>& values)
{
    Bytes b;
    for (uint32_t v : values)
        Put32(b, v);
    return b;
}

inline Bytes Riff(const Bytes& chunks)
{
    Bytes b;
    PutTag(b, "RIFF");
    Put32(b, uint32_t(chunks.size() + 4));
    PutTag(b, "ACON");
    Append(b, chunks);
    return b;
}

// Two frames, red then blue, shown 6 and 30 jiffies; an odd-sized INFO
// list in front checks the chunk padding.
inline Bytes TwoFrameAni()
{
    Bytes chunks;
    Append(chunks, ListChunk("INFO", Chunk("INAM", {'f', 'l', 'y'})));
    Append(chunks, AniHeader(2, 2, 10, 1));
    Append(chunks, Chunk("rate", Words({6, 30})));
    Bytes frames;
    Append(frames, Chunk("icon", SolidCursor(0xFF0000)));
    Append(frames, Chunk("icon", SolidCursor(0x0000FF)));
    Append(chunks, ListChunk("fram", frames));
    return Riff(chunks);
}

} // namespace kestrava::sdl::testing
