// The Raumvorstellung screen, in design units of 800 x 600: the question,
// the two figures side by side, the time left for the pair, the outcome of
// the last one, the two answer keys and the difficulty. A tick redraws only
// the time bar, and only when its length changed.
#pragma once

#include "modules/kit/Drawing.h"
#include "modules/raum/RaumSimulation.h"
#include "platform/gdi/Bitmap.h"
#include "protocol/MyMessages.h"

namespace kestrava::raum {

inline constexpr gdi::ColorRef kBackground = gdi::Rgb(0, 0, 0);
inline constexpr gdi::ColorRef kPanelColor = gdi::Rgb(24, 28, 34);
inline constexpr gdi::ColorRef kFrameColor = gdi::Rgb(100, 100, 100);
inline constexpr gdi::ColorRef kLabelColor = gdi::Rgb(170, 170, 170);
inline constexpr gdi::ColorRef kFigureColor = gdi::Rgb(226, 176, 96);
inline constexpr gdi::ColorRef kEdgeColor = gdi::Rgb(40, 30, 18);
inline constexpr gdi::ColorRef kRightColor = gdi::Rgb(71, 158, 75);
inline constexpr gdi::ColorRef kWrongColor = gdi::Rgb(205, 81, 75);
inline constexpr gdi::ColorRef kLateColor = gdi::Rgb(150, 150, 150);
inline constexpr gdi::ColorRef kClockColor = gdi::Rgb(70, 130, 200);
inline constexpr gdi::ColorRef kDifficultyColor = gdi::Rgb(200, 140, 60);

// Places in design units.
inline constexpr gdi::Rect kLeftPanel = {30, 60, 390, 400};
inline constexpr gdi::Rect kRightPanel = {410, 60, 770, 400};
inline constexpr double kFigureRadius = 150;
inline constexpr gdi::Rect kClockBar = {250, 416, 550, 432};
inline constexpr gdi::Rect kOutcomeWord = {250, 440, 550, 486};
inline constexpr gdi::Rect kSameKey = {110, 498, 370, 548};
inline constexpr gdi::Rect kMirrorKey = {430, 498, 690, 548};
inline constexpr gdi::Rect kDifficultyBar = {250, 566, 550, 582};

class RaumPainter final : public RaumView {
public:
    // The settings are the simulation's; they must outlive the painter.
    explicit RaumPainter(const RaumSettings& settings) : m_settings(settings) {}
    // The host's status record from MSG_INIT on; null draws nothing.
    void SetStatus(const TTestStatus* status) { m_screen.Attach(status); }

    void PaintAll(const RaumState& state, const Item* item, uint32_t e) override;
    void PaintChange(const RaumState& state, const Item* item) override;
    void PaintClock(const RaumState& state, uint32_t e) override;

    // The filled share of the time bar at e, 1 when the pair came, 0 when
    // its time is up or none is on show.
    static double ClockShare(const RaumState& state, const RaumSettings& settings, uint32_t e);

private:
    void Font(int32_t height, bool bold, gdi::ColorRef colour);
    void Bar(const gdi::Rect& units, double share, gdi::ColorRef colour);
    void Figure(const gdi::Rect& panel, const Cells& cells, const kit::Mat3& view, double radius);

    const RaumSettings& m_settings;
    kit::Screen m_screen;
    int32_t m_clockDrawn = -1; // pixels of the time bar last drawn, -1: none yet
};

} // namespace kestrava::raum
