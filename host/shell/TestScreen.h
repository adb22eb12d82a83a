// The test screen: the black panel over the whole window with the module's
// drawing area (CallBackPanel1, 4:3, grown to the room), the test bar
// (Leiste: abort, pause, volume, save, help, the test's title in its frame
// and the clock) that shows while the mouse is over the top 50 pixels, the
// bar's volume pop-up, and the clock panel at the top right; and, above it
// on the window, the countdown and the announcement window (Window1: the
// title, "Pause", "Einen Moment bitte..."), the announcement above the
// countdown so that "Pause" over a countdown stays readable.
//
// The screen draws nothing of the module's own: a repaint of the area, and
// presses and moves the module hears, go to the owner. [ui-thread]
#pragma once

#include "host/shell/VolumeBar.h"
#include "platform/app/Controls.h"
#include "ui/CallBackPanel.h"
#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace kestrava::shell {

// The bar's buttons and its clocks.
enum class TestBarAction { Zurueck, Pause, Lautstaerke, Disk, Frage, Time };

// The label's font shrunk until its text fits the label's width, starting
// at three quarters of its height.
void FitOverlayText(app::Label& label);

class TTestScreen : public app::Panel {
public:
    // The drawing area paints under canvasLock (the module draws under it).
    explicit TTestScreen(std::mutex* canvasLock);
    // The countdown and the announcement window in the middle of a room of
    // this size; after a resize the announcement keeps its height on the
    // screen and fits its text again.
    void PlaceCountdown(int32_t roomWidth, int32_t roomHeight);
    void PlaceAnnouncement(int32_t roomWidth, int32_t roomHeight);
    void RecentreAnnouncement(int32_t roomWidth);
    // The countdown and the announcement window, made on the window above
    // everything made so far.
    void CreateOverlays(app::Control& form);

    void SetHandCursor(const std::shared_ptr<app::Cursor>& hand);
    // The area fitted, the bar and the clock placed for a window of this
    // size.
    void Layout(int32_t width, int32_t height);
    // The bar's pieces placed around the title's width.
    void LayoutLeiste();
    // The title in the bar's frame.
    void ShowTestName(const std::string& text);
    // The bar's volume pop-up closed, its button released.
    void HideVolume();

    ui::TCallBackPanel& CallBackPanel1() { return *m_callBack; }
    app::Panel& Leiste() { return *m_leiste; }
    ui::TThbitbtn& Zurueck() { return *m_zurueck; }
    ui::TThbitbtn& Pause() { return *m_pause; }
    ui::TThbitbtn& Lautstaerke() { return *m_lautstaerke; }
    ui::TThbitbtn& Disk() { return *m_disk; }
    ui::TThbitbtn& Frage() { return *m_frage; }
    app::Label& Time() { return *m_time; }
    app::Label& TestName() { return *m_testName; }
    app::Panel& UhrPanel() { return *m_uhrPanel; }
    app::Label& TimeTwo() { return *m_timeTwo; }
    TVolumeBar& VolumePanel() { return *m_volumePanel; }
    app::Image& Regler() { return m_volumePanel->Thumb(); }
    ui::TWindow& CountDownPanel() { return *m_countDownPanel; }
    app::Label& CountDownLabel() { return *m_countDownLabel; }
    ui::TWindow& Window1() { return *m_window1; }
    app::Label& Testeinblendung() { return *m_testeinblendung; }

    // A button of the bar or a clock was clicked.
    std::function<void(TestBarAction)> OnAction;
    // A press or release the module hears: on the area, or on the bar in
    // the pressed control's own coordinates (MSG_MOUSEDOWN, MSG_MOUSEUP).
    std::function<void(uint32_t code, app::MouseButton button, int32_t x, int32_t y)> OnModuleMouse;
    // The mouse moved over the area.
    std::function<void(int32_t x, int32_t y)> OnAreaMouseMove;
    // The area is to be painted by the module.
    std::function<void()> OnAreaPaint;

private:
    void Report(TestBarAction action);
    void ModuleMouse(uint32_t code, app::MouseButton button, int32_t x, int32_t y);
    // The bar shows while the mouse is over the top 50 pixels.
    void BarFollowsMouse(int32_t y);

    ui::TCallBackPanel* m_callBack = nullptr;
    app::Panel* m_leiste = nullptr;
    app::Image* m_leisteLinks = nullptr;
    app::Image* m_leisteMitte = nullptr;
    app::Image* m_leisteRechts = nullptr;
    app::Image* m_nameLinks = nullptr;
    app::Image* m_nameMitte = nullptr;
    app::Image* m_nameRechts = nullptr;
    ui::TThbitbtn* m_zurueck = nullptr;
    ui::TThbitbtn* m_pause = nullptr;
    ui::TThbitbtn* m_lautstaerke = nullptr;
    ui::TThbitbtn* m_disk = nullptr;
    ui::TThbitbtn* m_frage = nullptr;
    app::Label* m_time = nullptr;
    app::Label* m_testName = nullptr;
    app::Panel* m_uhrPanel = nullptr;
    app::Label* m_timeTwo = nullptr;
    TVolumeBar* m_volumePanel = nullptr;
    ui::TWindow* m_countDownPanel = nullptr;
    app::Label* m_countDownLabel = nullptr;
    ui::TWindow* m_window1 = nullptr;
    app::Label* m_testeinblendung = nullptr;
};

} // namespace kestrava::shell
