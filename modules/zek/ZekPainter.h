// The ZEK test screen, drawn into the host's test area.
//
// The screen is laid out in logical units of 800 x 600 and multiplied by the
// host's Scale. The tracking fields are painted at the tick rate, so they go
// through two small work bitmaps that cover just the old and the new place of
// each object; the lights and the arithmetic boxes are drawn straight into
// the host's device context whenever they change.
//
// [message thread] Every call comes from inside one DispatchMessage call,
// under the host's canvas lock.
#pragma once

#include "modules/zek/ZekSettings.h"
#include "modules/zek/ZekView.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "protocol/MyMessages.h"

#include <array>
#include <optional>
#include <string>

namespace kestrava::zek {

// The ten picture files below the module's folder, in loading order.
inline constexpr std::array<const char*, 10> kPictureFiles = {
    "graphics/cross.bmp", "graphics/catch.bmp", "graphics/F1On.bmp",  "graphics/F2On.bmp",  "graphics/F3On.bmp",
    "graphics/F4On.bmp",  "graphics/F1Off.bmp", "graphics/F2Off.bmp", "graphics/F3Off.bmp", "graphics/F4Off.bmp"};

inline constexpr gdi::ColorRef kBackgroundColor = gdi::Rgb(31, 31, 31);
inline constexpr gdi::ColorRef kFramePenColor = gdi::Rgb(100, 100, 100);

class ZekPainter : public ZekView {
public:
    // The settings are the simulation's (SIZE is read at every load and
    // paint); they must outlive the painter.
    explicit ZekPainter(const ZekSettings& settings);

    // The host's status record (DC, Scale, ModuleDir), from MSG_INIT on;
    // null draws nothing.
    void SetStatus(const TTestStatus* status) { m_status = status; }

    void LoadImages() override;
    void Release() override;
    void PaintAll(const ZekState& state) override;
    void PaintTrackingFields(const ZekState& state) override;
    void PaintLights(const ZekState& state) override;
    void PaintArithmetic(const ZekState& state) override;

    // Pictures that failed to load at the last load, for the caller to see.
    int32_t MissingPictures() const { return m_missing; }

private:
    double Scale() const;
    int32_t Half() const { return m_settings.Size / 2; }
    gdi::Rect ObjectBox(double x, double y) const;
    // Redraws the union of an object's old and new box, with the target and
    // then the cursor at their current places, and copies it to the screen.
    void PaintRegion(gdi::Bitmap& work, const gdi::Rect& region, const gdi::Rect& target, const gdi::Rect& cursor, int32_t originX,
                     int32_t originY);
    bool Begin();
    void End() { m_canvas.SetHandle(0); }

    const ZekSettings& m_settings;
    const TTestStatus* m_status = nullptr;
    gdi::Canvas m_canvas;
    std::optional<gdi::Bitmap> m_work1;
    std::optional<gdi::Bitmap> m_work2;
    std::optional<gdi::Bitmap> m_target;  // the cross on a square of background
    std::optional<gdi::Bitmap> m_cursor;  // transparent
    std::array<std::optional<gdi::Bitmap>, 4> m_lightOn;
    std::array<std::optional<gdi::Bitmap>, 4> m_lightOff;
    int32_t m_missing = 0;
};

} // namespace kestrava::zek
