#include "platform/app/Controls.h"

#include "platform/app/Application.h"
#include "protocol/MyMessages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace kestrava::app {

// ---------------------------------------------------------------- Panel

void Panel::SetColor(gdi::ColorRef color)
{
    if (color == m_color)
        return;
    m_color = color;
    Invalidate();
}

void Panel::SetTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    Invalidate();
}

void Panel::Paint(Canvas& canvas, const gdi::Rect& clip)
{
    if (m_transparent)
        return;
    canvas.brush = {m_color, gdi::BrushStyle::Solid};
    canvas.FillRect(clip);
}

// ---------------------------------------------------------------- Image

void Image::SetPicture(const gdi::Bitmap& picture)
{
    m_picture = picture;
    m_picture.SetTransparent(m_transparent);
    if (autoSize)
        SetSize(m_picture.Width(), m_picture.Height());
    Invalidate();
}

void Image::SetStretch(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    Invalidate();
}

void Image::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    m_picture.SetTransparent(transparent);
    Invalidate();
}

void Image::Paint(Canvas& canvas, const gdi::Rect&)
{
    if (m_picture.Empty())
        return;
    // The flag may have been changed through Picture(); the image's own
    // setting rules.
    m_picture.SetTransparent(m_transparent);
    if (m_stretch)
        canvas.StretchDraw(ClientRect(), m_picture);
    else
        canvas.Draw(0, 0, m_picture);
}

// ---------------------------------------------------------------- Label

void Label::SetText(std::string utf8)
{
    if (utf8 == m_text)
        return;
    m_text = std::move(utf8);
    Fit();
    Invalidate();
}

void Label::SetFont(const gdi::Font& font)
{
    m_font = font;
    Fit();
    Invalidate();
}

void Label::SetColor(gdi::ColorRef background)
{
    m_color = background;
    Invalidate();
}

void Label::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    Invalidate();
}

void Label::SetAlignment(Alignment alignment)
{
    m_alignment = alignment;
    Invalidate();
}

void Label::SetLayout(VerticalAlignment layout)
{
    m_layout = layout;
    Invalidate();
}

void Label::SetAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    Fit();
}

namespace {

// A label's text split at its line breaks ("\n", "\r" or "\r\n").
std::vector<std::string_view> LabelLines(const std::string& text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\n' && text[i] != '\r')
            continue;
        lines.emplace_back(text.data() + start, i - start);
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    return lines;
}

} // namespace

void Label::Fit()
{
    if (!m_autoSize)
        return;
    int32_t width = 0;
    int32_t height = 0;
    for (std::string_view line : LabelLines(m_text)) {
        const gdi::Size s = gdi::MeasureText(m_font, std::string(line));
        width = std::max(width, s.cx);
        height += s.cy;
    }
    SetSize(width, height);
}

void Label::Paint(Canvas& canvas, const gdi::Rect& clip)
{
    if (!m_transparent) {
        canvas.brush = {m_color, gdi::BrushStyle::Solid};
        canvas.FillRect(clip);
    }
    if (m_text.empty())
        return;
    canvas.font = m_font;
    canvas.brush.style = gdi::BrushStyle::Clear;
    // Each line is aligned on its own; the block of lines as a whole is
    // placed by the vertical layout.
    const std::vector<std::string_view> lines = LabelLines(m_text);
    const int32_t lineHeight = canvas.TextExtent("Ag").cy;
    const int32_t blockHeight = lineHeight * static_cast<int32_t>(lines.size());
    int32_t y = 0;
    if (m_layout == VerticalAlignment::Center)
        y = (Height() - blockHeight) / 2;
    else if (m_layout == VerticalAlignment::Bottom)
        y = Height() - blockHeight;
    for (std::string_view view : lines) {
        const std::string line(view);
        const int32_t cx = canvas.TextExtent(line).cx;
        int32_t x = 0;
        if (m_alignment == Alignment::Center)
            x = (Width() - cx) / 2;
        else if (m_alignment == Alignment::Right)
            x = Width() - cx;
        if (!line.empty())
            canvas.TextOut(x, y, line);
        y += lineHeight;
    }
}

