// The whole program on the headless backend in virtual time: a copy of the
// built program folder in a temporary folder, the main window started on a
// virtual screen, and helpers that click controls the way a person does.
#pragma once

#include "host/shell/Auswertung.h"
#include "host/shell/Haupt.h"
#include "host/shell/Meldung.h"
#include "platform/app/Application.h"
#include "platform/app/ManualClock.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestrava::shell::testing {

namespace fs = std::filesystem;

// How often `what` stands in `text` (lines of a fake module's log).
inline int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// A program folder with the artwork, the credits and the cursors, and
// TESTS/ holding what a test puts there.
class ProgramFolder {
public:
    ProgramFolder()
    {
        static int serial = 0;
        root = fs::temp_directory_path() /
               ("kestrava-shell-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(root);
        fs::create_directories(root / "TESTS");
        const fs::path built = KESTRAVA_PROGRAM_DIR;
        fs::copy(built / "skin", root / "skin", fs::copy_options::recursive);
        for (const char* file : {"FLIEGE.AVI", "FLIEGE.ANI", "HAND.CUR", "libvgdi.so"})
            fs::copy_file(built / file, root / file);
    }
    ~ProgramFolder()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    void AddZek()
    {
        const fs::path built = fs::path(KESTRAVA_PROGRAM_DIR) / "TESTS";
        fs::copy_file(built / "ZEK.TST", root / "TESTS" / "ZEK.TST");
        fs::copy_file(built / "ZEK.ini", root / "TESTS" / "ZEK.ini");
        fs::copy(built / "graphics", root / "TESTS" / "graphics", fs::copy_options::recursive);
    }
    // The Mehrfachreaktion module in its own folder, its stimuli in the
    // order the seed gives.
    void AddMfr(int seed)
    {
        const fs::path built = fs::path(KESTRAVA_PROGRAM_DIR) / "TESTS" / "MFR";
        fs::create_directories(root / "TESTS" / "MFR");
        for (const char* file : {"MFR.TST", "MFRHOCH.WAV", "MFRTIEF.WAV", "HELP1.BMP", "HELP1.INI", "HELP2.BMP",
                                 "HELP2.INI"})
            if (fs::exists(built / file))
                fs::copy_file(built / file, root / "TESTS" / "MFR" / file);
        fs::copy(built / "graphics", root / "TESTS" / "MFR" / "graphics", fs::copy_options::recursive);
        std::ofstream(root / "TESTS" / "MFR" / "MFR.ini") << "[GLOBAL]\nSEED=" << seed << "\n";
    }
    // The Fluglage module in its own folder, its items in the order the
    // seed gives.
    void AddLage(int seed)
    {
        const fs::path built = fs::path(KESTRAVA_PROGRAM_DIR) / "TESTS" / "LAGE";
        fs::create_directories(root / "TESTS" / "LAGE");
        fs::copy_file(built / "LAGE.TST", root / "TESTS" / "LAGE" / "LAGE.TST");
        std::ofstream(root / "TESTS" / "LAGE" / "LAGE.ini") << "[GLOBAL]\nSEED=" << seed << "\n";
    }
    // A timed fake test: name.TST with its info file.
    void AddTimed(const std::string& name, const std::string& title, int keepsResults, int minMs, int maxMs,
                  int stepMs, int defaultMs, int countdownMs)
    {
        fs::copy_file(TIMED_MODULE_PATH, root / "TESTS" / (name + ".TST"));
        std::ofstream(root / "TESTS" / (name + ".info")) << title << '\n'
                                                          << keepsResults << ' ' << minMs << ' ' << maxMs << ' '
                                                          << stepMs << ' ' << defaultMs << ' ' << countdownMs << '\n';
    }
    std::string Log(const std::string& name) const { return ReadAll(root / "TESTS" / (name + ".log")); }
    static std::string ReadAll(const fs::path& path)
    {
        std::string text;
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            char buffer[4096];
            size_t n = 0;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                text.append(buffer, n);
            std::fclose(f);
        }
        return text;
    }
    std::string Dir() const { return root.string() + "/"; }

    fs::path root;
};

// The questions of the yes/no window, as its label shows them.
inline const std::string kResetQuestion = "Wollen Sie wirklich\nIhre bisherigen\nErgebnisse löschen?";
inline const std::string kExitQuestion = "Wollen Sie das\nProgramm wirklich\nbeenden?";
inline const std::string kAbortQuestion = "Wollen Sie den\nTest wirklich\nabbrechen?";

// The control of this name in the tree under root, as what it is; a test
// that finds none, or one of another kind, fails at once.
template <class T>
T& Named(app::Control& root, const std::string& name)
{
    T* found = dynamic_cast<T*>(root.FindNamed(name));
    if (found == nullptr)
        throw std::runtime_error("no control named " + name);
    return *found;
}

class ShellTest : public ::testing::Test {
protected:
    explicit ShellTest(int32_t width = 1024, int32_t height = 768) : backend(width, height, 32), app(backend, clock) {}

    // Opens the window and makes the main window, not yet started.
    void MakeProgram()
    {
        std::string error;
        ASSERT_TRUE(app.Open(error)) << error;
        THaupt::Options options;
        options.programDir = folder.Dir();
        options.programPath = (folder.root / "velomar").string();
        options.randomSeed = 7;
        options.makeWaveOut = makeWaveOut;
        options.probeResultTrouble = probe;
        haupt = std::make_unique<THaupt>(app, options);
    }
    // Opens the window and runs the start-up to the menu.
    void StartProgram()
    {
        MakeProgram();
        ASSERT_TRUE(haupt->Start());
        Advance(6000);
        ASSERT_TRUE(haupt->Created());
    }

