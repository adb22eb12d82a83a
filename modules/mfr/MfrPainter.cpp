#include "modules/mfr/MfrPainter.h"

#include "platform/gdi/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <string>

namespace kestrava::mfr {

namespace {

// Logical to pixels: the fraction is cut off; held within int32.
int32_t Trunc(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(v), double(std::numeric_limits<int32_t>::min()),
                                           double(std::numeric_limits<int32_t>::max())));
}

// A missing picture must not end the test (nor the host): it is not drawn.
std::optional<gdi::Bitmap> LoadPicture(const std::string& path, int32_t size, int32_t& missing)
{
    gdi::Bitmap image;
    try {
        gdi::LoadScaledBitmap(image, path, size, size);
        return image;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MFR: picture %s not drawn: %s\n", path.c_str(), e.what());
    }
    ++missing;
    return std::nullopt;
}

} // namespace

double MfrPainter::Scale() const { return m_status ? m_status->Scale : 1.0; }

gdi::Rect MfrPainter::Pixels(const gdi::Rect& r) const
{
    const double s = Scale();
    return {Trunc(r.left * s), Trunc(r.top * s), Trunc(r.right * s), Trunc(r.bottom * s)};
}

double MfrPainter::PaceShare(int32_t interval, const MfrSettings& settings)
{
    if (settings.Slowest <= settings.Fastest)
        return 1.0;
    const double share = double(settings.Slowest - interval) / double(settings.Slowest - settings.Fastest);
    return std::clamp(share, 0.0, 1.0);
}

bool MfrPainter::Begin()
{
    if (!m_status)
        return false;
    m_canvas.SetHandle(m_status->DC);
    return true;
}

void MfrPainter::LoadImages()
{
    if (!m_status)
        return;
    const std::string folder = ShortStringToUtf8(m_status->ModuleDir);
    const int32_t size = std::max(1, Trunc(kLampSize * Scale()));
    m_missing = 0;
    m_drawnLit.fill(-1);
    for (size_t n = 0; n < 4; ++n) {
        m_lampOn[n] = LoadPicture(folder + kPictureFiles[n], size, m_missing);
        m_lampOff[n] = LoadPicture(folder + kPictureFiles[4 + n], size, m_missing);
    }
}

void MfrPainter::Release()
{
    m_canvas.SetHandle(0);
    for (auto& image : m_lampOn)
        image.reset();
    for (auto& image : m_lampOff)
        image.reset();
}

void MfrPainter::CentredText(const char* utf8, int32_t centreX, int32_t centreY)
{
    const double s = Scale();
    const gdi::Size extent = m_canvas.TextExtent(utf8);
    m_canvas.TextOut(Trunc(centreX * s) - extent.cx / 2, Trunc(centreY * s) - extent.cy / 2, utf8);
}

void MfrPainter::PaintAll(const MfrState& state)
{
    if (!Begin())
        return;
    const double s = Scale();
    m_canvas.brush = {kBackground, gdi::BrushStyle::Solid};
    m_canvas.FillRect({0, 0, Trunc(800 * s), Trunc(600 * s)});
    m_drawnLit.fill(-1);

    m_canvas.brush.style = gdi::BrushStyle::Clear;
    m_canvas.font.family = "Arial";
    m_canvas.font.bold = true;
    m_canvas.font.underline = false;
    m_canvas.font.height = Trunc(28 * s);
    m_canvas.font.color = kLabelColor;
    static constexpr std::array<const char*, 4> kKeys = {"F1", "F2", "F3", "F4"};
    for (size_t n = 0; n < 4; ++n)
        CentredText(kKeys[n], kLampCentres[n], kLampTop + kLampSize + 30);

    // The tone keys: the tones themselves are only heard.
    m_canvas.pen = {kFrameColor, 1, gdi::PenStyle::Solid};
    m_canvas.brush = {gdi::Rgb(24, 24, 24), gdi::BrushStyle::Solid};
    const gdi::Rect low = Pixels({140, 330, 390, 390});
    const gdi::Rect high = Pixels({410, 330, 660, 390});
    m_canvas.Rectangle(low.left, low.top, low.right, low.bottom);
    m_canvas.Rectangle(high.left, high.top, high.right, high.bottom);
    m_canvas.brush.style = gdi::BrushStyle::Clear;
    m_canvas.font.height = Trunc(22 * s);
    m_canvas.font.bold = false;
    m_canvas.font.color = gdi::Rgb(230, 230, 230);
    CentredText("Strg: tiefer Ton", 265, 360);
    CentredText("Leertaste: hoher Ton", 535, 360);

    m_canvas.font.color = kLabelColor;
    const gdi::Size extent = m_canvas.TextExtent("Tempo");
    const gdi::Rect bar = Pixels(kPaceBar);
    m_canvas.TextOut(bar.left - Trunc(15 * s) - extent.cx, (bar.top + bar.bottom) / 2 - extent.cy / 2, "Tempo");
    End();

    PaintLamps(state);
    PaintStatus(state);
}

void MfrPainter::PaintLamps(const MfrState& state)
{
    if (!Begin())
        return;
    const double s = Scale();
    const bool lampShown = (state.Answered & kAnsweredLamp) == 0;
    for (size_t n = 0; n < 4; ++n) {
        const bool lit = lampShown && state.Lamp == static_cast<int32_t>(n + 1);
        if (m_drawnLit[n] == (lit ? 1 : 0))
            continue;
        const std::optional<gdi::Bitmap>& image = lit ? m_lampOn[n] : m_lampOff[n];
        if (image)
            m_canvas.Draw(Trunc((kLampCentres[n] - kLampSize / 2) * s), Trunc(kLampTop * s), *image);
        m_drawnLit[n] = lit ? 1 : 0;
    }
    End();
}

void MfrPainter::PaintStatus(const MfrState& state)
{
    if (!Begin())
        return;
    m_canvas.brush = {kBackground, gdi::BrushStyle::Solid};
    m_canvas.FillRect(Pixels(kOutcomeWord));

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
        m_canvas.font.family = "Arial";
        m_canvas.font.bold = true;
        m_canvas.font.underline = false;
        m_canvas.font.height = Trunc(34 * Scale());
        m_canvas.font.color = colour;
        CentredText(word, 400, 465);
    }

    const gdi::Rect bar = Pixels(kPaceBar);
    m_canvas.pen = {kFrameColor, 1, gdi::PenStyle::Solid};
    m_canvas.brush = {gdi::Rgb(24, 24, 24), gdi::BrushStyle::Solid};
    m_canvas.Rectangle(bar.left, bar.top, bar.right, bar.bottom);
    const int32_t inner = bar.Width() - 2;
    const int32_t filled = Trunc(inner * PaceShare(state.Interval, m_settings));
    if (filled > 0) {
        m_canvas.brush = {kPaceColor, gdi::BrushStyle::Solid};
        m_canvas.FillRect({bar.left + 1, bar.top + 1, bar.left + 1 + filled, bar.bottom - 1});
    }
    End();
}

} // namespace kestrava::mfr
