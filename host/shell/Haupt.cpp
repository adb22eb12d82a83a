// The main window: building the screens, the start-up, the layout,
// activation and shutdown.
#include "host/shell/Haupt.h"

#include "host/core/DLLImport.h"
#include "host/shell/Auswertung.h"
#include "host/shell/DialogParts.h"
#include "host/shell/Meldung.h"
#include "host/shell/TestArea.h"
#include "platform/gdi/Canvas.h"
#include "ui/Colours.h"
#include "ui/Focus.h"
#include "ui/Resources.h"
#include "ui/UiScale.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>

namespace kestrava::shell {

// ------------------------------------------------------------------ THaupt

THaupt::THaupt(app::Application& app, Options options)
    : m_app(app), m_options(std::move(options)), m_host(m_canvas), m_timer1(app.GetClock(), [this](std::function<void()> fn) {
          PostToUi(std::move(fn));
      })
{
    const uint64_t seed = m_options.randomSeed != 0
                              ? m_options.randomSeed
                              : uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    m_draw = MakeSeededDraw(seed);
    // The tick timer runs only while a test does.
    m_timer1.SetEnabled(false);
    m_timer1.SetInterval(10);
    m_timer1.SetOnAsyncTimer([this] { Timer1Timer(); });
    m_host.SetTestEndHandler([this] { TestEnded(); });
    m_host.SetFaultHandler([this] { ModuleFailed(); });
}

THaupt::~THaupt()
{
    // The tick handler touches members declared after the timer: its thread
    // ends before any of them goes.
    m_timer1.Shutdown();
    app::EventLoop& loop = m_app.Loop();
    for (auto id : {m_timer2, m_timer3, m_cursorTimer, m_gapTimer, m_createTimer, m_savedTimer})
        loop.KillTimer(id);
    if (!m_destroyed && m_created)
        FormDestroy();
    // The scale was this program's: screens made afterwards start at 1.
    ui::SetUiScale(1.0);
}

void THaupt::PostToUi(std::function<void()> fn) { m_app.Loop().Post(std::move(fn)); }

bool THaupt::ScreenTooSmall() const
{
    app::Backend& b = m_app.GetBackend();
    return b.BitsPerPixel() < 16 || b.ScreenWidth() < 800 || b.ScreenHeight() < 600;
}

void THaupt::ShowScreenMessage()
{
    m_app.GetBackend().MessageBox("Der Kestrava",
                                  "Diese Auflösung wird nicht unterstützt!\n\nMindestanforderung:\n800x600 bei 16Bit!");
}

bool THaupt::Start()
{
    app::Form& form = m_app.MainForm();
    form.color = gdi::Rgb(0, 0, 0);
    form.keyPreview = true;
    ui::SetResourceFolder(m_options.programDir + "skin/");
    // The user-interface scale, before the first picture is read: the
    // pictures are looked up at it.
    ui::SetUiScale(ui::ChooseUiScale(m_app.ScreenWidth(), m_app.ScreenHeight(), m_options.desktopScale));
    m_app.SetUiScale(ui::UiScale());
    m_app.SetFocusPainter(ui::PaintFocusFrame);

    // The program entry: the splash first, painted at once.
    try {
        m_splash = &form.Create<TSplashScreen>();
        m_splash->FormCreate(ui::LoadResourceBitmap("SPLASH"), m_app.GetClock().NowMs());
    } catch (const ui::EResNotFound& e) {
        std::cerr << "velomar: " << e.what() << " (" << e.Detail() << ")\n";
        m_app.GetBackend().MessageBox("Der Kestrava", e.what());
        return false;
    }
    m_splash->SetName("Splash");
    m_splashCreated = m_splash->CreatedMs();
    m_splash->SetPosition((m_app.ScreenWidth() - m_splash->Width()) / 2,
                          (m_app.ScreenHeight() - m_splash->Height()) / 2);
    m_app.Update();

    // FormCreate, step 1: the screen check.
    if (ScreenTooSmall()) {
        m_splash->Hide();
        m_app.Update();
        ShowScreenMessage();
        return false;
    }
    try {
        BuildControls();
    } catch (const ui::EResNotFound& e) {
        std::cerr << "velomar: " << e.what() << " (" << e.Detail() << ")\n";
        m_splash->Hide();
        m_app.Update();
        m_app.GetBackend().MessageBox("Der Kestrava", e.what());
        return false;
    }
    m_splash->BringToFront();
    CreateStep(2);
    return true;
}

void THaupt::After(uint32_t ms, int nextStep)
{
    if (!m_options.splashPauses || ms == 0) {
        CreateStep(nextStep);
        return;
    }
    m_createTimer = m_app.Loop().SetTimer(ms, false, [this, nextStep] {
        m_createTimer = 0;
        CreateStep(nextStep);
    });
}

// FormCreate, one step at a time: the pauses let the splash show its
// progress while the loop keeps running.
void THaupt::CreateStep(int step)
{
    app::Backend& backend = m_app.GetBackend();
    switch (step) {
    case 2: {
        auto reader = [&backend](int32_t n) { return backend.ReadJoystick(n); };
        m_joy1 = std::make_unique<TDXInput>(reader, m_active);
        m_joy2 = std::make_unique<TDXInput>(reader, m_active);
        m_joy2->ID = 1;
        m_joy1->Initialise();
        m_joy2->Initialise();
        m_splash->Progress(0.1);
        // Cursors: the animated busy cursor, the hand for everything
        // clickable, drawn for the user-interface scale; the system's own
        // where a file yields none.
        m_busyCursor = backend.LoadCursorFile(m_options.programDir + "FLIEGE" + ui::ScaleSuffix() + ".ANI");
        if (!m_busyCursor)
            m_busyCursor = backend.LoadStandardCursor(app::StandardCursor::Wait);
        m_handCursor = backend.LoadCursorFile(m_options.programDir + "HAND" + ui::ScaleSuffix() + ".CUR");
        if (!m_handCursor)
            m_handCursor = backend.LoadStandardCursor(app::StandardCursor::Hand);
        m_arrowCursor = backend.LoadStandardCursor(app::StandardCursor::Arrow);
        m_noCursor = backend.LoadStandardCursor(app::StandardCursor::None);
        m_test->SetHandCursor(m_handCursor);
        m_auswertung->UseHandCursor(m_handCursor);
        m_menue->SetHandCursor(m_handCursor);
        m_jaNein->SetHandCursor(m_handCursor);
        m_zeit->SetHandCursor(m_handCursor);
        m_ende->SetHandCursor(m_handCursor);
        SetDialogCursors();
        ShowBusy(true);
        // Num Lock on for the keypad's digits; the old state comes back at
        // the end.
        m_savedNumLock = backend.NumLockOn();
        backend.SetNumLock(true);
        m_splash->Progress(0.05);
        // Preferences.
        m_prefs = ReadPreferences(PreferencesPath(m_options.programPath));
        // The stored volume scales the modules' sounds from the first test
        // on, not only after the user has moved a thumb.
        m_host.Sounds().SetMasterVolume(m_prefs.volume);
        m_test->Pause().SetSchalter(true);
        ApplyClockFlag();
        PlaceVolumeThumb();
        m_splash->Progress(0.05);
        After(300, 3);
        break;
    }
    case 3:
        // The skins were loaded with the controls; the progress shows them
        // as the four stages they are.
        m_splash->Progress(0.1);
        After(300, 4);
        break;
    case 4:
        m_splash->Progress(0.1);
        After(300, 5);
        break;
    case 5:
        m_splash->Progress(0.1);
        After(300, 6);
        break;
    case 6:
        m_splash->Progress(0.1);
        After(300, 7);
        break;
    case 7: {
        m_test->Leiste().Hide();
        m_menue->SetBounds(0, 0, m_app.ScreenWidth(), m_app.ScreenHeight());
        m_test->SetBounds(0, 0, m_app.ScreenWidth(), m_app.ScreenHeight());
        RefreshTestList();
        FormResize();
        // The splash stays at least 5 s in all.
        const uint32_t shown = m_app.GetClock().NowMs() - m_splashCreated;
        After(shown >= 5000 ? 0 : 5000 - shown, 8);
        break;
    }
    case 8:
        m_splash->Progress(0.1);
        After(300, 9);
        break;
    case 9:
        ShowBusy(false);
        StartSound();
        m_created = true;
        FormShow();
        break;
    default:
        break;
    }
}

void THaupt::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    if (m_splash != nullptr) {
        m_splash->SetParent(nullptr);
        m_splash = nullptr;
    }
    m_menue->Show();
    m_menue->FocusFirstLine();
    m_app.MainForm().Invalidate();
}

