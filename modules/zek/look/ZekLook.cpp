// Renders the ZEK test screen for a given size and state into a PNG, without
// a window: the module's own painter draws into a bitmap the way it draws
// into the host's test area.
//
//   zek-look [--width W] [--pictures FOLDER] [--light N] [--task TEXT]
//            [--answer DIGITS] [--target X,Y] [--cursor X,Y]
//            [--vtarget Y] [--vcursor Y] OUT.png
//
// The height is three quarters of the width, the scale width / 800. FOLDER
// is the module's folder, the one holding graphics/.
#include "modules/zek/ZekPainter.h"
#include "modules/zek/ZekSettings.h"
#include "modules/zek/ZekState.h"
#include "platform/gdi/Bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace kestrava;
using namespace kestrava::zek;

namespace {

bool ParsePair(const char* text, double& a, double& b) { return std::sscanf(text, "%lf,%lf", &a, &b) == 2; }

int Usage(const char* problem)
{
    std::fprintf(stderr, "zek-look: %s\nusage: zek-look [--width W] [--pictures FOLDER] [--light N] [--task TEXT] "
                         "[--answer DIGITS] [--target X,Y] [--cursor X,Y] [--vtarget Y] [--vcursor Y] OUT.png\n",
                 problem);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int32_t width = 800;
    std::string pictures = KESTRAVA_DEFAULT_MODULE_DIR;
    std::string out;
    ZekState state{};
    state.TargetX = 300, state.TargetY = 200;
    state.CursorX = 335, state.CursorY = 222;
    state.VTargetY = 180, state.VCursorY = 250;
    state.Light = 2;
    std::string task = "3 + 4 • 7 = ?";
    std::string answer = "31";

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
        else if (arg == "--pictures")
            pictures = need();
        else if (arg == "--light")
            state.Light = std::atoi(need());
        else if (arg == "--task")
            task = need();
        else if (arg == "--answer")
            answer = need();
        else if (arg == "--target") {
            if (!ParsePair(need(), state.TargetX, state.TargetY))
                return Usage("--target takes X,Y");
        } else if (arg == "--cursor") {
            if (!ParsePair(need(), state.CursorX, state.CursorY))
                return Usage("--cursor takes X,Y");
        } else if (arg == "--vtarget")
            state.VTargetY = std::atof(need());
        else if (arg == "--vcursor")
            state.VCursorY = std::atof(need());
        else if (!arg.empty() && arg[0] == '-')
            return Usage(("unknown option " + arg).c_str());
        else
            out = arg;
    }
    if (out.empty())
        return Usage("no output file");
    if (width < 100 || width > 8000)
        return Usage("--width must be 100 to 8000");
    if (!pictures.empty() && pictures.back() != '/')
        pictures += '/';

    state.TargetXDrawn = state.TargetX, state.TargetYDrawn = state.TargetY;
    state.CursorXDrawn = state.CursorX, state.CursorYDrawn = state.CursorY;
    state.VTargetYDrawn = state.VTargetY, state.VCursorYDrawn = state.VCursorY;
    if (!SetShortStringUtf8(state.TaskText, task) || !SetShortStringUtf8(state.AnswerText, answer))
        return Usage("task or answer too long");

    gdi::Bitmap screen(width, width * 3 / 4);
    TTestStatus status{};
    status.DC = screen.Handle();
    status.Scale = width / 800.0;
    SetShortStringUtf8(status.ModuleDir, pictures);

    ZekSettings settings;
    ZekPainter painter(settings);
    painter.SetStatus(&status);
    painter.LoadImages();
    painter.PaintAll(state);
    painter.Release();

    std::string error;
    if (!gdi::SavePng(out, screen, &error)) {
        std::fprintf(stderr, "zek-look: %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    return painter.MissingPictures() == 0 ? 0 : 1;
}
