#include "resources/help/LageFigure.h"

#include "modules/lage/LagePainter.h"
#include "protocol/MyMessages.h"

namespace kestrava::help {

using namespace lage;

LageState LageFigureState()
{
    LageState state{};
    state.Phase = kPhaseShowing;
    state.LastOutcome = kOutcomeCorrect;
    state.Item.Shown = {2, 1, 2};
    // The wrong ones: the bank the other way, west instead of east, level.
    state.Item.Pictures[0] = {-2, 1, 2};
    state.Item.Pictures[1] = {2, 1, 6};
    state.Item.Pictures[2] = state.Item.Shown;
    state.Item.Pictures[3] = {2, 0, 2};
    state.Item.Answer = 2;
    return state;
}

std::vector<Badge> LageFigureBadges()
{
    const double r = kInstrumentRadius + 14;
    const gdi::Rect first = PictureRect(0);
    return {
        {1, kHorizonCentre.x - r - 6, kHorizonCentre.y - r + 14},
        {2, kHeadingCentre.x + r + 6, kHeadingCentre.y - r + 14},
        {3, first.left + 12.0, first.top + 12.0},
        {4, (first.left + first.right) / 2.0 - 34, double(kKeysY)},
        {5, 330, double(kOutcomeY)},
    };
}

gdi::Bitmap PaintLageScreen(const LageState& state, double scale)
{
    gdi::Bitmap screen(FigurePixels(kLageFigureWidth, scale), FigurePixels(kLageFigureWidth * 3 / 4, scale));
    TTestStatus status{};
    status.DC = screen.Handle();
    status.Scale = screen.Width() / 800.0;
    LagePainter painter;
    painter.SetStatus(&status);
    painter.PaintAll(state);
    painter.SetStatus(nullptr);
    return screen;
}

} // namespace kestrava::help
