#include "host/shell/Settings.h"

#include "host/shell/DialogParts.h"

namespace kestrava::shell {

TSettings::TSettings()
{
    SetName("Settings");
    LoadBackground("SETTINGS");
    SetSize(S(233), S(340));
    SetTabStop(true);

    m_joyStick = &MakeButton<ui::TThbitbtn>(*this, "JoyStick", 16, 48);
    m_laut = &MakeButton<ui::TThbitbtn>(*this, "Laut", 16, 110);
    m_uhr = &MakeButton<ui::TDHBITBTN>(*this, "Uhr", 16, 172);
    m_uhr->SetSchalter(true);
    m_reset = &MakeButton<ui::TThbitbtn>(*this, "Reset", 16, 236);
    m_ok = &MakeButton<ui::TThbitbtn>(*this, "Ok", 78, 291);
    m_joyStick->SetHint("Joystick einrichten");
    m_laut->SetHint("Lautstärke");
    m_uhr->SetHint("Uhr anzeigen");
    m_reset->SetHint("Ergebnisse löschen");

    m_lautPanel = &Create<TVolumeBar>("Image9", "Regler3");
    m_lautPanel->SetPosition(S(84), S(155));
    m_lautPanel->Hide();
    m_lautPanel->SetTabStop(true);

    // A press on any button or on the window's face closes the pop-up; the
    // press on Laut too, so that its click always ends with it shown.
    const auto hide = [this](app::MouseButton, int32_t, int32_t, app::Modifiers) { HideVolume(); };
    for (app::Control* c : std::initializer_list<app::Control*>{this, m_joyStick, m_laut, m_uhr, m_reset, m_ok})
        c->OnMouseDown = hide;

    m_joyStick->OnClick = [this] {
        if (OnJoyStick)
            OnJoyStick();
    };
    m_laut->OnClick = [this] { LautClick(); };
    m_uhr->OnClick = [this] {
        if (OnUhr)
            OnUhr(m_uhr->Pressed());
    };
    m_reset->OnClick = [this] {
        if (OnReset)
            OnReset();
    };
    CloseThroughOk(*this, *m_ok, OnOk);
    // The focus opens on Ok; the volume bar takes its place after Laut
    // while it shows.
    SetFocusScope(true);
    defaultFocus = m_ok;
    tabOrder = [this] {
        return std::vector<app::Control*>{m_joyStick, m_laut, m_lautPanel, m_uhr, m_reset, m_ok};
    };
}

void TSettings::SetHandCursor(const std::shared_ptr<app::Cursor>& hand)
{
    for (app::Control* c : std::initializer_list<app::Control*>{m_joyStick, m_laut, m_uhr, m_reset, m_ok,
                                                                 &m_lautPanel->Thumb()})
        c->SetCursor(hand);
}

void TSettings::HideVolume()
{
    if (m_lautPanel->Visible())
        m_lautPanel->Hide();
}

void TSettings::LautClick()
{
    m_lautPanel->StopDragging();
    m_lautPanel->SetVisible(!m_lautPanel->Visible());
}

void TSettings::Place(const gdi::Rect& button)
{
    SetPosition(button.left + button.Width() / 2, button.top + button.Height() / 2 - Height());
}

} // namespace kestrava::shell
