// The preferences file velomar.INI.
#include "host/shell/Preferences.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = kestrava::fuzz::InputFile("velomar.INI", data, size);
    kestrava::ReadPreferences(path);
    return 0;
}
