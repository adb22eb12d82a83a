// The menu's start and the runner: from the start button through the time
// dialog, the title display, the countdown and the ticks to the end of the
// run.
#include "host/shell/Haupt.h"

#include "host/core/DLLImport.h"
#include "host/shell/Meldung.h"
#include "platform/gdi/Paths.h"
#include "platform/gdi/Text.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <limits>
#include <optional>

namespace kestrava::shell {

namespace {

constexpr uint32_t kTitleMs = 2000;
constexpr uint32_t kAfterEndMs = 50;
constexpr uint32_t kCursorMs = 50;
constexpr uint32_t kGapMs = 5000;

std::string TwoDigits(int64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(v));
    return text;
}

// A module's countdown below zero would start the test clock ahead; it
// counts as none.
int32_t CountdownOf(const TRunEntry& entry) { return std::max(entry.Countdown, 0); }

} // namespace

// ------------------------------------------------------------------ menu

void THaupt::RefreshTestList()
{
    kestrava::RefreshTestList(m_options.programDir + "TESTS/", m_host, m_tests, m_programs, m_run, m_menue->Lists(),
                             std::cerr);
    LayoutThumbs();
    UpdateSuspendButtons();
}

void THaupt::LayoutThumbs()
{
    m_menue->LayoutThumbs();
}

void THaupt::EnableMenuControls(bool enabled)
{
    m_menue->EnableControls(enabled);
    UpdateSuspendButtons();
}

// ------------------------------------------------------------ start button

void THaupt::Go()
{
    MenuSelection& selection = m_menue->Selection();
    if (selection.ChooseStart() == StartChoice::Nothing)
        return;
    ShowBusy(true);
    EnableMenuControls(false);
    PlaceInRoom(*m_zeit);
    const GoResult result = kestrava::Go(selection, m_tests, m_programs, m_host, m_run);
    m_menue->ShowSelection();
    if (result.outcome != GoOutcome::ShowTimeDialog) {
        // Nothing to run: a program that chose nothing, or several tests of
        // which none keeps results. Nothing starts; the menu is usable again.
        EnableMenuControls(true);
        ShowBusy(false);
        return;
    }
    // The note on the real total and the confirmation share the time with
    // the same draws.
    m_runSeed = static_cast<uint64_t>(m_draw(0, std::numeric_limits<int32_t>::max()));
    m_zeit->Fill(result.proposal.hours, result.proposal.minutes);
    m_zeit->ShowComposed();
    m_zeit->FocusHours();
    ShowBusy(false);
}

void THaupt::OkButtonClick()
{
    if (!m_zeit->Visible())
        return;
    StopTicks();
    EnableMenuControls(true);
    m_zeit->Hide();
    m_menue->Hide();
    const int32_t total = m_zeit->ConfirmedTotal();
    if (!ConfirmRun(m_run, total, MakeSeededDraw(m_runSeed))) {
        // An empty run starts nothing.
        m_menue->Show();
        m_menue->FocusFirstLine();
        return;
    }
    m_resultWatch.Reset(m_run.Size());
    m_test->Show();
    StartTest();
}

void THaupt::AbbruchButtonClick()
{
    if (!m_zeit->Visible())
        return;
    EnableMenuControls(true);
    CancelRun(m_run);
    m_zeit->Hide();
    m_menue->Invalidate();
}

// --------------------------------------------------------------- the runner

void THaupt::StartTicks()
{
    m_timer1.SetEnabled(true);
    m_runner.TicksStarted();
}

void THaupt::StopTicks()
{
    m_timer1.SetEnabled(false);
    m_runner.TicksStopped();
}

void THaupt::HaltTicks()
{
    // Under the tick lock: a tick in progress finishes first, with its
    // message, and none starts after this.
    std::lock_guard<std::mutex> guard(m_tickLock);
    StopTicks();
    m_host.SetBlocked(true);
    SoundPaused(true);
}

bool THaupt::TestRunning() const
{
    return m_test->Visible() && m_test->Enabled() && !m_menue->Visible() && !m_runner.In(RunPhase::Ending);
}

void THaupt::BeginTest(const std::string& modulePath)
{
    m_runner.tickCount.store(0);
    m_runner.countDownMode.store(false);
    m_host.SetBlocked(true);
    m_host.Bind(modulePath);
    TTestInfo info{};
    std::string title;
    if (SetShortStringUtf8(info.ModulePath, modulePath)) {
        m_host.SendModuleMessage(MSG_INFO, reinterpret_cast<uintptr_t>(&info));
        title = ModuleTextToUtf8(info.Title);
    }
    EndSavedNotice();
    m_testTitle = title;
    ShowTestName(title);
    m_test->Pause().SetPressed(true);
    m_lastWatch = "00:00:00";
    m_tickWatch = m_lastWatch; // no tick runs before StartTicks
    m_test->Time().SetText(m_lastWatch);
    m_test->TimeTwo().SetText(m_lastWatch);
}

