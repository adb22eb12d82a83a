#include "modules/raum/RaumPainter.h"

#include <algorithm>

namespace kestrava::raum {

namespace {
double MidX(const gdi::Rect& r) { return (r.left + r.right) / 2.0; }
double MidY(const gdi::Rect& r) { return (r.top + r.bottom) / 2.0; }
} // namespace

double RaumPainter::ClockShare(const RaumState& state, const RaumSettings& settings, uint32_t e)
{
    if (!state.Open || settings.Limit <= 0)
        return 0.0;
    return std::clamp(1.0 - double(e - state.ShownAt) / settings.Limit, 0.0, 1.0);
}

void RaumPainter::Font(int32_t height, bool bold, gdi::ColorRef colour)
{
    gdi::Canvas& c = m_screen.canvas;
    c.font.family = "Arial";
    c.font.bold = bold;
    c.font.underline = false;
    c.font.height = m_screen.Px(height);
    c.font.color = colour;
}

void RaumPainter::Bar(const gdi::Rect& units, double share, gdi::ColorRef colour)
{
    gdi::Canvas& c = m_screen.canvas;
    const gdi::Rect bar = m_screen.Pixels(units);
    c.pen = {kFrameColor, 1, gdi::PenStyle::Solid};
    c.brush = {gdi::Rgb(24, 24, 24), gdi::BrushStyle::Solid};
    c.Rectangle(bar.left, bar.top, bar.right, bar.bottom);
    const int32_t filled = kit::Trunc((bar.Width() - 2) * std::clamp(share, 0.0, 1.0));
    if (filled > 0) {
        c.brush = {colour, gdi::BrushStyle::Solid};
        c.FillRect({bar.left + 1, bar.top + 1, bar.left + 1 + filled, bar.bottom - 1});
    }
}

void RaumPainter::Figure(const gdi::Rect& panel, const Cells& cells, const kit::Mat3& view, double radius)
{
    const kit::PointF centre = m_screen.Point(MidX(panel), MidY(panel));
    const Placement place{centre.x, centre.y, radius};
    gdi::Canvas& c = m_screen.canvas;
    c.pen = {kEdgeColor, std::max(1, m_screen.Px(1.5)), gdi::PenStyle::Solid};
    for (const FigureFace& face : FigureFaces(cells, view, place, kFigureColor)) {
        m_screen.FillPolygon(face.Points, face.Colour);
        c.MoveTo(kit::Trunc(face.Points[3].x), kit::Trunc(face.Points[3].y));
        for (const kit::PointF& p : face.Points)
            c.LineTo(kit::Trunc(p.x), kit::Trunc(p.y));
    }
}

void RaumPainter::PaintAll(const RaumState& state, const Item* item, uint32_t e)
{
    if (!m_screen.Begin())
        return;
    gdi::Canvas& c = m_screen.canvas;
    c.brush = {kBackground, gdi::BrushStyle::Solid};
    c.FillRect(m_screen.Area());
    c.brush.style = gdi::BrushStyle::Clear;
    Font(22, false, gdi::Rgb(230, 230, 230));
    m_screen.CentredText("Ist die rechte Figur die linke, nur gedreht \xE2\x80\x93 oder ihr Spiegelbild?", 400, 32);

    c.pen = {kFrameColor, 1, gdi::PenStyle::Solid};
    c.brush = {gdi::Rgb(24, 24, 24), gdi::BrushStyle::Solid};
    for (const gdi::Rect& key : {m_screen.Pixels(kSameKey), m_screen.Pixels(kMirrorKey)})
        c.Rectangle(key.left, key.top, key.right, key.bottom);
    c.brush.style = gdi::BrushStyle::Clear;
    Font(24, true, gdi::Rgb(230, 230, 230));
    m_screen.CentredText("\xE2\x86\x90  gleich", MidX(kSameKey), MidY(kSameKey));
    m_screen.CentredText("\xE2\x86\x92  gespiegelt", MidX(kMirrorKey), MidY(kMirrorKey));

    Font(18, false, kLabelColor);
    for (const auto& [text, bar] : {std::pair{"Zeit", kClockBar}, std::pair{"Schwierigkeit", kDifficultyBar}}) {
        const gdi::Size extent = c.TextExtent(text);
        const gdi::Rect px = m_screen.Pixels(bar);
        c.TextOut(px.left - m_screen.Px(12) - extent.cx, (px.top + px.bottom) / 2 - extent.cy / 2, text);
    }
    m_screen.End();
    m_clockDrawn = -1;
    PaintChange(state, item);
    PaintClock(state, e);
}

void RaumPainter::PaintChange(const RaumState& state, const Item* item)
{
    if (!m_screen.Begin())
        return;
    gdi::Canvas& c = m_screen.canvas;
    c.pen = {kFrameColor, 1, gdi::PenStyle::Solid};
    c.brush = {kPanelColor, gdi::BrushStyle::Solid};
    for (const gdi::Rect& panel : {m_screen.Pixels(kLeftPanel), m_screen.Pixels(kRightPanel)})
        c.Rectangle(panel.left, panel.top, panel.right, panel.bottom);
    if (item) {
        const double radius = FittingRadius(*item, kFigureRadius * m_screen.Scale());
        Figure(kLeftPanel, item->Left, item->View, radius);
        Figure(kRightPanel, item->Right, item->View, radius);
    }

    c.brush = {kBackground, gdi::BrushStyle::Solid};
    c.FillRect(m_screen.Pixels(kOutcomeWord));
    const char* word = nullptr;
    gdi::ColorRef colour = kLateColor;
    switch (state.LastOutcome) {
    case kOutcomeRight: word = "Richtig", colour = kRightColor; break;
    case kOutcomeWrong: word = "Falsch", colour = kWrongColor; break;
    case kOutcomeLate: word = "Zu sp\xC3\xA4t", colour = kLateColor; break;
    default: break;
    }
    c.brush.style = gdi::BrushStyle::Clear;
    if (word) {
        Font(30, true, colour);
        m_screen.CentredText(word, 400, MidY(kOutcomeWord));
    }
    Bar(kDifficultyBar, state.Difficulty / 100.0, kDifficultyColor);
    m_screen.End();
    m_clockDrawn = -1;
    PaintClock(state, state.ShownAt);
}

void RaumPainter::PaintClock(const RaumState& state, uint32_t e)
{
    const gdi::Rect bar = m_screen.Pixels(kClockBar);
    const int32_t filled = kit::Trunc((bar.Width() - 2) * ClockShare(state, m_settings, e));
    if (filled == m_clockDrawn || !m_screen.Begin())
        return;
    Bar(kClockBar, ClockShare(state, m_settings, e), kClockColor);
    m_clockDrawn = filled;
    m_screen.End();
}

} // namespace kestrava::raum
