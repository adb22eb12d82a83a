// The focus frame: the picture a control draws around its focused line,
// button or link while the keyboard is in use. Its corners stay as they are
// and its edges are stretched, so one small picture frames any size.
#include "resources/skin/Artwork.h"

namespace kestrava::artwork {

void DrawFocus(Output& out)
{
    // 5-pixel corners around a uniform 2-pixel middle: a light blue line two
    // pixels wide, its inner pixel half see-through, thin enough to leave a
    // list line's text readable inside it, bright enough for black wells and
    // the grey button surface alike.
    constexpr int32_t kSize = 12;
    Layer frame(kSize, kSize);
    const Sdf outer = RoundRect(0, 0, kSize, kSize, 3);
    const Rgbf light = Mix(colour::Blue, colour::Text, 0.35);
    frame.Fill(Subtract(outer, Grown(outer, -1)), light);
    frame.Fill(Subtract(Grown(outer, -1), Grown(outer, -2)), light, 0.5);
    out.Picture("Fokus", frame.WithAlpha());
}

} // namespace kestrava::artwork
