// The menu: the grey panel over the whole window with its frame, the menu
// column (top, stretched middle, bottom), the four lists (tests, practised
// time, recent score, programs), their two thumbs and the six buttons
// (start, help, settings, evaluation, resume, exit).
//
// The menu owns what is selected (MenuSelection, with the catalogue's
// rules); a click in a list is a call on it and the lists show it. The
// start button and a double click in either list ask for a run. What the
// user asks for goes to the owner through OnAction. From the keyboard: the
// test list, the program list and the buttons in a Tab order; Space and
// Enter on a list's focus line; Escape asks the exit question. [ui-thread]
#pragma once

#include "host/shell/MenuLists.h"
#include "host/shell/Regler.h"
#include "platform/app/Controls.h"
#include "ui/MyCustomListBox.h"
#include "ui/hbitbtn.h"

#include <functional>
#include <memory>

namespace kestrava::shell {

enum class MenuAction {
    Go,         // the start button, or a double click in a list
    Help,
    Settings,
    Evaluation,
    Load,       // resume the saved run
    Exit,
    Pressed,    // a press on the menu's background or on a thumb
};

class TMenu : public app::Panel {
public:
    TMenu();

    void SetHandCursor(const std::shared_ptr<app::Cursor>& hand);
    // Everything placed for a window of this size.
    void Layout(int32_t width, int32_t height);
    // Each thumb shown only where its list has more lines than fit.
    void LayoutThumbs();
    // The lists, thumbs and buttons (all but the resume button, which
    // follows the saved run).
    void EnableControls(bool enabled);
    MenuLists Lists();
    MenuSelection& Selection() { return m_selection; }
    // The lists' marks as the selection has them, after it changed.
    void ShowSelection();
    // No line of any list selected.
    void ClearSelection();
    // The keyboard on the first line of the test list, as when the menu
    // appears.
    void FocusFirstLine();

    ui::TMyCustomListBox& TestListBox() { return *m_testList; }
    ui::TMyCustomListBox& DauerListBox() { return *m_dauerList; }
    ui::TMyCustomListBox& PunkteListBox() { return *m_punkteList; }
    ui::TMyCustomListBox& ProgrammListBox() { return *m_programmList; }
    TRegler& Regler1() { return *m_regler1; }
    TRegler& Regler2() { return *m_regler2; }
    ui::TThbitbtn& GoButton() { return *m_goButton; }
    ui::TThbitbtn& FrageButton() { return *m_frageButton; }
    ui::TThbitbtn& SettingsButton() { return *m_settingsButton; }
    ui::TThbitbtn& DetailButton() { return *m_detailButton; }
    ui::TThbitbtn& LoadButton() { return *m_loadButton; }
    ui::TThbitbtn& ExitButton() { return *m_exitButton; }
    app::Image& MenueOben() { return *m_menueOben; }
    app::Image& MenueMitte() { return *m_menueMitte; }
    app::Image& MenueUnten() { return *m_menueUnten; }

    std::function<void(MenuAction)> OnAction;

private:
    // The look of the four lists: widths, font, colours, alignment,
    // margins, sorting, the score colouring of the points column, which
    // lists take clicks. The heights and positions are Layout's.
    void StyleLists();
    TRegler& MakeThumb(const char* picture);
    void BuildKeyboard();
    // What a click on the line does (with Ctrl: add).
    void ClickLine(ui::TMyCustomListBox& list, int32_t line, bool add);
    void Report(MenuAction action);

    app::Image* m_frame[9] = {};
    app::Image* m_menueOben = nullptr;
    app::Image* m_menueMitte = nullptr;
    app::Image* m_menueUnten = nullptr;
    ui::TMyCustomListBox* m_testList = nullptr;
    ui::TMyCustomListBox* m_dauerList = nullptr;
    ui::TMyCustomListBox* m_punkteList = nullptr;
    ui::TMyCustomListBox* m_programmList = nullptr;
    TRegler* m_regler1 = nullptr;
    TRegler* m_regler2 = nullptr;
    ui::TThbitbtn* m_goButton = nullptr;
    ui::TThbitbtn* m_frageButton = nullptr;
    ui::TThbitbtn* m_settingsButton = nullptr;
    ui::TThbitbtn* m_detailButton = nullptr;
    ui::TThbitbtn* m_loadButton = nullptr;
    ui::TThbitbtn* m_exitButton = nullptr;
    MenuSelection m_selection;
};

} // namespace kestrava::shell
