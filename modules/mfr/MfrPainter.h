// The Mehrfachreaktion screen, drawn into the host's test area.
//
// Laid out in logical units of 800 x 600 and multiplied by the host's Scale:
// four lamps in a row with their keys beneath, the two tone keys, and a
// status band with the outcome of the last stimulus and the pace. Nothing
// is drawn on a tick unless a lamp, the outcome or the pace changed, and
// then only the lamps whose light changed, the word and the bar; the tones
// are not shown at all.
//
// [message thread] Every call comes from inside one DispatchMessage call,
// under the host's canvas lock.
#pragma once

#include "modules/kit/Drawing.h"
#include "modules/mfr/MfrSettings.h"
#include "modules/mfr/MfrSources.h"
#include "platform/gdi/Bitmap.h"
#include "protocol/MyMessages.h"

#include <array>
#include <optional>

namespace kestrava::mfr {

// The eight lamp pictures below the module's folder: lit, then unlit, F1 to
// F4.
inline constexpr std::array<const char*, 8> kPictureFiles = {
    "graphics/L1On.bmp",  "graphics/L2On.bmp",  "graphics/L3On.bmp",  "graphics/L4On.bmp",
    "graphics/L1Off.bmp", "graphics/L2Off.bmp", "graphics/L3Off.bmp", "graphics/L4Off.bmp"};

inline constexpr gdi::ColorRef kBackground = gdi::Rgb(0, 0, 0);
inline constexpr gdi::ColorRef kFrameColor = gdi::Rgb(100, 100, 100);
inline constexpr gdi::ColorRef kLabelColor = gdi::Rgb(170, 170, 170);
inline constexpr gdi::ColorRef kCorrectColor = gdi::Rgb(71, 158, 75);
inline constexpr gdi::ColorRef kErrorColor = gdi::Rgb(205, 81, 75);
inline constexpr gdi::ColorRef kMissedColor = gdi::Rgb(150, 150, 150);
inline constexpr gdi::ColorRef kPaceColor = gdi::Rgb(70, 130, 200);

// Places in logical units.
inline constexpr int32_t kLampSize = 110;
inline constexpr int32_t kLampTop = 140;
inline constexpr std::array<int32_t, 4> kLampCentres = {175, 325, 475, 625};
inline constexpr gdi::Rect kStatusBand = {100, 430, 700, 560};  // the word, the label and the bar
inline constexpr gdi::Rect kOutcomeWord = {250, 440, 550, 495};
inline constexpr gdi::Rect kPaceBar = {250, 510, 650, 540};

class MfrPainter : public MfrView {
public:
    // The settings are the simulation's (the pace bar spans FASTEST to
    // SLOWEST); they must outlive the painter.
    explicit MfrPainter(const MfrSettings& settings) : m_settings(settings) {}
    MfrPainter(const MfrPainter&) = delete;
    MfrPainter& operator=(const MfrPainter&) = delete;

    // The host's status record (DC, Scale, ModuleDir), from MSG_INIT on;
    // null draws nothing.
    void SetStatus(const TTestStatus* status) { m_screen.Attach(status); }

    void LoadImages() override;
    void Release() override;
    void PaintAll(const MfrState& state) override;
    void PaintLamps(const MfrState& state) override;
    void PaintStatus(const MfrState& state) override;

    int32_t MissingPictures() const { return m_missing; }
    // The pace bar's filled share, 0 (slowest) to 1 (fastest).
    static double PaceShare(int32_t interval, const MfrSettings& settings);
    // A logical rectangle in pixels at the current Scale.
    gdi::Rect Pixels(const gdi::Rect& logical) const { return m_screen.Pixels(logical); }

private:
    void Font(int32_t height, bool bold, gdi::ColorRef colour);

    const MfrSettings& m_settings;
    kit::Screen m_screen;
    gdi::Canvas& m_canvas = m_screen.canvas;
    std::array<std::optional<gdi::Bitmap>, 4> m_lampOn;
    std::array<std::optional<gdi::Bitmap>, 4> m_lampOff;
    // Whether each lamp was last drawn lit (1) or dark (0); -1 when the
    // screen was cleared or the pictures changed since.
    std::array<int8_t, 4> m_drawnLit{-1, -1, -1, -1};
    int32_t m_missing = 0;
};

} // namespace kestrava::mfr
