// The evaluation's three line graphs: the mean result by hour of the day,
// the learning curve over all tests, and the curve of the one test chosen
// for details.
//
// The geometry is worked out here, away from any control: each graph
// becomes a GraphPicture, a list of texts, lines and a framed box in pixel
// coordinates of its paint box (464 x 351 for the two big graphs, 464 x 238
// for the details). PaintGraph then draws a picture on any canvas with
// pens, a brush, a font, MoveTo/LineTo, TextOut and Rectangle, so the
// dialog paints it on its paint box and the tests on a plain bitmap.
//
// 100 % lies 290 pixels above the base line 303 in the big graphs and 200
// pixels above 213 in the details; the days of the series are spread over
// 414 pixels from x = 43.
//
// At the user-interface scale k (GraphStyle::scale) the same graph is drawn
// in a paint box k times as large: every coordinate and pen is k times the
// above (rounded), the font k times as high, and the dotted grid keeps its
// rhythm of dots k pixels long. At k = 1 the picture is exactly the above.
#pragma once

#include "host/results/DailySeries.h"
#include "host/results/ResultReaders.h"
#include "platform/gdi/Canvas.h"
#include "ui/Colours.h"

#include <string>
#include <variant>
#include <vector>

namespace kestrava {

// Colours and font of the graphs, taken from the dialog's components; the
// defaults are the evaluation dialog's own.
struct GraphStyle {
    gdi::FontSpec font{"Arial", 13, false, false};
    gdi::ColorRef text = gdi::Rgb(255, 255, 255);
    gdi::ColorRef grid = gdi::Rgb(0x4B, 0x82, 0xCD);     // the paint box's font colour
    gdi::ColorRef background = gdi::Rgb(0x20, 0x20, 0x20);
    gdi::ColorRef curve = ui::colour::kScoreWeak;  // the list's AlternativeColor
    gdi::ColorRef noData = ui::colour::kNoData;    // the list's SelColor
    double scale = 1;  // the user-interface scale k: 1, 1.5 or 2
};

struct GraphText {
    int32_t x = 0;
    int32_t y = 0;
    std::string text;  // UTF-8, drawn with a transparent background
};

// From (x0, y0) to (x1, y1), the end point left out.
struct GraphLine {
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    gdi::Pen pen;
};

// Framed with the pen, filled with the colour (the canvas's Rectangle).
struct GraphBox {
    gdi::Rect rect;
    gdi::Pen pen;
    gdi::ColorRef fill = 0;
};

using GraphOp = std::variant<GraphText, GraphLine, GraphBox>;

struct GraphPicture {
    gdi::Font font;  // every text, in the style's text colour
    std::vector<GraphOp> ops;  // in drawing order

    std::vector<GraphLine> Lines() const;
    std::vector<GraphText> Texts() const;
};

// The hour-of-day graph of the big paint box.
GraphPicture HourGraph(const HourProfile& profile, const GraphStyle& style = {});
// The learning curve: the mean over all slots, day by day.
GraphPicture LearningCurveGraph(const DailySeries& series, const GraphStyle& style = {});
// The selected test's curve (nothing but the axes without a selected slot).
GraphPicture DetailGraph(const DailySeries& series, const GraphStyle& style = {});

// Draws a picture on a canvas: gdi::Canvas or a control's app::Canvas.
template <class AnyCanvas>
void PaintGraph(AnyCanvas& canvas, const GraphPicture& picture)
{
    canvas.font = picture.font;
    canvas.brush.style = gdi::BrushStyle::Clear;
    for (const GraphOp& op : picture.ops) {
        if (const auto* text = std::get_if<GraphText>(&op)) {
            canvas.brush.style = gdi::BrushStyle::Clear;
            canvas.TextOut(text->x, text->y, text->text);
        } else if (const auto* line = std::get_if<GraphLine>(&op)) {
            canvas.pen = line->pen;
            canvas.MoveTo(line->x0, line->y0);
            canvas.LineTo(line->x1, line->y1);
        } else if (const auto* box = std::get_if<GraphBox>(&op)) {
            canvas.pen = box->pen;
            canvas.brush.style = gdi::BrushStyle::Solid;
            canvas.brush.color = box->fill;
            canvas.Rectangle(box->rect.left, box->rect.top, box->rect.right, box->rect.bottom);
            canvas.brush.style = gdi::BrushStyle::Clear;
        }
    }
}

} // namespace kestrava
