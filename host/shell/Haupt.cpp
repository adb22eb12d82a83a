// The main window: building the screens, the start-up, the layout,
// activation and shutdown.
#include "host/shell/Haupt.h"

#include "host/core/DLLImport.h"
#include "host/shell/Auswertung.h"
#include "host/shell/DialogParts.h"
#include "host/shell/Meldung.h"
#include "host/shell/TestArea.h"
#include "platform/gdi/Canvas.h"
#include "ui/Resources.h"

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

    // The program entry: the splash first, painted at once.
    try {
        m_splash = &form.Create<TSplashScreen>();
        m_splash->FormCreate(ui::LoadResourceBitmap("SPLASH"), m_app.GetClock().NowMs());
    } catch (const ui::EResNotFound& e) {
        std::cerr << "velomar: " << e.what() << " (" << e.Detail() << ")\n";
        m_app.GetBackend().MessageBox("Der Kestrava", e.what());
        return false;
    }
    m_splashCreated = m_splash->CreatedMs();
    m_splash->SetPosition((m_app.ScreenWidth() - TSplashScreen::kWidth) / 2,
                          (m_app.ScreenHeight() - TSplashScreen::kHeight) / 2);
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
        // clickable; the system's own where a file yields none.
        m_busyCursor = backend.LoadCursorFile(m_options.programDir + "FLIEGE.ANI");
        if (!m_busyCursor)
            m_busyCursor = backend.LoadStandardCursor(app::StandardCursor::Wait);
        m_handCursor = backend.LoadCursorFile(m_options.programDir + "HAND.CUR");
        if (!m_handCursor)
            m_handCursor = backend.LoadStandardCursor(app::StandardCursor::Hand);
        m_arrowCursor = backend.LoadStandardCursor(app::StandardCursor::Arrow);
        m_noCursor = backend.LoadStandardCursor(app::StandardCursor::None);
        for (app::Control* c : std::initializer_list<app::Control*>{
                 m_zurueck, m_pause, m_lautstaerke, m_disk, m_frage, m_time, m_timeTwo})
            c->SetCursor(m_handCursor);
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
        m_pause->SetSchalter(true);
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
        m_leiste->Hide();
        m_menue->SetBounds(0, 0, m_app.ScreenWidth(), m_app.ScreenHeight());
        m_testPanel->SetBounds(0, 0, m_app.ScreenWidth(), m_app.ScreenHeight());
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
    m_app.MainForm().Invalidate();
}

void THaupt::ShowBusy(bool busy) { m_app.SetOverrideCursor(busy ? m_busyCursor : nullptr); }

// ----------------------------------------------------------------- building

void THaupt::BuildControls()
{
    app::Form& form = m_app.MainForm();
    form.OnCloseQuery = [this](bool& canClose) { canClose = m_closePermitted; };
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
    app::Form& form = m_app.MainForm();
    m_testPanel = &form.Create<app::Panel>();
    m_testPanel->SetColor(gdi::Rgb(0, 0, 0));
    m_testPanel->Hide();
    m_testPanel->OnMouseMove = [this](int32_t, int32_t y, app::Modifiers) { TestPanelMouseMove(y); };

    m_callBack = &m_testPanel->Create<ui::TCallBackPanel>(&m_canvas.Lock());
    m_callBack->SetBounds(0, 50, 672, 504);
    m_callBack->OnPaint = [this](ui::TCallBackPanel&) {
        m_canvas.SetDeviceContext(m_callBack->DeviceContext());
        m_host.SendModuleMessage(MSG_PAINT);
    };
    m_callBack->OnMouseDown = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
        if (m_volumePanel->Visible()) {
            m_volumePanel->Hide();
            m_lautstaerke->SetPressed(false);
        }
        MouseMessage(MSG_MOUSEDOWN, button, x, y);
    };
    m_callBack->OnMouseUp = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
        MouseMessage(MSG_MOUSEUP, button, x, y);
    };
    m_callBack->OnMouseMove = [this](int32_t x, int32_t y, app::Modifiers) { CallBackPanel1MouseMove(x, y); };

    // The test bar: buttons on a flat surface, the title in its frame and
    // the clock at the right end.
    m_leiste = &m_testPanel->Create<app::Panel>();
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
    m_zurueck->OnClick = [this] { ZurueckClick(); };
    m_pause->OnClick = [this] { PauseClick(); };
    m_lautstaerke->OnClick = [this] { LautstaerkeClick(); };
    m_disk->OnClick = [this] { DiskClick(); };
    m_testName = &MakeLabel(*m_leiste, Arial(18, kWhite, true), app::Alignment::Center);
    m_testName->SetAutoSize(true);
    m_time = &MakeLabel(*m_leiste, Arial(20, kWhite, true), app::Alignment::Center);
    m_time->SetText("00:00:00");
    m_time->OnClick = [this] { TimeClick(); };
    for (app::Control* c : std::initializer_list<app::Control*>{m_leiste, m_zurueck, m_pause, m_disk, m_frage,
                                                                 m_time, m_testName})
        c->OnMouseDown = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
            if (m_volumePanel->Visible() && !m_lautstaerke->Hovered()) {
                m_volumePanel->Hide();
                m_lautstaerke->SetPressed(false);
            }
            // The module hears a press on the bar too, in the pressed
            // control's own coordinates.
            MouseMessage(MSG_MOUSEDOWN, button, x, y);
        };

    m_volumePanel = &m_testPanel->Create<TVolumeBar>("VolumeBack", "Regler");
    m_volumePanel->SetPosition(153, 24);
    m_regler = &m_volumePanel->Thumb();
    m_volumePanel->Hide();

    m_uhrPanel = &m_testPanel->Create<app::Panel>();
    m_uhrPanel->SetBounds(0, 0, 115, 50);
    {
        auto& face = MakeImage(*m_uhrPanel, "UhrPanel");
        face.SetPosition(0, 0);
        face.OnMouseMove = [this](int32_t, int32_t y, app::Modifiers) { TestPanelMouseMove(y); };
    }
    m_timeTwo = &MakeLabel(*m_uhrPanel, Arial(20, kWhite, true), app::Alignment::Center);
    m_timeTwo->SetBounds(10, 8, 97, 34);
    m_timeTwo->SetText("00:00:00");
    m_timeTwo->OnClick = [this] { TimeClick(); };

    // The overlays: the countdown and, above it, the announcement window,
    // so that "Pause" over a countdown that stands still stays readable.
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

