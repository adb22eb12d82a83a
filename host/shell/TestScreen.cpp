#include "host/shell/TestScreen.h"

#include "host/shell/DialogParts.h"
#include "host/shell/TestArea.h"
#include "platform/gdi/Text.h"
#include "protocol/MyMessages.h"

#include <algorithm>

namespace kestrava::shell {

void FitOverlayText(app::Label& label)
{
    gdi::Font font = label.Font();
    font.height = label.Height() * 3 / 4;
    while (font.height > 1 && gdi::MeasureText(font, label.Text()).cx > label.Width())
        --font.height;
    label.SetFont(font);
}

TTestScreen::TTestScreen(std::mutex* canvasLock)
{
    SetName("TestPanel");
    SetColor(gdi::Rgb(0, 0, 0));
    OnMouseMove = [this](int32_t, int32_t y, app::Modifiers) { BarFollowsMouse(y); };

    m_callBack = &Create<ui::TCallBackPanel>(canvasLock);
    m_callBack->SetBounds(0, 50, 672, 504);
    m_callBack->OnPaint = [this](ui::TCallBackPanel&) {
        if (OnAreaPaint)
            OnAreaPaint();
    };
    m_callBack->OnMouseDown = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
        if (m_volumePanel->Visible())
            HideVolume();
        ModuleMouse(MSG_MOUSEDOWN, button, x, y);
    };
    m_callBack->OnMouseUp = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
        ModuleMouse(MSG_MOUSEUP, button, x, y);
    };
    m_callBack->OnMouseMove = [this](int32_t x, int32_t y, app::Modifiers) {
        if (OnAreaMouseMove)
            OnAreaMouseMove(x, y);
    };

    // The test bar: buttons on a flat surface, the title in its frame and
    // the clock at the right end.
    m_leiste = &Create<app::Panel>();
    m_leiste->SetColor(kMenuColour);
    m_leiste->SetBounds(0, 0, 800, 50);
    m_leisteLinks = &MakeImage(*m_leiste, "LeisteLinks");
    m_leisteMitte = &MakeImage(*m_leiste, "LeisteMitte", true);
    m_nameLinks = &MakeImage(*m_leiste, "NameLinks");
    m_nameMitte = &MakeImage(*m_leiste, "NameMitte", true);
    m_nameRechts = &MakeImage(*m_leiste, "NameRechts");
    m_leisteRechts = &MakeImage(*m_leiste, "LeisteRechts");
    m_zurueck = &MakeButton<ui::TThbitbtn>(*m_leiste, "Zurueck", 8, 5);
    m_pause = &MakeButton<ui::TThbitbtn>(*m_leiste, "Pause", 54, 5);
    m_lautstaerke = &MakeButton<ui::TThbitbtn>(*m_leiste, "Lautstaerke", 100, 5);
    m_disk = &MakeButton<ui::TThbitbtn>(*m_leiste, "Disk", 292, 5);
    m_frage = &MakeButton<ui::TThbitbtn>(*m_leiste, "Frage", 338, 5);
    m_zurueck->SetHint("Test abbrechen");
    m_pause->SetHint("Pause");
    m_lautstaerke->SetHint("Lautstärke ändern");
    m_disk->SetHint("Testprogramm speichern");
    m_frage->SetHint("Hilfe zum Test");
    m_lautstaerke->SetSchalter(true);
    m_frage->SetSchalter(true);
    m_zurueck->OnClick = [this] { Report(TestBarAction::Zurueck); };
    m_pause->OnClick = [this] { Report(TestBarAction::Pause); };
    m_lautstaerke->OnClick = [this] { Report(TestBarAction::Lautstaerke); };
    m_disk->OnClick = [this] { Report(TestBarAction::Disk); };
    m_frage->OnClick = [this] { Report(TestBarAction::Frage); };
    m_testName = &MakeLabel(*m_leiste, Arial(18, kWhite, true), app::Alignment::Center);
    m_testName->SetAutoSize(true);
    m_time = &MakeLabel(*m_leiste, Arial(20, kWhite, true), app::Alignment::Center);
    m_time->SetText("00:00:00");
    m_time->OnClick = [this] { Report(TestBarAction::Time); };
    for (app::Control* c : std::initializer_list<app::Control*>{m_leiste, m_zurueck, m_pause, m_disk, m_frage,
                                                                 m_time, m_testName})
        c->OnMouseDown = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
            if (m_volumePanel->Visible() && !m_lautstaerke->Hovered())
                HideVolume();
            // The module hears a press on the bar too, in the pressed
            // control's own coordinates.
            ModuleMouse(MSG_MOUSEDOWN, button, x, y);
        };

    m_volumePanel = &Create<TVolumeBar>("VolumeBack", "Regler");
    m_volumePanel->SetPosition(153, 24);
    m_volumePanel->Hide();

    m_callBack->SetName("CallBackPanel1");
    m_leiste->SetName("Leiste");
    m_testName->SetName("TestName");
    m_time->SetName("Time");
    m_volumePanel->SetName("VolumePanel");
    m_volumePanel->Thumb().SetName("Regler");
    m_uhrPanel = &Create<app::Panel>();
    m_uhrPanel->SetName("UhrPanel");
    m_uhrPanel->SetBounds(0, 0, 115, 50);
    {
        auto& face = MakeImage(*m_uhrPanel, "UhrPanel");
        face.SetPosition(0, 0);
        face.OnMouseMove = [this](int32_t, int32_t y, app::Modifiers) { BarFollowsMouse(y); };
    }
    m_timeTwo = &MakeLabel(*m_uhrPanel, Arial(20, kWhite, true), app::Alignment::Center);
    m_timeTwo->SetBounds(10, 8, 97, 34);
    m_timeTwo->SetText("00:00:00");
    m_timeTwo->SetName("TimeTwo");
    m_timeTwo->OnClick = [this] { Report(TestBarAction::Time); };
}

