// The Fluglage screen, drawn into the host's test area in design units of
// 800 x 600: the artificial horizon and the heading indicator side by side,
// beneath them the four pictures of the aircraft with their keys, and the
// outcome of the last answer.
//
// A picture shows the aircraft from behind and above, always from the
// south: north lies away from the viewer, east to the right, and the ground
// carries a grid and the letters N, O, S, W. The aircraft turns to its
// heading, raises or lowers its nose and banks; the left wing tip is red,
// the right one green.
//
// [message thread] Every call comes from inside one DispatchMessage call,
// under the host's canvas lock.
#pragma once

#include "modules/kit/Drawing.h"
#include "modules/kit/Space3D.h"
#include "modules/lage/LageState.h"
#include "protocol/MyMessages.h"

namespace kestrava::lage {

// Places in design units.
inline constexpr kit::PointF kHorizonCentre{290, 140};
inline constexpr kit::PointF kHeadingCentre{510, 140};
inline constexpr double kInstrumentRadius = 86;
inline constexpr int32_t kPictureTop = 292;
inline constexpr int32_t kPictureWidth = 180;
inline constexpr int32_t kPictureHeight = 160;
inline constexpr int32_t kKeysY = 478;
inline constexpr int32_t kOutcomeY = 530;
gdi::Rect PictureRect(int32_t picture);  // 0 to 3, left to right

// The aircraft as the pictures show it: nose along +z, right wing along +x,
// up +y.
const kit::Mesh& AircraftMesh();
// The aircraft's turn for a pose: heading, then pitch, then bank about its
// own axes.
kit::Mat3 AircraftTurn(const LagePose& pose);

class LagePainter {
public:
    // The host's record (DC, Scale), from MSG_INIT on; null draws nothing.
    void SetStatus(const TTestStatus* status) { m_screen.Attach(status); }
    void PaintAll(const LageState& state);

private:
    void Font(double height, bool bold, gdi::ColorRef colour);
    void Instruments(const LageState& state);
    void Horizon(const LagePose* pose);
    void HeadingIndicator(const LagePose* pose);
    void Picture(const gdi::Rect& units, const LagePose* pose);

    kit::Screen m_screen;
    gdi::Canvas& m_canvas = m_screen.canvas;
};

} // namespace kestrava::lage
