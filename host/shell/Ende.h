// The end-of-test screen: a skinned dialog (background "ENDE", 387 x 214)
// with two lists side by side, each test's title and parts on the left and
// its results on the right, the thumb Regler5 beside them (also the arrow
// keys and the wheel anywhere over the window) and OK (also Enter, Escape
// and space). [ui-thread]
#pragma once

#include "host/shell/Regler.h"
#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrava {
class RunPlan;
class TestCatalogue;
} // namespace kestrava

namespace kestrava::shell {

class TResultWatch;

// What the end screen shows: the lines of its two lists, markup included.
struct EndLines {
    std::vector<std::string> names;   // the test titles (bold) and their parts
    std::vector<std::string> results; // beside each, the result
};

// The run's lines, from the newest records of each entry's result file.
// A record shows only for an entry whose record arrived (or was not
// watched); one that was lost is said so; an older record never stands in.
EndLines EndLinesOf(const RunPlan& run, const TestCatalogue& tests, const TResultWatch& watch);

class TEnde : public ui::TBackWindow {
public:
    TEnde();
    // In the middle of a room of this size (the main window).
    void Place(int32_t roomWidth, int32_t roomHeight);

    void SetHandCursor(const std::shared_ptr<app::Cursor>& hand);
    // The lists filled, scrolled to the top, the thumb shown where they
    // scroll.
    void Fill(const EndLines& lines);
    void Clear();
    bool Empty() const { return m_liste1->Count() == 0; }

    ui::TMyCustomListBox& EndeListe1() { return *m_liste1; }
    ui::TMyCustomListBox& EndeListe2() { return *m_liste2; }
    TRegler& Regler5() { return *m_regler5; }
    ui::TThbitbtn& EndeOk() { return *m_ok; }

    // OK, by button or key.
    std::function<void()> OnOk;

private:
    void Close();

    ui::TMyCustomListBox* m_liste1 = nullptr;
    ui::TMyCustomListBox* m_liste2 = nullptr;
    TRegler* m_regler5 = nullptr;
    ui::TThbitbtn* m_ok = nullptr;
};

} // namespace kestrava::shell
