// The host's own owner-drawn list of text lines, with a small inline markup
// (ui/Markup.h).
//
// Every list on the host's screens is one of these: the test list with its
// duration and points columns, the program list, the end-of-test columns and
// the evaluation text. Lines can be coloured by the number their digits
// form against a threshold, so a score list shows weak scores in another
// colour without the host formatting anything.
//
// The list keeps one selection flag per line and handles a click itself
// (Ctrl+click adds to the selection). It has no scroll bar: the host
// scrolls it through Position from its own slider pictures. A list that
// takes the keyboard (SetTabStop) has a focus line, moved by the arrow
// keys, Page Up/Down, Home and End, framed while the focus shows.
//
// Texts are UTF-8. Everything here runs on the user-interface thread.
#pragma once

#include "platform/app/Control.h"
#include "platform/app/Controls.h"
#include "ui/Markup.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrava::ui {

class TMyCustomListBox : public app::Control {
public:
    TMyCustomListBox() = default;

    // Where and how one visible row is drawn; what Paint does, spelled out
    // so that the layout can be checked without reading pixels.
    struct TRowLayout {
        int32_t line = -1; // index into Lines()
        int32_t y = 0;
        bool selected = false;
        gdi::ColorRef textColor = 0;
        bool bold = false;
        std::string left;
        int32_t leftX = 0;
        std::string right; // empty unless the line has a tab character
        int32_t rightX = 0;
    };

    // --- Font and row geometry ---
    // Copies the font and snaps the control's height to whole rows.
    void SetFont(const gdi::Font& font);
    const gdi::Font& Font() const { return m_font; }
    // The cell height of "Äquator" in the list's font.
    int32_t RowHeight() const;
    int32_t VisibleRows() const;

    // --- Colours and look ---
    void SetAlternativeColor(gdi::ColorRef color);
    gdi::ColorRef AlternativeColor() const { return m_alternativeColor; }
    void SetAlternative(bool on);
    bool Alternative() const { return m_alternative; }
    void SetColor(gdi::ColorRef color);
    gdi::ColorRef Color() const { return m_color; }
    void SetSelColor(gdi::ColorRef color);
    gdi::ColorRef SelColor() const { return m_selColor; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return m_transparent; }
    // Alignment of lines without a tab character.
    void SetAlignement(app::Alignment alignment);
    app::Alignment Alignement() const { return m_alignment; }
    // Margin at the left and at the right; a negative value is ignored.
    void SetAbstand(int32_t pixels);
    int32_t Abstand() const { return m_abstand; }
    // Lines whose digits form a number at or below this are drawn in the
    // alternative colour (with Alternative on).
    void SetThreshold(int32_t threshold);
    int32_t Threshold() const { return m_threshold; }
    // Every control paints into the application's one back buffer, so this
    // is kept for the host's sake only.
    bool doubleBuffered = true;

    // The look a freshly placed list has in the form designer: white
    // background, navy selection, the font colour as alternative colour, no
    // margin, 80 x 80 pixels.
    void UseDesignerDefaults();

    // --- Lines ---
    const std::vector<std::string>& Lines() const { return m_lines; }
    int32_t Count() const { return static_cast<int32_t>(m_lines.size()); }
    // Replaces all lines by a copy of others (a sorted list sorts them and
    // drops case-insensitive duplicates).
    void SetLines(const std::vector<std::string>& others);
    // Appends a line, or inserts it at its place in a sorted list; returns
    // its index, or -1 when a sorted list already holds it (ignoring case).
    int32_t AddLine(std::string utf8);
    // Ignored outside the lines.
    void DeleteLine(int32_t index);
    void ClearLines();
    // A sorted list keeps its lines in case-insensitive order; switching it
    // on sorts the present lines.
    void SetSorted(bool sorted);
    bool Sorted() const { return m_sorted; }

    // --- Scrolling ---
    // The first visible line; a value outside [0, Count() - VisibleRows()]
    // is refused. It follows the lines and the height: whenever they change
    // it is kept inside [0, Max()].
    void SetPosition(int32_t position);
    int32_t Position() const { return m_position; }
    // The largest useful Position (0 while all lines fit).
    int32_t Max() const;

    // --- Selection ---
    // The line selected by the last click, -1 if none.
    int32_t Selected() const { return m_selected; }
    // Sets one flag without events and without repainting; ignored outside
    // the lines.
    void SetItemSelected(int32_t index, bool selected);
    bool IsItemSelected(int32_t index) const;
    // What a click does to the line at index (past the lines: deselects).
    void ToggleItem(int32_t index);

    // A click selected a line.
    app::NotifyHandler OnSelect;
    // A click deselected a line, or hit no line.
    app::NotifyHandler OnDeSelect;

    // --- Keyboard ---
    // The line the keyboard is on: a click's line, or where the keys moved
    // it; -1 while the list has no lines.
    int32_t FocusLine() const;
    // Kept to the lines; repaints.
    void SetFocusLine(int32_t line);
    // Only a list with lines takes the keyboard.
    bool CanFocus() const override { return app::Control::CanFocus() && Count() > 0; }
    // Lines a Page Up or Down moves: the rows shown less one, at least one.
    int32_t PageLines() const;
    // A key moved the focus line. Without a handler the list scrolls it
    // into view itself.
    app::NotifyHandler OnFocusLine;
    void KeyDown(uint32_t& key, app::Modifiers modifiers) override;
    // The space bar toggles the focus line as a Ctrl+click does, unless
    // OnKeyPress took it.
    void KeyPress(uint8_t& ch) override;
    gdi::Rect FocusRect() const override;

    // --- Painting ---
    // The rows Paint draws, top to bottom.
    std::vector<TRowLayout> Layout() const;
    void Paint(app::Canvas& canvas, const gdi::Rect& clip) override;

    void MouseDown(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers) override;
    // A double click needs both presses on one line.
    bool CompletesDoubleClick(int32_t x, int32_t y) const override;

protected:
    void Resized() override;

private:
    // Keeps one flag per line after the lines changed, by index.
    void LinesChanged(size_t oldCount);
    // Brings Position back into [0, Max()] after the lines or the rows
    // changed: a list scrolled down and then given fewer lines would
    // otherwise paint nothing and refuse every position but its old one.
    void ClampPosition();
    gdi::Font FontFor(bool bold) const;
    // The line at y, or -1 past the lines.
    int32_t LineAt(int32_t y) const;

    gdi::Font m_font;
    gdi::ColorRef m_alternativeColor = 0;
    bool m_alternative = false;
    gdi::ColorRef m_color = 0;
    gdi::ColorRef m_selColor = 0;
    bool m_transparent = false;
    app::Alignment m_alignment = app::Alignment::Left;
    int32_t m_abstand = 0;
    int32_t m_threshold = 0;

    std::vector<std::string> m_lines;
    std::vector<uint8_t> m_flags;
    bool m_sorted = false;
    int32_t m_position = 0;
    int32_t m_selected = -1;
    int32_t m_pressedLine = -1; // the line the last press hit
    int32_t m_focusLine = 0;
};

} // namespace kestrava::ui
