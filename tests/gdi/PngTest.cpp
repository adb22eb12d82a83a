// PNG writing: the file is read back chunk by chunk, its checksums
// recomputed and its image data inflated to the pixels that were saved.
#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrava::gdi {
namespace {

namespace fs = std::filesystem;

uint32_t Big32(const std::vector<uint8_t>& in, size_t at)
{
    return uint32_t(in.at(at)) << 24 | uint32_t(in.at(at + 1)) << 16 | uint32_t(in.at(at + 2)) << 8 | in.at(at + 3);
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

// Splits a PNG after its signature into chunks, checking each checksum.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& file)
{
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at < file.size()) {
        const uint32_t length = Big32(file, at);
        EXPECT_LE(at + 12 + length, file.size());
        if (at + 12 + length > file.size())
            break;
        Chunk c;
        c.type.assign(file.begin() + long(at + 4), file.begin() + long(at + 8));
        c.data.assign(file.begin() + long(at + 8), file.begin() + long(at + 8 + length));
        const uLong crc = crc32(0L, file.data() + at + 4, uInt(4 + length));
        EXPECT_EQ(Big32(file, at + 8 + length), uint32_t(crc)) << c.type;
        chunks.push_back(std::move(c));
        at += 12 + length;
    }
    return chunks;
}

std::vector<uint8_t> Saved(const Bitmap& b, const char* name)
{
    const fs::path path = fs::temp_directory_path() / (std::string("kestrava-gdi-") + name + "-" +
                                                       std::to_string(getpid()) + ".png");
    std::string error;
    EXPECT_TRUE(SavePng(path.string(), b, &error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    fs::remove(path);
    return bytes;
}

TEST(PngWrite, SignatureHeaderAndPixelsInflateBack)
{
    Bitmap b(3, 2);
    b.SetPixel(0, 0, PixelOf(Rgb(255, 0, 0)));
    b.SetPixel(1, 0, PixelOf(Rgb(0, 255, 0), 128));
    b.SetPixel(2, 0, PixelOf(Rgb(0, 0, 255), 0));
    b.SetPixel(0, 1, PixelOf(Rgb(1, 2, 3), 4));
    const std::vector<uint8_t> file = Saved(b, "small");
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 8),
              (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));

    const std::vector<Chunk> chunks = Chunks(file);
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.empty());
    const std::vector<uint8_t>& ihdr = chunks.front().data;
    ASSERT_EQ(ihdr.size(), 13u);
    EXPECT_EQ(Big32(ihdr, 0), 3u);
    EXPECT_EQ(Big32(ihdr, 4), 2u);
    EXPECT_EQ(std::vector<uint8_t>(ihdr.begin() + 8, ihdr.end()), (std::vector<uint8_t>{8, 6, 0, 0, 0}));

    std::vector<uint8_t> packed;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT")
            packed.insert(packed.end(), c.data.begin(), c.data.end());
    std::vector<uint8_t> raw(64);
    uLongf rawSize = uLongf(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())), Z_OK);
    raw.resize(rawSize);
    EXPECT_EQ(raw, (std::vector<uint8_t>{0, 255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0,  //
                                         0, 1, 2, 3, 4, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(PngWrite, LargeImagesSpreadOverSeveralDataChunks)
{
    // Noise defeats compression, so the data passes the one-chunk limit.
    Bitmap b(700, 500);
    uint32_t seed = 12345;
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            b.SetPixel(x, y, seed);
        }
    const std::vector<Chunk> chunks = Chunks(Saved(b, "large"));
    std::vector<uint8_t> packed;
    size_t idats = 0;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT") {
            ++idats;
            packed.insert(packed.end(), c.data.begin(), c.data.end());
        }
    EXPECT_GT(idats, 1u);
    std::vector<uint8_t> raw(size_t(500) * (1 + 4 * 700));
    uLongf rawSize = uLongf(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())), Z_OK);
    ASSERT_EQ(rawSize, raw.size());
    const Pixel last = b.GetPixel(699, 499);
    const size_t at = raw.size() - 4;
    EXPECT_EQ(raw[at], uint8_t(last >> 16));
    EXPECT_EQ(raw[at + 3], uint8_t(last >> 24));
}

TEST(PngWrite, EmptyPictureOrMissingFolderFails)
{
    std::string error;
    EXPECT_FALSE(SavePng((fs::temp_directory_path() / "kestrava-gdi-empty.png").string(), Bitmap(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(SavePng("/nonexistent-kestrava-folder/x.png", Bitmap(2, 2), &error));
    EXPECT_NE(error.find("nonexistent-kestrava-folder"), std::string::npos) << error;
}

} // namespace
} // namespace kestrava::gdi
