// Exact pixel comparisons that read as pictures: a bitmap becomes rows of
// characters, one per pixel, through a legend of pixel values, so a test
// states the expected image and a failure shows where it differs.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace kestrava::gdi::testing {

using Legend = std::initializer_list<std::pair<Pixel, char>>;

// Pixels missing from the legend show as '?', so a stray colour or a wrong
// alpha byte is never mistaken for an expected one.
inline std::string Art(const Bitmap& b, Legend legend)
{
    std::string out;
    for (int32_t y = 0; y < b.Height(); ++y) {
        for (int32_t x = 0; x < b.Width(); ++x) {
            char c = '?';
            for (const auto& [pixel, mark] : legend)
                if (b.GetPixel(x, y) == pixel) {
                    c = mark;
                    break;
                }
            out += c;
        }
        out += '\n';
    }
    return out;
}

inline Bitmap Filled(int32_t w, int32_t h, Pixel p)
{
    Bitmap b(w, h);
    b.Fill(p);
    return b;
}

} // namespace kestrava::gdi::testing
