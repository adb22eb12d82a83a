#include "resources/help/RaumFigure.h"

#include "modules/raum/RaumPainter.h"

namespace kestrava::help {

using namespace raum;

RaumState RaumFigureState()
{
    RaumState state{};
    state.Open = 1;
    state.Mirror = 1;
    state.ItemSeed = 20240611;
    state.Difficulty = state.ItemDifficulty = 40;
    state.ShownAt = 1000;
    state.LastOutcome = kOutcomeRight;
    return state;
}

std::vector<Badge> RaumFigureBadges()
{
    return {
        {1, kLeftPanel.left + 22, kLeftPanel.top + 22},
        {2, kRightPanel.right - 22, kRightPanel.top + 22},
        {3, kClockBar.right + 24, (kClockBar.top + kClockBar.bottom) / 2.0},
        {4, kOutcomeWord.right - 50, (kOutcomeWord.top + kOutcomeWord.bottom) / 2.0},
        {5, kSameKey.left - 24, (kSameKey.top + kSameKey.bottom) / 2.0},
        {6, kMirrorKey.right + 24, (kMirrorKey.top + kMirrorKey.bottom) / 2.0},
        {7, kDifficultyBar.right + 24, (kDifficultyBar.top + kDifficultyBar.bottom) / 2.0},
    };
}

gdi::Bitmap PaintRaumScreen(const RaumState& state, double scale)
{
    gdi::Bitmap screen(FigurePixels(kRaumFigureWidth, scale), FigurePixels(kRaumFigureWidth * 3 / 4, scale));
    TTestStatus status{};
    status.DC = screen.Handle();
    status.Scale = screen.Width() / 800.0;
    const RaumSettings settings;
    const Item item = MakeItem(state.ItemSeed, TurnClassOf(state.ItemDifficulty), state.Mirror != 0);
    RaumPainter painter(settings);
    painter.SetStatus(&status);
    painter.PaintAll(state, &item, state.ShownAt + 3500);
    painter.SetStatus(nullptr);
    return screen;
}

} // namespace kestrava::help
