// The credits video: opened and decoded frame by frame, scaled as the
// player does.
#include "platform/video/VideoFile.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    const std::string path = fuzz::InputFile("FLIEGE.AVI", data, size);
    video::VideoFile file;
    std::string error;
    if (!file.Open(path, error))
        return 0;
    gdi::Bitmap frame;
    for (int i = 0; i < 16 && file.NextFrame(frame, 64, 48); ++i) {
    }
    return 0;
}
