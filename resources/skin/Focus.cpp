// The focus frame: the picture a control draws around its focused line,
// button or link while the keyboard is in use. Its corners stay as they are
// and its edges are stretched, so one small picture frames any size.
#include "resources/skin/Artwork.h"

namespace kestrava::artwork {

void DrawFocus(Output& out)
{
    // 5-pixel corners around a uniform 2-pixel middle: a blue line two
    // pixels wide with a dark rim inside and out, so it reads on black wells
    // and on the grey button surface alike.
    constexpr int32_t kSize = 12;
    Layer frame(kSize, kSize);
    const Sdf outer = RoundRect(0, 0, kSize, kSize, 4);
    frame.Fill(Subtract(outer, Grown(outer, -4)), Grey(20), 0.55);
    const Sdf line = Subtract(Grown(outer, -1), Grown(outer, -3));
    frame.Fill(line, Mix(colour::Blue, colour::Text, 0.25));
    out.Picture("Fokus", frame.WithAlpha());
}

} // namespace kestrava::artwork
