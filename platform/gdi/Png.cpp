// PNG writing for captured frames and pictures to look at: 8-bit RGBA,
// no filtering, deflated by zlib. Nothing in the system reads PNG back.
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Internal.h"

#include <zlib.h>

#include <algorithm>

namespace kestrava::gdi {

namespace {

bool Fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], const uint8_t* data, size_t size)
{
    PutBig32(out, uint32_t(size));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    // The checksum covers the chunk type and its data.
    const uLong crc = crc32(0L, out.data() + typeStart, uInt(out.size() - typeStart));
    PutBig32(out, uint32_t(crc));
}

// Chunks are limited to 2^31 - 1 bytes; splitting the image data into
// smaller ones also keeps every length within what crc32 takes at once.
constexpr size_t kMaxIdat = size_t(1) << 20;

} // namespace

bool SavePng(const std::string& path, const Bitmap& bitmap, std::string* error)
{
    if (bitmap.Empty())
        return Fail(error, "PNG: cannot write an empty picture");
    const size_t width = size_t(bitmap.Width());
    const size_t height = size_t(bitmap.Height());

    // Each row starts with its filter type, 0 (none).
    const size_t rowBytes = 1 + 4 * width;
    std::vector<uint8_t> raw(rowBytes * height);
    for (size_t y = 0; y < height; ++y) {
        const Pixel* row = bitmap.Row(int32_t(y));
        uint8_t* out = raw.data() + y * rowBytes;
        *out++ = 0;
        for (size_t x = 0; x < width; ++x) {
            const Pixel p = row[x];
            *out++ = uint8_t(p >> 16);
            *out++ = uint8_t(p >> 8);
            *out++ = uint8_t(p);
            *out++ = uint8_t(p >> 24);
        }
    }

    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return Fail(error, "PNG: compression failed for " + path);
    packed.resize(packedSize);

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, uint32_t(width));
    PutBig32(header, uint32_t(height));
    header.push_back(8); // bits per channel
    header.push_back(6); // colour type: RGBA
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering (every row uses "none")
    header.push_back(0); // not interlaced
    PutChunk(file, "IHDR", header.data(), header.size());
    for (size_t at = 0; at < packed.size(); at += kMaxIdat)
        PutChunk(file, "IDAT", packed.data() + at, std::min(kMaxIdat, packed.size() - at));
    PutChunk(file, "IEND", nullptr, 0);

    return internal::WriteFileReplacing(path, file.data(), file.size(), error);
}

} // namespace kestrava::gdi
