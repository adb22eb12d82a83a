// The main window: every screen of the program as one tree of controls on
// the full-screen form (menu, test screen, dialogs, credits), the start-up
// with its splash, the layout for any screen of at least 800 x 600, and the
// runner that carries a run from the start button to the end screen.
//
// Everything here runs on the user-interface thread except Timer1Timer,
// the tick handler, which runs on the tick thread of the tick timer. What it
// changes on screen is posted to the user-interface thread in the order the
// tick produces it; the counters it shares (TickCount, MouseTick, Blocked,
// the joystick fields) are atomics.
#pragma once

#include "audio/PlayAudio.h"
#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/core/DTimer.h"
#include "host/core/DXInput.h"
#include "host/core/ModuleHost.h"
#include "host/core/TestCanvas.h"
#include "host/shell/Abspann.h"
#include "host/shell/Ende.h"
#include "host/shell/Hilfe.h"
#include "host/shell/JaNein.h"
#include "host/shell/Menu.h"
#include "host/shell/Preferences.h"
#include "host/shell/Regler.h"
#include "host/shell/ResultWatch.h"
#include "host/shell/Runner.h"
#include "host/shell/Settings.h"
#include "host/shell/Splash.h"
#include "host/shell/TestScreen.h"
#include "host/shell/VolumeBar.h"
#include "host/shell/Zeiteinstellung.h"
#include "platform/app/Application.h"
#include "platform/app/Controls.h"
#include "platform/video/VideoPanel.h"
#include "ui/CallBackPanel.h"
#include "ui/MyCustomListBox.h"
#include "ui/Window.h"
#include "ui/dhbitbtn.h"
#include "ui/hbitbtn.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kestrava::shell {

class TAuswertung;
class TMeldung;

class THaupt {
public:
    struct Options {
        std::string programDir;     // ends with '/'
        std::string programPath;    // for the preferences file's name
        uint64_t randomSeed = 0;    // 0: from the clock
        bool splashPauses = true;   // the 300 ms pauses and the 5 s minimum
        // Makes a sound device (the program's player, and a second one for
        // button sounds when one first plays). Not set, or returning null:
        // the program runs silent.
        std::function<std::unique_ptr<app::WaveOutDevice>()> makeWaveOut;
        // Why a test's record did not arrive; not set: a look at the file
        // and its folder (ProbeResultTrouble).
        ResultTroubleProbe probeResultTrouble;
    };

    THaupt(app::Application& app, Options options);
    ~THaupt();
    THaupt(const THaupt&) = delete;
    THaupt& operator=(const THaupt&) = delete;

    // The program entry's work: shows the splash and runs FormCreate step
    // by step on the event loop. False when the program must end at once
    // (screen below the minimum, a resource missing); the reason went to
    // the user in a message box.
    bool Start();
    bool Created() const { return m_created; }
    // Ends the program when the close is permitted (FormCloseQuery); then
    // FormDestroy runs and the loop quits.
    void Close();
    bool Destroyed() const { return m_destroyed; }

    // ---- what tests look at
    audio::TPlayAudio* PlayAudio1() { return m_playAudio1.get(); }
    const TestCatalogue& Catalogue() const { return m_tests; }
    const RunPlan& Run() const { return m_run; }
    ModuleHost& Host() { return m_host; }
    int32_t TickCount() const { return m_runner.tickCount.load(); }
    bool TicksRunning() const { return m_timer1.Enabled(); }
    bool InGap() const { return m_runner.In(RunPhase::Gap); }
    RunPhase Phase() const { return m_runner.Phase(); }
    const Preferences& Prefs() const { return m_prefs; }
    bool ClosePermitted() const { return m_closePermitted; }
    const std::string& ProgramDir() const { return m_options.programDir; }

    // A module that has not reported its end this long after its test's
    // time ran out has failed: the host ends the test itself, with no result.
    static constexpr uint32_t kOverrunMs = 5000;

