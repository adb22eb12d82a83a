// A module that fails its test: an exception out of DispatchMessage, or a
// test whose time has long run out without the module reporting its end.
// Either ends the run the way "J" to the abort question ends it, and the
// message window tells the candidate; the menu is usable again once it is
// closed.
#include "host/shell/Haupt.h"

#include "host/core/DLLImport.h"
#include "host/results/ResultTexts.h"

#include <iostream>

namespace kestrava::shell {

namespace {

// Where in its test the module failed, for a sentence "… hat <step> einen
// Fehler gemeldet".
std::string StepOf(uint32_t code)
{
    switch (code) {
    case MSG_INFO:
        return "bei der Abfrage seiner Angaben";
    case MSG_INIT:
        return "beim Start";
    case MSG_STOP:
        return "beim Beenden";
    case MSG_RESIZE:
    case MSG_PAINT:
        return "beim Zeichnen";
    case MSG_TICK:
        return "während des Tests";
    case MSG_SOUNDEND:
        return "am Ende eines Tons";
    case MSG_SAVESTATE:
        return "beim Sichern seines Zustands";
    case MSG_RESTORESTATE:
        return "beim Wiederherstellen seines Zustands";
    default:
        return "bei einer Eingabe";
    }
}

} // namespace

// Inside the message that threw, on its thread, with the canvas lock held.
// Nothing more reaches the module; the ticks stop here so that no second
// fault or overrun is noticed before the user-interface thread acts.
void THaupt::ModuleFailed()
{
    StopTicks();
    m_host.SetBlocked(true);
    PostToUi([this] { ReportModuleFault(); });
}

void THaupt::ReportModuleFault()
{
    uint32_t code = 0;
    std::string what;
    // Taken already by whoever handled it on the spot (a refused resume).
    if (!m_host.TakeFault(code, what))
        return;
    const std::string sentence = "das Testmodul hat " + StepOf(code) + " einen Fehler gemeldet.";
    if (AbandonTest())
        ShowFailure("Der Test " + Quoted(m_moduleTitle) + " wurde abgebrochen: " + sentence);
    else
        // The module failed after its test was over (at MSG_STOP): the run
        // went on as planned, the candidate only hears of it.
        ShowFailure("Das Testmodul von " + Quoted(m_moduleTitle) + " hat " + StepOf(code) +
                    " einen Fehler gemeldet.");
}

// On the tick thread, inside the tick that found the test over its time.
void THaupt::TestOverran()
{
    StopTicks();
    m_host.SetBlocked(true);
    PostToUi([this] {
        std::cerr << "velomar: the module did not end its test " << kOverrunMs
                  << " ms after its time; ended by the host\n";
        if (AbandonTest())
            ShowFailure("Der Test " + Quoted(m_moduleTitle) +
                        " wurde abgebrochen: das Testmodul hat ihn nach Ablauf seiner Zeit nicht beendet. "
                        "Ein Ergebnis wurde nicht gespeichert.");
    });
}

bool THaupt::AbandonTest()
{
    // With no module bound the test was over already (the fault came with
    // its MSG_STOP): the run, its gap and its end screen go on as planned.
    if (BoundDispatchMessage() == nullptr || !m_test->Visible() || m_menue->Visible())
        return false;
    app::EventLoop& loop = m_app.Loop();
    for (app::EventLoop::TimerId* id : {&m_timer2, &m_timer3, &m_gapTimer}) {
        loop.KillTimer(*id);
        *id = 0;
    }
    m_runner.Enter(RunPhase::Idle);
    HaltTicks();
    // Over the test screen only the abort question is asked.
    if (m_jaNein->Visible())
        m_jaNein->Withdraw();
    m_test->SetEnabled(true);
    StopTest();
    FreeRun();
    RefreshTestList();
    m_test->Leiste().Hide();
    m_test->Hide();
    m_menue->Show();
    m_menue->SetEnabled(true);
    m_menue->FocusFirstLine();
    ShowBusy(false);
    return true;
}

} // namespace kestrava::shell
