// The time dialog: a skinned dialog (background "ZEIT", 227 x 158) with the
// fields Stunden and Minuten, the line under them that shows the real total
// where the tests' limits change what was entered, and the buttons OK and
// Abbrechen. The fields take digits only; Tab moves between them, leaving
// the minutes corrects them; Enter confirms and Escape cancels.
//
// The window only reports: the owner fills it, places and shows it, and
// acts on OnClose. [ui-thread]
#pragma once

#include "platform/app/Controls.h"
#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include <functional>
#include <memory>
#include <string>

namespace kestrava {

// What a key typed in the dialog does: Enter confirms, Escape cancels.
enum class TimeDialogKey { None, Confirm, Cancel };
inline TimeDialogKey TimeDialogKeyAction(uint32_t character)
{
    if (character == 13)
        return TimeDialogKey::Confirm;
    if (character == 27)
        return TimeDialogKey::Cancel;
    return TimeDialogKey::None;
}

} // namespace kestrava

namespace kestrava::shell {

class TZeiteinstellung : public ui::TBackWindow {
public:
    TZeiteinstellung();
    // In the middle of a room of this size (the main window).
    void Place(int32_t roomWidth, int32_t roomHeight);

    void SetHandCursor(const std::shared_ptr<app::Cursor>& hand);
    // The proposal in the two fields.
    void Fill(const std::string& hours, const std::string& minutes);
    // The focus in the hours field, its text selected.
    void FocusHours();
    // The total the fields stand for, in ms; an empty field becomes "0".
    int32_t ConfirmedTotal();

    app::Edit& Stunden() { return *m_stunden; }
    app::Edit& Minuten() { return *m_minuten; }
    ui::TThbitbtn& OkButton() { return *m_ok; }
    ui::TThbitbtn& AbbruchButton() { return *m_abbruch; }
    app::Label& DauerHinweis() { return *m_hinweis; }

    // The line under the fields for the total they stand for (ms); empty
    // where the run takes what was entered.
    std::function<std::string(int32_t totalMs)> RealTotal;
    // OK (true) or Abbrechen (false), by button or key; the window is still
    // shown.
    std::function<void(bool ok)> OnClose;

private:
    app::Edit& MakeField(int32_t left);
    void Changed();
    void Close(bool ok);

    app::Label* m_hinweis = nullptr;
    app::Edit* m_stunden = nullptr;
    app::Edit* m_minuten = nullptr;
    ui::TThbitbtn* m_ok = nullptr;
    ui::TThbitbtn* m_abbruch = nullptr;
};

} // namespace kestrava::shell
