// The program entry: one full-screen window on the user's display, the
// splash while the program starts, then the menu.
#include "host/shell/FolderGuard.h"
#include "host/shell/Haupt.h"
#include "host/shell/Preferences.h"
#include "platform/app/Application.h"
#include "platform/app/TerminationSignals.h"
#include "platform/folder/ProgramFolder.h"
#include "platform/gdi/FileCause.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlWaveOut.h"
#include "ui/UiScale.h"

#include <cstdlib>
#include <iostream>

int main()
{
    using namespace kestrava;
    // From here on logout and Ctrl+C end the program in order.
    app::InstallTerminationSignals();
    const std::string programPath = folder::ProgramPath();
    if (programPath.empty()) {
        std::cerr << "velomar: cannot find the program's own folder\n";
        return 1;
    }
    folder::Placement placement;
    std::string placeError;
    const bool placed = folder::PlaceProgram(programPath, true, placement, placeError);
    if (!placed)
        std::cerr << "velomar: " << placeError << '\n';
    sdl::SdlBackend backend;
    // One program per folder; the lock lasts until the process ends. A
    // folder that could not be placed is named in a message box below.
    shell::InstanceLock instance;
    if (placed) {
        std::string lockError;
        switch (instance.Take(placement.programDir, lockError)) {
        case shell::InstanceLock::Outcome::Held:
            for (const std::string& path :
                 shell::RemoveStaleTemporaries(placement.programDir, PreferencesPath(placement.programPath)))
                std::cerr << "velomar: removed " << path << ", left by a writer that was ended\n";
            break;
        case shell::InstanceLock::Outcome::Busy:
            // Before the window is made: a second full-screen window would
            // cover the program that already runs.
            backend.MessageBox("Der Kestrava",
                               "Der Kestrava läuft bereits aus diesem Ordner:\n" + placement.programDir +
                                   "\n\nBitte arbeiten Sie in dem Fenster weiter, das schon geöffnet ist.");
            return 1;
        case shell::InstanceLock::Outcome::Failed:
            // Nothing can be written in a folder that cannot even hold the
            // lock file, so no result can be lost either; the program runs.
            std::cerr << "velomar: " << lockError << '\n';
            break;
        }
    }
    app::Application application(backend, app::SystemClock());
    std::string error;
    if (!application.Open(error)) {
        std::cerr << "velomar: " << error << '\n';
        return 1;
    }
    if (!placed) {
        // The reason in detail went to standard error; the user learns
        // which folder it is about and the cause in a word.
        backend.MessageBox("Der Kestrava", placement.programDir.empty()
                                               ? "Für Ihre Ergebnisse fehlt ein persönlicher Ordner\n(HOME ist nicht gesetzt)."
                                               : "Der Ordner für Ihre Ergebnisse kann nicht angelegt werden:\n" +
                                                     placement.programDir + "\n\n(" +
                                                     FileCauseText(placement.errorNumber) + ")");
        return 1;
    }
    shell::THaupt::Options options;
    options.programDir = placement.programDir;
    options.programPath = placement.programPath;
    options.desktopScale = ui::DesktopScale(std::getenv("GDK_SCALE"), std::getenv("QT_SCALE_FACTOR"));
    options.makeWaveOut = [&application]() -> std::unique_ptr<app::WaveOutDevice> {
        return std::make_unique<sdl::SdlWaveOut>(
            [&application](std::function<void()> fn) { application.Loop().Post(std::move(fn)); });
    };
    shell::THaupt haupt(application, options);
    if (!haupt.Start())
        return 1;
    application.Run();
    return 0;
}
