// Drawing into the host's test area in design units: the area is 800 x 600
// units whatever its size, and a unit is Scale pixels (the status record's
// test area width / 800). A Screen holds the record and a canvas on its
// device context; Begin() and End() bracket the drawing of one message:
//
//   kit::Screen screen;                 // a member of the painter
//   screen.Attach(&status);             // MSG_INIT; nullptr at MSG_STOP
//   if (screen.Begin()) {
//       screen.canvas.brush = {gdi::Rgb(0, 0, 0), gdi::BrushStyle::Solid};
//       screen.canvas.FillRect(screen.Pixels({0, 0, 800, 600}));
//       screen.End();
//   }
//
// The device context is valid for one message only: never keep a canvas on
// it past End(). [message thread]
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "protocol/MyMessages.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrava::kit {

inline constexpr int32_t kDesignWidth = 800;
inline constexpr int32_t kDesignHeight = 600;

// Pixels from a value already multiplied by the scale: the fraction is cut
// off, held within int32, NaN gives 0.
int32_t Trunc(double pixels);

// A point in pixels with a fraction, for polygons.
struct PointF {
    double x = 0.0;
    double y = 0.0;
};

class Screen {
public:
    // The host's record (DC, Scale, ModuleDir); null draws nothing.
    void Attach(const TTestStatus* status) { m_status = status; }
    bool Attached() const { return m_status != nullptr; }

    double Scale() const { return m_status ? m_status->Scale : 1.0; }
    // Design units to pixels.
    int32_t Px(double units) const { return Trunc(units * Scale()); }
    gdi::Rect Pixels(const gdi::Rect& units) const;
    PointF Point(double xUnits, double yUnits) const { return {xUnits * Scale(), yUnits * Scale()}; }
    // The whole test area in pixels.
    gdi::Rect Area() const { return Pixels({0, 0, kDesignWidth, kDesignHeight}); }

    // Points the canvas at the current device context; false (draw nothing)
    // without a record.
    bool Begin();
    void End() { canvas.SetHandle(0); }

    // Text centred on a point given in design units, with the canvas's font.
    void CentredText(std::string_view utf8, double centreX, double centreY);
    // Fills a polygon given in pixels with one colour (even-odd rule, pixel
    // centres inside are filled), clipped to the surface. Between Begin and
    // End.
    void FillPolygon(std::span<const PointF> pixels, gdi::ColorRef colour);

    // A picture below the module's folder, scaled softly to width x height
    // pixels. A missing or broken picture must not end the test: it is
    // reported on stderr (starting with tag) and gives nothing.
    std::optional<gdi::Bitmap> LoadPicture(const std::string& relativePath, int32_t width, int32_t height,
                                           const char* tag) const;

    gdi::Canvas canvas;

private:
    const TTestStatus* m_status = nullptr;
};

// Flat shapes for dials and instruments, in whatever units the points are
// (turn design units into pixels with Screen::Point first):
// a regular n-gon around a centre, starting at angle radians (0 = right,
// counter-clockwise on screen); with n = 72 it draws as a disc.
std::vector<PointF> RegularPolygon(PointF centre, double radius, int32_t n, double radians = 0.0);
// The points turned about centre by radians, counter-clockwise on screen.
std::vector<PointF> Rotated(std::span<const PointF> points, PointF centre, double radians);
// The part of polygon inside the convex polygon clip (both with their
// corners in the same turning sense), e.g. the ground of an artificial
// horizon within the instrument's round face.
std::vector<PointF> ClipToConvex(std::span<const PointF> polygon, std::span<const PointF> clip);

// Fills a polygon into a bitmap (as Screen::FillPolygon), within clip (an
// empty clip: the whole bitmap), and widens the bitmap's drawn area.
void FillPolygon(gdi::Bitmap& target, const gdi::Rect& clip, std::span<const PointF> pixels, gdi::ColorRef colour);

} // namespace kestrava::kit