    // ---- handlers, named after their component and event
    void FormResize();
    void FormActivate();
    void FormDeactivate();
    void Go();
    void OkButtonClick();
    void AbbruchButtonClick();
    void PauseClick();
    void ZurueckClick();
    void TimeClick();
    void EndeOkClick();
    void DetailButtonClick();
    void ExitButtonClick();
    void MediaPlayer1Notify();
    // The session ends the program (SIGTERM, SIGINT): a test in progress is
    // aborted without a result, the preferences are written, the program
    // ends without the credits (HauptSession.cpp).
    void FormTerminate();
    // The tick handler, on the tick thread; a tick that finds the timer off
    // does nothing at all.
    void Timer1Timer();
    // settings, volume and help (HauptSettings.cpp)
    void DoSettings();
    void OkClick();
    void UhrClick(bool clockOn);
    void ResetClick();
    void LautstaerkeClick();
    void FrageButtonClick();
    void FrageClick();
    void HilfeOkClick();
    // suspend and resume (HauptSuspend.cpp)
    void DiskClick();
    void LoadButtonClick();
    // Tells the user in the program's own message window (HauptDialogs.cpp);
    // a message that comes while one is shown waits its turn. A test that
    // is running is paused first, and what lies behind the window takes no
    // input until the last message is closed.
    void ShowFailure(const std::string& text);

private:
    // start-up
    void BuildControls();
    void BuildMenu();
    void BuildTestScreen();
    void BuildDialogs();
    void LoadArtwork();
    void CreateStep(int step);
    void After(uint32_t ms, int nextStep);
    bool ScreenTooSmall() const;
    void ShowScreenMessage();
    void FormShow();
    void FormDestroy();
    void ApplyClockFlag();
    void PlaceVolumeThumb();
    // settings, volume and help (HauptSettings.cpp)
    void BuildSettingsAndHelp();
    void SetDialogCursors();
    void SetVolume(uint16_t volume);
    void HideSettingsVolume();
    void ResetAnswered(bool yes);
    HelpIndex HelpIndexLines() const;
    void HelpKey();
    // suspend and resume (HauptSuspend.cpp)
    std::string SuspendFilePath() const;
    bool CanSave() const;
    void UpdateSuspendButtons();
    void ShowTestName(const std::string& text);
    void EndSavedNotice();
    void RefuseLoad(const std::string& reason, int errorNumber = 0);

    // menu
    void RefreshTestList();
    void EnableMenuControls(bool enabled);
    void LayoutThumbs();
    // The screen lays itself out for the main window's size.
    template <class Screen>
    void PlaceInRoom(Screen& screen)
    {
        screen.Place(m_app.MainForm().Width(), m_app.MainForm().Height());
    }
    void ShowBusy(bool busy);

    // runner
    void BeginTest(const std::string& modulePath);
    void StartTest();
    void Timer2Timer();
    void Timer3Timer();
    void GapEnded();
    void TestEnded();       // tick thread, inside the module's MSG_TICK
    // a failing module (HauptFault.cpp)
    void ModuleFailed(); // thread of the message that threw, canvas lock held
    void ReportModuleFault();
    void TestOverran(); // tick thread
    // Ends the running test and its run, back to the menu; false when no
    // test screen was showing.
    bool AbandonTest();
    void PlaceMeldung();
    void HoldBehindMeldung();
    void MeldungClosed();
    void StopTest();
    void StartTicks();
    void StopTicks();
    void HaltTicks();
    bool TestRunning() const;
    std::string WatchText(int32_t tickCount) const;
    void SetWatch();
    void PauseTest();
    void ResumeTest();

    // sound (HauptSound.cpp)
    void StartSound();
    void SoundPaused(bool paused);
    void ReleaseSounds();
    void StopSound();
    void PlayAudio1Terminate(uint8_t slot);
    void PlayButtonSound(const std::string& file);
    void KeyDownMessage(uint32_t key);
    void KeyUpMessage(uint32_t key);
    void KeyPressMessage(uint8_t ch);
    void SetKeyDown(uint32_t key, uint8_t value);
    void SetJoystickField(int32_t TTestStatus::*field, int32_t value);
    void ClearJoystickField(int32_t TTestStatus::*field, int32_t value);
    void MouseMessage(uint32_t code, app::MouseButton button, int32_t x, int32_t y);
    void CallBackPanel1MouseMove(int32_t x, int32_t y);
    void ShowLeiste(bool show);
    void PostToUi(std::function<void()> fn);
    void ShowTicksDrawn();
    void PostTickToScreens(int32_t tick); // tick thread