// ---------------------------------------------------------------- Edit

namespace {
constexpr gdi::ColorRef kEditBorder = gdi::Rgb(128, 128, 128);
constexpr gdi::ColorRef kSelectionBack = gdi::Rgb(0, 120, 215);
constexpr gdi::ColorRef kSelectionText = gdi::Rgb(255, 255, 255);
constexpr int32_t kEditPad = 2;

// v pixels at the user-interface scale of the control's application.
int32_t AtUiScale(const Control& control, int32_t v)
{
    const Application* app = control.App();
    return app == nullptr ? v : static_cast<int32_t>(std::lround(v * app->UiScale()));
}
} // namespace

Edit::Edit()
{
    SetTabStop(true);
    m_font.color = gdi::Rgb(0, 0, 0);
}

void Edit::SetText(std::string_view utf8)
{
    std::string next = Utf8ToCp1252(utf8);
    if (next == m_text)
        return;
    m_text = std::move(next);
    m_caret = m_text.size();
    m_allSelected = false;
    Changed();
}

std::string Edit::Text() const { return Cp1252ToUtf8(m_text); }

void Edit::SetFont(const gdi::Font& font)
{
    m_font = font;
    Invalidate();
}

void Edit::SetColor(gdi::ColorRef background)
{
    m_color = background;
    Invalidate();
}

void Edit::SetBorder(bool border)
{
    m_border = border;
    Invalidate();
}

void Edit::SetCaretPos(size_t pos)
{
    m_caret = std::min(pos, m_text.size());
    m_allSelected = false;
    Invalidate();
}

void Edit::SelectAll()
{
    m_allSelected = true;
    m_caret = m_text.size();
    Invalidate();
}

void Edit::DropSelection()
{
    if (!m_allSelected)
        return;
    m_allSelected = false;
    Invalidate();
}

void Edit::Changed()
{
    Invalidate();
    if (OnChange)
        OnChange();
}

int32_t Edit::TextLeft() const { return (m_border ? 1 : 0) + AtUiScale(*this, kEditPad); }

int32_t Edit::CaretX(size_t pos) const
{
    return gdi::MeasureText(m_font, Cp1252ToUtf8(std::string_view(m_text).substr(0, pos))).cx;
}

void Edit::KeyDown(uint32_t& key, Modifiers modifiers)
{
    Control::KeyDown(key, modifiers);
    const size_t before = m_caret;
    switch (key) {
    case VK_LEFT:
        if (m_caret > 0 && !AllSelected())
            --m_caret;
        else if (AllSelected())
            m_caret = 0;
        break;
    case VK_RIGHT:
        if (m_caret < m_text.size())
            ++m_caret;
        break;
    case VK_HOME:
        m_caret = 0;
        break;
    case VK_END:
        m_caret = m_text.size();
        break;
    case VK_DELETE:
        if (AllSelected()) {
            m_text.clear();
            m_caret = 0;
            m_allSelected = false;
            Changed();
        } else if (m_caret < m_text.size()) {
            m_text.erase(m_caret, 1);
            Changed();
        }
        return;
    default:
        return;
    }
    DropSelection();
    if (m_caret != before)
        Invalidate();
}

void Edit::KeyPress(uint8_t& ch)
{
    Control::KeyPress(ch);
    if (ch == 0)
        return;
    if (ch == 8) {
        if (AllSelected()) {
            m_text.clear();
            m_caret = 0;
            m_allSelected = false;
            Changed();
        } else if (m_caret > 0) {
            m_text.erase(--m_caret, 1);
            Changed();
        }
        return;
    }
    // Control characters (Enter, Escape, Tab, Ctrl combinations) and DEL
    // are not text.
    if (ch < 32 || ch == 127)
        return;
    if (AllSelected()) {
        m_text.clear();
        m_caret = 0;
    }
    m_allSelected = false;
    if (m_maxLength != 0 && m_text.size() >= m_maxLength)
        return;
    m_text.insert(m_caret, 1, static_cast<char>(ch));
    ++m_caret;
    Changed();
}