void THaupt::StartTest()
{
    const TRunEntry* entry = m_run.Current();
    if (entry == nullptr)
        return; // cancelled or past the end: there is nothing to start
    const TestCatalogueEntry* test = m_tests.ByIndex(entry->CatalogueIndex);
    if (test == nullptr)
        return;
    m_moduleTitle = test->title;
    if (const std::optional<size_t> index = m_run.CurrentIndex())
        m_resultWatch.Begin(*index, ResultFileOf(*test), entry->KeepsResults != 0);
    SoundPaused(false);
    m_app.GetBackend().SetNumLock(true);
    BeginTest(test->modulePath);
    m_runner.testDuration.store(entry->PlannedDuration);

    m_canvas.SetDeviceContext(m_test->CallBackPanel1().DeviceContext());
    m_host.FillTestStatus(test->modulePath, static_cast<uint32_t>(std::max(entry->PlannedDuration, 0)),
                          double(m_test->CallBackPanel1().Width()) / 800.0);
    m_host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&m_host.Status()));
    m_test->CountDownLabel().SetText(std::to_string(CountdownOf(*entry) / 1000));
    m_zeit->Hide();

    m_test->Testeinblendung().SetText(test->title);
    FitOverlayText(m_test->Testeinblendung());
    const int32_t H = m_app.MainForm().Height();
    ui::TWindow& window1 = m_test->Window1();
    window1.SetPosition((m_app.MainForm().Width() - window1.Width()) / 2, (H - window1.Height()) / 4);
    m_test->Window1().ShowComposed();
    m_test->SetEnabled(false);
    m_timer2 = m_app.Loop().SetTimer(kTitleMs, false, [this] { Timer2Timer(); });
    m_runner.Enter(RunPhase::Title);
    UpdateSuspendButtons();
}

void THaupt::Timer2Timer()
{
    m_app.Loop().KillTimer(m_timer2);
    m_timer2 = 0;
    const TRunEntry* entry = m_run.Current();
    const int32_t countdown = entry != nullptr ? CountdownOf(*entry) : 0;
    m_runner.Enter(countdown / 10 > 0 ? RunPhase::Countdown : RunPhase::Running);
    UpdateSuspendButtons();
    m_test->Window1().Hide();
    ui::TWindow& window1 = m_test->Window1();
    window1.SetPosition(window1.Left(), (m_app.MainForm().Height() - window1.Height()) / 2);
    m_canvas.SetDeviceContext(m_test->CallBackPanel1().DeviceContext());
    m_host.SendModuleMessage(MSG_PAINT);
    ShowTicksDrawn();
    m_test->SetEnabled(true);
    m_test->PlaceCountdown(m_app.MainForm().Width(), m_app.MainForm().Height());
    m_runner.tickCount.store(-(countdown / 10));
    if (m_runner.tickCount.load() < 0)
        m_test->CountDownPanel().ShowComposed();
    else
        m_host.SetBlocked(false);
    if (m_holdStart || m_meldung->Visible()) {
        // The focus went while the title showed, or a message is open: the
        // test waits, paused, until the candidate is back and releases
        // Pause.
        m_holdStart = false;
        m_test->Pause().SetPressed(true);
        PauseTest();
        HoldBehindMeldung();
        return;
    }
    m_test->Pause().SetPressed(false);
    StartTicks();
}

