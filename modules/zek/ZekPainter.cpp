#include "modules/zek/ZekPainter.h"

#include "modules/zek/ZekLayout.h"
#include "platform/gdi/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>

namespace kestrava::zek {

namespace {

using gdi::Bitmap;
using gdi::Rect;

// A whole double into int32: held at the ends of the range, 0 for NaN. A
// plain cast of a value outside the range is undefined.
int32_t ClampToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(
        std::clamp(v, double(std::numeric_limits<int32_t>::min()), double(std::numeric_limits<int32_t>::max())));
}
// Logical to pixels: the fraction is cut off, toward zero.
int32_t Trunc(double v) { return ClampToInt32(std::trunc(v)); }
// Centres of texts: the nearest pixel, ties to the even one.
int32_t Nearest(double v) { return ClampToInt32(std::nearbyint(v)); }

using namespace layout;

// Loads one picture, or nothing when it cannot be read: a missing picture
// must not end the test (nor the host), it is simply not drawn.
std::optional<Bitmap> LoadPicture(const std::string& path, int32_t size, int32_t& missing)
{
    Bitmap image;
    try {
        gdi::LoadScaledBitmap(image, path, size, size);
        return image;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ZEK: picture %s not drawn: %s\n", path.c_str(), e.what());
    }
    ++missing;
    return std::nullopt;
}

} // namespace

ZekPainter::ZekPainter(const ZekSettings& settings)
    : m_settings(settings)
{
}

double ZekPainter::Scale() const { return m_status ? m_status->Scale : 1.0; }

gdi::Rect ZekPainter::ObjectBox(double x, double y) const
{
    const double s = Scale();
    const double h = Half();
    return {Trunc((x - h) * s), Trunc((y - h) * s), Trunc((x + h) * s), Trunc((y + h) * s)};
}

bool ZekPainter::Begin()
{
    if (!m_status)
        return false;
    m_canvas.SetHandle(m_status->DC);
    return true;
}

void ZekPainter::LoadImages()
{
    if (!m_status)
        return;
    // The work bitmaps come with the first load (MSG_INIT) and are resized
    // on every paint of the fields.
    if (!m_work1)
        m_work1.emplace();
    if (!m_work2)
        m_work2.emplace();

    const std::string folder = ShortStringToUtf8(m_status->ModuleDir);
    const double s = Scale();
    const int32_t sprite = Trunc(m_settings.Size * s);
    const int32_t light = Trunc(kLightSize * s);
    m_missing = 0;

    std::optional<Bitmap> cross = LoadPicture(folder + kPictureFiles[0], sprite, m_missing);
    m_cursor = LoadPicture(folder + kPictureFiles[1], sprite, m_missing);
    for (size_t n = 0; n < 4; ++n)
        m_lightOn[n] = LoadPicture(folder + kPictureFiles[2 + n], light, m_missing);
    for (size_t n = 0; n < 4; ++n)
        m_lightOff[n] = LoadPicture(folder + kPictureFiles[6 + n], light, m_missing);

    // The target sprite is the cross drawn once onto a square of the field's
    // colour, so that painting it later is a plain opaque copy.
    m_target.reset();
    if (cross) {
        cross->SetTransparent(true);
        Bitmap target(cross->Width(), cross->Height());
        target.Fill(gdi::PixelOf(kBackgroundColor));
        gdi::Canvas(target.Handle()).Draw(0, 0, *cross);
        m_target = std::move(target);
    }
    if (m_cursor) {
        m_cursor->SetTransparent(true);
        m_cursor->SetBitsPerPixel(32);
    }
}

void ZekPainter::Release()
{
    m_canvas.SetHandle(0);
    m_work1.reset();
    m_work2.reset();
    m_target.reset();
    m_cursor.reset();
    for (auto& image : m_lightOn)
        image.reset();
    for (auto& image : m_lightOff)
        image.reset();
}

void ZekPainter::PaintAll(const ZekState& state)
{
    if (!Begin())
        return;
    const double s = Scale();
    m_canvas.brush = {gdi::Rgb(0, 0, 0), gdi::BrushStyle::Solid};
    m_canvas.FillRect({0, 0, Trunc(kScreenWidth * s), Trunc(kScreenHeight * s)});
    m_canvas.pen = {kFramePenColor, 1, gdi::PenStyle::Solid};
    m_canvas.brush = {kBackgroundColor, gdi::BrushStyle::Solid};
    for (const Box& field : {kVerticalField, kField2D})
        m_canvas.Rectangle(Trunc(field.left * s), Trunc(field.top * s), Trunc(field.right * s), Trunc(field.bottom * s));
    End();
    PaintTrackingFields(state);
    PaintLights(state);
    PaintArithmetic(state);
}

