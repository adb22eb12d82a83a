// Two helpers around the Raumvorstellung module's own logic, without a
// window:
//
//   raum-look [--width W] [--seed S] [--difficulty D] [--mirror 0|1]
//             [--outcome N] OUT.png
//       the test screen with the pair drawn from seed S at difficulty D
//       (0 to 100) into a PNG, by the module's painter; the height is three
//       quarters of the width. --outcome: 0 none, 1 right, 2 wrong, 3 late.
//   raum-look --answers INI COUNT WRONG_EVERY
//       the right answers ("gleich" or "gespiegelt") of the first COUNT
//       pairs of a test run with the settings file INI (its SEED), when every
//       WRONG_EVERY-th pair is answered wrongly and the others rightly, all
//       in time. This is how the end-to-end script knows the answer the
//       screen asks for: it cannot read it off the picture.
#include "modules/raum/RaumPainter.h"
#include "modules/raum/RaumSimulation.h"
#include "platform/gdi/Bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kestrava;
using namespace kestrava::raum;

namespace {

int Usage(const char* problem)
{
    std::fprintf(stderr,
                 "raum-look: %s\nusage: raum-look [--width W] [--seed S] [--difficulty D] [--mirror 0|1] "
                 "[--outcome N] OUT.png\n       raum-look --answers INI COUNT WRONG_EVERY\n",
                 problem);
    return 2;
}

int Answers(const std::string& ini, int32_t count, int32_t wrongEvery)
{
    const RaumSettings settings = ReadRaumSettings(ini);
    if (settings.Seed == 0)
        return Usage("the settings file must give a SEED other than 0");
    RaumState state{};
    RaumSimulation simulation(state, settings);
    simulation.Init(static_cast<uint64_t>(static_cast<uint32_t>(settings.Seed)));
    const uint32_t duration = 0xFFFFFFF0u;
    for (uint32_t e = 0; state.Items < count; e += 10) {
        const bool was = state.Open != 0;
        simulation.Tick(e, duration);
        if (!was && state.Open) {
            const bool mirror = state.Mirror != 0;
            std::printf("%s\n", mirror ? "gespiegelt" : "gleich");
            const bool wrong = wrongEvery > 0 && (state.Items + 1) % wrongEvery == 0;
            simulation.KeyDown(mirror != wrong ? kKeyRight : kKeyLeft, e + 500);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--answers")
        return Answers(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    int32_t width = 800;
    uint64_t seed = 4711;
    std::string out;
    RaumState state{};
    state.Open = 1;
    state.Difficulty = state.ItemDifficulty = 30;
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
        else if (arg == "--seed")
            seed = std::strtoull(need(), nullptr, 10);
        else if (arg == "--difficulty")
            state.Difficulty = state.ItemDifficulty = std::atoi(need());
        else if (arg == "--mirror")
            state.Mirror = std::atoi(need()) != 0 ? 1 : 0;
        else if (arg == "--outcome")
            state.LastOutcome = std::atoi(need());
        else if (!arg.empty() && arg[0] == '-')
            return Usage(("unknown option " + arg).c_str());
        else
            out = arg;
    }
    if (out.empty())
        return Usage("no output file");
    if (width < 100 || width > 8000)
        return Usage("--width must be 100 to 8000");

    gdi::Bitmap screen(width, width * 3 / 4);
    TTestStatus status{};
    status.DC = screen.Handle();
    status.Scale = width / 800.0;
    RaumSettings settings;
    const Item item = MakeItem(seed, TurnClassOf(state.ItemDifficulty), state.Mirror != 0);
    RaumPainter painter(settings);
    painter.SetStatus(&status);
    painter.PaintAll(state, &item, 3000);
    std::string error;
    if (!gdi::SavePng(out, screen, &error)) {
        std::fprintf(stderr, "raum-look: %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