// The tick handler, on the tick thread: the sticks, the tick, the end
// check. What the tick changes on screen goes to the user-interface thread
// (PostTickToScreens) in the order it happens.
void THaupt::Timer1Timer()
{
    // A tick happens whole (counter, time and message) or not at all: a
    // pause that stops the ticks waits for this lock, and a tick that starts
    // after it finds the timer off.
    std::lock_guard<std::mutex> tickGuard(m_tickLock);
    if (!m_timer1.Enabled())
        return;
    const int32_t before = m_runner.tickCount.load();
    if (before % 10 == 0 && m_joy1 && m_joy2)
        PollJoysticks(m_host.Status(), *m_joy1, *m_joy2);
    const int32_t tick = before + 1;
    m_runner.tickCount.store(tick);
    PostTickToScreens(tick);
    if (tick < 0)
        return;
    {
        std::lock_guard<std::mutex> guard(m_canvas.Lock());
        m_host.Status().ElapsedMs = static_cast<uint32_t>(tick) * 10u;
    }
    if (tick == 0) {
        m_runner.CountdownOver();
        m_host.SendModuleMessage(MSG_PAINT);
        m_host.SetBlocked(false);
    }
    m_host.SendModuleMessage(MSG_TICK);
    if (!m_runner.In(RunPhase::Ending) && m_timer1.Enabled() &&
        int64_t(tick) * 10 >= int64_t(m_runner.testDuration.load()) + kOverrunMs) {
        TestOverran();
        return;
    }
    // One request to show what the module drew is enough however many
    // ticks pass before the user-interface thread gets to it.
    if (!m_runner.showPending.exchange(true))
        PostToUi([this] {
            m_runner.showPending.store(false);
            ShowTicksDrawn();
        });
}

// On the tick thread: the mouse cursor hidden 2 s after the last move, the
// countdown hidden at 0, the clock (once a second, only a change goes
// across) and the countdown's seconds.
void THaupt::PostTickToScreens(int32_t tick)
{
    if (tick == m_runner.mouseTick.load() + 200)
        PostToUi([this] {
            if (m_cursorTimer == 0)
                m_cursorTimer = m_app.Loop().SetTimer(kCursorMs, false, [this] {
                    m_cursorTimer = 0;
                    m_test->CallBackPanel1().SetCursor(m_noCursor);
                    m_app.RefreshCursor();
                });
        });
    if (tick >= 0) {
        if (tick == 0)
            PostToUi([this] { m_test->CountDownPanel().Hide(); });
        std::string watch = WatchText(tick);
        if (watch != m_tickWatch) {
            m_tickWatch = watch;
            PostToUi([this, watch = std::move(watch)] {
                m_lastWatch = watch;
                m_test->Time().SetText(watch);
                m_test->TimeTwo().SetText(watch);
            });
        }
    } else if (tick % 100 == 0) {
        const std::string seconds = std::to_string(-tick / 100);
        PostToUi([this, seconds] { m_test->CountDownLabel().SetText(seconds); });
    }
}

void THaupt::ShowTicksDrawn() { m_test->CallBackPanel1().ShowDrawn(); }

std::string THaupt::WatchText(int32_t tickCount) const
{
    int64_t value = tickCount < 0 ? 0 : tickCount / 100;
    if (m_runner.countDownMode.load()) {
        const int64_t t = m_runner.testDuration.load() / 1000;
        value = tickCount >= 0 ? t - value : t;
    }
    const bool negative = value < 0;
    if (negative)
        value = -value;
    return std::string(negative ? "-" : "") + TwoDigits(value / 3600) + ":" + TwoDigits(value % 3600 / 60) + ":" +
           TwoDigits(value % 60);
}

void THaupt::SetWatch()
{
    m_lastWatch = WatchText(m_runner.tickCount.load());
    m_test->Time().SetText(m_lastWatch);
    m_test->TimeTwo().SetText(m_lastWatch);
}

void THaupt::TimeClick()
{
    m_runner.countDownMode.store(!m_runner.countDownMode.load());
    SetWatch();
}

// Inside the module's MSG_TICK, on the tick thread.
void THaupt::TestEnded()
{
    // Until the step after the end has run, neither a pause nor the abort
    // question may start the ticks again.
    m_runner.Enter(RunPhase::Ending);
    StopTicks();
    m_host.SetBlocked(true);
    PostToUi([this] {
        ShowBusy(true);
        // The module wrote its record, if it could, before it reported the
        // end.
        if (const std::optional<size_t> index = m_run.CurrentIndex())
            m_resultWatch.Finish(*index, m_moduleTitle, m_options.probeResultTrouble);
        m_lastTest = !m_run.Advance();
        UpdateSuspendButtons();
        m_timer3 = m_app.Loop().SetTimer(kAfterEndMs, false, [this] { Timer3Timer(); });
    });
}