void THaupt::ShowBusy(bool busy) { m_app.SetOverrideCursor(busy ? m_busyCursor : nullptr); }

// ----------------------------------------------------------------- building

void THaupt::BuildControls()
{
    app::Form& form = m_app.MainForm();
    form.OnCloseQuery = [this](bool& canClose) {
        canClose = m_closePermitted;
        // The desktop's close (Alt+F4, the window manager's button) asks
        // the exit question on the menu, as its exit button does.
        if (!canClose && !m_destroyed && m_menue->Showing() && m_menue->EnabledInTree() &&
            m_menue->ExitButton().EnabledInTree())
            ExitButtonClick();
    };
    form.OnTerminate = [this] { FormTerminate(); };
    form.OnActivate = [this] { FormActivate(); };
    form.OnDeactivate = [this] { FormDeactivate(); };
    form.OnKeyDown = [this](uint32_t& key, app::Modifiers) { KeyDownMessage(key); };
    form.OnKeyUp = [this](uint32_t& key, app::Modifiers) { KeyUpMessage(key); };
    form.OnKeyPress = [this](uint8_t& ch) { KeyPressMessage(ch); };
    BuildTestScreen();
    BuildMenu();
    BuildDialogs();
}

void THaupt::BuildMenu()
{
    m_menue = &m_app.MainForm().Create<TMenu>();
    m_menue->Hide(); // until the start-up is done
    m_menue->OnAction = [this](MenuAction action) {
        switch (action) {
        case MenuAction::Go:
            Go();
            break;
        case MenuAction::Help:
            FrageButtonClick();
            break;
        case MenuAction::Settings:
            DoSettings();
            break;
        case MenuAction::Evaluation:
            DetailButtonClick();
            break;
        case MenuAction::Load:
            LoadButtonClick();
            break;
        case MenuAction::Exit:
            ExitButtonClick();
            break;
        case MenuAction::Pressed:
            HideSettingsVolume();
            break;
        }
    };
}

