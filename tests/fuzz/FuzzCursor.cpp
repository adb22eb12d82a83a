// Cursor files (.CUR, .ANI) beside the program.
#include "platform/sdl/CursorFile.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    kestrava::sdl::CursorImage image;
    std::string error;
    kestrava::sdl::DecodeCursor(bytes, image, error);
    return 0;
}
