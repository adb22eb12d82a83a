// Saving the running test's run to PROG.SAV (the test bar's Disk) and
// continuing it later from the menu (LoadButton), at the same test and the
// same tick, paused.
#include "host/shell/Haupt.h"

#include "host/core/DLLImport.h"
#include "host/core/MappedRange.h"
#include "host/results/ResultTexts.h"
#include "host/shell/Suspend.h"
#include "platform/gdi/FileCause.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace kestrava::shell {

namespace {

constexpr uint32_t kSavedShownMs = 2000;

} // namespace

std::string THaupt::SuspendFilePath() const { return m_options.programDir + kSuspendFileName; }

bool THaupt::CanSave() const
{
    return BoundDispatchMessage() != nullptr && m_test->Visible() && !m_menue->Visible() &&
           !m_runner.BetweenTicks() && m_run.Current() != nullptr;
}

void THaupt::UpdateSuspendButtons()
{
    m_test->Disk().SetEnabled(CanSave());
    // The menu's other controls say whether the menu takes input; loading
    // is offered only then, and only when there is a saved run.
    m_menue->LoadButton().SetEnabled(m_menue->GoButton().Enabled() && SuspendFileExists(SuspendFilePath()));
}

void THaupt::ShowTestName(const std::string& text)
{
    m_test->ShowTestName(text);
}

void THaupt::EndSavedNotice()
{
    if (m_savedTimer == 0)
        return;
    m_app.Loop().KillTimer(m_savedTimer);
    m_savedTimer = 0;
    ShowTestName(m_testTitle);
}

void THaupt::DiskClick()
{
    if (!CanSave())
        return;
    bool wasRunning = false;
    {
        // A tick in progress finishes first, so the counter, the module's
        // state and its ElapsedMs agree; none starts until the file is
        // written. The end of the test may have come with that tick: then
        // there is nothing left to save.
        std::lock_guard<std::mutex> guard(m_tickLock);
        if (m_runner.In(RunPhase::Ending))
            return;
        wasRunning = m_timer1.Enabled();
        StopTicks();
    }
    SuspendedRun run;
    run.entries = m_run.Entries();
    run.currentEntry = m_run.CurrentEntry().Saved();
    run.tickCount = m_runner.tickCount.load();
    for (const TRunEntry& entry : run.entries) {
        const TestCatalogueEntry* test = m_tests.ByIndex(entry.CatalogueIndex);
        run.titles.push_back(test != nullptr ? StoredTitle(test->title) : std::string());
    }
    TArgCell cells[KESTRAVA_ARG_CELLS] = {};
    m_host.SendModuleMessage(MSG_SAVESTATE, cells);
    // A module that threw has no state worth saving; the test ends with
    // the report of its fault, and the ticks stay off.
    if (m_host.Faulted())
        return;
    std::string error;
    // What the user reads: the module's block, or the file's cause.
    std::string cause;
    int errorNumber = 0;
    bool ok = true;
    {
        std::lock_guard<std::mutex> guard(m_canvas.Lock());
        // The module names its block; a block it does not name (no address)
        // is saved as empty, and one beyond any sensible size, or one that
        // runs off the memory the process has, is refused rather than
        // copied.
        if (cells[0] != 0 && cells[1] > 0) {
            if (cells[1] > uintptr_t(kMaxStateBytes)) {
                ok = false;
                error = "the module names a state block of " + std::to_string(cells[1]) + " bytes";
            } else if (!MappedRange(cells[0], cells[1], false)) {
                ok = false;
                error = "the module's state block of " + std::to_string(cells[1]) + " bytes is not all in its memory";
            } else {
                const auto* block = reinterpret_cast<const uint8_t*>(cells[0]);
                run.state.assign(block, block + cells[1]);
            }
        }
    }
    if (!ok)
        cause = "Das Testmodul nennt einen Testzustand, der sich nicht sichern lässt.";
    if (ok && !WriteSuspendedRun(SuspendFilePath(), run, error, &errorNumber)) {
        ok = false;
        cause = std::string(kSuspendFileName) + ": " + FileCauseText(errorNumber) + ".";
    }
    if (wasRunning)
        StartTicks();
    if (!ok) {
        std::cerr << "velomar: the run was not saved: " << error << '\n';
        // The candidate must know the run is not safe before walking away:
        // the test waits, paused, behind the message.
        if (wasRunning) {
            m_test->Pause().SetPressed(true);
            PauseTest();
        }
        ShowFailure("Der Testlauf konnte nicht gespeichert werden.\n\n" + cause);
        return;
    }
    // A short notice in the bar's title frame; the test goes on meanwhile.
    EndSavedNotice();
    ShowTestName("Gespeichert");
    m_savedTimer = m_app.Loop().SetTimer(kSavedShownMs, false, [this] { EndSavedNotice(); });
}

void THaupt::RefuseLoad(const std::string& reason, int errorNumber)
{
    std::cerr << "velomar: the saved run was not loaded: " << reason;
    if (errorNumber != 0)
        std::cerr << " (" << std::strerror(errorNumber) << ')';
    std::cerr << '\n';
    ShowFailure(RefusalText(reason));
}