void THaupt::BuildTestScreen()
{
    m_test = &m_app.MainForm().Create<TTestScreen>(&m_canvas.Lock());
    m_test->Hide();
    m_test->OnAction = [this](TestBarAction action) {
        switch (action) {
        case TestBarAction::Zurueck:
            ZurueckClick();
            break;
        case TestBarAction::Pause:
            PauseClick();
            break;
        case TestBarAction::Lautstaerke:
            LautstaerkeClick();
            break;
        case TestBarAction::Disk:
            DiskClick();
            break;
        case TestBarAction::Frage:
            FrageClick();
            break;
        case TestBarAction::Time:
            TimeClick();
            break;
        }
    };
    m_test->OnModuleMouse = [this](uint32_t code, app::MouseButton button, int32_t x, int32_t y) {
        MouseMessage(code, button, x, y);
    };
    m_test->OnAreaMouseMove = [this](int32_t x, int32_t y) { CallBackPanel1MouseMove(x, y); };
    m_test->OnAreaPaint = [this] {
        m_canvas.SetDeviceContext(m_test->CallBackPanel1().DeviceContext());
        m_host.SendModuleMessage(MSG_PAINT);
    };
    m_test->CreateOverlays(m_app.MainForm());
}

void THaupt::BuildDialogs()
{
    app::Form& form = m_app.MainForm();
    BuildSettingsAndHelp();
    // The time dialog.
    m_zeit = &form.Create<TZeiteinstellung>();
    m_zeit->Hide();
    m_zeit->RealTotal = [this](int32_t total) {
        return ActualDurationText(total, PlannedProgramTime(m_run, total, MakeSeededDraw(m_runSeed)));
    };
    m_zeit->OnClose = [this](bool ok) {
        if (ok)
            OkButtonClick();
        else
            AbbruchButtonClick();
    };

    // The end-of-test screen.
    m_ende = &form.Create<TEnde>();
    m_ende->Hide();
    m_ende->OnOk = [this] { EndeOkClick(); };

    // The evaluation.
    m_auswertung = &form.Create<TAuswertung>();
    m_auswertung->Hide();
    m_auswertung->SetGraphScale(ui::UiScale());
    m_auswertung->OnClosed = [this] {
        m_menue->SetEnabled(true);
        m_menue->Invalidate();
    };

    // The yes/no window.
    m_jaNein = &form.Create<TJaNein>();
    m_jaNein->Hide();

    // The credits: black, the video in a white frame in the middle.
    m_abspann = &form.Create<TAbspann>(m_app.Loop());
    m_abspann->Hide();
    m_abspann->OnEnd = [this] { MediaPlayer1Notify(); };

    // The message window, above everything else.
    m_meldung = &form.Create<TMeldung>();
    m_meldung->Hide();
    m_meldung->OnClosed = [this] { MeldungClosed(); };
}

// -------------------------------------------------------------- the layout