    void Advance(uint32_t ms)
    {
        app.Loop().AdvanceTime(ms);
        clock.Settle();
        app.Loop().RunPending();
    }
    void Pump() { app.Loop().RunPending(); }
    // The mouse wheel turned over a control, near its top-left corner.
    void Wheel(app::Control& over, int32_t notches)
    {
        const gdi::Rect r = over.ScreenRect();
        backend.PushWheel(r.left + 5, r.top + 5, notches);
        Pump();
    }

    static gdi::Rect ScreenOf(app::Control& c) { return c.ScreenRect(); }
    void ClickOn(app::Control& c, int32_t dx = -1, int32_t dy = -1)
    {
        const gdi::Rect r = c.ScreenRect();
        backend.PushClick(dx < 0 ? (r.left + r.right) / 2 : r.left + dx, dy < 0 ? (r.top + r.bottom) / 2 : r.top + dy);
        Pump();
    }
    // Clicks line `line` of a list.
    void ClickLine(ui::TMyCustomListBox& list, int32_t line, bool ctrl = false)
    {
        const gdi::Rect r = list.ScreenRect();
        const int32_t y = r.top + line * list.RowHeight() + list.RowHeight() / 2;
        backend.PushMouseMove(r.left + 20, y);
        app::Modifiers mods;
        mods.ctrl = ctrl;
        backend.PushMouseDown(r.left + 20, y, app::MouseButton::Left, mods);
        backend.PushMouseUp(r.left + 20, y, app::MouseButton::Left, mods);
        Pump();
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            backend.PushChar(static_cast<uint8_t>(c));
        Pump();
    }
    void Key(uint32_t vk)
    {
        backend.PushKey(vk);
        Pump();
    }
    // Selects the first `lines` lines of the test list (Ctrl+click after the
    // first), presses start and confirms 00:minutes in the time dialog.
    void StartFirstTests(int lines, const std::string& minutes)
    {
        for (int line = 0; line < lines; ++line)
            ClickLine(MenuePanel().TestListBox(), line, line > 0);
        ClickOn(MenuePanel().GoButton());
        StartRun("00", minutes);
    }
    // Selects the line with this title, starts, enters the time and
    // confirms.
    void StartRun(const std::string& hours, const std::string& minutes)
    {
        ASSERT_TRUE(Zeiteinstellung().Visible());
        Zeiteinstellung().Stunden().SetText(hours);
        Zeiteinstellung().Minuten().SetText(minutes);
        ClickOn(Zeiteinstellung().OkButton());
    }

    // The screens of the program, found by their names.
    template <class T>
    T& Named(const std::string& name)
    {
        return testing::Named<T>(app.MainForm(), name);
    }
    TMenu& MenuePanel() { return Named<TMenu>("MenuePanel"); }
    TTestScreen& TestPanel() { return Named<TTestScreen>("TestPanel"); }
    TZeiteinstellung& Zeiteinstellung() { return Named<TZeiteinstellung>("Zeiteinstellung"); }
    TEnde& Ende() { return Named<TEnde>("Ende"); }
    TJaNein& JaNein() { return Named<TJaNein>("JaNein"); }
    TMeldung& Meldung() { return Named<TMeldung>("Meldung"); }
    TAuswertung& Auswertung() { return Named<TAuswertung>("Auswertung"); }
    TSettings& Settings() { return Named<TSettings>("Settings"); }
    THilfe& Hilfe() { return Named<THilfe>("Hilfe"); }
    TAbspann& Abspann() { return Named<TAbspann>("Abspann"); }
    // Null once the start-up is over.
    TSplashScreen* Splash() { return dynamic_cast<TSplashScreen*>(app.MainForm().FindNamed("Splash")); }

    // Whether the yes/no window is open with this question.
    bool Asks(const std::string& question)
    {
        return JaNein().Visible() && JaNein().JaNeinLabel().Text() == question;
    }

    // The message the program's message window shows, closed with Enter;
    // empty (and a failure) when none is open.
    std::string CloseMessage()
    {
        if (!Meldung().Visible()) {
            ADD_FAILURE() << "no message is shown";
            return {};
        }
        const std::string text = Meldung().Text();
        Type("\r");
        return text;
    }
    // Closes every message shown, keeping their texts in `messages`; how
    // many there were in all.
    size_t ReadMessages()
    {
        while (Meldung().Visible())
            messages.push_back(CloseMessage());
        return messages.size();
    }
    // Saves the screen as NAME.png in the folder KESTRAVA_SHOTS names, when
    // it names one: pictures of the screens for a person to look at.
    void Shot(const std::string& name)
    {
        const char* shots = std::getenv("KESTRAVA_SHOTS");
        if (shots == nullptr || shots[0] == '\0')
            return;
        std::string error;
        EXPECT_TRUE(backend.SaveFrame(std::string(shots) + "/" + name + ".png", &error)) << error;
    }

    // A timed fake test alone, for one minute, through the menu.
    void StartOneMinuteOfAlpha()
    {
        folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
        StartProgram();
        StartFirstTests(1, "01");
    }

    // Not set: the program runs without a sound device.
    std::function<std::unique_ptr<app::WaveOutDevice>()> makeWaveOut;
    // Not set: the program looks at the folder itself.
    ResultTroubleProbe probe;
    ProgramFolder folder;
    app::ManualClock clock{1000};
    app::HeadlessBackend backend;
    app::Application app;
    std::unique_ptr<THaupt> haupt;
    std::vector<std::string> messages; // closed by ReadMessages
};

} // namespace kestrava::shell::testing
