// Writes the BMP fuzz target's seeds of the layouts the program's own
// pictures do not come in: run-length compressed 8 and 4 bit pictures (with
// end-of-line, delta and end-of-bitmap codes, runs and odd literal
// stretches), one with a damaged run, and 16-bit pictures with the default
// 5-5-5 layout, 5-6-5 masks behind the plain header and in a V4 header, and
// 4-4-4-4 masks with alpha in a V5 header.
// Usage: make-seed-pictures FOLDER
#include "../gdi/BmpBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using kestrava::gdi::testing::BmpFile;

bool Write(const std::filesystem::path& path, const BmpFile& f)
{
    const std::vector<uint8_t> bytes = f.Bytes();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (out.flush())
        return true;
    std::fprintf(stderr, "make-seed-pictures: cannot write %s\n", path.c_str());
    return false;
}

BmpFile Palette(int32_t width, int32_t height, uint16_t bits, uint32_t colours)
{
    BmpFile f;
    f.width = width, f.height = height, f.bits = bits, f.compression = bits == 8 ? 1 : 2, f.colorsUsed = colours;
    for (uint32_t i = 0; i < colours; ++i)
        f.palette.insert(f.palette.end(), {uint8_t(i * 16), uint8_t(255 - i * 8), uint8_t(i * 40), 0});
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::filesystem::path folder = argv[1];
    bool ok = true;
    for (uint16_t bits : {uint16_t(8), uint16_t(4)}) {
        BmpFile f = Palette(11, 6, bits, 16);
        std::vector<uint8_t> indices;
        for (int32_t y = 0; y < f.height; ++y)
            for (int32_t x = 0; x < f.width; ++x)
                indices.push_back(uint8_t((x / (y % 3 + 1) + y) % 16));
        f.pixels = kestrava::gdi::testing::RleRows(indices, f.width, f.height, bits);
        ok = Write(folder / ("rle" + std::to_string(bits) + ".BMP"), f) && ok;
    }
    {
        // Skip a pixel, a run, an early end of line, an odd stretch with its
        // pad byte, a delta up and right, a run, the end.
        BmpFile f = Palette(7, 3, 8, 8);
        f.pixels = {0, 2, 1, 0, 2, 3, 0, 0, 0, 3, 1, 2, 1, 0, 0, 2, 2, 1, 1, 2, 0, 1};
        ok = Write(folder / "rle8-delta.BMP", f) && ok;
        f.pixels = {3, 1, 0, 0, 4, 2, 3, 2, 0, 1}; // a run past the row's end
        ok = Write(folder / "rle8-damaged.BMP", f) && ok;
        f = Palette(7, 3, 4, 8);
        f.pixels = {7, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 2, 0x66, 0, 2, 1, 1, 1, 0x50, 0, 1};
        ok = Write(folder / "rle4-delta.BMP", f) && ok;
    }
    kestrava::gdi::Bitmap picture(9, 5);
    for (int32_t y = 0; y < picture.Height(); ++y)
        for (int32_t x = 0; x < picture.Width(); ++x)
            picture.SetPixel(x, y, uint32_t(x * 28) | uint32_t(y * 60) << 8 | uint32_t(255 - x * 20) << 16 |
                                       uint32_t(x * y * 6) << 24);
    struct Layout {
        const char* name;
        uint32_t headerSize, compression;
        std::vector<uint32_t> masks;
    };
    for (const Layout& l : {Layout{"rgb555.BMP", 40, 0, {}}, Layout{"rgb565.BMP", 40, 3, {0xF800, 0x7E0, 0x1F}},
                            Layout{"rgb565-v4.BMP", 108, 3, {0xF800, 0x7E0, 0x1F}},
                            Layout{"argb4444-v5.BMP", 124, 3, {0xF00, 0xF0, 0xF, 0xF000}}}) {
        BmpFile f;
        f.headerSize = l.headerSize, f.compression = l.compression, f.masks = l.masks;
        f.width = picture.Width(), f.height = picture.Height(), f.bits = 16;
        f.pixels = kestrava::gdi::testing::Rows16(picture, l.masks.empty() ? std::vector<uint32_t>{0x7C00, 0x3E0, 0x1F}
                                                                         : l.masks);
        ok = Write(folder / l.name, f) && ok;
    }
    return ok ? 0 : 1;
}
