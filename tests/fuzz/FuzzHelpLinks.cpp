// A help page's link file, and every target it names resolved as the
// viewer does.
#include "host/shell/HelpLinks.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    const std::string path = fuzz::InputFile("HELP1.INI", data, size);
    for (const shell::HelpLink& link : shell::ReadHelpLinks(path))
        shell::ResolveHelpTarget(link.target, "/program/TESTS/", "/program/");
    return 0;
}
