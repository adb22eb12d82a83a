#include "modules/mfr/MfrPainter.h"

#include <algorithm>
#include <string>

namespace kestrava::mfr {

using kit::Trunc;

double MfrPainter::PaceShare(int32_t interval, const MfrSettings& settings)
{
    if (settings.Slowest <= settings.Fastest)
        return 1.0;
    const double share = double(settings.Slowest - interval) / double(settings.Slowest - settings.Fastest);
    return std::clamp(share, 0.0, 1.0);
}

void MfrPainter::LoadImages()
{
    if (!m_screen.Attached())
        return;
    const int32_t size = std::max(1, m_screen.Px(kLampSize));
    m_missing = 0;
    m_drawnLit.fill(-1);
    // A missing picture must not end the test (nor the host): it is not
    // drawn.
    for (size_t n = 0; n < 4; ++n) {
        m_lampOn[n] = m_screen.LoadPicture(kPictureFiles[n], size, size, "MFR");
        m_lampOff[n] = m_screen.LoadPicture(kPictureFiles[4 + n], size, size, "MFR");
        m_missing += (m_lampOn[n] ? 0 : 1) + (m_lampOff[n] ? 0 : 1);
    }
}

void MfrPainter::Release()
{
    m_screen.End();
    for (auto& image : m_lampOn)
        image.reset();
    for (auto& image : m_lampOff)
        image.reset();
}

void MfrPainter::Font(int32_t height, bool bold, gdi::ColorRef colour)
{
    m_canvas.font.family = "Arial";
    m_canvas.font.bold = bold;
    m_canvas.font.underline = false;
    m_canvas.font.height = m_screen.Px(height);
    m_canvas.font.color = colour;
}

void MfrPainter::PaintAll(const MfrState& state)
{
    if (!m_screen.Begin())
        return;
    m_canvas.brush = {kBackground, gdi::BrushStyle::Solid};
    m_canvas.FillRect(m_screen.Area());
    m_drawnLit.fill(-1);

    m_canvas.brush.style = gdi::BrushStyle::Clear;
    Font(28, true, kLabelColor);
    static constexpr std::array<const char*, 4> kKeys = {"F1", "F2", "F3", "F4"};
    for (size_t n = 0; n < 4; ++n)
        m_screen.CentredText(kKeys[n], kLampCentres[n], kLampTop + kLampSize + 30);

    // The tone keys: the tones themselves are only heard.
    m_canvas.pen = {kFrameColor, 1, gdi::PenStyle::Solid};
    m_canvas.brush = {gdi::Rgb(24, 24, 24), gdi::BrushStyle::Solid};
    for (const gdi::Rect& key : {m_screen.Pixels({140, 330, 390, 390}), m_screen.Pixels({410, 330, 660, 390})})
        m_canvas.Rectangle(key.left, key.top, key.right, key.bottom);
    m_canvas.brush.style = gdi::BrushStyle::Clear;
    Font(22, false, gdi::Rgb(230, 230, 230));
    m_screen.CentredText("Strg: tiefer Ton", 265, 360);
    m_screen.CentredText("Leertaste: hoher Ton", 535, 360);

    m_canvas.font.color = kLabelColor;
    const gdi::Size extent = m_canvas.TextExtent("Tempo");
    const gdi::Rect bar = m_screen.Pixels(kPaceBar);
    m_canvas.TextOut(bar.left - m_screen.Px(15) - extent.cx, (bar.top + bar.bottom) / 2 - extent.cy / 2, "Tempo");
    m_screen.End();

    PaintLamps(state);
    PaintStatus(state);
}

void MfrPainter::PaintLamps(const MfrState& state)
{
    if (!m_screen.Begin())
        return;
    const bool lampShown = (state.Answered & kAnsweredLamp) == 0;
    for (size_t n = 0; n < 4; ++n) {
        const bool lit = lampShown && state.Lamp == static_cast<int32_t>(n + 1);
        if (m_drawnLit[n] == (lit ? 1 : 0))
            continue;
        const std::optional<gdi::Bitmap>& image = lit ? m_lampOn[n] : m_lampOff[n];
        if (image)
            m_canvas.Draw(m_screen.Px(kLampCentres[n] - kLampSize / 2), m_screen.Px(kLampTop), *image);
        m_drawnLit[n] = lit ? 1 : 0;
    }
    m_screen.End();
}

void MfrPainter::PaintStatus(const MfrState& state)
{
    if (!m_screen.Begin())
        return;
    m_canvas.brush = {kBackground, gdi::BrushStyle::Solid};
    m_canvas.FillRect(m_screen.Pixels(kOutcomeWord));

    const char* word = nullptr;
    gdi::ColorRef colour = kMissedColor;
    switch (state.LastOutcome) {
    case kOutcomeCorrect: word = "Richtig"; colour = kCorrectColor; break;
    case kOutcomeError: word = "Fehler"; colour = kErrorColor; break;
    case kOutcomeMissed: word = "Verpasst"; colour = kMissedColor; break;
    default: break;
    }
    m_canvas.brush.style = gdi::BrushStyle::Clear;
    if (word) {
        Font(34, true, colour);
        m_screen.CentredText(word, 400, 465);
    }

    const gdi::Rect bar = m_screen.Pixels(kPaceBar);
    m_canvas.pen = {kFrameColor, 1, gdi::PenStyle::Solid};
    m_canvas.brush = {gdi::Rgb(24, 24, 24), gdi::BrushStyle::Solid};
    m_canvas.Rectangle(bar.left, bar.top, bar.right, bar.bottom);
    const int32_t inner = bar.Width() - 2;
    const int32_t filled = Trunc(inner * PaceShare(state.Interval, m_settings));
    if (filled > 0) {
        m_canvas.brush = {kPaceColor, gdi::BrushStyle::Solid};
        m_canvas.FillRect({bar.left + 1, bar.top + 1, bar.left + 1 + filled, bar.bottom - 1});
    }
    m_screen.End();
}

} // namespace kestrava::mfr
