// Pictures: the skin, the module pictures and the help pages are BMP files
// a user can replace.
#include "platform/gdi/Bitmap.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = kestrava::fuzz::InputFile("PICTURE.BMP", data, size);
    kestrava::gdi::Bitmap bitmap;
    std::string error;
    if (kestrava::gdi::LoadBmp(path, bitmap, &error)) {
        // Every pixel the loader claims must be readable.
        volatile uint32_t sum = 0;
        for (int32_t y = 0; y < bitmap.Height() && bitmap.Width() > 0; ++y)
            sum = sum + bitmap.Row(y)[0] + bitmap.Row(y)[bitmap.Width() - 1];
    }
    return 0;
}
