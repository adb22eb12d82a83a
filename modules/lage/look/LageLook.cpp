// lage-look OUT.png [SEED [WIDTH]]: the test screen with the first item the
// seed gives, at WIDTH pixels (800 by default), as LAGE.TST paints it.
// lage-look --answers SEED COUNT: the keys (1 to 4) that answer the first
// COUNT items of a run with that seed, one a line: the items depend on the
// seed alone, never on the timing.
#include "modules/lage/LageItems.h"
#include "modules/lage/LagePainter.h"
#include "platform/gdi/Bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    using namespace kestrava;
    if (argc == 4 && std::string(argv[1]) == "--answers") {
        uint64_t position = uint64_t(uint32_t(std::atoi(argv[2])));
        kit::BlockRandom random(position);
        for (int n = std::atoi(argv[3]); n > 0; --n)
            std::printf("%d\n", lage::DrawItem(random).Answer + 1);
        return 0;
    }
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: lage-look OUT.png [SEED [WIDTH]] | lage-look --answers SEED COUNT\n");
        return 2;
    }
    lage::LageState state{};
    state.RandomState = argc > 2 ? uint64_t(uint32_t(std::atoi(argv[2]))) : 1;
    kit::BlockRandom random(state.RandomState);
    state.Item = lage::DrawItem(random);
    state.Phase = lage::kPhaseShowing;
    state.LastOutcome = lage::kOutcomeCorrect;
    const int width = argc > 3 ? std::max(200, std::atoi(argv[3])) : 800;
    gdi::Bitmap screen(width, width * 3 / 4);
    TTestStatus status{};
    status.DC = screen.Handle();
    status.Scale = width / 800.0;
    lage::LagePainter painter;
    painter.SetStatus(&status);
    painter.PaintAll(state);
    std::printf("answer %d\n", state.Item.Answer + 1);
    return gdi::SavePng(argv[1], screen) ? 0 : 1;
}