void THaupt::CentreWindow(app::Control& window)
{
    const int32_t W = m_app.MainForm().Width();
    const int32_t H = m_app.MainForm().Height();
    window.SetPosition((W - window.Width()) / 2, (H - window.Height()) / 2);
}

void THaupt::FormResize()
{
    app::Form& form = m_app.MainForm();
    const int32_t W = form.Width();
    const int32_t H = form.Height();
    m_menue->Layout(W, H);
    m_testPanel->SetBounds(0, 0, W, H);

    // The test area grows in 4:3 steps until it first exceeds the room.
    {
        const AreaSize area = FitTestArea({m_callBack->Width(), m_callBack->Height()}, m_testPanel->Width(),
                                          m_testPanel->Height());
        m_callBack->SetBounds((m_testPanel->Width() - area.width) / 2, 50, area.width, area.height);
        std::atomic_ref<double>(m_host.Status().Scale).store(double(area.width) / 800.0);
    }

    // The test area turns black and the module rescales.
    if (m_callBack->Visible()) {
        std::lock_guard<std::mutex> guard(m_callBack->Lock());
        m_callBack->Surface().Fill(gdi::PixelOf(gdi::Rgb(0, 0, 0)));
    }
    m_callBack->Invalidate();
    m_canvas.SetDeviceContext(m_callBack->DeviceContext());
    m_host.SendModuleMessage(MSG_RESIZE);

    LayoutLeiste();
    m_uhrPanel->SetPosition(W - m_uhrPanel->Width(), 0);

    // The credits.
    m_abspann->Layout(W, H);

    // Open windows are placed again: the settings window on the settings
    // button, the others in the middle. Hiding one drops the keyboard focus
    // inside it, so the control that had it gets it back.
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
    // The message window goes first and comes back last, above the
    // others, so that none of them takes it into its snapshot.
    const bool meldung = m_meldung->Visible();
    m_meldung->Hide();
    replace(*m_settings, [this] { PlaceSettings(); });
    auto recentre = [&](ui::TBackWindow& w) { replace(w, [&] { CentreWindow(w); }); };
    recentre(*m_zeit);
    if (m_jaNein->Visible()) {
        recentre(*m_jaNein);
        m_jaNein->SetFocus();
    } else if (m_hilfe->Visible()) {
        recentre(*m_hilfe);
        m_hilfe->SetFocus();
    } else if (m_countDownPanel->Visible()) {
        // The announcement window lies above the countdown: it is composed
        // again after it, never into its snapshot.
        const bool window1 = m_window1->Visible();
        m_window1->Hide();
        m_countDownPanel->Hide();
        CentreWindow(*m_countDownPanel);
        m_countDownPanel->ShowComposed();
        m_window1->SetVisible(window1);
    }
    if (m_window1->Visible()) {
        m_window1->Hide();
        m_window1->SetPosition((W - m_window1->Width()) / 2, m_window1->Top());
        FitOverlayText(*m_testeinblendung);
        m_window1->ShowComposed();
    }
    if (m_ende->Visible()) {
        recentre(*m_ende);
        m_ende->SetFocus();
    }
    if (m_auswertung->Visible()) {
        recentre(*m_auswertung);
        m_auswertung->SetFocus();
    }
    if (meldung) {
        PlaceMeldung();
        m_meldung->ShowComposed();
        m_meldung->SetFocus();
    }
}

void THaupt::LayoutLeiste()
{
    const int32_t W = m_testPanel->Width();
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
        m_pause->SetPressed(true);
    } else if (m_timer2 != 0 || m_gapTimer != 0) {
        // The title or the gap between two tests is showing: the test must
        // not start while nobody is at the keys.
        m_holdStart = true;
        m_pause->SetPressed(true);
    } else if (m_testEnding.load()) {
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
