#include "ui/hbitbtn.h"

#include "ui/Resources.h"

#include "platform/app/Application.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace kestrava::ui {

namespace {

PlayFileService& Service()
{
    static PlayFileService service;
    return service;
}

// The accelerator of a caption: the character after a single '&' ("&&" is
// a literal ampersand).
int AcceleratorOf(const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(caption[i + 1]));
    }
    return -1;
}

// The caption as drawn: "&&" becomes "&" and a single '&' disappears.
std::string DisplayCaption(const std::string& caption)
{
    std::string out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        out.push_back(caption[i]);
    }
    return out;
}

} // namespace

void SetPlayFileService(PlayFileService service) { Service() = std::move(service); }

void PlayFile(const std::string& file)
{
    if (!file.empty() && Service())
        Service()(file);
}

void ResizeKeepingContent(gdi::Bitmap& picture, int32_t width, int32_t height)
{
    if (picture.Width() == width && picture.Height() == height)
        return;
    gdi::Bitmap resized(width, height);
    resized.SetBitsPerPixel(picture.BitsPerPixel());
    resized.SetTransparent(picture.Transparent());
    const int32_t w = std::min(width, picture.Width());
    const int32_t h = std::min(height, picture.Height());
    for (int32_t y = 0; y < h; ++y)
        std::copy_n(picture.Row(y), w, resized.Row(y));
    picture = std::move(resized);
}

// ------------------------------------------------------------------ Thbitbtn

Thbitbtn::Thbitbtn()
{
    SetBounds(0, 0, 50, 50);
    SetTabStop(true);
}

void Thbitbtn::KeyPress(uint8_t& ch)
{
    if ((ch == ' ' || (ch == '\r' && !m_schalter)) && EnabledInTree()) {
        ch = 0;
        Press();
        return;
    }
    Control::KeyPress(ch);
}

void Thbitbtn::Press()
{
    if (m_schalter)
        SetPressed(!m_pressed);
    Click();
}

void Thbitbtn::SetBitmap_Up(const gdi::Bitmap& picture)
{
    m_up = picture;
    Invalidate();
}

void Thbitbtn::SetBitmap_Down(const gdi::Bitmap& picture)
{
    m_down = picture;
    Invalidate();
}

void Thbitbtn::SetBitmap_Idle(const gdi::Bitmap& picture)
{
    m_idle = picture;
    IdleChanged();
}

void Thbitbtn::LoadPictures(const std::string& name)
{
    // All three first, so a missing one leaves the button as it was.
    gdi::Bitmap up = LoadResourceBitmap(name + "_Up");
    gdi::Bitmap down = LoadResourceBitmap(name + "_Down");
    gdi::Bitmap idle = LoadResourceBitmap(name + "_Idle");
    m_up = std::move(up);
    m_down = std::move(down);
    SetBitmap_Idle(idle);
}

void Thbitbtn::IdleChanged()
{
    if (!m_idle.Empty())
        SetSize(m_idle.Width(), m_idle.Height());
    FitPicturesToIdle();
    Invalidate();
}

void Thbitbtn::FitPicturesToIdle()
{
    if (m_idle.Empty()) {
        m_up = gdi::Bitmap();
        m_down = gdi::Bitmap();
        return;
    }
    ResizeKeepingContent(m_up, m_idle.Width(), m_idle.Height());
    ResizeKeepingContent(m_down, m_idle.Width(), m_idle.Height());
}

void Thbitbtn::Resized()
{
    // A picture gives the button its size whatever the bounds asked for.
    if (!m_idle.Empty() && (Width() != m_idle.Width() || Height() != m_idle.Height())) {
        SetSize(m_idle.Width(), m_idle.Height());
        return;
    }
    Control::Resized();
}

void Thbitbtn::SetPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    std::swap(m_down, m_idle);
    m_pressed = pressed;
    Invalidate();
}

void Thbitbtn::SetCaption(std::string utf8)
{
    m_caption = std::move(utf8);
    Invalidate();
}

void Thbitbtn::SetFont(const gdi::Font& font)
{
    m_font = font;
    Invalidate();
}

bool Thbitbtn::DialogChar(uint8_t ch)
{
    const int accel = AcceleratorOf(m_caption);
    if (accel < 0 || std::toupper(ch) != accel || !EnabledInTree() || !Showing())
        return false;
    Click();
    return true;
}

const gdi::Bitmap& Thbitbtn::CurrentPicture() const
{
    if (!m_hover || !EnabledInTree())
        return m_idle;
    if (m_held)
        return m_down;
    return HoverPicture();
}

