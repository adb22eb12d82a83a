// A hands-on check of the SDL backend with the application layer: a full-
// screen form with a label, an edit, a panel that follows the mouse, the
// last key and character codes, and both joysticks' raw readings. Escape
// quits.
//
// With --echo (or KESTRAVA_DEMO_ECHO=1) every key down and typed character
// is also printed as "KEY <code>" or "CHAR <code>", one per line, and
// "READY" once the window is up; scripts/e2e-demo.sh drives it that way.
#include "platform/app/Application.h"
#include "platform/app/Controls.h"
#include "platform/sdl/SdlBackend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace kestrava;

namespace {

std::string JoystickText(int n, const app::JoystickState& s)
{
    if (!s.present)
        return "Joystick " + std::to_string(n + 1) + ": none";
    return "Joystick " + std::to_string(n + 1) + ": x " + std::to_string(s.x) + " y " + std::to_string(s.y) +
           " (" + std::to_string(s.xMin) + ".." + std::to_string(s.xMax) + ") buttons " +
           (s.buttons[0] ? "1" : "-") + (s.buttons[1] ? "2" : "-") + (s.buttons[2] ? "3" : "-") +
           (s.buttons[3] ? "4" : "-");
}

} // namespace

int main(int argc, char** argv)
{
    const char* env = std::getenv("KESTRAVA_DEMO_ECHO");
    bool echo = env && std::strcmp(env, "1") == 0;
    for (int i = 1; i < argc; ++i)
        echo = echo || std::strcmp(argv[i], "--echo") == 0;

    sdl::SdlBackend backend;
    app::Application application(backend, app::SystemClock());
    std::string error;
    if (!application.Open(error)) {
        std::fprintf(stderr, "app-demo: %s\n", error.c_str());
        return 1;
    }
    backend.SetNumLock(true);

    app::Form& form = application.MainForm();
    form.color = gdi::Rgb(24, 40, 72);
    form.keyPreview = true;

    gdi::Font big;
    big.height = 28;
    big.bold = true;
    big.color = gdi::Rgb(255, 255, 255);
    gdi::Font normal;
    normal.height = 20;
    normal.color = gdi::Rgb(230, 230, 230);

    auto& title = form.Create<app::Label>();
    title.SetTransparent(true);
    title.SetFont(big);
    title.SetAutoSize(true);
    title.SetPosition(40, 30);
    title.SetText("Kestrava \xE2\x80\x93 Plattformtest (Esc beendet)");

    auto& edit = form.Create<app::Edit>();
    edit.SetBounds(40, 90, 400, 30);
    gdi::Font dark = normal;
    dark.color = gdi::Rgb(0, 0, 0);
    edit.SetFont(dark);
    edit.SetText("Hier tippen: \xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");

    auto& keys = form.Create<app::Label>();
    keys.SetTransparent(true);
    keys.SetFont(normal);
    keys.SetBounds(40, 140, 900, 26);
    keys.SetText("Taste: -   Zeichen: -");

    auto& screen = form.Create<app::Label>();
    screen.SetTransparent(true);
    screen.SetFont(normal);
    screen.SetBounds(40, 170, 900, 26);
    screen.SetText("Bildschirm " + std::to_string(backend.ScreenWidth()) + " x " +
                   std::to_string(backend.ScreenHeight()) + " x " + std::to_string(backend.BitsPerPixel()) +
                   " Bit, " + backend.PresentInfo());

    app::Label* sticks[2];
    for (int n = 0; n < 2; ++n) {
        sticks[n] = &form.Create<app::Label>();
        sticks[n]->SetTransparent(true);
        sticks[n]->SetFont(normal);
        sticks[n]->SetBounds(40, 200 + 30 * n, 900, 26);
    }

    // Cursor fields: move the mouse over each to see its cursor; a .CUR or
    // .ANI file given with --cursor FILE gets a field of its own.
    edit.SetCursor(backend.LoadStandardCursor(app::StandardCursor::IBeam));
    struct CursorField {
        const char* name;
        std::shared_ptr<app::Cursor> cursor;
    };
    std::vector<CursorField> fields = {{"Hand", backend.LoadStandardCursor(app::StandardCursor::Hand)},
                                       {"Sanduhr", backend.LoadStandardCursor(app::StandardCursor::Wait)},
                                       {"Kein Zeiger", backend.LoadStandardCursor(app::StandardCursor::None)}};
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--cursor") == 0) {
            auto fromFile = backend.LoadCursorFile(argv[i + 1]);
            if (fromFile)
                fields.push_back({"Datei", fromFile});
            else
                std::fprintf(stderr, "app-demo: cannot read the cursor file %s\n", argv[i + 1]);
        }
    for (size_t i = 0; i < fields.size(); ++i) {
        auto& field = form.Create<app::Panel>();
        field.SetColor(gdi::Rgb(60, 80, 120));
        field.SetBounds(40 + int32_t(i) * 170, 280, 150, 80);
        field.SetCursor(fields[i].cursor);
        field.SetHint(fields[i].name);
        auto& caption = field.Create<app::Label>();
        caption.SetTransparent(true);
        caption.SetFont(normal);
        caption.SetBounds(0, 0, 150, 80);
        caption.SetAlignment(app::Alignment::Center);
        caption.SetLayout(app::VerticalAlignment::Center);
        caption.SetText(fields[i].name);
        caption.SetEnabled(false);
    }

    // Disabled, so the mouse passes through it to the form below.
    auto& follower = form.Create<app::Panel>();
    follower.SetColor(gdi::Rgb(230, 160, 40));
    follower.SetBounds(form.Width() / 2, form.Height() / 2, 60, 60);
    follower.SetEnabled(false);

    uint32_t lastKey = 0;
    unsigned lastChar = 0;
    auto showKeys = [&] {
        keys.SetText("Taste: " + (lastKey ? std::to_string(lastKey) : std::string("-")) +
                     "   Zeichen: " + (lastChar ? std::to_string(lastChar) : std::string("-")));
    };
    form.OnKeyDown = [&](uint32_t& key, app::Modifiers) {
        lastKey = key;
        showKeys();
        if (echo) {
            std::printf("KEY %u\n", key);
            std::fflush(stdout);
        }
        if (key == app::VK_ESCAPE)
            application.Quit();
    };
    form.OnKeyPress = [&](uint8_t& ch) {
        lastChar = ch;
        showKeys();
        if (echo) {
            std::printf("CHAR %u\n", unsigned(ch));
            std::fflush(stdout);
        }
    };
    form.OnMouseMove = [&](int32_t x, int32_t y, app::Modifiers) {
        follower.SetPosition(x + 12, y + 12);
    };

    auto readSticks = [&] {
        for (int n = 0; n < 2; ++n)
            sticks[n]->SetText(JoystickText(n, backend.ReadJoystick(n)));
    };
    readSticks();
    application.Loop().SetTimer(100, true, readSticks);

    edit.SetFocus();
    application.Update();
    if (echo) {
        std::printf("READY\n");
        std::fflush(stdout);
    }
    application.Run();
    application.Close();
    return 0;
}
