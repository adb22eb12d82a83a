// Draws every picture of the host: skins, dialog backgrounds, buttons, menu
// pieces, the splash and the cursors.
//
// Usage: make-host-artwork PROGRAM_FOLDER [LOOK_FOLDER]
// Pictures go to PROGRAM_FOLDER/skin/NAME.bmp, the cursor files into
// PROGRAM_FOLDER itself, and each again drawn at 1.5 and 2 times as
// NAME@1.5x.bmp, NAME@2x.bmp (HAND@2x.CUR); with LOOK_FOLDER, a PNG copy of every picture is
// written there to look at.
#include "resources/skin/Artwork.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    using namespace kestrava::artwork;
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make-host-artwork PROGRAM_FOLDER [LOOK_FOLDER]\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string look = argc == 3 ? argv[2] : "";
    for (const std::string& folder : {program + "/skin", look}) {
        std::error_code error;
        if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
            std::fprintf(stderr, "make-host-artwork: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
            return 1;
        }
    }
    Output out(program, look);
    // One set of pictures per scale the host shows its interface at.
    for (const double scale : kScales) {
        const DrawingScaleScope at(scale);
        DrawSkins(out);
        DrawDialogs(out);
        DrawButtons(out);
        DrawMenu(out);
        DrawSplash(out);
        WriteCursors(out);
        DrawFocus(out);
    }
    if (out.ok)
        out.Prune();
    return out.ok ? 0 : 1;
}
