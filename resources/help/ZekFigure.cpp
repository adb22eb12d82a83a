#include "resources/help/ZekFigure.h"

#include "modules/zek/ZekLayout.h"
#include "modules/zek/ZekPainter.h"
#include "protocol/MyMessages.h"

#include <cmath>

namespace kestrava::help {

using namespace zek::layout;

zek::ZekState ZekFigureState()
{
    zek::ZekState state{};
    state.TargetX = state.TargetXDrawn = 250, state.TargetY = state.TargetYDrawn = 190;
    state.CursorX = state.CursorXDrawn = 345, state.CursorY = state.CursorYDrawn = 265;
    state.VTargetY = state.VTargetYDrawn = 135, state.VCursorY = state.VCursorYDrawn = 290;
    state.Light = 2;
    SetShortStringUtf8(state.TaskText, "3 + 4 • 7 = ?");
    SetShortStringUtf8(state.AnswerText, "31");
    return state;
}

std::vector<Badge> ZekFigureBadges(const zek::ZekSettings& settings, const zek::ZekState& state)
{
    const double half = settings.Size / 2.0;
    const double away = (half + 24) / std::sqrt(2.0); // diagonally beside a sprite
    const double above = half + 22;                   // over or under one
    const double vx = kVerticalField.left + kVerticalObjectX;
    return {
        {1, kLights[1].x + kLightSize + 24, kLights[1].y + kLightSize},
        {2, kTaskBox.left - 22, kTaskBox.CentreY()},
        {3, kAnswerBox.left - 22, kAnswerBox.CentreY()},
        {4, kVerticalField.CentreX(), kVerticalField.bottom - 26},
        {5, kField2D.right - 26, kField2D.bottom - 26},
        {6, kField2D.left + state.TargetX - away, kField2D.top + state.TargetY - away},
        {6, vx, kVerticalField.top + state.VTargetY - above},
        {7, kField2D.left + state.CursorX + away, kField2D.top + state.CursorY + away},
        {7, vx, kVerticalField.top + state.VCursorY + above},
    };
}

gdi::Bitmap PaintZekScreen(const std::string& moduleFolder, const zek::ZekState& state, int32_t& missing,
                           double scale)
{
    gdi::Bitmap screen(FigurePixels(kZekFigureWidth, scale), FigurePixels(kZekFigureWidth * 3 / 4, scale));
    TTestStatus status{};
    status.DC = screen.Handle();
    status.Scale = screen.Width() / kScreenWidth;
    SetShortStringUtf8(status.ModuleDir, moduleFolder);
    zek::ZekSettings settings;
    zek::ZekPainter painter(settings);
    painter.SetStatus(&status);
    painter.LoadImages();
    painter.PaintAll(state);
    missing = painter.MissingPictures();
    painter.Release();
    return screen;
}

} // namespace kestrava::help
