#include "ui/Window.h"

#include "ui/Resources.h"

#include "platform/app/Application.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/DeviceContext.h"

namespace kestrava::ui {

namespace {

// The opaque pieces are stretched with the plain copy; a rectangle with no
// area draws nothing.
void Stretch(gdi::Canvas& canvas, const gdi::Rect& r, const gdi::Bitmap& piece)
{
    if (r.Empty() || piece.Empty())
        return;
    canvas.StretchDraw(r, piece);
}

} // namespace

void CaptureBehind(app::Control& control, gdi::Bitmap& buffer)
{
    buffer.SetSize(control.Width(), control.Height());
    app::Application* app = control.App();
    if (app == nullptr || buffer.Empty())
        return;
    const bool wasVisible = control.Visible();
    control.SetVisible(false);
    const gdi::Rect screen = control.ScreenRect();
    app->PaintNow(screen);
    gdi::BitBlt(buffer.Handle(), 0, 0, buffer.Width(), buffer.Height(),
                app->BackBufferDC(), screen.left, screen.top);
    control.SetVisible(wasVisible);
}

// ------------------------------------------------------------ TComposedWindow

void TComposedWindow::ComposeFrame()
{
    CaptureBehind(*this, m_buffer);
    if (m_buffer.Empty())
        return;
    gdi::Canvas canvas(m_buffer.Handle());
    DrawSkin(canvas);
    Invalidate();
}

void TComposedWindow::ShowComposed()
{
    ComposeFrame();
    Show();
}

void TComposedWindow::Paint(app::Canvas& canvas, const gdi::Rect& clip)
{
    canvas.CopyRect(clip, m_buffer.Handle(), clip);
}

void TComposedWindow::Resized()
{
    ComposeFrame();
    Control::Resized();
}

// -------------------------------------------------------------------- TWindow

TWindow::TWindow()
{
    if (!ResourceFolder().empty())
        LoadSkin("");
}

void TWindow::LoadSkin(const std::string& prefix)
{
    // Everything is read before anything changes, so a missing piece leaves
    // the old skin whole.
    TAlphaBitmap ol, oR, ul, ur;
    ol.LoadResourceWithAlpha(prefix + "OL");
    oR.LoadResourceWithAlpha(prefix + "OR");
    ul.LoadResourceWithAlpha(prefix + "UL");
    ur.LoadResourceWithAlpha(prefix + "UR");
    gdi::Bitmap top = LoadResourceBitmap(prefix + "O");
    gdi::Bitmap bottom = LoadResourceBitmap(prefix + "U");
    gdi::Bitmap left = LoadResourceBitmap(prefix + "L");
    gdi::Bitmap right = LoadResourceBitmap(prefix + "R");
    gdi::Bitmap centre = LoadResourceBitmap(prefix + "C");
    m_ol = std::move(ol);
    m_or = std::move(oR);
    m_ul = std::move(ul);
    m_ur = std::move(ur);
    m_top = std::move(top);
    m_bottom = std::move(bottom);
    m_left = std::move(left);
    m_right = std::move(right);
    m_centre = std::move(centre);
    ComposeFrame();
}

void TWindow::DrawSkin(gdi::Canvas& canvas)
{
    const int32_t W = Width();
    const int32_t H = Height();
    AlphaBlend(canvas, 0, 0, m_ol);
    AlphaBlend(canvas, W - m_or.Width(), 0, m_or);
    AlphaBlend(canvas, 0, H - m_ul.Height(), m_ul);
    AlphaBlend(canvas, W - m_ur.Width(), H - m_ur.Height(), m_ur);
    // The left and right edges reach one pixel into the centre, and the
    // centre leaves one pixel to them on each side.
    Stretch(canvas, {m_ol.Width(), 0, W - m_ol.Width(), m_top.Height()}, m_top);
    Stretch(canvas, {m_ul.Width(), H - m_bottom.Height(), W - m_ul.Width(), H}, m_bottom);
    Stretch(canvas, {0, m_ol.Height(), m_left.Width() + 1, H - m_ul.Height()}, m_left);
    Stretch(canvas, {W - m_or.Width() - 1, m_or.Height(), W, H - m_ur.Height()}, m_right);
    Stretch(canvas, {m_ol.Width() + 1, m_ol.Height(), W - m_ur.Width() - 1, H - m_ur.Height()}, m_centre);
}

// ---------------------------------------------------------------- TBackWindow

TBackWindow::TBackWindow()
{
    if (!ResourceFolder().empty())
        m_background.LoadResourceWithAlpha("BACK");
}

void TBackWindow::LoadBackground(const std::string& name)
{
    TAlphaBitmap background;
    background.LoadRCData(name);
    m_background = std::move(background);
}

void TBackWindow::DrawSkin(gdi::Canvas& canvas) { AlphaBlend(canvas, 0, 0, m_background); }

} // namespace kestrava::ui
