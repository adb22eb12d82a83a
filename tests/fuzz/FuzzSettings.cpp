// A module's settings file, through the settings reader (IniFile) as the
// ZEK module reads and bounds its ZEK.ini.
#include "modules/zek/ZekSettings.h"
#include "platform/gdi/IniFile.h"
#include "tests/fuzz/FuzzFile.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    const std::string path = fuzz::InputFile("ZEK.ini", data, size);
    zek::ClampZekSettings(zek::ReadZekSettings(path));
    int32_t value = 0;
    ParseInt32(std::string_view(reinterpret_cast<const char*>(data), size), value);
    return 0;
}