void THaupt::FormResize()
{
    app::Form& form = m_app.MainForm();
    const int32_t W = form.Width();
    const int32_t H = form.Height();
    m_menue->Layout(W, H);
    m_test->Layout(W, H);
    std::atomic_ref<double>(m_host.Status().Scale).store(double(m_test->CallBackPanel1().Width()) / 800.0);

    // The test area turns black and the module rescales.
    if (m_test->CallBackPanel1().Visible()) {
        std::lock_guard<std::mutex> guard(m_test->CallBackPanel1().Lock());
        m_test->CallBackPanel1().Surface().Fill(gdi::PixelOf(gdi::Rgb(0, 0, 0)));
    }
    m_test->CallBackPanel1().Invalidate();
    m_canvas.SetDeviceContext(m_test->CallBackPanel1().DeviceContext());
    m_host.SendModuleMessage(MSG_RESIZE);

    // The credits.
    m_abspann->Layout(W, H);

    // Open windows lay themselves out again, each for the window's size
    // (the settings on the settings button). Hiding one drops the keyboard
    // focus inside it, so the control that had it gets it back.
    auto replace = [&](ui::TBackWindow& w, const std::function<void()>& place) {
        if (!w.Visible())
            return;
        app::Control* focus = m_app.FocusedControl();
        const bool inside = focus != nullptr && w.IsAncestorOf(focus);
        w.Hide();
        place();
        w.ShowComposed();
        if (inside)
            focus->SetFocus();
    };
    auto replaceInRoom = [&](auto& screen) { replace(screen, [&] { screen.Place(W, H); }); };
    // The message window goes first and comes back last, above the
    // others, so that none of them takes it into its snapshot.
    const bool meldung = m_meldung->Visible();
    m_meldung->Hide();
    replace(*m_settings, [this] { m_settings->Place(m_menue->SettingsButton().ScreenRect()); });
    replaceInRoom(*m_zeit);
    if (m_jaNein->Visible()) {
        replaceInRoom(*m_jaNein);
        m_jaNein->SetFocus();
    } else if (m_hilfe->Visible()) {
        replaceInRoom(*m_hilfe);
        m_hilfe->SetFocus();
    } else if (m_test->CountDownPanel().Visible()) {
        // The announcement window lies above the countdown: it is composed
        // again after it, never into its snapshot.
        const bool window1 = m_test->Window1().Visible();
        m_test->Window1().Hide();
        m_test->CountDownPanel().Hide();
        m_test->PlaceCountdown(W, H);
        m_test->CountDownPanel().ShowComposed();
        m_test->Window1().SetVisible(window1);
    }
    if (m_test->Window1().Visible()) {
        m_test->Window1().Hide();
        m_test->RecentreAnnouncement(W);
        m_test->Window1().ShowComposed();
    }
    if (m_ende->Visible()) {
        replaceInRoom(*m_ende);
        m_ende->SetFocus();
    }
    if (m_auswertung->Visible()) {
        replaceInRoom(*m_auswertung);
        m_auswertung->SetFocus();
    }
    if (meldung) {
        PlaceMeldung();
        m_meldung->ShowComposed();
        m_meldung->SetFocus();
    }
}

// ------------------------------------------------- activation and shutdown

void THaupt::FormActivate()
{
    m_active.store(true);
    if (!m_created)
        return;
    if (ScreenTooSmall()) {
        m_app.MainForm().SetSize(0, 0);
        ShowScreenMessage();
        m_app.GetBackend().Minimize();
        return;
    }
    m_app.MainForm().SetBounds(0, 0, m_app.ScreenWidth(), m_app.ScreenHeight());
    FormResize();
    m_app.GetBackend().SetNumLock(true);
    // A saved run may have come or gone while the program was away.
    UpdateSuspendButtons();
}

void THaupt::FormDeactivate()
{
    m_active.store(false);
    if (!m_created)
        return;
    if (m_timer1.Enabled()) {
        PauseTest();
        m_test->Pause().SetPressed(true);
    } else if (m_runner.In(RunPhase::Title) || m_runner.In(RunPhase::Gap)) {
        // The title or the gap between two tests is showing: the test must
        // not start while nobody is at the keys.
        m_holdStart = true;
        m_test->Pause().SetPressed(true);
    } else if (m_runner.In(RunPhase::Ending)) {
        // A test has just ended and its gap or the end screen is coming:
        // the gap shows the pause, the next test waits for the candidate.
        m_holdStart = true;
    }
    m_app.GetBackend().Minimize();
}

void THaupt::Close()
{
    bool canClose = true;
    if (m_app.MainForm().OnCloseQuery)
        m_app.MainForm().OnCloseQuery(canClose);
    if (!canClose)
        return;
    FormDestroy();
    m_app.Quit();
}

void THaupt::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    StopTicks();
    m_tests.Clear();
    m_programs.Clear();
    if (BoundDispatchMessage() != nullptr) {
        m_host.SendModuleMessage(MSG_STOP);
        m_host.Unbind();
    }
    StopSound();
    std::string error;
    if (!WritePreferences(PreferencesPath(m_options.programPath), m_prefs, error))
        std::cerr << "velomar: the preferences were not saved: " << error << '\n';
    m_app.GetBackend().SetNumLock(m_savedNumLock);
}

} // namespace kestrava::shell