void THaupt::Timer3Timer()
{
    m_app.Loop().KillTimer(m_timer3);
    m_timer3 = 0;
    m_runner.Enter(RunPhase::Idle);
    if (m_jaNein->Visible()) {
        // The test ended just as the abort question opened (over the test
        // screen no other question is asked): there is nothing left to
        // abort.
        m_jaNein->Withdraw();
        m_test->SetEnabled(true);
    }
    if (m_lastTest) {
        StopTest();
        m_menue->Show();
        m_menue->FocusFirstLine();
        m_test->Leiste().Hide();
        m_test->Hide();
        m_menue->SetEnabled(false);
        FillEndLists();
        if (!m_ende->Empty()) {
            PlaceInRoom(*m_ende);
            m_ende->ShowComposed();
            m_ende->SetFocus();
        } else {
            FreeRun();
            RefreshTestList();
            m_menue->SetEnabled(true);
        }
        ShowBusy(false);
        TellResultNotes();
        HoldBehindMeldung();
        return;
    }
    StopTest();
    m_test->Testeinblendung().SetText("Einen Moment bitte...");
    FitOverlayText(m_test->Testeinblendung());
    ShowBusy(false);
    m_test->Window1().ShowComposed();
    m_test->Invalidate();
    m_test->SetEnabled(false);
    if (m_holdStart)
        m_test->Pause().SetPressed(true); // the focus went as the test ended
    // The gap does not block the loop: the test screen stays disabled and
    // no module is bound, so nothing reaches a test meanwhile.
    m_gapTimer = m_app.Loop().SetTimer(kGapMs, false, [this] { GapEnded(); });
    m_runner.Enter(RunPhase::Gap);
}

void THaupt::GapEnded()
{
    m_app.Loop().KillTimer(m_gapTimer);
    m_gapTimer = 0;
    m_runner.Enter(RunPhase::Idle);
    m_test->Window1().Hide();
    m_test->SetEnabled(true);
    // A focus loss during the gap carries over: the next title shows, and
    // the test then waits paused (Timer2Timer).
    StartTest();
}

void THaupt::StopTest()
{
    m_host.SendModuleMessage(MSG_STOP);
    ReleaseSounds();
    SoundPaused(true);
    m_host.Unbind();
    EndSavedNotice();
    UpdateSuspendButtons();
    m_test->Pause().SetPressed(false);
    m_test->Window1().Hide();
    m_test->CountDownPanel().Hide();
    m_test->VolumePanel().Hide();
    m_test->CallBackPanel1().Invalidate();
    m_test->Lautstaerke().SetPressed(false);
    m_menue->ClearSelection();
}

void THaupt::FreeRun()
{
    m_run.Clear();
    m_holdStart = false;
}

// -------------------------------------------------------- pause and abort

void THaupt::PauseTest()
{
    HaltTicks();
    m_test->Testeinblendung().SetText("Pause");
    FitOverlayText(m_test->Testeinblendung());
    m_test->PlaceAnnouncement(m_app.MainForm().Width(), m_app.MainForm().Height());
    m_test->Window1().ShowComposed();
}

void THaupt::ResumeTest()
{
    m_test->Window1().Hide();
    m_canvas.SetDeviceContext(m_test->CallBackPanel1().DeviceContext());
    m_host.SendModuleMessage(MSG_PAINT);
    ShowTicksDrawn();
    m_host.SetBlocked(false);
    SoundPaused(false);
    StartTicks();
}

void THaupt::PauseClick()
{
    // The button has toggled already: it shows the state to go to. Between
    // the module's end and the step after it there is nothing to pause or
    // resume.
    if (m_runner.BetweenTicks()) {
        m_test->Pause().SetPressed(!m_test->Pause().Pressed());
        return;
    }
    if (m_test->Pause().Pressed())
        PauseTest();
    else
        ResumeTest();
}

void THaupt::ZurueckClick()
{
    if (m_runner.In(RunPhase::Ending) || m_jaNein->Visible())
        return;
    HaltTicks();
    m_test->VolumePanel().Hide();
    m_test->Lautstaerke().SetPressed(false);
    m_test->Leiste().Hide();
    m_test->SetEnabled(false);
    Ask("Wollen Sie den\rTest wirklich\rabbrechen?", [this](bool yes) { AbortAnswered(yes); });
}

void THaupt::AbortAnswered(bool yes)
{
    m_test->SetEnabled(true);
    if (yes) {
        StopTest();
        RefreshTestList();
        m_test->Hide();
        m_menue->Show();
        m_menue->FocusFirstLine();
        // An earlier entry of the run may have lost its record.
        TellResultNotes();
    } else if (!m_test->Pause().Pressed() && !m_runner.In(RunPhase::Ending)) {
        m_host.SetBlocked(false);
        SoundPaused(false);
        StartTicks();
    }
}

// ------------------------------------------------------------------ keys

