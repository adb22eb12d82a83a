#include "ui/MyCustomListBox.h"

#include "platform/app/Application.h"
#include "platform/app/Keys.h"
#include "platform/gdi/Text.h"
#include "ui/UiScale.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace kestrava::ui {

namespace {

// Measured for the row height: it has an accent above and a descender
// below, so every line of the list fits into the cell.
constexpr std::string_view kMeasure = "\xc3\x84quator";

} // namespace

// ---------------------------------------------------------------- Font and rows

gdi::Font TMyCustomListBox::FontFor(bool bold) const
{
    gdi::Font f = m_font;
    f.bold = bold;
    return f;
}

int32_t TMyCustomListBox::RowHeight() const { return gdi::MeasureText(m_font, kMeasure).cy; }

int32_t TMyCustomListBox::VisibleRows() const
{
    const int32_t row = RowHeight();
    return row > 0 ? Height() / row : 0;
}

void TMyCustomListBox::SetFont(const gdi::Font& font)
{
    m_font = font;
    const int32_t row = RowHeight();
    if (row > 0) {
        // Round to nearest, ties to even, so that only whole rows show.
        const int32_t h = std::max(Height(), 0);
        int32_t rows = h / row;
        const int32_t rest = h % row;
        if (2 * rest > row || (2 * rest == row && rows % 2 != 0))
            ++rows;
        SetSize(Width(), rows * row);
    }
    Invalidate();
}

// ---------------------------------------------------------------- Look

void TMyCustomListBox::SetAlternativeColor(gdi::ColorRef color)
{
    m_alternativeColor = color;
    Invalidate();
}

void TMyCustomListBox::SetAlternative(bool on)
{
    m_alternative = on;
    Invalidate();
}

void TMyCustomListBox::SetColor(gdi::ColorRef color)
{
    m_color = color;
    Invalidate();
}

void TMyCustomListBox::SetSelColor(gdi::ColorRef color)
{
    m_selColor = color;
    Invalidate();
}

void TMyCustomListBox::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    Invalidate();
}

void TMyCustomListBox::SetAlignement(app::Alignment alignment)
{
    m_alignment = alignment;
    Invalidate();
}

void TMyCustomListBox::SetAbstand(int32_t pixels)
{
    if (pixels < 0)
        return;
    m_abstand = pixels;
    Invalidate();
}

void TMyCustomListBox::SetThreshold(int32_t threshold)
{
    m_threshold = threshold;
    Invalidate();
}

void TMyCustomListBox::UseDesignerDefaults()
{
    m_color = gdi::Rgb(255, 255, 255);
    m_selColor = gdi::Rgb(0, 0, 128);
    m_alternativeColor = m_font.color;
    m_alternative = false;
    m_abstand = 0;
    SetSize(80, 80);
    Invalidate();
}

// ---------------------------------------------------------------- Lines

void TMyCustomListBox::LinesChanged(size_t oldCount)
{
    // Flags follow indexes, not lines: the host keeps parallel columns in
    // step by index and copies flags between them the same way.
    std::vector<uint8_t> flags(m_lines.size(), 0);
    const size_t keep = std::min(oldCount, m_lines.size());
    std::copy_n(m_flags.begin(), static_cast<std::ptrdiff_t>(keep), flags.begin());
    m_flags = std::move(flags);
    m_pressedLine = -1; // a press on the old lines starts no double click on the new ones
    ClampPosition();
    Invalidate();
}

void TMyCustomListBox::ClampPosition()
{
    m_position = std::clamp(m_position, 0, Max());
}

void TMyCustomListBox::Resized()
{
    ClampPosition();
    app::Control::Resized();
}

void TMyCustomListBox::SetLines(const std::vector<std::string>& others)
{
    const size_t oldCount = m_lines.size();
    if (!m_sorted) {
        m_lines = others;
    } else {
        m_lines.clear();
        for (const std::string& line : others) {
            const auto at = std::lower_bound(m_lines.begin(), m_lines.end(), line, [](const std::string& a, const std::string& b) {
                return CompareTextIgnoringCase(a, b) < 0;
            });
            if (at == m_lines.end() || CompareTextIgnoringCase(*at, line) != 0)
                m_lines.insert(at, line);
        }
    }
    LinesChanged(oldCount);
}

