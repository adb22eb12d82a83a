#include "ui/CustomButton.h"

#include "platform/app/Application.h"
#include "platform/gdi/Text.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace kestrava::ui {

namespace {

constexpr std::string_view kBoldTag = "<b>";
constexpr std::string_view kIndentTag = "<tab>";
constexpr std::string_view kDoubleIndentTag = "<tabtab>";
constexpr int32_t kIndent = 10;
constexpr int32_t kDoubleIndent = 20;
// Measured for the row height: it has an accent above and a descender
// below, so every line of the list fits into the cell.
constexpr std::string_view kMeasure = "\xc3\x84quator";

bool RemoveFirst(std::string& text, std::string_view tag)
{
    const size_t at = text.find(tag);
    if (at == std::string::npos)
        return false;
    text.erase(at, tag.size());
    return true;
}

// Folds one character of UTF-8 text to lower case and advances i past it.
// ASCII letters and the upper-case Latin-1 letters (U+00C0 to U+00DE, but
// not the multiplication sign) fold; everything else compares as it is.
uint32_t FoldNext(std::string_view s, size_t& i)
{
    const auto c = static_cast<unsigned char>(s[i++]);
    if (c >= 'A' && c <= 'Z')
        return c + 0x20u;
    if (c == 0xC3 && i < s.size()) {
        const auto next = static_cast<unsigned char>(s[i]);
        if (next >= 0x80 && next <= 0xBF) {
            ++i;
            uint32_t code = 0xC0u + (next - 0x80u);
            if (code >= 0xC0 && code <= 0xDE && code != 0xD7)
                code += 0x20u;
            // Above every ASCII byte, as the two-byte sequence itself is.
            return 0x100u + code;
        }
    }
    // Any other byte of a multi-byte character sorts after the Latin-1
    // letters; ASCII sorts as it is.
    return c >= 0x80 ? 0x200u + c : c;
}

} // namespace

TMarkupLine ParseMarkup(std::string_view line)
{
    TMarkupLine out;
    std::string text(line);
    out.bold = RemoveFirst(text, kBoldTag);
    // "<tab>" never matches inside "<tabtab>" (its fifth character is 't'),
    // so looking for the short tag first leaves the long one intact.
    if (RemoveFirst(text, kIndentTag))
        out.indent = kIndent;
    if (RemoveFirst(text, kDoubleIndentTag))
        out.indent = kDoubleIndent;
    const size_t tab = text.find('\t');
    if (tab != std::string::npos) {
        out.hasTab = true;
        out.left = text.substr(0, tab);
        out.right = text.substr(tab + 1);
    } else {
        out.left = std::move(text);
    }
    return out;
}

std::optional<int64_t> DigitsNumber(std::string_view line)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    std::optional<int64_t> number;
    for (char c : line) {
        if (c < '0' || c > '9')
            continue;
        const int64_t digit = c - '0';
        const int64_t so_far = number.value_or(0);
        number = so_far > (kMax - digit) / 10 ? kMax : so_far * 10 + digit;
    }
    return number;
}

namespace {

// The base letters of the folded Latin-1 letters U+00E0 to U+00FF, as German
// dictionaries file them: an umlaut or an accent sorts as its letter alone.
// 0 leaves a character as it is.
constexpr char kBaseLetter[32] = {
    'a', 'a', 'a', 'a', 'a', 'a', 0,   'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
    'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', 0,   'y'};

// The primary sort key of a text: folded to lower case, umlauts and accents
// as their base letters, "ß" as "ss" and "æ" as "ae".
std::vector<uint32_t> PrimaryKey(std::string_view s)
{
    std::vector<uint32_t> key;
    key.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const uint32_t c = FoldNext(s, i);
        if (c == 0x100u + 0xDFu) { // ß
            key.push_back('s');
            key.push_back('s');
        } else if (c == 0x100u + 0xE6u) { // æ
            key.push_back('a');
            key.push_back('e');
        } else if (c >= 0x100u + 0xE0u && c <= 0x100u + 0xFFu && kBaseLetter[c - 0x1E0u] != 0) {
            key.push_back(static_cast<unsigned char>(kBaseLetter[c - 0x1E0u]));
        } else {
            key.push_back(c);
        }
    }
    return key;
}

int CompareFolded(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t ca = FoldNext(a, i);
        const uint32_t cb = FoldNext(b, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

int CompareTextIgnoringCase(std::string_view a, std::string_view b)
{
    const std::vector<uint32_t> ka = PrimaryKey(a);
    const std::vector<uint32_t> kb = PrimaryKey(b);
    if (ka != kb)
        return std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end()) ? -1 : 1;
    // Equal as a dictionary files them ("Müller", "Muller"): the plain
    // letters come first, and only texts that differ in case alone are
    // the same line.
    return CompareFolded(a, b);
}

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
    ToggleItem(m_pressedLine);
    app::Control::MouseDown(button, x, y, modifiers);
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
            row.leftX = markup.indent + m_abstand;
            row.rightX = width - gdi::MeasureText(font, markup.right).cx - m_abstand - 1;
            row.right = std::move(markup.right);
        } else if (m_alignment == app::Alignment::Right) {
            row.leftX = width - leftWidth - m_abstand - 1;
        } else if (m_alignment == app::Alignment::Center) {
            row.leftX = (width - leftWidth) / 2;
        } else {
            row.leftX = markup.indent + m_abstand;
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

void TCallBackPanel::ShowDrawn()
{
    gdi::Rect drawn;
    {
        std::lock_guard<std::mutex> guard(Lock());
        drawn = Surface().TakeDrawn();
    }
    if (drawn.Empty())
        return;
    m_quietNext = gdi::Union(m_quietNext, drawn);
    Invalidate(drawn);
}

void TCallBackPanel::Paint(app::Canvas& canvas, const gdi::Rect& clip)
{
    if (app::Application* app = App(); app != nullptr && app->FrameNumber() != m_frame) {
        m_frame = app->FrameNumber();
        m_quiet = m_quietNext;
        m_quietNext = {};
    }
    const bool quiet = !m_quiet.Empty() && gdi::Intersect(m_quiet, clip) == clip;
    // The module draws under the lock itself (every call into it takes it),
    // so the event runs unlocked and only the copy below takes the lock.
    if (OnPaint && !quiet)
        OnPaint(*this);
    std::lock_guard<std::mutex> guard(Lock());
    canvas.CopyRect(clip, DeviceContext(), clip);
}

} // namespace kestrava::ui
