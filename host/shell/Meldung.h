// The program's own message window: the yes/no window's look ("MELDUNG",
// 227 px wide) with the message in its label and one OK button. It works
// wherever the program's window does, which the system's message box does
// not (an X server may offer no message system at all); that box is left to
// what must be said before the main window exists.
//
// A long text wraps at the label's width, and a text that needs more lines
// than the label holds makes the window taller: the face is stretched
// between its head band and its foot. Messages that arrive while one is
// shown wait their turn, in order: OK (or Enter, Escape, space) shows the
// next one, and after the last it hides the window and calls OnClosed.
//
// The window only shows and queues; the main window places it, keeps what
// lies behind disabled while it is open and reacts to OnClosed. [ui-thread]
#pragma once

#include "platform/gdi/Text.h"
#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kestrava::shell {

// The lines a text takes at a width in a font: its own line breaks are
// kept (an empty line stays), words wrap at spaces, and a word wider than
// the width (a path) is broken between two characters.
std::vector<std::string> WrapText(const gdi::FontSpec& font, const std::string& utf8, int32_t width);

class TMeldung : public ui::TBackWindow {
public:
    static constexpr int32_t kWidth = 227;
    static constexpr int32_t kHeight = 158; // the least, for up to three lines

    TMeldung();
    // In the middle of a room of this size (the main window), below the
    // test's announcement when one is given, which stays readable, where
    // the room has space for it.
    void Place(int32_t roomWidth, int32_t roomHeight, const app::Control* announcement);

    // Adds a message. True when the window was closed and now holds this
    // text, sized for it: the owner places and shows it. False when another
    // message is shown; this one then waits behind any others.
    bool Add(const std::string& text);
    // The message shown (or last shown), as it was given.
    const std::string& Text() const { return m_text; }
    // The messages still waiting behind the one shown.
    size_t Waiting() const { return m_waiting.size(); }

    app::Label& MeldungLabel() { return *m_label; }
    ui::TThbitbtn& Ok() { return *m_ok; }

    // After the last message was closed; the window is hidden.
    std::function<void()> OnClosed;

protected:
    void DrawSkin(gdi::Canvas& canvas) override;

private:
    void Take(const std::string& text);
    void OkClick();

    std::string m_text;
    std::deque<std::string> m_waiting;
    app::Label* m_label = nullptr;
    ui::TThbitbtn* m_ok = nullptr;
    std::function<void()> m_onOk; // read by the close keys and the button
};

} // namespace kestrava::shell
