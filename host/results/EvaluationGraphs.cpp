#include "host/results/EvaluationGraphs.h"

#include "host/results/ResultTexts.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace kestrava {

namespace {

constexpr int32_t kBoxWidth = 464;
// The days of a series run over 414 pixels from x = 43.
constexpr int32_t kCurveLeft = 43;
constexpr double kCurveWidth = 414.0;

int32_t Round(double value)
{
    // Ties to even (the default rounding mode); a damaged mean far outside
    // 0-100 % is kept within reach of the pixel arithmetic instead of
    // overflowing the conversion.
    const double r = std::nearbyint(value);
    if (!(r > -1e6))
        return -1'000'000;
    if (r > 1e6)
        return 1'000'000;
    return static_cast<int32_t>(r);
}

// Pen stamps reach PenLow pixels before the ideal line (as the canvas draws
// them).
int32_t PenLow(int32_t width) { return -((std::max(width, 1) - 1) / 2); }

// Works in the units of the 1x graph: P() turns units into the pixels of
// the scaled paint box; texts are measured in the scaled font. W0() is the
// width of "0" at 1x, scaled, so that the geometry keeps its proportions
// exactly while the labels follow the rendered font.
class Builder {
public:
    explicit Builder(const GraphStyle& style) : m_style(style), m_k(style.scale)
    {
        m_font = style.font;
        m_font.height = P(style.font.height);
        m_picture.font.family = m_font.family;
        m_picture.font.height = m_font.height;
        m_picture.font.bold = m_font.bold;
        m_picture.font.underline = m_font.underline;
        m_picture.font.color = style.text;
        m_w0 = P(gdi::MeasureText(style.font, "0").cx);
    }

    int32_t P(double units) const { return m_k == 1 ? Round(units) : Round(units * m_k); }
    int32_t Width(const std::string& text) const { return gdi::MeasureText(m_font, text).cx; }
    int32_t Height(const std::string& text) const { return gdi::MeasureText(m_font, text).cy; }
    int32_t W0() const { return m_w0; }

    void Text(int32_t x, int32_t y, std::string text) { m_picture.ops.emplace_back(GraphText{x, y, std::move(text)}); }
    // In pixels; the pen `width` units wide. A wider pen's stamp reaches
    // further before the ideal line than k times the 1x stamp: the line
    // moves by the difference, so it covers the scaled 1x pixels.
    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, gdi::ColorRef colour, int32_t width,
              gdi::PenStyle style = gdi::PenStyle::Solid)
    {
        const int32_t pen = P(width);
        const int32_t d = P(PenLow(width)) - PenLow(pen);
        if (style == gdi::PenStyle::Dot && m_k != 1) {
            DottedLine(x0 + d, y0 + d, x1 + d, colour, pen);
            return;
        }
        m_picture.ops.emplace_back(GraphLine{x0 + d, y0 + d, x1 + d, y1 + d, gdi::Pen{colour, pen, style}});
    }
    void Box(const gdi::Rect& r, gdi::ColorRef pen, gdi::ColorRef fill)
    {
        m_picture.ops.emplace_back(GraphBox{r, gdi::Pen{pen, P(1), gdi::PenStyle::Solid}, fill});
    }

    // The labels 0% to 100%, right-aligned to x = 34, one step of S pixels
    // apart above the base y0.
    void PercentAxis(int32_t y0, int32_t step)
    {
        const int32_t h = Height("00");
        for (int32_t j = 0; j <= 10; ++j) {
            const std::string label = std::to_string(10 * j) + "%";
            Text(P(34) - Width(label), P(y0 - step * j) - h, label);
        }
    }

    // The first and the last day of the series under the curve's ends.
    void DateLabels(const DailySeries& series, int32_t y)
    {
        if (series.Entries() <= 0)
            return;
        const double first = series.FirstDay();
        Text(m_w0 + P(36), P(y), FormatShortDate(first));
        const std::string last = FormatShortDate(first + static_cast<double>(series.Entries() - 1));
        Text(P(kBoxWidth) - m_w0 - Width(last), P(y), last);
    }

    // The dotted grid: ten lines `step` apart from y = 12, and the solid
    // line just above the base.
    void DottedGrid(int32_t step, int32_t solidY)
    {
        for (int32_t i = 0; i <= 9; ++i)
            Line(m_w0 + P(31), P(12 + step * i), P(kBoxWidth) - m_w0, P(12 + step * i), m_style.grid, 1,
                 gdi::PenStyle::Dot);
        Line(m_w0 + P(31), P(solidY), P(kBoxWidth) - m_w0, P(solidY), m_style.grid, 1);
    }

    // One segment per day from x = 43 over 414 pixels; value(i) in percent
    // is lifted `perPercent` pixels per percent above base.
    template <class Value>
    void DayCurve(const DailySeries& series, int32_t base, double perPercent, Value value)
    {
        const double D = std::trunc(series.latest) - std::trunc(series.earliest);
        // Without two days there is no curve; a series whose slots are
        // shorter than the range (none was built) has nothing to join.
        if (!(D > 0) || series.Entries() < static_cast<int64_t>(D) + 1)
            return;
        const double scale = kCurveWidth / D;
        const auto days = static_cast<int64_t>(D);
        for (int64_t i = 0; i < days; ++i) {
            const double x0 = static_cast<double>(i) * scale;
            const double x1 = static_cast<double>(i + 1) * scale;
            Line(P(x0) + P(kCurveLeft), P(base) - P(perPercent * value(i)), P(x1) + P(kCurveLeft),
                 P(base) - P(perPercent * value(i + 1)), m_style.curve, 2);
        }
    }