int32_t TMyCustomListBox::AddLine(std::string utf8)
{
    const size_t oldCount = m_lines.size();
    auto at = m_lines.end();
    if (m_sorted) {
        at = std::lower_bound(m_lines.begin(), m_lines.end(), utf8, [](const std::string& a, const std::string& b) {
            return CompareTextIgnoringCase(a, b) < 0;
        });
        if (at != m_lines.end() && CompareTextIgnoringCase(*at, utf8) == 0)
            return -1;
    }
    const auto index = static_cast<int32_t>(at - m_lines.begin());
    m_lines.insert(at, std::move(utf8));
    LinesChanged(oldCount);
    return index;
}

void TMyCustomListBox::DeleteLine(int32_t index)
{
    if (index < 0 || index >= Count())
        return;
    const size_t oldCount = m_lines.size();
    m_lines.erase(m_lines.begin() + index);
    LinesChanged(oldCount);
}

void TMyCustomListBox::ClearLines()
{
    const size_t oldCount = m_lines.size();
    m_lines.clear();
    LinesChanged(oldCount);
}

void TMyCustomListBox::SetSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    if (m_sorted) {
        // Sorting keeps lines that are already there twice: only adding
        // refuses a duplicate.
        std::stable_sort(m_lines.begin(), m_lines.end(), [](const std::string& a, const std::string& b) {
            return CompareTextIgnoringCase(a, b) < 0;
        });
        LinesChanged(m_lines.size());
    }
}

// ---------------------------------------------------------------- Scrolling

void TMyCustomListBox::SetPosition(int32_t position)
{
    if (position < 0 || position > Count() - VisibleRows() || position == m_position)
        return;
    m_position = position;
    Invalidate();
}

int32_t TMyCustomListBox::Max() const { return std::max(Count() - VisibleRows(), 0); }

// ---------------------------------------------------------------- Selection

void TMyCustomListBox::SetItemSelected(int32_t index, bool selected)
{
    if (index < 0 || index >= Count())
        return;
    m_flags[static_cast<size_t>(index)] = selected ? 1 : 0;
    if (!selected && index == m_selected)
        m_selected = -1;
}

bool TMyCustomListBox::IsItemSelected(int32_t index) const
{
    return index >= 0 && index < Count() && m_flags[static_cast<size_t>(index)] != 0;
}

void TMyCustomListBox::ToggleItem(int32_t index)
{
    if (index >= 0 && index < Count()) {
        uint8_t& flag = m_flags[static_cast<size_t>(index)];
        flag = flag != 0 ? 0 : 1;
        m_selected = flag != 0 ? index : -1;
        if (flag != 0) {
            if (OnSelect)
                OnSelect();
        } else if (OnDeSelect) {
            OnDeSelect();
        }
    } else {
        m_selected = -1;
        if (OnDeSelect)
            OnDeSelect();
    }
    Invalidate();
}

void TMyCustomListBox::MouseDown(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers)
{
    if (!modifiers.ctrl)
        std::fill(m_flags.begin(), m_flags.end(), uint8_t{0});
    m_pressedLine = LineAt(y);
    if (m_pressedLine >= 0)
        m_focusLine = m_pressedLine;
    ToggleItem(m_pressedLine);
    app::Control::MouseDown(button, x, y, modifiers);
}

int32_t TMyCustomListBox::FocusLine() const { return Count() == 0 ? -1 : std::clamp(m_focusLine, 0, Count() - 1); }

void TMyCustomListBox::SetFocusLine(int32_t line)
{
    m_focusLine = std::max(0, line);
    Invalidate();
}

int32_t TMyCustomListBox::PageLines() const { return std::max(1, VisibleRows() - 1); }

void TMyCustomListBox::KeyDown(uint32_t& key, app::Modifiers modifiers)
{
    const int32_t line = FocusLine();
    int32_t to = line;
    switch (key) {
    case app::VK_UP: to = line - 1; break;
    case app::VK_DOWN: to = line + 1; break;
    case app::VK_PRIOR: to = line - PageLines(); break;
    case app::VK_NEXT: to = line + PageLines(); break;
    case app::VK_HOME: to = 0; break;
    case app::VK_END: to = Count() - 1; break;
    default: app::Control::KeyDown(key, modifiers); return;
    }
    key = 0;
    if (App() != nullptr)
        App()->SetFocusVisible(true);
    if (Count() == 0)
        return;
    SetFocusLine(std::clamp(to, 0, Count() - 1));
    if (OnFocusLine) {
        OnFocusLine();
    } else {
        const int32_t rows = std::max(1, VisibleRows());
        if (FocusLine() < m_position)
            SetPosition(FocusLine());
        else if (FocusLine() >= m_position + rows)
            SetPosition(FocusLine() - rows + 1);
    }
}

