// The yes/no window: a skinned dialog (background "JANEIN", 227 x 158) with
// the question in three lines and the buttons Ja and Nein. Enter, space, J
// and j answer yes; Escape, N and n answer no.
//
// A question is one call: Ask puts its text and keeps its answer, which is
// called once, after the window has hidden, with what the user chose. The
// owner places and shows the window. [ui-thread]
#pragma once

#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include <functional>
#include <memory>
#include <string>

namespace kestrava::shell {

class TJaNein : public ui::TBackWindow {
public:
    TJaNein();
    // In the middle of a room of this size (the main window).
    void Place(int32_t roomWidth, int32_t roomHeight);

    void SetHandCursor(const std::shared_ptr<app::Cursor>& hand);
    // The text ('\r' breaks a line) and what to do with the answer; the
    // question asked before, if still open, is dropped unanswered.
    void Ask(const std::string& text, std::function<void(bool yes)> answer);
    // Hides the window without an answer: what the question was about has
    // gone (the test it would abort has ended).
    void Withdraw();

    app::Label& JaNeinLabel() { return *m_label; }
    ui::TThbitbtn& JaButton() { return *m_ja; }
    ui::TThbitbtn& NeinButton() { return *m_nein; }

private:
    void Answer(bool yes);

    app::Label* m_label = nullptr;
    ui::TThbitbtn* m_ja = nullptr;
    ui::TThbitbtn* m_nein = nullptr;
    std::function<void(bool)> m_answer;
};

} // namespace kestrava::shell
