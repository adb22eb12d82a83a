// The end-of-test screen, asking in the yes/no window, the exit question,
// the message window, and the way out through the credits.
#include "host/shell/Haupt.h"

#include "host/shell/Meldung.h"

#include <iostream>
#include <utility>

namespace kestrava::shell {

// ------------------------------------------------------------- end screen

void THaupt::FillEndLists() { m_ende->Fill(EndLinesOf(m_run, m_tests, m_resultWatch)); }

// What went wrong with the run's result files, once the run is over: a
// record that could not be saved and why, a damaged file set aside.
void THaupt::TellResultNotes()
{
    const std::string notes = m_resultWatch.TakeNotes();
    if (!notes.empty())
        ShowFailure(notes);
}

void THaupt::EndeOkClick()
{
    if (!m_ende->Visible())
        return;
    m_ende->Hide();
    m_ende->Clear();
    FreeRun();
    RefreshTestList();
    m_menue->SetEnabled(true);
}

// ------------------------------------------------------- yes/no questions

void THaupt::Ask(const std::string& text, std::function<void(bool yes)> answer)
{
    m_jaNein->Ask(text, std::move(answer));
    PlaceInRoom(*m_jaNein);
    m_jaNein->ShowComposed();
    m_jaNein->SetFocus();
}

void THaupt::ExitButtonClick()
{
    m_menue->ExitButton().SetEnabled(false);
    m_menue->SetEnabled(false);
    Ask("Wollen Sie das\rProgramm wirklich\rbeenden?", [this](bool yes) { ExitAnswered(yes); });
}

void THaupt::ExitAnswered(bool yes)
{
    if (!yes) {
        m_menue->Invalidate();
        m_menue->ExitButton().SetEnabled(true);
        m_menue->SetEnabled(true);
        return;
    }
    m_abspann->Show();
    m_abspann->BringToFront();
    m_abspann->SetCursor(m_noCursor);
    m_app.RefreshCursor();
    std::string error;
    const std::string video = m_options.programDir + "FLIEGE.AVI";
    if (!m_abspann->Play(video, error)) {
        // Without the credits the program still ends, at once.
        std::cerr << "velomar: the credits cannot be played: " << error << '\n';
        m_app.Loop().Post([this] { MediaPlayer1Notify(); });
    }
}

// ---------------------------------------------------------- messages

void THaupt::ShowFailure(const std::string& text)
{
    if (m_meldung == nullptr) {
        // Before the window's controls exist only the system's box can
        // tell (and, failing that, standard error).
        m_app.GetBackend().MessageBox("Der Kestrava", text);
        return;
    }
    if (!m_meldung->Add(text))
        return;
    // The candidate reads while the test clock stands, as at the Pause key.
    if (TestRunning() && m_timer1.Enabled()) {
        m_test->Pause().SetPressed(true);
        PauseTest();
    }
    m_focusBeforeMeldung = m_app.FocusedControl();
    m_meldung->BringToFront();
    PlaceMeldung();
    m_meldung->ShowComposed();
    m_meldung->SetFocus();
    HoldBehindMeldung();
}

void THaupt::PlaceMeldung()
{
    // Below the test's announcement ("Pause") while it shows.
    m_meldung->Place(m_app.MainForm().Width(), m_app.MainForm().Height(),
                     m_test->Window1().Visible() ? &m_test->Window1() : nullptr);
}

// Disables every screen and window behind the open message window (as a
// modal dialog is made here), also one the runner enabled since it opened.
void THaupt::HoldBehindMeldung()
{
    if (!m_meldung->Visible())
        return;
    for (app::Control* c : m_app.MainForm().Children())
        if (c != m_meldung && c != m_splash && c->Visible() && c->Enabled()) {
            c->SetEnabled(false);
            m_heldByMeldung.push_back(c);
        }
    m_meldung->SetFocus();
}

void THaupt::MeldungClosed()
{
    for (app::Control* c : m_heldByMeldung)
        c->SetEnabled(true);
    m_heldByMeldung.clear();
    app::Control* focus = std::exchange(m_focusBeforeMeldung, nullptr);
    if (focus != nullptr && focus != m_splash && focus->Showing() && focus->EnabledInTree())
        focus->SetFocus();
}

// ------------------------------------------------------------ credits

void THaupt::MediaPlayer1Notify()
{
    if (m_closePermitted)
        return;
    m_closePermitted = true;
    m_abspann->Stop();
    m_app.GetBackend().Minimize();
    Close();
}

} // namespace kestrava::shell