void Thbitbtn::Paint(app::Canvas& canvas, const gdi::Rect&)
{
    const gdi::Bitmap& picture = CurrentPicture();
    if (!picture.Empty())
        PaintPicture(canvas, picture);
    if (m_caption.empty())
        return;
    canvas.font = m_font;
    canvas.brush.style = gdi::BrushStyle::Clear;
    const std::string text = DisplayCaption(m_caption);
    const gdi::Size size = canvas.TextExtent(text);
    const int32_t shift = m_held ? 1 : 0;
    canvas.TextOut((Width() - size.cx) / 2 + shift, (Height() - size.cy) / 2 + shift, text);
}

void Thbitbtn::PaintPicture(app::Canvas& canvas, const gdi::Bitmap& picture)
{
    // The client-sized part of the picture, opaque.
    gdi::Bitmap& source = const_cast<gdi::Bitmap&>(picture);
    const int32_t w = std::min(Width(), picture.Width());
    const int32_t h = std::min(Height(), picture.Height());
    canvas.CopyRect({0, 0, w, h}, source.Handle(), {0, 0, w, h});
}

bool Thbitbtn::HitTest(int32_t x, int32_t y) const
{
    if (!Control::HitTest(x, y))
        return false;
    if (m_idle.Empty())
        return true;
    if (x >= m_idle.Width() || y >= m_idle.Height())
        return false;
    return (m_idle.GetColor(x, y) & 0xFFFFFFu) != (m_idle.TransparentColor() & 0xFFFFFFu);
}

void Thbitbtn::MouseDown(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers)
{
    if (button == app::MouseButton::Left && EnabledInTree()) {
        m_held = true;
        PlayFile(DownSound);
        m_hover = true;
        Invalidate();
    }
    Control::MouseDown(button, x, y, modifiers);
}

void Thbitbtn::MouseMove(int32_t x, int32_t y, app::Modifiers modifiers)
{
    // The application keeps a held button's mouse and holds back enter and
    // leave until the release; a press dragged off and back on is followed
    // here, so the button shows its down picture only while the pointer is
    // on it.
    if (m_held) {
        const bool over = HitTest(x, y);
        if (over && !m_hover)
            Enter();
        else if (!over && m_hover)
            Leave();
    } else if (EnabledInTree() && !m_hover) {
        m_hover = true;
        PlayFile(RollOverSound);
        Invalidate();
    }
    Control::MouseMove(x, y, modifiers);
}

void Thbitbtn::MouseUp(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers)
{
    const bool left = button == app::MouseButton::Left;
    const bool over = HitTest(x, y);
    if (m_held && left) {
        m_held = false;
        if (over && m_schalter)
            SetPressed(!m_pressed);
        Invalidate();
    }
    // The click itself comes from the application right after, for a press
    // and release over the button.
    if (over && left)
        PlayFile(UpSound);
    Control::MouseUp(button, x, y, modifiers);
}

void Thbitbtn::MouseEnter()
{
    Enter();
    Control::MouseEnter();
}

void Thbitbtn::MouseLeave()
{
    Leave();
    Control::MouseLeave();
}

void Thbitbtn::Enter()
{
    m_hover = true;
    if (m_held) {
        if (PlaySound)
            PlayFile(DownSound);
    } else {
        PlayFile(RollOverSound);
    }
    Invalidate();
}

void Thbitbtn::Leave()
{
    m_hover = false;
    if (m_held && PlaySound)
        PlayFile(UpSound);
    Invalidate();
}

void Thbitbtn::CaptureLost()
{
    // The window lost the mouse (switching away): the press ends without a
    // click.
    m_held = false;
    m_hover = false;
    Invalidate();
}

// ----------------------------------------------------------------- TThbitbtn

void TThbitbtn::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    m_up.SetTransparent(transparent);
    m_down.SetTransparent(transparent);
    m_idle.SetTransparent(transparent);
    Invalidate();
}

void TThbitbtn::PaintPicture(app::Canvas& canvas, const gdi::Bitmap& picture)
{
    if (!m_transparent) {
        Thbitbtn::PaintPicture(canvas, picture);
        return;
    }
    // Everything behind the button is already painted into the back buffer,
    // so the picture only leaves its see-through colour out.
    if (picture.Transparent()) {
        canvas.Draw(0, 0, picture);
        return;
    }
    gdi::Bitmap keyed = picture; // assigned after the flag was set
    keyed.SetTransparent(true);
    canvas.Draw(0, 0, keyed);
}

} // namespace kestrava::ui
