// Writes the video fuzz target's seed: a short clip through the same writer
// and encoder as the credits video, small enough to fuzz quickly.
// Usage: make-seed-clip OUTPUT.AVI
#include "platform/video/VideoWriter.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace kestrava;
    if (argc != 2)
        return 2;
    video::VideoFormat format;
    format.width = 32;
    format.height = 24;
    format.framesPerSecond = 10;
    format.keyFrameEvery = 3;
    format.quality = 10;
    video::VideoWriter writer;
    std::string error;
    if (!writer.Open(argv[1], format, error)) {
        std::fprintf(stderr, "make-seed-clip: %s\n", error.c_str());
        return 1;
    }
    gdi::Bitmap frame(format.width, format.height);
    for (int32_t n = 0; n < 5; ++n) {
        for (int32_t y = 0; y < format.height; ++y)
            for (int32_t x = 0; x < format.width; ++x)
                frame.Row(y)[x] = gdi::PixelOf(gdi::Rgb(uint8_t(x * 8), uint8_t(y * 10), uint8_t(n * 50)));
        if (!writer.WriteFrame(frame, error)) {
            std::fprintf(stderr, "make-seed-clip: %s\n", error.c_str());
            return 1;
        }
    }
    if (!writer.Finish(error)) {
        std::fprintf(stderr, "make-seed-clip: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
