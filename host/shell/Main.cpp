// The program entry: one full-screen window on the user's display, the
// splash while the program starts, then the menu.
#include "host/shell/Haupt.h"
#include "host/shell/ProgramFolder.h"
#include "platform/app/Application.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlWaveOut.h"

#include <iostream>

int main()
{
    using namespace kestrava;
    const std::string programPath = shell::ProgramPath();
    if (programPath.empty()) {
        std::cerr << "velomar: cannot find the program's own folder\n";
        return 1;
    }
    sdl::SdlBackend backend;
    app::Application application(backend, app::SystemClock());
    std::string error;
    if (!application.Open(error)) {
        std::cerr << "velomar: " << error << '\n';
        return 1;
    }
    shell::THaupt::Options options;
    options.programDir = shell::ProgramFolderOf(programPath);
    options.programPath = programPath;
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
