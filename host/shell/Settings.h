// The settings window: a skinned dialog (background "SETTINGS", 233 x 340)
// with the buttons JoyStick (game controllers), Laut (the volume pop-up),
// the clock switch Uhr, Reset (delete all results) and Ok, and the volume
// pop-up SettingLautPanel at (84, 155).
//
// The window only reports what the user did; the main window keeps the
// preferences, asks the reset question and closes the window (OnOk).
// [ui-thread]
#pragma once

#include "host/shell/VolumeBar.h"
#include "ui/Window.h"
#include "ui/dhbitbtn.h"
#include "ui/hbitbtn.h"

#include <functional>
#include <memory>

namespace kestrava::shell {

class TSettings : public ui::TBackWindow {
public:
    TSettings();
    // The bottom-left corner on the centre of the settings button (its
    // place on the screen).
    void Place(const gdi::Rect& button);

    void SetHandCursor(const std::shared_ptr<app::Cursor>& hand);
    // Hides the volume pop-up (a press anywhere else in the window, on the
    // menu's background or its thumbs).
    void HideVolume();

    ui::TThbitbtn& JoyStick() { return *m_joyStick; }
    ui::TThbitbtn& Laut() { return *m_laut; }
    ui::TDHBITBTN& Uhr() { return *m_uhr; }
    ui::TThbitbtn& Reset() { return *m_reset; }
    ui::TThbitbtn& Ok() { return *m_ok; }
    TVolumeBar& SettingLautPanel() { return *m_lautPanel; }

    // Ok, or Enter, Escape or space typed in the window.
    std::function<void()> OnOk;
    std::function<void()> OnJoyStick;
    // The clock switch was clicked; its Pressed() is the new state.
    std::function<void(bool clockOn)> OnUhr;
    std::function<void()> OnReset;

private:
    void LautClick();

    ui::TThbitbtn* m_joyStick = nullptr;
    ui::TThbitbtn* m_laut = nullptr;
    ui::TDHBITBTN* m_uhr = nullptr;
    ui::TThbitbtn* m_reset = nullptr;
    ui::TThbitbtn* m_ok = nullptr;
    TVolumeBar* m_lautPanel = nullptr;
};

} // namespace kestrava::shell
