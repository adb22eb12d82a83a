// Renders the Mehrfachreaktion screen for a given size and state into a PNG,
// without a window: the module's own painter draws into a bitmap the way it
// draws into the host's test area.
//
//   mfr-look [--width W] [--module FOLDER] [--lamp N] [--outcome N]
//            [--interval MS] OUT.png
//
// The height is three quarters of the width, the scale width / 800. FOLDER
// is the module's folder, the one holding graphics/. --outcome: 0 none,
// 1 correct, 2 error, 3 missed.
#include "modules/mfr/MfrPainter.h"
#include "modules/mfr/MfrSettings.h"
#include "modules/mfr/MfrState.h"
#include "platform/gdi/Bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kestrava;
using namespace kestrava::mfr;

namespace {

int Usage(const char* problem)
{
    std::fprintf(stderr, "mfr-look: %s\nusage: mfr-look [--width W] [--module FOLDER] [--lamp N] [--outcome N] "
                         "[--interval MS] OUT.png\n",
                 problem);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int32_t width = 800;
    std::string folder = KESTRAVA_DEFAULT_MODULE_DIR;
    std::string out;
    MfrState state{};
    state.Lamp = 3;
    state.LastOutcome = kOutcomeNone;
    state.Interval = 1400;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto need = [&]() {
            if (!value)
                std::exit(Usage(("missing value after " + arg).c_str()));
            ++i;
            return value;
        };
        if (arg == "--width")
            width = std::atoi(need());
        else if (arg == "--module")
            folder = need();
        else if (arg == "--lamp")
            state.Lamp = std::atoi(need());
        else if (arg == "--outcome")
            state.LastOutcome = std::atoi(need());
        else if (arg == "--interval")
            state.Interval = std::atoi(need());
        else if (!arg.empty() && arg[0] == '-')
            return Usage(("unknown option " + arg).c_str());
        else
            out = arg;
    }
    if (out.empty())
        return Usage("no output file");
    if (width < 100 || width > 8000)
        return Usage("--width must be 100 to 8000");
    if (!folder.empty() && folder.back() != '/')
        folder += '/';

    gdi::Bitmap screen(width, width * 3 / 4);
    TTestStatus status{};
    status.DC = screen.Handle();
    status.Scale = width / 800.0;
    SetShortStringUtf8(status.ModuleDir, folder);

    MfrSettings settings;
    MfrPainter painter(settings);
    painter.SetStatus(&status);
    painter.LoadImages();
    painter.PaintAll(state);
    painter.Release();

    std::string error;
    if (!gdi::SavePng(out, screen, &error)) {
        std::fprintf(stderr, "mfr-look: %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    return painter.MissingPictures() == 0 ? 0 : 1;
}