void Edit::MouseDown(MouseButton button, int32_t x, int32_t y, Modifiers modifiers)
{
    // The caret goes to the character boundary nearest the click.
    const int32_t tx = x - TextLeft() + m_scroll;
    size_t best = 0;
    int32_t bestDist = INT32_MAX;
    for (size_t i = 0; i <= m_text.size(); ++i) {
        const int32_t d = std::abs(CaretX(i) - tx);
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    m_caret = best;
    m_allSelected = false;
    Invalidate();
    Control::MouseDown(button, x, y, modifiers);
}

void Edit::FocusEnter()
{
    if (autoSelect)
        SelectAll();
    Control::FocusEnter();
}

void Edit::FocusExit()
{
    m_allSelected = false;
    Invalidate();
    Control::FocusExit();
}

void Edit::Paint(Canvas& canvas, const gdi::Rect& clip)
{
    canvas.brush = {m_color, gdi::BrushStyle::Solid};
    canvas.FillRect(clip);
    if (m_border) {
        canvas.pen = {kEditBorder, 1, gdi::PenStyle::Solid};
        canvas.brush.style = gdi::BrushStyle::Clear;
        canvas.Rectangle(0, 0, Width(), Height());
    }
    const int32_t left = TextLeft();
    const int32_t inner = std::max(Width() - 2 * left, 1);
    // Scroll so that the caret stays inside the field.
    const int32_t caretX = CaretX(m_caret);
    if (caretX - m_scroll > inner)
        m_scroll = caretX - inner;
    if (caretX < m_scroll)
        m_scroll = caretX;
    const std::string utf8 = Cp1252ToUtf8(m_text);
    const int32_t textH = gdi::MeasureText(m_font, "Ag").cy;
    const int32_t top = (Height() - textH) / 2;

    // The text stays inside the border.
    const gdi::Rect inside = gdi::Intersect(canvas.ScreenClip(), ClientToScreen({left - 1, 0, Width() - left + 1, Height()}));
    Canvas text(canvas.Handle(), canvas.OriginX(), canvas.OriginY(), inside);
    text.font = m_font;
    if (AllSelected()) {
        text.brush = {kSelectionBack, gdi::BrushStyle::Solid};
        text.font.color = kSelectionText;
    } else {
        text.brush.style = gdi::BrushStyle::Clear;
    }
    text.TextOut(left - m_scroll, top, utf8);
    if (Focused() && !AllSelected()) {
        text.brush = {m_font.color, gdi::BrushStyle::Solid};
        const int32_t x = left + caretX - m_scroll;
        text.FillRect({x, top, x + AtUiScale(*this, 1), top + textH});
    }
}

// ---------------------------------------------------------------- PaintBox

void PaintBox::Paint(Canvas& canvas, const gdi::Rect& clip)
{
    if (OnPaint)
        OnPaint(canvas, clip);
}

// ---------------------------------------------------------------- SurfaceControl

SurfaceControl::SurfaceControl(std::mutex* externalLock)
    : m_lock(externalLock != nullptr ? externalLock : &m_ownLock), m_dc(m_surface.Handle())
{
}

void SurfaceControl::Resized()
{
    {
        std::lock_guard<std::mutex> guard(*m_lock);
        m_surface.SetSize(Width(), Height());
        m_surface.Fill(gdi::PixelOf(color));
    }
    Control::Resized();
}

void SurfaceControl::Paint(Canvas& canvas, const gdi::Rect& clip)
{
    if (OnPaint)
        OnPaint(clip);
    std::lock_guard<std::mutex> guard(*m_lock);
    canvas.CopyRect(clip, m_dc, clip);
}

} // namespace kestrava::app
