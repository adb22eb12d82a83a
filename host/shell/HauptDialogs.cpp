// The end-of-test screen, asking in the yes/no window, the exit question,
// the message window, and the way out through the credits.
#include "host/shell/Haupt.h"

#include "host/results/ResultReaders.h"
#include "host/shell/Meldung.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sys/stat.h>
#include <utility>

namespace kestrava::shell {

namespace {


// A percentage rounded to an integer, ties to even. A damaged file may hold
// anything in its eight bytes: what is not a number shows as a dash, and
// what is far out of range is clamped before it is converted.
std::string Percent(double value)
{
    if (!std::isfinite(value))
        return "\xe2\x80\x94";
    const double clamped = std::clamp(std::nearbyint(value), -1e15, 1e15);
    return std::to_string(static_cast<long long>(clamped)) + "%";
}

// A part result: a percentage, or (negative) a time in ms shown in seconds
// with three decimals and the German decimal comma.
std::string PartText(double value)
{
    if (!(value < 0)) // NaN too
        return Percent(value);
    if (!std::isfinite(value))
        return "\xe2\x80\x94";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", std::min(-value / 1000.0, 1e15));
    std::string out = text;
    std::replace(out.begin(), out.end(), '.', ',');
    return out + "s";
}

bool FileExists(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

// ------------------------------------------------------------- end screen

void THaupt::FillEndLists()
{
    m_endeListe1->ClearLines();
    m_endeListe2->ClearLines();
    const std::vector<TRunEntry>& entries = m_run.Entries();
    // A record shows only for an entry whose record arrived (or whose
    // record was not watched: an entry before a resumed run's); an older
    // record never stands in for a lost one.
    auto shows = [&](size_t e) {
        const TResultWatch::Outcome outcome = m_resultWatch.OutcomeOf(e);
        return outcome == TResultWatch::Outcome::Arrived || outcome == TResultWatch::Outcome::Unknown ||
               outcome == TResultWatch::Outcome::Waiting;
    };
    for (size_t e = 0; e < entries.size(); ++e) {
        const TRunEntry& entry = entries[e];
        const TestCatalogueEntry* test = m_tests.ByIndex(entry.CatalogueIndex);
        if (test == nullptr)
            continue;
        if (m_resultWatch.OutcomeOf(e) == TResultWatch::Outcome::Lost) {
            m_endeListe1->AddLine("<b>" + test->title);
            m_endeListe2->AddLine("<b>\xe2\x80\x94");
            for (const char* line : {"<tab>Ergebnis konnte nicht", "<tab>gespeichert werden"}) {
                m_endeListe1->AddLine(line);
                m_endeListe2->AddLine("");
            }
            continue;
        }
        if (!shows(e))
            continue;
        const std::string path = ResultFileOf(*test);
        if (!FileExists(path))
            continue;
        // A test split into segments wrote one record per segment, oldest
        // first: the segments after this one that saved theirs wrote the
        // newer records.
        int64_t later = 0;
        for (size_t other = e + 1; other < entries.size(); ++other)
            later += entries[other].CatalogueIndex == entry.CatalogueIndex && shows(other) ? 1 : 0;
        const LastRecord last = ReadRecordFromEnd(path, later);
        if (!last.present || last.partNames.empty())
            continue;
        m_endeListe1->AddLine("<b>" + test->title);
        m_endeListe2->AddLine("<b>" + Percent(last.record.overall));
        for (const std::string& name : last.partNames)
            m_endeListe1->AddLine("<tab>" + name);
        for (double part : last.record.parts)
            m_endeListe2->AddLine(PartText(part));
    }
    m_regler5->SetVisible(m_endeListe1->Max() > 0);
    m_regler5->drag.Reset();
    m_regler5->SetPosition(m_regler5->Left(), m_regler5->track().top);
    m_endeListe1->SetPosition(0);
    m_endeListe2->SetPosition(0);
}

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
    m_endeListe1->ClearLines();
    m_endeListe2->ClearLines();
    FreeRun();
    RefreshTestList();
    m_menuePanel->SetEnabled(true);
}

// ------------------------------------------------------- yes/no questions

void THaupt::Ask(const std::string& text, std::function<void(bool yes)> answer)
{
    m_jaNein->Ask(text, std::move(answer));
    CentreWindow(*m_jaNein);
    m_jaNein->ShowComposed();
    m_jaNein->SetFocus();
}

void THaupt::ExitButtonClick()
{
    m_exitButton->SetEnabled(false);
    m_menuePanel->SetEnabled(false);
    Ask("Wollen Sie das\rProgramm wirklich\rbeenden?", [this](bool yes) { ExitAnswered(yes); });
}

void THaupt::ExitAnswered(bool yes)
{
    if (!yes) {
        m_menuePanel->Invalidate();
        m_exitButton->SetEnabled(true);
        m_menuePanel->SetEnabled(true);
        return;
    }
    m_abspann->Show();
    m_abspann->BringToFront();
    m_abspann->SetCursor(m_noCursor);
    m_app.RefreshCursor();
    std::string error;
    const std::string video = m_options.programDir + "FLIEGE.AVI";
    if (!m_leinwand->Open(video, error) || !m_leinwand->Play(error)) {
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
        m_pause->SetPressed(true);
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
    CentreWindow(*m_meldung);
    // Below the test's announcement ("Pause"), which stays readable, where
    // the screen has room for it.
    if (m_window1->Visible()) {
        const int32_t top = m_window1->Top() + m_window1->Height() + 8;
        if (top + m_meldung->Height() <= m_app.MainForm().Height())
            m_meldung->SetPosition(m_meldung->Left(), top);
    }
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
    m_leinwand->Stop();
    m_app.GetBackend().Minimize();
    Close();
}

} // namespace kestrava::shell
