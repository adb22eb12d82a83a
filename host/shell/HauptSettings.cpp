// The settings window, the two volume bars, the reset of all results and
// the help viewer, as the main window opens them and reacts to them.
#include "host/shell/Haupt.h"

#include "host/core/JoystickPanel.h"
#include "host/results/ResetResults.h"
#include "host/shell/Meldung.h"
#include "platform/app/Keys.h"
#include "platform/gdi/Paths.h"

#include <iostream>

namespace kestrava::shell {

// ----------------------------------------------------------------- building

void THaupt::BuildSettingsAndHelp()
{
    app::Form& form = m_app.MainForm();
    m_settings = &form.Create<TSettings>();
    m_settings->Hide();
    m_settings->OnOk = [this] { OkClick(); };
    m_settings->OnJoyStick = [] { OpenJoystickPanel(); };
    m_settings->OnUhr = [this](bool clockOn) { UhrClick(clockOn); };
    m_settings->OnReset = [this] { ResetClick(); };

    m_hilfe = &form.Create<THilfe>(m_options.programDir);
    m_hilfe->Hide();
    m_hilfe->OnOk = [this] { HilfeOkClick(); };
    m_hilfe->indexSource = [this] { return HelpIndexLines(); };
    m_hilfe->showBusy = [this](bool busy) { ShowBusy(busy); };

    // Both volume bars set the one volume; each thumb follows the other
    // once the drag is over.
    for (TVolumeBar* bar : {&m_settings->SettingLautPanel(), &m_test->VolumePanel()}) {
        bar->OnVolume = [this](uint16_t volume) { SetVolume(volume); };
        bar->OnSettled = [this] { PlaceVolumeThumb(); };
    }

}

void THaupt::SetDialogCursors()
{
    m_settings->SetHandCursor(m_handCursor);
    m_hilfe->SetCursors(m_arrowCursor, m_handCursor);
    m_meldung->Ok().SetCursor(m_handCursor);
}

// -------------------------------------------------------------- preferences

void THaupt::ApplyClockFlag()
{
    m_settings->Uhr().SetPressed(m_prefs.clockShown != 0);
    m_test->UhrPanel().SetVisible(m_settings->Uhr().Pressed());
}

// Both thumbs from the volume.
void THaupt::PlaceVolumeThumb()
{
    m_test->VolumePanel().PlaceThumb(m_prefs.volume);
    m_settings->SettingLautPanel().PlaceThumb(m_prefs.volume);
}

// The volume takes effect at once: it is the master volume every sound a
// module plays through the host is scaled by.
void THaupt::SetVolume(uint16_t volume)
{
    m_prefs.volume = volume;
    m_host.Sounds().SetMasterVolume(volume);
}

void THaupt::HideSettingsVolume()
{
    if (m_settings != nullptr)
        m_settings->HideVolume();
}

// --------------------------------------------------------------- settings

void THaupt::DoSettings()
{
    if (m_settings->Visible())
        return;
    ShowBusy(true);
    m_settings->Place(m_menue->SettingsButton().ScreenRect());
    EnableMenuControls(false);
    m_settings->ShowComposed();
    m_settings->SetFocus();
    ShowBusy(false);
}

void THaupt::OkClick()
{
    if (!m_settings->Visible() || !m_settings->Reset().Enabled())
        return; // the reset question is open
    // A controller plugged in or set up meanwhile is used from now on.
    m_joy1->Initialise();
    m_joy2->Initialise();
    m_settings->HideVolume();
    m_settings->Hide();
    m_menue->Invalidate();
    m_test->UhrPanel().SetVisible(m_settings->Uhr().Pressed());
    EnableMenuControls(true);
}

void THaupt::UhrClick(bool clockOn) { m_prefs.clockShown = clockOn ? 1 : 0; }

void THaupt::ResetClick()
{
    m_settings->Reset().SetEnabled(false);
    m_menue->SetEnabled(false);
    Ask("Wollen Sie wirklich\rIhre bisherigen\rErgebnisse löschen?", [this](bool yes) { ResetAnswered(yes); });
}

// The answer to the reset question; JaNein is hidden already.
void THaupt::ResetAnswered(bool yes)
{
    m_settings->Reset().SetEnabled(true);
    if (yes) {
        ShowBusy(true);
        for (const std::string& failed : DeleteResults(m_options.programDir + "TESTS/"))
            std::cerr << "velomar: could not delete " << failed << '\n';
        RefreshTestList();
        ShowBusy(false);
    }
    m_menue->SetEnabled(true);
    if (m_settings->Visible())
        m_settings->SetFocus();
}

void THaupt::LautstaerkeClick()
{
    m_test->VolumePanel().StopDragging();
    m_test->VolumePanel().SetVisible(m_test->Lautstaerke().Pressed());
}

// ------------------------------------------------------------------- help

// The index page's lines: the test list top to bottom, then the programs.
HelpIndex THaupt::HelpIndexLines() const
{
    HelpIndex index;
    for (const std::string& title : m_menue->TestListBox().Lines())
        if (const TestCatalogueEntry* test = m_tests.ByTitle(title))
            index.tests.push_back({title, ExtractFilePath(test->modulePath)});
    for (const std::string& name : m_menue->ProgrammListBox().Lines())
        if (const ProgramCatalogueEntry* program = m_programs.ByName(name))
            index.programs.push_back({name, ExtractFilePath(program->programPath)});
    return index;
}

void THaupt::FrageButtonClick()
{
    if (m_hilfe->Visible())
        return;
    ShowBusy(true);
    m_menue->FrageButton().SetEnabled(false);
    m_menue->SetEnabled(false);
    PlaceInRoom(*m_hilfe);
    m_hilfe->InitHelp();
    m_hilfe->ShowComposed();
    m_menue->FrageButton().SetEnabled(true);
    m_hilfe->SetFocus();
    ShowBusy(false);
}

void THaupt::FrageClick()
{
    // The click has latched the button already; a release does nothing.
    if (!m_test->Frage().Pressed() || m_hilfe->Visible())
        return;
    if (m_runner.BetweenTicks()) {
        // From the module's end to the next test's ticks there is no test
        // to explain: a help opened now would stay open over the gap and
        // the next test would start behind it.
        m_test->Frage().SetPressed(false);
        return;
    }
    const TRunEntry* entry = m_run.Current();
    const TestCatalogueEntry* test = entry != nullptr ? m_tests.ByIndex(entry->CatalogueIndex) : nullptr;
    const std::string folder = test != nullptr ? ExtractFilePath(test->modulePath) : std::string();
    if (folder.empty() || FindHelpFile(folder, "HELP1", ".BMP").empty()) {
        // A test without help: the button springs back, the test goes on.
        m_test->Frage().SetPressed(false);
        return;
    }
    // The test stands still while its help is read.
    StopTicks();
    m_host.SetBlocked(true);
    SoundPaused(true);
    m_test->SetEnabled(false);
    m_test->VolumePanel().Hide();
    m_test->Lautstaerke().SetPressed(false);
    m_test->Leiste().Hide();
    m_test->Leiste().SetEnabled(false);

    PlaceInRoom(*m_hilfe);
    m_hilfe->ShowPage(folder, "HELP1");
    m_hilfe->ShowComposed();
    m_hilfe->SetFocus();
}

void THaupt::HilfeOkClick()
{
    if (!m_hilfe->Visible())
        return;
    m_hilfe->Hide();
    m_menue->Invalidate();
    m_hilfe->Clear();
    if (m_test->Frage().Pressed()) {
        m_test->SetEnabled(true);
        m_test->Leiste().SetEnabled(true);
        if (!m_test->Pause().Pressed()) {
            m_host.SetBlocked(false);
            SoundPaused(false);
            StartTicks();
        }
        m_test->Frage().SetPressed(false);
    } else {
        m_menue->SetEnabled(true);
    }
}

// F10: the running test's help on the test screen, the general help in the
// menu when nothing else is open there.
void THaupt::HelpKey()
{
    if (m_hilfe->Visible())
        return;
    if (m_test->Enabled() && m_test->Visible() && !m_menue->Visible()) {
        m_test->Frage().SetPressed(true);
        FrageClick();
    } else if (m_menue->Enabled() && m_menue->Visible() && !m_settings->Visible() &&
               !m_jaNein->Visible() && !m_zeit->Visible()) {
        FrageButtonClick();
    }
}

} // namespace kestrava::shell