void TTestScreen::CreateOverlays(app::Control& form)
{
    // The countdown and, above it, the announcement window.
    m_countDownPanel = &form.Create<ui::TWindow>();
    m_countDownPanel->Hide();
    m_countDownPanel->LoadSkin("P");
    m_countDownPanel->SetSize(145, 145);
    m_countDownLabel = &MakeLabel(*m_countDownPanel, Arial(95, kWhite, false, "Arial Black"), app::Alignment::Center);
    m_countDownLabel->SetBounds(0, 0, 145, 145);
    m_window1 = &form.Create<ui::TWindow>();
    m_window1->Hide();
    m_window1->LoadSkin("P");
    m_window1->SetSize(427, 73);
    m_testeinblendung = &MakeLabel(*m_window1, Arial(54, kWhite, false, "Arial Black"), app::Alignment::Center);
    m_testeinblendung->SetBounds(12, 8, 403, 57);
    m_countDownPanel->SetName("CountDownPanel");
    m_countDownLabel->SetName("CountDownLabel");
    m_window1->SetName("Window1");
    m_testeinblendung->SetName("Testeinblendung");
}

void TTestScreen::SetHandCursor(const std::shared_ptr<app::Cursor>& hand)
{
    for (app::Control* c : std::initializer_list<app::Control*>{m_zurueck, m_pause, m_lautstaerke, m_disk, m_frage,
                                                                 m_time, m_timeTwo})
        c->SetCursor(hand);
    m_volumePanel->Thumb().SetCursor(hand);
}

void TTestScreen::Layout(int32_t width, int32_t height)
{
    SetBounds(0, 0, width, height);
    // The test area grows in 4:3 steps until it first exceeds the room.
    const AreaSize area = FitTestArea({m_callBack->Width(), m_callBack->Height()}, width, height);
    m_callBack->SetBounds((width - area.width) / 2, 50, area.width, area.height);
    LayoutLeiste();
    m_uhrPanel->SetPosition(width - m_uhrPanel->Width(), 0);
}

void TTestScreen::LayoutLeiste()
{
    const int32_t W = Width();
    m_leiste->SetBounds(0, 0, W, 50);
    m_leisteLinks->SetPosition(0, 0);
    m_leisteRechts->SetPosition(W - m_leisteRechts->Width(), 0);
    m_time->SetBounds(m_leisteRechts->Left() + 10, 8, 97, 34);
    // The title frame ends where the clock begins; the label sits inside
    // the frame's stretched middle.
    m_nameRechts->SetPosition(m_leisteRechts->Left() - m_nameRechts->Width(), 0);
    const int32_t nameWidth = m_testName->Width();
    m_testName->SetBounds(m_nameRechts->Left() - nameWidth, 8, nameWidth, 34);
    m_nameMitte->SetBounds(m_testName->Left(), 0, nameWidth, 50);
    m_nameLinks->SetPosition(m_nameMitte->Left() - m_nameLinks->Width(), 0);
    const int32_t mitteLeft = m_leisteLinks->Width();
    m_leisteMitte->SetBounds(mitteLeft, 0, std::max(0, m_nameLinks->Left() - mitteLeft), 50);
}

void TTestScreen::ShowTestName(const std::string& text)
{
    m_testName->SetText("  " + text + "  ");
    LayoutLeiste();
}

void TTestScreen::HideVolume()
{
    m_volumePanel->Hide();
    m_lautstaerke->SetPressed(false);
}

void TTestScreen::BarFollowsMouse(int32_t y)
{
    if (y < 50) {
        if (m_leiste->Enabled() && !m_leiste->Visible() && Enabled())
            m_leiste->Show();
    } else if (m_leiste->Visible()) {
        if (m_volumePanel->Visible()) {
            m_lautstaerke->SetPressed(false);
            m_volumePanel->Hide();
        }
        m_leiste->Hide();
    }
}

void TTestScreen::Report(TestBarAction action)
{
    if (OnAction)
        OnAction(action);
}

void TTestScreen::ModuleMouse(uint32_t code, app::MouseButton button, int32_t x, int32_t y)
{
    if (OnModuleMouse)
        OnModuleMouse(code, button, x, y);
}

void TTestScreen::PlaceCountdown(int32_t roomWidth, int32_t roomHeight)
{
    PlaceCentred(*m_countDownPanel, roomWidth, roomHeight);
}

void TTestScreen::PlaceAnnouncement(int32_t roomWidth, int32_t roomHeight)
{
    PlaceCentred(*m_window1, roomWidth, roomHeight);
}

void TTestScreen::RecentreAnnouncement(int32_t roomWidth)
{
    m_window1->SetPosition((roomWidth - m_window1->Width()) / 2, m_window1->Top());
    FitOverlayText(*m_testeinblendung);
}

} // namespace kestrava::shell
