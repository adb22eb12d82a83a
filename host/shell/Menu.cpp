#include "host/shell/Menu.h"

#include "host/shell/DialogParts.h"
#include "ui/Colours.h"

#include <algorithm>
#include <vector>

namespace kestrava::shell {

TMenu::TMenu()
{
    SetName("MenuePanel");
    SetColor(kMenuColour);
    const char* frameNames[9] = {"Image1", "Image2", "Image3", "Image4", "Image5",
                                 "Image6", "Image7", "Image8", "Image10"};
    for (int i = 0; i < 9; ++i)
        m_frame[i] = &MakeImage(*this, frameNames[i], true);
    m_menueOben = &MakeImage(*this, "MenueOben");
    m_menueMitte = &MakeImage(*this, "MenueMitte", true);
    m_menueUnten = &MakeImage(*this, "MenueUnten");

    m_testList = &Create<ui::TMyCustomListBox>();
    m_dauerList = &Create<ui::TMyCustomListBox>();
    m_punkteList = &Create<ui::TMyCustomListBox>();
    m_programmList = &Create<ui::TMyCustomListBox>();
    StyleLists();
    m_testList->SetName("TestListBox");
    m_dauerList->SetName("DauerListBox");
    m_punkteList->SetName("PunkteListBox");
    m_programmList->SetName("ProgrammListBox");
    m_menueOben->SetName("MenueOben");
    m_menueMitte->SetName("MenueMitte");
    m_menueUnten->SetName("MenueUnten");
    ConnectSelection(Lists());
    m_testList->OnDblClick = [this] { Report(MenuAction::Go); };
    m_programmList->OnDblClick = [this] { Report(MenuAction::Go); };

    m_regler1 = &MakeThumb("Regler1");
    // The three test columns scroll together.
    m_regler1->lists = {m_testList, m_dauerList, m_punkteList};
    m_regler1->TakeWheel(*m_testList);
    // The duration and points columns take no mouse input, so the wheel
    // over them reaches the menu panel.
    OnMouseWheel = [this](int32_t delta, int32_t x, int32_t y) {
        for (const ui::TMyCustomListBox* column : {m_dauerList, m_punkteList}) {
            const gdi::Rect& r = column->Bounds();
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                m_regler1->ScrollLines(-delta * TRegler::kWheelLines);
        }
    };
    m_regler2 = &MakeThumb("Regler2");
    m_regler2->lists = {m_programmList};
    m_regler2->TakeWheel(*m_programmList);

    struct Button {
        ui::TThbitbtn** button;
        const char* name;
        const char* hint;
        MenuAction action;
    };
    const Button buttons[] = {
        {&m_goButton, "GoButton", "Test starten", MenuAction::Go},
        {&m_frageButton, "FrageButton", "Hilfe", MenuAction::Help},
        {&m_settingsButton, "SettingsButton", "Einstellungen", MenuAction::Settings},
        {&m_detailButton, "DetailButton", "Auswertung", MenuAction::Evaluation},
        {&m_loadButton, "LoadButton", "Testprogramm laden", MenuAction::Load},
        {&m_exitButton, "ExitButton", "Programm beenden", MenuAction::Exit},
    };
    for (const Button& b : buttons) {
        *b.button = &MakeButton<ui::TThbitbtn>(*this, b.name, 0, 0);
        (*b.button)->SetHint(b.hint);
        (*b.button)->OnClick = [this, action = b.action] { Report(action); };
    }

    // A press on the background or a thumb (which closes the settings'
    // volume pop-up).
    const auto pressed = [this](app::MouseButton, int32_t, int32_t, app::Modifiers) { Report(MenuAction::Pressed); };
    OnMouseDown = pressed;
    for (app::Control* c : std::initializer_list<app::Control*>{m_menueOben, m_menueMitte, m_menueUnten})
        c->OnMouseDown = pressed;
    for (app::Image* frame : m_frame)
        frame->OnMouseDown = pressed;
    for (TRegler* thumb : {m_regler1, m_regler2})
        thumb->OnMouseDown = pressed;
    BuildKeyboard();
}

void TMenu::BuildKeyboard()
{
    // The Tab order: the test list, the program list, then the six buttons
    // as they stand from left to right.
    SetFocusScope(true);
    m_testList->SetTabStop(true);
    m_programmList->SetTabStop(true);
    defaultFocus = m_testList;
    tabOrder = [this] {
        std::vector<app::Control*> buttons{m_goButton,     m_frageButton, m_settingsButton,
                                           m_detailButton, m_loadButton,  m_exitButton};
        std::stable_sort(buttons.begin(), buttons.end(),
                         [](const app::Control* a, const app::Control* b) { return a->Left() < b->Left(); });
        buttons.insert(buttons.begin(), {m_testList, m_programmList});
        return buttons;
    };
    // The thumb follows the focus line into view.
    const auto follow = [](ui::TMyCustomListBox& list, TRegler& thumb) {
        const int32_t line = list.FocusLine();
        const int32_t rows = std::max(1, list.VisibleRows());
        if (line < list.Position())
            thumb.ScrollLines(line - list.Position());
        else if (line >= list.Position() + rows)
            thumb.ScrollLines(line - rows + 1 - list.Position());
    };
    m_testList->OnFocusLine = [this, follow] { follow(*m_testList, *m_regler1); };
    m_programmList->OnFocusLine = [this, follow] { follow(*m_programmList, *m_regler2); };
    // Space toggles the focus line as a Ctrl+click does. Enter starts: in
    // the test list the selected tests, or the focus line's test when none
    // is; in the program list the focus line's program. A line that must be
    // chosen first is clicked on.
    const auto keys = [this](ui::TMyCustomListBox& list, bool tests) {
        return [this, &list, tests](uint8_t& ch) {
            const int32_t line = list.FocusLine();
            if ((ch != ' ' && ch != '\r') || line < 0)
                return;
            const bool space = ch == ' ';
            ch = 0;
            if (space) {
                ClickLine(list, line, true);
                return;
            }
            if (!(tests ? m_selection.Tests().Any() : m_selection.Programs().IsSelected(line)))
                ClickLine(list, line, false);
            Report(MenuAction::Go);
        };
    };
    m_testList->OnKeyPress = keys(*m_testList, true);
    m_programmList->OnKeyPress = keys(*m_programmList, false);
    // Escape asks the exit question, as the exit button does.
    OnKeyPress = [this](uint8_t& ch) {
        if (ch == 27) {
            ch = 0;
            Report(MenuAction::Exit);
        }
    };
}

void TMenu::ClickLine(ui::TMyCustomListBox& list, int32_t line, bool add)
{
    if (&list == m_testList)
        m_selection.ClickTest(line, add);
    else
        m_selection.ClickProgram(line, add);
    ShowSelection();
}

void TMenu::FocusFirstLine()
{
    m_testList->SetFocusLine(0);
    m_programmList->SetFocusLine(0);
    m_testList->SetFocus();
}

void TMenu::StyleLists()
{
    // A score at or below this is weak.
    constexpr int32_t kScoreThreshold = 82;
    struct Look {
        ui::TMyCustomListBox& list;
        int32_t width;
        gdi::ColorRef textColor;
        app::Alignment alignment;
        int32_t abstand;
        bool clickable;
    };
    const Look looks[] = {
        {*m_testList, 239, kWhite, app::Alignment::Left, 11, true},
        {*m_dauerList, 53, kWhite, app::Alignment::Right, 2, false},
        {*m_punkteList, 42, ui::colour::kScoreGood, app::Alignment::Right, 1, false},
        {*m_programmList, 212, kWhite, app::Alignment::Left, 14, true},
    };
    for (const Look& look : looks) {
        gdi::Font font;
        font.family = "Arial";
        font.height = S(16);
        font.color = look.textColor;
        look.list.SetFont(font);
        look.list.SetSize(S(look.width), look.list.Height());
        look.list.SetColor(gdi::Rgb(0, 0, 0));
        look.list.SetSelColor(ui::colour::kListSelection);
        look.list.SetAlignement(look.alignment);
        look.list.SetAbstand(S(look.abstand));
        look.list.SetAlternative(false);
        look.list.SetEnabled(look.clickable);
    }
    // The dash of a test without results has no digits and keeps the
    // normal colour.
    m_punkteList->SetAlternative(true);
    m_punkteList->SetThreshold(kScoreThreshold);
    m_punkteList->SetAlternativeColor(ui::colour::kScoreWeak);
    m_testList->SetSorted(true);
    m_programmList->SetSorted(true);
}

TRegler& TMenu::MakeThumb(const char* picture)
{
    auto& thumb = Create<TRegler>();
    thumb.SetName(picture);
    thumb.SetPicture(ui::LoadResourceBitmap(picture));
    thumb.SetSize(thumb.Picture().Width(), thumb.Picture().Height());
    thumb.track = [this, &thumb] { return ThumbTrack{m_menueMitte->Top(), m_menueMitte->Height(), thumb.Height()}; };
    return thumb;
}

MenuLists TMenu::Lists()
{
    return MenuLists{*m_testList, *m_dauerList, *m_punkteList, *m_programmList, m_selection};
}

void TMenu::ShowSelection() { kestrava::ShowSelection(Lists()); }

void TMenu::ClearSelection()
{
    m_selection.Clear();
    ShowSelection();
}

void TMenu::SetHandCursor(const std::shared_ptr<app::Cursor>& hand)
{
    for (app::Control* c : std::initializer_list<app::Control*>{m_testList, m_programmList, m_regler1, m_regler2,
                                                                 m_goButton, m_frageButton, m_settingsButton,
                                                                 m_detailButton, m_loadButton, m_exitButton})
        c->SetCursor(hand);
}

void TMenu::Layout(int32_t W, int32_t H)
{
    SetBounds(0, 0, W, H);

    // The frame follows the panel's edges (the design's pixels at the
    // user-interface scale, from the edge they keep to).
    const int32_t l = S(23), t = S(52), r = W - S(204), u = H - S(27);
    const gdi::Rect places[9] = {
        {0, 0, l, t},          {l, 0, r, t},          {r, 0, W, t},
        {0, u, l, H},          {r, u, W, H},          {l, u, r, H},
        {0, t, l, u},          {r, t, W, u},          {l, t, r, u}};
    for (int i = 0; i < 9; ++i)
        m_frame[i]->SetBounds(places[i].left, places[i].top, places[i].Width(), places[i].Height());

    // The menu column, in the middle.
    const int32_t columnLeft = (Width() - S(635)) / 2;
    const int32_t mitteHeight = std::min(Height() - S(455), S(300));
    const int32_t obenTop = (H - S(55) - mitteHeight - S(130)) / 2;
    m_menueOben->SetBounds(columnLeft, obenTop, S(635), S(55));
    m_menueMitte->SetBounds(columnLeft, obenTop + S(55), S(635), mitteHeight);
    m_menueUnten->SetBounds(columnLeft, obenTop + S(55) + mitteHeight, S(635), S(130));

    const int32_t listTop = m_menueMitte->Top() + S(9);
    const int32_t listHeight = mitteHeight - S(20);
    m_testList->SetBounds(columnLeft + S(10), listTop, m_testList->Width(), listHeight);
    m_dauerList->SetBounds(columnLeft + S(258), listTop, m_dauerList->Width(), listHeight);
    m_punkteList->SetBounds(columnLeft + S(320), listTop, m_punkteList->Width(), listHeight);
    m_programmList->SetBounds(columnLeft + S(396), listTop, m_programmList->Width(), listHeight);

    m_regler1->SetPosition(columnLeft + S(364), m_menueMitte->Top());
    m_regler2->SetPosition(columnLeft + S(610), m_menueMitte->Top());
    m_regler1->drag.Reset();
    m_regler2->drag.Reset();
    LayoutThumbs();

    const int32_t buttonTop = m_menueUnten->Top() + S(59);
    int32_t offset = 26;
    for (ui::TThbitbtn* b : {m_goButton, m_frageButton, m_settingsButton, m_detailButton, m_loadButton, m_exitButton}) {
        b->SetPosition(columnLeft + S(offset), buttonTop);
        offset += 56;
    }
}

void TMenu::LayoutThumbs()
{
    m_regler1->SetVisible(m_testList->Max() > 0);
    m_regler2->SetVisible(m_programmList->Max() > 0);
}

void TMenu::EnableControls(bool enabled)
{
    for (app::Control* c : std::initializer_list<app::Control*>{m_testList, m_programmList, m_regler1, m_regler2,
                                                                 m_goButton, m_frageButton, m_settingsButton,
                                                                 m_detailButton, m_exitButton})
        c->SetEnabled(enabled);
}

void TMenu::Report(MenuAction action)
{
    if (OnAction)
        OnAction(action);
}

} // namespace kestrava::shell