void ZekPainter::PaintRegion(Bitmap& work, const Rect& region, const Rect& target, const Rect& cursor, int32_t originX,
                             int32_t originY)
{
    work.SetSize(region.Width(), region.Height(), gdi::PixelOf(kBackgroundColor));
    gdi::Canvas canvas(work.Handle());
    if (m_target)
        canvas.Draw(target.left - region.left, target.top - region.top, *m_target);
    if (m_cursor)
        canvas.Draw(cursor.left - region.left, cursor.top - region.top, *m_cursor);
    gdi::BitBlt(m_status->DC, originX + region.left, originY + region.top, work.Width(), work.Height(), work.Handle(),
                0, 0);
}

void ZekPainter::PaintTrackingFields(const ZekState& state)
{
    if (!m_status || !m_work1 || !m_work2)
        return;
    const double s = Scale();

    const Rect target2D = ObjectBox(state.TargetX, state.TargetY);
    const Rect cursor2D = ObjectBox(state.CursorX, state.CursorY);
    const int32_t fieldX = Trunc(kField2D.left * s);
    const int32_t fieldY = Trunc(kField2D.top * s);
    PaintRegion(*m_work1, gdi::Union(ObjectBox(state.TargetXDrawn, state.TargetYDrawn), target2D), target2D, cursor2D,
                fieldX, fieldY);
    PaintRegion(*m_work2, gdi::Union(ObjectBox(state.CursorXDrawn, state.CursorYDrawn), cursor2D), target2D, cursor2D,
                fieldX, fieldY);

    // The vertical field: the same with every object at x = 50; both fields
    // share their top.
    constexpr double x = kVerticalObjectX;
    const Rect targetV = ObjectBox(x, state.VTargetY);
    const Rect cursorV = ObjectBox(x, state.VCursorY);
    const int32_t verticalX = Trunc(kVerticalField.left * s);
    PaintRegion(*m_work1, gdi::Union(ObjectBox(x, state.VTargetYDrawn), targetV), targetV, cursorV, verticalX, fieldY);
    PaintRegion(*m_work2, gdi::Union(ObjectBox(x, state.VCursorYDrawn), cursorV), targetV, cursorV, verticalX, fieldY);
}

void ZekPainter::PaintLights(const ZekState& state)
{
    if (!Begin())
        return;
    const double s = Scale();
    for (size_t n = 0; n < 4; ++n) {
        const bool lit = state.Light == static_cast<int32_t>(n + 1);
        const std::optional<Bitmap>& image = lit ? m_lightOn[n] : m_lightOff[n];
        if (image)
            m_canvas.Draw(Trunc(kLights[n].x * s), Trunc(kLights[n].y * s), *image);
    }
    End();
}

void ZekPainter::PaintArithmetic(const ZekState& state)
{
    if (!Begin())
        return;
    const double s = Scale();
    m_canvas.pen = {kFramePenColor, 1, gdi::PenStyle::Solid};
    m_canvas.brush = {kBackgroundColor, gdi::BrushStyle::Solid};
    for (const Box& box : {kTaskBox, kAnswerBox})
        m_canvas.Rectangle(Trunc(box.left * s), Trunc(box.top * s), Trunc(box.right * s), Trunc(box.bottom * s));
    if (state.TaskText.Length != 0) {
        m_canvas.font.family = "Arial Black";
        m_canvas.font.height = Trunc(40 * s);
        m_canvas.font.bold = false;
        m_canvas.font.underline = false;
        m_canvas.font.color = gdi::Rgb(255, 255, 255);
        m_canvas.brush.style = gdi::BrushStyle::Clear;
        auto centred = [&](const TShortString& text, double centreY) {
            const std::string utf8 = ShortStringToUtf8(text);
            const gdi::Size extent = m_canvas.TextExtent(utf8);
            m_canvas.TextOut(Nearest(kTaskBox.CentreX() * s) - extent.cx / 2, Nearest(centreY * s) - extent.cy / 2,
                             utf8);
        };
        centred(state.TaskText, kTaskBox.CentreY());
        centred(state.AnswerText, kAnswerBox.CentreY());
    }
    End();
}

} // namespace kestrava::zek