void THaupt::SetKeyDown(uint32_t key, uint8_t value)
{
    std::lock_guard<std::mutex> guard(m_canvas.Lock());
    m_host.Status().KeyDown[key] = value;
}

void THaupt::SetJoystickField(int32_t TTestStatus::*field, int32_t value)
{
    std::atomic_ref<int32_t>(m_host.Status().*field).store(value);
}

void THaupt::ClearJoystickField(int32_t TTestStatus::*field, int32_t value)
{
    int32_t expected = value;
    std::atomic_ref<int32_t>(m_host.Status().*field).compare_exchange_strong(expected, 0);
}

namespace {

struct KeyStick {
    uint32_t key;
    int32_t TTestStatus::*field;
    int32_t value;
};

constexpr KeyStick kKeyStick[] = {
    {app::VK_LEFT, &TTestStatus::Joy1X, -10}, {app::VK_RIGHT, &TTestStatus::Joy1X, 10},
    {app::VK_UP, &TTestStatus::Joy1Y, -10},   {app::VK_DOWN, &TTestStatus::Joy1Y, 10},
    {'A', &TTestStatus::Joy2X, -10},          {'D', &TTestStatus::Joy2X, 10},
    {'W', &TTestStatus::Joy2Y, -10},          {'S', &TTestStatus::Joy2Y, 10},
};

} // namespace

void THaupt::KeyDownMessage(uint32_t key)
{
    if (key == app::VK_NUMLOCK)
        m_app.GetBackend().SetNumLock(true);
    if (key < 256) {
        if (m_host.Status().KeyDown[key] == 1)
            return; // the key repeats
        SetKeyDown(key, 1);
    }
    for (const KeyStick& k : kKeyStick)
        if (k.key == key)
            SetJoystickField(k.field, k.value);
    m_host.SendModuleMessage(MSG_KEYDOWN, key);
    // What the module drew for the key reaches the screen in this round of
    // the loop, not with the next tick.
    ShowTicksDrawn();

    const bool testScreen = TestRunning();
    if (key == app::VK_PAUSE && testScreen && !m_runner.In(RunPhase::Title) && !m_runner.In(RunPhase::Gap)) {
        m_test->Pause().SetPressed(!m_test->Pause().Pressed());
        PauseClick();
    } else if (key == app::VK_ESCAPE && testScreen && !m_jaNein->Visible()) {
        ZurueckClick();
    } else if (key == app::VK_F10) {
        HelpKey();
    }
}

void THaupt::KeyUpMessage(uint32_t key)
{
    if (key < 256) {
        if (m_host.Status().KeyDown[key] == 0)
            return;
        SetKeyDown(key, 0);
    }
    for (const KeyStick& k : kKeyStick)
        if (k.key == key)
            ClearJoystickField(k.field, k.value);
    m_host.SendModuleMessage(MSG_KEYUP, key);
    ShowTicksDrawn();
}

void THaupt::KeyPressMessage(uint8_t ch)
{
    m_host.SendModuleMessage(MSG_KEYPRESS, ch);
    ShowTicksDrawn();
}

// ------------------------------------------------------------------ mouse

void THaupt::MouseMessage(uint32_t code, app::MouseButton button, int32_t x, int32_t y)
{
    std::atomic_ref<int32_t>(m_host.Status().MouseX).store(x);
    std::atomic_ref<int32_t>(m_host.Status().MouseY).store(y);
    // Cells are zero-extended: a position left of the area arrives as the
    // 32-bit value the module reads back as negative, never sign-extended.
    m_host.SendModuleMessage(code, uintptr_t(static_cast<uint32_t>(button)), uintptr_t(static_cast<uint32_t>(x)),
                             uintptr_t(static_cast<uint32_t>(y)));
    ShowTicksDrawn();
}

void THaupt::CallBackPanel1MouseMove(int32_t x, int32_t y)
{
    m_runner.mouseTick.store(m_runner.tickCount.load());
    if (m_test->CallBackPanel1().GetCursor() != m_arrowCursor) {
        m_test->CallBackPanel1().SetCursor(m_arrowCursor);
        m_app.RefreshCursor();
    }
    if (m_test->VolumePanel().Visible()) {
        m_test->Lautstaerke().SetPressed(false);
        m_test->VolumePanel().Hide();
    }
    if (m_test->Leiste().Visible())
        m_test->Leiste().Hide();
    std::atomic_ref<int32_t>(m_host.Status().MouseX).store(x);
    std::atomic_ref<int32_t>(m_host.Status().MouseY).store(y);
}

} // namespace kestrava::shell