    const GraphStyle& Style() const { return m_style; }
    GraphPicture Take() { return std::move(m_picture); }

private:
    // Dots of one 1x pixel, k pixels long, from x0 to x1 (a horizontal
    // line). The pen's stamp reaches pen - 1 pixels past a line's last step.
    void DottedLine(int32_t x0, int32_t y, int32_t x1, gdi::ColorRef colour, int32_t pen)
    {
        const gdi::Pen solid{colour, pen, gdi::PenStyle::Solid};
        for (int32_t dot = 0;; dot += 2) {
            const int32_t from = x0 + P(dot);
            if (from >= x1)
                break;
            const int32_t steps = std::max(1, P(dot + 1) - P(dot) - (pen - 1));
            m_picture.ops.emplace_back(GraphLine{from, y, std::min(from + steps, x1), y, solid});
        }
    }

    const GraphStyle& m_style;
    double m_k = 1;
    gdi::FontSpec m_font;
    GraphPicture m_picture;
    int32_t m_w0 = 0;
};

} // namespace

std::vector<GraphLine> GraphPicture::Lines() const
{
    std::vector<GraphLine> lines;
    for (const GraphOp& op : ops)
        if (const auto* line = std::get_if<GraphLine>(&op))
            lines.push_back(*line);
    return lines;
}

std::vector<GraphText> GraphPicture::Texts() const
{
    std::vector<GraphText> texts;
    for (const GraphOp& op : ops)
        if (const auto* text = std::get_if<GraphText>(&op))
            texts.push_back(*text);
    return texts;
}

GraphPicture HourGraph(const HourProfile& profile, const GraphStyle& style)
{
    Builder b(style);
    const int32_t w0 = b.W0();
    const int32_t w2 = b.Width("00");
    const int32_t centre = (b.P(18) - w2) / 2; // an hour's label in its column
    for (int32_t i = 0; i < 24; ++i)
        b.Text(b.P(34 + 18 * i) + centre, b.P(308), PadLeftZeros(std::to_string(i), 2));
    b.PercentAxis(305, 29);
    b.Text(b.P(34) + centre, b.P(328), "Uhrzeit \xE2\x80\x94\xE2\x80\x94>");

    b.Box({w0 + b.P(36), b.P(12), b.P(kBoxWidth) - w0, b.P(303)}, style.grid, style.background);
    for (int32_t j = 0; j <= 23; ++j)
        b.Line(w0 + b.P(36 + 18 * j), b.P(12), w0 + b.P(36 + 18 * j), b.P(307), style.grid, 1);
    for (int32_t j = 0; j <= 10; ++j)
        b.Line(w0 + b.P(31), b.P(12 + 29 * j), b.P(kBoxWidth) - w0, b.P(12 + 29 * j), style.grid, 1);

    // An hour without results beside one with results pulls the line down
    // to the base; two hours without results keep to the base in the
    // no-data colour.
    for (int32_t j = 0; j <= 22; ++j) {
        double a = profile[static_cast<size_t>(j)];
        double c = profile[static_cast<size_t>(j + 1)];
        const int32_t x = w0 + b.P(37 + 18 * j);
        const int32_t next = w0 + b.P(37 + 18 * (j + 1));
        if (a <= -1 && c <= -1) {
            b.Line(x, b.P(303), next, b.P(303), style.noData, 2);
            continue;
        }
        if (a < 0)
            a = 0;
        if (c < 0)
            c = 0;
        b.Line(x, b.P(303) - b.P(2.9 * a), next, b.P(303) - b.P(2.9 * c), style.curve, 2);
    }
    return b.Take();
}

namespace {

// The two day-by-day graphs differ only in their vertical scale: rows S
// pixels apart above the base line y0 + 1, a percent lifting the curve
// perPercent pixels.
struct DayGraphScale {
    int32_t y0;
    int32_t step;
    double perPercent;
};

// Without a value function: the axes alone.
GraphPicture DayGraph(const DailySeries& series, const GraphStyle& style, DayGraphScale scale,
                      const std::function<double(int64_t)>& value)
{
    Builder b(style);
    b.PercentAxis(scale.y0, scale.step);
    b.DateLabels(series, scale.y0 + 3);
    b.DottedGrid(scale.step, scale.y0 - 3);
    if (value)
        b.DayCurve(series, scale.y0 - 2, scale.perPercent, value);
    return b.Take();
}

} // namespace

GraphPicture LearningCurveGraph(const DailySeries& series, const GraphStyle& style)
{
    return DayGraph(series, style, {305, 29, 2.9}, [&series](int64_t i) { return series.MeanAt(i); });
}

GraphPicture DetailGraph(const DailySeries& series, const GraphStyle& style)
{
    if (series.selectedSlot < 0 || static_cast<size_t>(series.selectedSlot) >= series.slots.size())
        return DayGraph(series, style, {215, 20, 2.0}, nullptr);
    const std::vector<double>& slot = series.slots[static_cast<size_t>(series.selectedSlot)];
    return DayGraph(series, style, {215, 20, 2.0}, [&slot](int64_t i) { return slot[static_cast<size_t>(i)]; });
}

} // namespace kestrava