    // end screen, questions, credits
    void FillEndLists();
    void TellResultNotes();
    // Asks in the yes/no window; answer is called with the choice, after
    // the window has hidden.
    void Ask(const std::string& text, std::function<void(bool yes)> answer);
    void ExitAnswered(bool yes);
    void AbortAnswered(bool yes);
    void FreeRun();

    app::Application& m_app;
    Options m_options;
    UniformDraw m_draw;

    TestCanvas m_canvas;
    ModuleHost m_host;
    TestCatalogue m_tests;
    ProgramCatalogue m_programs;
    RunPlan m_run;
    TResultWatch m_resultWatch; // whether each entry's record arrived
    Preferences m_prefs;
    std::atomic<bool> m_active{true};
    std::unique_ptr<TDXInput> m_joy1;
    std::unique_ptr<TDXInput> m_joy2;
    TDTimer m_timer1;

    // The player runs from start-up to shutdown and only pauses; each
    // device outlives its player.
    std::unique_ptr<app::WaveOutDevice> m_waveOut;
    std::unique_ptr<audio::TPlayAudio> m_playAudio1;
    std::unique_ptr<app::WaveOutDevice> m_buttonWaveOut;
    std::unique_ptr<audio::TPlayAudio> m_buttonAudio;

    // runner state shared with the tick thread
    TRunner m_runner;
    std::mutex m_tickLock;                 // held for one whole tick
    bool m_holdStart = false;              // focus lost before the ticks began
    std::string m_lastWatch; // shown [user-interface thread]
    std::string m_tickWatch; // last sent to the user-interface thread [tick thread]
    bool m_lastTest = false;

    // user-interface timers
    app::EventLoop::TimerId m_timer2 = 0;
    app::EventLoop::TimerId m_timer3 = 0;
    app::EventLoop::TimerId m_cursorTimer = 0;
    app::EventLoop::TimerId m_gapTimer = 0;
    app::EventLoop::TimerId m_createTimer = 0;
    app::EventLoop::TimerId m_savedTimer = 0; // "Gespeichert" in the bar
    std::string m_testTitle;                  // the bar's title while it shows the notice
    std::string m_moduleTitle;                // the bound test's catalogue title, for messages

    // start-up and shutdown
    uint32_t m_splashCreated = 0;
    bool m_created = false;
    bool m_shown = false;
    bool m_destroyed = false;
    bool m_closePermitted = false;
    bool m_savedNumLock = false;
    std::shared_ptr<app::Cursor> m_busyCursor;
    std::shared_ptr<app::Cursor> m_handCursor;
    std::shared_ptr<app::Cursor> m_noCursor;
    std::shared_ptr<app::Cursor> m_arrowCursor;

    // the controls (owned by the form's tree)
    TSplashScreen* m_splash = nullptr;
    TMenu* m_menue = nullptr;

    TTestScreen* m_test = nullptr;
    ui::TWindow* m_countDownPanel = nullptr;
    app::Label* m_countDownLabel = nullptr;

    TZeiteinstellung* m_zeit = nullptr;
    // The draws OK will use, and the time dialog's real total with them.
    uint64_t m_runSeed = 0;

    TEnde* m_ende = nullptr;

    TAuswertung* m_auswertung = nullptr;

    TJaNein* m_jaNein = nullptr;

    TMeldung* m_meldung = nullptr;
    // What the open message window disabled, and where the focus was.
    std::vector<app::Control*> m_heldByMeldung;
    app::Control* m_focusBeforeMeldung = nullptr;

    TSettings* m_settings = nullptr;
    THilfe* m_hilfe = nullptr;

    TAbspann* m_abspann = nullptr;
};

} // namespace kestrava::shell