void THaupt::LoadButtonClick()
{
    if (!m_menue->Visible() || !m_menue->LoadButton().EnabledInTree() || m_test->Visible())
        return;
    // Everything about the file is checked before anything changes: a file
    // that fails stays where it is and the menu stays as it was.
    SuspendedRun saved;
    std::string reason;
    int errorNumber = 0;
    switch (ReadSuspendedRun(SuspendFilePath(), saved, reason, &errorNumber)) {
    case SuspendRead::Missing:
        UpdateSuspendButtons();
        return;
    case SuspendRead::Refused:
        RefuseLoad(reason, errorNumber);
        return;
    case SuspendRead::Loaded:
        break;
    }
    if (!MatchSuspendedTitles(saved, m_tests, reason) || !CheckSuspendedTimes(saved, reason)) {
        RefuseLoad(reason);
        return;
    }
    const TRunEntry entry = saved.entries[size_t(saved.currentEntry)];
    const TestCatalogueEntry test = *m_tests.ByIndex(entry.CatalogueIndex);

    // The module is bound, told its test and asked for its block while the
    // menu still shows, so a module that does not fit the file leaves it.
    const int32_t oldTick = m_runner.tickCount.load();
    const bool oldMode = m_runner.countDownMode.load();
    const bool oldBlocked = m_host.Blocked();
    StopTicks();
    m_app.GetBackend().SetNumLock(true);
    m_moduleTitle = test.title;
    BeginTest(test.modulePath);
    auto undo = [&](const std::string& why) {
        m_host.SendModuleMessage(MSG_STOP);
        m_host.Sounds().ReleaseAll();
        m_host.Unbind();
        m_test->Pause().SetPressed(false);
        m_runner.tickCount.store(oldTick);
        m_runner.countDownMode.store(oldMode);
        m_host.SetBlocked(oldBlocked);
        RefuseLoad(why);
    };
    if (BoundDispatchMessage() == nullptr) {
        undo("das Testmodul von " + Quoted(test.title) + " lässt sich nicht laden.");
        return;
    }
    m_runner.tickCount.store(saved.tickCount);
    m_runner.testDuration.store(entry.PlannedDuration);
    m_canvas.SetDeviceContext(m_test->CallBackPanel1().DeviceContext());
    m_host.FillTestStatus(test.modulePath, static_cast<uint32_t>(entry.PlannedDuration),
                          double(m_test->CallBackPanel1().Width()) / 800.0);
    {
        std::lock_guard<std::mutex> guard(m_canvas.Lock());
        m_host.Status().ElapsedMs = saved.tickCount > 0 ? static_cast<uint32_t>(saved.tickCount) * 10u : 0u;
    }
    m_host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&m_host.Status()));
    TArgCell cells[KESTRAVA_ARG_CELLS] = {};
    m_host.SendModuleMessage(MSG_RESTORESTATE, cells);
    uint32_t faultCode = 0;
    std::string fault;
    if (m_host.TakeFault(faultCode, fault)) {
        undo("das Testmodul von " + Quoted(test.title) + " hat einen Fehler gemeldet.");
        return;
    }
    const uintptr_t named = cells[0] != 0 ? cells[1] : 0;
    if (named != saved.state.size()) {
        undo("der gespeicherte Testzustand (" + std::to_string(saved.state.size()) +
             " Bytes) passt nicht zum Testmodul (" + std::to_string(named) + " Bytes).");
        return;
    }
    if (named > 0 && !MappedRange(cells[0], named, true)) {
        undo("das Testmodul nennt f\xc3\xbcr seinen Zustand Speicher, in den nicht geschrieben werden kann.");
        return;
    }
    if (named > 0) {
        std::lock_guard<std::mutex> guard(m_canvas.Lock());
        std::memcpy(reinterpret_cast<void*>(cells[0]), saved.state.data(), saved.state.size());
    }

    // From here on the run is the saved one.
    m_run.Replace(std::move(saved.entries), TCurrentEntry::FromSaved(saved.currentEntry));
    // The entries before this one ran in an earlier session: their records
    // are not watched, only this one's and the following ones'.
    m_resultWatch.Reset(m_run.Size());
    m_resultWatch.Begin(size_t(saved.currentEntry), ResultFileOf(test), entry.KeepsResults != 0);
    m_holdStart = false;
    SetWatch();
    m_tickWatch = m_lastWatch;
    m_menue->Hide();
    m_test->Show();
    m_test->SetEnabled(true);
    m_host.SendModuleMessage(MSG_PAINT);
    ShowTicksDrawn();
    m_test->PlaceCountdown(m_app.MainForm().Width(), m_app.MainForm().Height());
    if (m_runner.tickCount.load() < 0) {
        m_test->CountDownLabel().SetText(std::to_string(-m_runner.tickCount.load() / 100));
        m_test->CountDownPanel().ShowComposed();
    }
    // The resumed run waits, paused, for the candidate.
    m_runner.Enter(RunPhase::Paused);
    m_test->Pause().SetPressed(true);
    PauseTest();
    UpdateSuspendButtons();
}

} // namespace kestrava::shell