void TMyCustomListBox::KeyPress(uint8_t& ch)
{
    // The owner's handler first: it may keep the selection itself.
    app::Control::KeyPress(ch);
    if (ch == ' ' && FocusLine() >= 0) {
        ch = 0;
        ToggleItem(FocusLine());
    }
}

gdi::Rect TMyCustomListBox::FocusRect() const
{
    const int32_t row = RowHeight();
    const int32_t r = FocusLine() - m_position;
    if (FocusLine() < 0 || row <= 0 || r < 0 || r >= VisibleRows())
        return {};
    return {0, r * row, Width(), (r + 1) * row};
}

bool TMyCustomListBox::CompletesDoubleClick(int32_t /*x*/, int32_t y) const
{
    return m_pressedLine >= 0 && LineAt(y) == m_pressedLine;
}

int32_t TMyCustomListBox::LineAt(int32_t y) const
{
    const int32_t row = RowHeight();
    // A font without a cell cannot name a row; such a click hits no line.
    if (row <= 0 || y < 0)
        return -1;
    const int32_t line = y / row + m_position;
    return line < Count() ? line : -1;
}

// ---------------------------------------------------------------- Painting

std::vector<TMyCustomListBox::TRowLayout> TMyCustomListBox::Layout() const
{
    std::vector<TRowLayout> rows;
    const int32_t rowHeight = RowHeight();
    int32_t count = VisibleRows();
    if (Count() < count + m_position)
        count = Count() - m_position;
    const int32_t width = Width();
    for (int32_t r = 0; r < count; ++r) {
        const int32_t i = r + m_position;
        const std::string& line = m_lines[static_cast<size_t>(i)];
        TRowLayout row;
        row.line = i;
        row.y = r * rowHeight;
        row.selected = m_flags[static_cast<size_t>(i)] != 0;
        row.textColor = m_font.color;
        if (m_alternative) {
            const std::optional<int64_t> number = DigitsNumber(line);
            if (number && *number <= m_threshold)
                row.textColor = m_alternativeColor;
        }
        TMarkupLine markup = ParseMarkup(line);
        row.bold = markup.bold;
        const gdi::Font font = FontFor(markup.bold);
        const int32_t leftWidth = gdi::MeasureText(font, markup.left).cx;
        if (markup.hasTab) {
            row.leftX = Scaled(markup.indent) + m_abstand;
            row.rightX = width - gdi::MeasureText(font, markup.right).cx - m_abstand - 1;
            row.right = std::move(markup.right);
        } else if (m_alignment == app::Alignment::Right) {
            row.leftX = width - leftWidth - m_abstand - 1;
        } else if (m_alignment == app::Alignment::Center) {
            row.leftX = (width - leftWidth) / 2;
        } else {
            row.leftX = Scaled(markup.indent) + m_abstand;
        }
        row.left = std::move(markup.left);
        rows.push_back(std::move(row));
    }
    return rows;
}

void TMyCustomListBox::Paint(app::Canvas& canvas, const gdi::Rect& clip)
{
    (void)clip; // the canvas already refuses everything outside it
    if (!m_transparent) {
        canvas.brush = {m_color, gdi::BrushStyle::Solid};
        canvas.FillRect(ClientRect());
    }
    const int32_t rowHeight = RowHeight();
    for (const TRowLayout& row : Layout()) {
        if (row.selected) {
            canvas.brush = {m_selColor, gdi::BrushStyle::Solid};
            canvas.FillRect({0, row.y, Width(), row.y + rowHeight});
        }
        canvas.brush.style = gdi::BrushStyle::Clear;
        canvas.font = FontFor(row.bold);
        canvas.font.color = row.textColor;
        canvas.TextOut(row.leftX, row.y, row.left);
        if (!row.right.empty())
            canvas.TextOut(row.rightX, row.y, row.right);
    }
}

} // namespace kestrava::ui
