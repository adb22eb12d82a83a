// A soak in virtual time: the whole program on the headless backend, driven
// by a seeded random stream of what a candidate does (keys, clicks on the
// menu, the lists, the dialogs, the test bar and anywhere else, focus lost
// and regained, runs of one and of several tests, saving a run and resuming
// it) for two hours of virtual time. After every step it checks what must
// always hold: exactly one screen, at most one dialog over it, ticks only
// while a test really runs, no module bound in the menu, no message box;
// after every run the menu must be reachable again with a few presses of
// Escape or Enter. At the end it reports the virtual time, the actions, the
// runs and the resident memory at start and end.
//
// KESTRAVA_SOAK_MINUTES sets the virtual length (default 120, 30 in the
// sanitizer builds) and
// KESTRAVA_SOAK_SEED the random stream (default 1); a failure names the
// seed and the last actions, so the same run can be repeated, and
// KESTRAVA_SOAK_TRACE=1 writes every action to standard error.
#include "../shell/ShellFixture.h"

#include "host/core/DLLImport.h"
#include "host/shell/Auswertung.h"
#include "platform/app/Keys.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>
#include <unistd.h>

namespace kestrava::shell::testing {
namespace {

using namespace app;

// Resident memory of this process in bytes, from /proc/self/statm.
uint64_t ResidentBytes()
{
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr)
        return 0;
    unsigned long long size = 0, resident = 0;
    const int n = std::fscanf(f, "%llu %llu", &size, &resident);
    std::fclose(f);
    return n == 2 ? resident * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

uint64_t EnvNumber(const char* name, uint64_t fallback)
{
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
        return fallback;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    return (end != nullptr && *end == '\0' && value > 0) ? value : fallback;
}

constexpr uint64_t kGrossGrowth = 64ull << 20;
constexpr int kPressesToMenu = 16;

class SoakTest : public ShellTest {
protected:
    // ---------------------------------------------------------- the state

    struct Snapshot {
        bool menu = false;
        bool test = false;
        bool ticks = false;
        int32_t tick = 0;
        // The test stands still on its own: the menu, a pause, a question,
        // the help over a test, or the program away. Nothing but input
        // starts the ticks again from here.
        bool still = false;
    };

    bool JaNeinAsks(const std::string& question) { return Asks(question); }

    Snapshot Look()
    {
        Snapshot s;
        s.menu = MenuePanel().Visible();
        s.test = TestPanel().Visible();
        s.ticks = haupt->TicksRunning();
        s.tick = haupt->TickCount();
        const bool paused = s.test && TestPanel().Pause().Pressed() && TestPanel().Window1().Visible() &&
                            TestPanel().Testeinblendung().Text() == "Pause";
        s.still = !focused || (s.menu && !s.test) || paused || JaNeinAsks(kAbortQuestion) ||
                  (s.test && Hilfe().Visible());
        return s;
    }

    std::vector<std::string> VisibleDialogs()
    {
        std::vector<std::string> open;
        auto note = [&](app::Control& c, const char* name) {
            if (c.Visible())
                open.push_back(name);
        };
        note(Zeiteinstellung(), "time dialog");
        note(Ende(), "end screen");
        note(JaNein(), "question");
        note(Auswertung(), "evaluation");
        note(Settings(), "settings");
        note(Hilfe(), "help");
        return open;
    }

    bool MenuUsable()
    {
        return MenuePanel().Visible() && MenuePanel().Enabled() && !TestPanel().Visible() &&
               VisibleDialogs().empty() && MenuePanel().GoButton().EnabledInTree() &&
               MenuePanel().ExitButton().EnabledInTree() && MenuePanel().TestListBox().EnabledInTree() &&
               !haupt->TicksRunning() && BoundDispatchMessage() == nullptr;
    }

    // Everything that holds after every step; a failure names the seed and
    // the last actions.
    void CheckInvariants(const char* when)
    {
        ++checks;
        if (trace)
            std::fprintf(stderr, "soak:   %s: menu %d test %d enabled %d dialogs [%s] ticks %d tick %d paused %d\n", when,
                         MenuePanel().Visible(), TestPanel().Visible(), TestPanel().Enabled(),
                         Join(VisibleDialogs()).c_str(), haupt->TicksRunning(), haupt->TickCount(),
                         TestPanel().Pause().Pressed());
        const std::string where = std::string(when) + Trace();
        ASSERT_TRUE(haupt->Created() && !haupt->Destroyed()) << where;
        ASSERT_FALSE(Abspann().Visible()) << "the credits started" << where;
        const bool menu = MenuePanel().Visible();
        const bool test = TestPanel().Visible();
        ASSERT_NE(menu, test) << "exactly one screen: menu " << menu << ", test " << test << where;

        const std::vector<std::string> open = VisibleDialogs();
        const bool resetQuestion = open.size() == 2 && Settings().Visible() && JaNeinAsks(kResetQuestion);
        ASSERT_TRUE(open.size() <= 1 || resetQuestion) << "dialogs at once: " << Join(open) << where;
        if (test) {
            // A pressed pause button always shows why the test stands: its
            // title, the gap's notice or "Pause".
            ASSERT_TRUE(!TestPanel().Pause().Pressed() || TestPanel().Window1().Visible())
                << "paused without the overlay" << where;
            for (const std::string& name : open)
                ASSERT_TRUE(name == "question" || name == "help") << name << " over a test" << where;
            if (JaNein().Visible()) {
                ASSERT_TRUE(Asks(kAbortQuestion)) << where;
            }
        } else {
            ASSERT_FALSE(TestPanel().Window1().Visible()) << "the test's overlay over the menu" << where;
            ASSERT_FALSE(TestPanel().CountDownPanel().Visible()) << "the countdown over the menu" << where;
            ASSERT_FALSE(JaNeinAsks(kAbortQuestion)) << "the abort question over the menu" << where;
            ASSERT_EQ(BoundDispatchMessage(), nullptr) << "a module bound in the menu" << where;
        }

        if (haupt->TicksRunning()) {
            ASSERT_TRUE(test) << "ticks outside a test" << where;
            ASSERT_TRUE(TestPanel().Enabled()) << "ticks behind a disabled test screen" << where;
            ASSERT_FALSE(TestPanel().Pause().Pressed()) << "ticks while paused" << where;
            ASSERT_FALSE(JaNein().Visible()) << "ticks while a question is open" << where;
            ASSERT_FALSE(Hilfe().Visible()) << "ticks behind the help" << where;
            ASSERT_FALSE(haupt->InGap()) << "ticks in the gap" << where;
            ASSERT_FALSE(TestPanel().Window1().Visible()) << "ticks behind the title or the pause" << where;
            ASSERT_TRUE(focused) << "ticks while the program is away" << where;
        }

        ASSERT_TRUE(backend.MessageBoxes().empty())
            << "message box: " << backend.MessageBoxes().front().text << where;
        ASSERT_FALSE(Meldung().Visible()) << "message: " << Meldung().Text() << where;
        // The backend keeps every presented rectangle; only the program's
        // own memory is of interest here.
        backend.ClearPresented();
    }

    static std::string Join(const std::vector<std::string>& parts)
    {
        std::string text;
        for (const std::string& p : parts)
            text += (text.empty() ? "" : ", ") + p;
        return text;
    }

    std::string Trace() const
    {
        std::ostringstream out;
        out << "\n  seed " << seed << ", action " << actions << ", virtual ms " << VirtualMs() << "; last actions:";
        for (const std::string& a : recent)
            out << "\n    " << a;
        return out.str();
    }

    void Note(std::string what)
    {
        ++actions;
        recent.push_back(std::to_string(VirtualMs()) + " " + std::move(what));
        if (trace)
            std::fprintf(stderr, "soak: %s\n", recent.back().c_str());
        if (recent.size() > 40)
            recent.pop_front();
    }

    uint64_t VirtualMs() const { return clock.NowMs() - startMs; }

    // ------------------------------------------------------------- steps

    // Lets virtual time pass and checks what must hold after it: in a state
    // where the test stands still, the tick count never grows.
    void Wait(uint32_t ms)
    {
        const Snapshot before = Look();
        Advance(ms);
        ASSERT_NO_FATAL_FAILURE(Counting(before));
        if (before.still) {
            ASSERT_LE(haupt->TickCount(), before.tick) << "ticks while the test stands still" << Trace();
        }
        if (before.ticks && haupt->TicksRunning() && ms >= 10 && haupt->TickCount() == before.tick)
            FAIL() << "the ticks run but the count stands" << Trace();
        ASSERT_NO_FATAL_FAILURE(CheckInvariants(" after waiting"));
    }

    // Counts a run's end: the test screen gave way to the menu.
    void Counting(const Snapshot& before)
    {
        if (!(before.test && MenuePanel().Visible()))
            return;
        if (answeredAbort)
            ++runsAborted;
        else
            ++runsCompleted;
        answeredAbort = false;
        runEnded = true;
    }

    // One action of the person: done, then checked.
    void Act(const std::string& what, const std::function<void()>& action)
    {
        Note(what);
        const Snapshot before = Look();
        const bool abortAsked = JaNeinAsks(kAbortQuestion);
        action();
        if (abortAsked && !TestPanel().Visible())
            answeredAbort = true;
        if (!before.test && TestPanel().Visible())
            ++runsStarted;
        ASSERT_NO_FATAL_FAILURE(Counting(before));
        ASSERT_NO_FATAL_FAILURE(CheckInvariants(" after the action"));
    }

    // --------------------------------------------------------- the person

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng); }
    uint32_t Between(uint32_t lo, uint32_t hi) { return std::uniform_int_distribution<uint32_t>(lo, hi)(rng); }
    int32_t Coord(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, std::max(lo, hi))(rng); }

    // The exit question is always answered no: the soak must not end the
    // program.
    bool ExitAsked() { return JaNeinAsks(kExitQuestion); }

    void TypedKey(uint32_t vk, uint8_t ch)
    {
        if (ExitAsked() && (ch == 13 || ch == ' ' || ch == 'j'))
            backend.PushTypedKey('N', 'n');
        else
            backend.PushTypedKey(vk, ch);
        Pump();
    }

    void ClickAt(int32_t x, int32_t y)
    {
        const gdi::Rect yes = JaNein().JaButton().ScreenRect();
        if (ExitAsked() && x >= yes.left && x < yes.right && y >= yes.top && y < yes.bottom) {
            ClickOn(JaNein().NeinButton());
            return;
        }
        backend.PushClick(x, y);
        Pump();
    }

    void Click(app::Control& c)
    {
        const gdi::Rect r = c.ScreenRect();
        ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // The test bar shows when the mouse goes to the top of the test screen.
    void ClickInBar(app::Control& c)
    {
        backend.PushMouseMove(Coord(0, 1023), Coord(0, 40));
        Pump();
        Click(c);
    }

    void RandomKey()
    {
        switch (Pick(12)) {
        case 0: Act("Escape", [&] { TypedKey(VK_ESCAPE, 27); }); break;
        case 1: Act("Enter", [&] { TypedKey(VK_RETURN, 13); }); break;
        case 2: Act("Space", [&] { TypedKey(VK_SPACE, ' '); }); break;
        case 3: Act("Tab", [&] { TypedKey(VK_TAB, 9); }); break;
        case 4: Act("Pause", [&] { Key(VK_PAUSE); }); break;
        case 5: {
            const uint32_t f = VK_F1 + static_cast<uint32_t>(Pick(4));
            Act("F" + std::to_string(f - VK_F1 + 1), [&] { Key(f); });
            break;
        }
        case 6: Act("F10", [&] { Key(VK_F10); }); break;
        case 7: {
            const int d = Pick(10);
            Act("digit " + std::to_string(d), [&] { TypedKey(VK_0 + static_cast<uint32_t>(d), uint8_t('0' + d)); });
            break;
        }
        case 8: Act("j", [&] { TypedKey('J', 'j'); }); break;
        case 9: Act("n", [&] { TypedKey('N', 'n'); }); break;
        default: {
            // An arrow held for a while, as the tracking task is steered.
            const uint32_t arrows[4] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
            const uint32_t vk = arrows[Pick(4)];
            const uint32_t held = Between(0, 1500);
            Act("arrow " + std::to_string(vk) + " held " + std::to_string(held) + " ms", [&] {
                backend.PushKeyDown(vk);
                Pump();
            });
            if (HasFatalFailure())
                return;
            ASSERT_NO_FATAL_FAILURE(Wait(held));
            backend.PushKeyUp(vk);
            Pump();
            break;
        }
        }
    }

    void ClickAnywhere()
    {
        const int32_t x = Coord(0, 1023);
        const int32_t y = Coord(0, 767);
        Act("click at " + std::to_string(x) + "," + std::to_string(y), [&] { ClickAt(x, y); });
    }

    void ClickListLine(ui::TMyCustomListBox& list, const char* name)
    {
        if (list.Count() == 0)
            return;
        const int32_t line = Pick(static_cast<int>(std::min<int32_t>(list.Count(), 4)));
        const bool ctrl = Chance(0.5);
        Act(std::string("line ") + std::to_string(line) + " of " + name + (ctrl ? " with Ctrl" : ""),
            [&] { ClickLine(list, line, ctrl); });
    }

    // Focus lost for a while and regained: the test must not run meanwhile.
    void AwayAndBack()
    {
        Act("focus lost", [&] {
            backend.PushFocus(false);
            Pump();
            focused = false;
        });
        if (HasFatalFailure())
            return;
        ASSERT_NO_FATAL_FAILURE(Wait(Between(0, 8000)));
        Act("focus gained", [&] {
            backend.PushFocus(true);
            Pump();
            focused = true;
        });
    }

    // A whole start: tests chosen in the list or a program, the start
    // button, and a time of one to four minutes confirmed.
    void StartARun()
    {
        if (Chance(0.2) && MenuePanel().ProgrammListBox().Count() > 0) {
            Act("program line", [&] { ClickLine(MenuePanel().ProgrammListBox(), 0); });
        } else {
            const int n = 1 + Pick(static_cast<int>(std::min<int32_t>(MenuePanel().TestListBox().Count(), 3)));
            const int first = Pick(MenuePanel().TestListBox().Count() - n + 1);
            for (int i = 0; i < n && !HasFatalFailure(); ++i)
                Act("test line " + std::to_string(first + i),
                    [&] { ClickLine(MenuePanel().TestListBox(), first + i, i > 0); });
        }
        if (HasFatalFailure())
            return;
        Act("start button", [&] { Click(MenuePanel().GoButton()); });
        if (HasFatalFailure() || !Zeiteinstellung().Visible())
            return;
        const std::string minutes = "0" + std::to_string(1 + Pick(4));
        Act("time 00:" + minutes + ", OK", [&] {
            Zeiteinstellung().Stunden().SetText("00");
            Zeiteinstellung().Minuten().SetText(minutes);
            Click(Zeiteinstellung().OkButton());
        });
    }

    void MenuAction()
    {
        const int r = Pick(100);
        if (r < 28)
            StartARun();
        else if (r < 43) {
            Act("load button", [&] { Click(MenuePanel().LoadButton()); });
            if (TestPanel().Visible())
                ++resumes;
        }
        else if (r < 50)
            ClickListLine(MenuePanel().TestListBox(), "the test list");
        else if (r < 53)
            ClickListLine(MenuePanel().ProgrammListBox(), "the program list");
        else if (r < 56)
            Act("start button", [&] { Click(MenuePanel().GoButton()); });
        else if (r < 61)
            Act("help button", [&] { Click(MenuePanel().FrageButton()); });
        else if (r < 67)
            Act("settings button", [&] { Click(MenuePanel().SettingsButton()); });
        else if (r < 73)
            Act("evaluation button", [&] { Click(MenuePanel().DetailButton()); });
        else if (r < 77)
            Act("exit button", [&] { Click(MenuePanel().ExitButton()); });
        else
            GenericAction();
    }

    void DialogAction()
    {
        const int r = Pick(100);
        if (r >= 60) {
            GenericAction();
            return;
        }
        if (JaNein().Visible()) {
            const bool yes = !ExitAsked() && Chance(Asks(kAbortQuestion) ? 0.3 : 0.5);
            Act(yes ? "yes" : "no", [&] { Click(yes ? JaNein().JaButton() : JaNein().NeinButton()); });
        } else if (Zeiteinstellung().Visible()) {
            if (Chance(0.7)) {
                const std::string minutes = "0" + std::to_string(1 + Pick(3));
                Act("time 00:" + minutes + ", OK", [&] {
                    Zeiteinstellung().Stunden().SetText("00");
                    Zeiteinstellung().Minuten().SetText(minutes);
                    Click(Zeiteinstellung().OkButton());
                });
            } else {
                Act("time dialog cancelled", [&] { Click(Zeiteinstellung().AbbruchButton()); });
            }
        } else if (Ende().Visible()) {
            if (Chance(0.6))
                Act("end screen OK", [&] { Click(Ende().EndeOk()); });
            else
                Act("end screen arrow", [&] { Key(Chance(0.5) ? VK_DOWN : VK_UP); });
        } else if (Settings().Visible()) {
            TSettings& s = Settings();
            switch (Pick(6)) {
            case 0: Act("settings clock", [&] { Click(s.Uhr()); }); break;
            case 1: Act("settings volume", [&] { Click(s.Laut()); }); break;
            case 2: Act("settings reset", [&] { Click(s.Reset()); }); break;
            default: Act("settings OK", [&] { Click(s.Ok()); }); break;
            }
        } else if (Hilfe().Visible()) {
            THilfe& h = Hilfe();
            if (Chance(0.6)) {
                Act("help OK", [&] { Click(h.HilfeOk()); });
            } else {
                const gdi::Rect r2 = h.HilfeImage().ScreenRect();
                const int32_t x = Coord(r2.left, r2.right - 1);
                const int32_t y = Coord(r2.top, r2.bottom - 1);
                Act("help page at " + std::to_string(x) + "," + std::to_string(y), [&] { ClickAt(x, y); });
            }
        } else if (Auswertung().Visible()) {
            TAuswertung& a = Auswertung();
            switch (Pick(6)) {
            case 0: Act("evaluation overall", [&] { Click(a.Allgemein()); }); break;
            case 1: Act("evaluation course", [&] { Click(a.Verlauf()); }); break;
            case 2: Act("evaluation details", [&] { Click(a.TestDetails()); }); break;
            case 3: Act("evaluation learning curve", [&] { Click(a.Lernkurve()); }); break;
            default: Act("evaluation back", [&] { Click(a.AuswertungZurueck()); }); break;
            }
        } else {
            GenericAction();
        }
    }

    void TestAction()
    {
        // A candidate who paused comes back to the test, mostly soon.
        if (TestPanel().Pause().Pressed() && TestPanel().Window1().Visible() && Chance(0.5)) {
            if (Chance(0.5))
                Act("Pause to resume", [&] { Key(VK_PAUSE); });
            else
                Act("pause button to resume", [&] { ClickInBar(TestPanel().Pause()); });
            return;
        }
        const int r = Pick(100);
        if (r < 45)
            Act("watch", [] {});
        else if (r < 50)
            Act("pause button", [&] { ClickInBar(TestPanel().Pause()); });
        else if (r < 52)
            Act("back button", [&] { ClickInBar(TestPanel().Zurueck()); });
        else if (r < 58) {
            Act("disk button", [&] { ClickInBar(TestPanel().Disk()); });
            if (TestPanel().TestName().Text().find("Gespeichert") != std::string::npos)
                ++saves;
        }
        else if (r < 61)
            Act("volume button", [&] { ClickInBar(TestPanel().Lautstaerke()); });
        else if (r < 64)
            Act("test help button", [&] { ClickInBar(TestPanel().Frage()); });
        else if (r < 66)
            Act("clock", [&] { ClickInBar(TestPanel().Time()); });
        else if (r < 74) {
            const gdi::Rect area = TestPanel().CallBackPanel1().ScreenRect();
            const int32_t x = Coord(area.left, area.right - 1);
            const int32_t y = Coord(area.top, area.bottom - 1);
            Act("click in the test at " + std::to_string(x) + "," + std::to_string(y), [&] { ClickAt(x, y); });
        } else
            GenericAction();
    }

    void GenericAction()
    {
        const int r = Pick(100);
        if (r < 70)
            RandomKey();
        else if (r < 85)
            ClickAnywhere();
        else if (r < 93) {
            const int32_t x = Coord(0, 1023);
            const int32_t y = Coord(0, 767);
            Act("mouse to " + std::to_string(x) + "," + std::to_string(y), [&] {
                backend.PushMouseMove(x, y);
                Pump();
            });
        } else
            AwayAndBack();
    }

    // A step of the person: what they do depends on what they see; then a
    // while passes, longer while a test runs.
    void OneStep()
    {
        const bool dialog = !VisibleDialogs().empty();
        if (dialog)
            DialogAction();
        else if (MenuePanel().Visible())
            MenuAction();
        else
            TestAction();
        if (HasFatalFailure())
            return;
        const bool inTest = TestPanel().Visible() && !JaNein().Visible();
        const uint32_t ms = inTest && Chance(0.5) ? Between(2000, 30000) : Between(0, 1500);
        ASSERT_NO_FATAL_FAILURE(Wait(ms));
    }

    // After every run, completed or aborted: the menu is reached with at
    // most a few presses of Escape (Enter on the abort question), whatever
    // screen the run left.
    void ReachMenu()
    {
        if (!focused)
            RegainFocus();
        for (int press = 0; press <= kPressesToMenu; ++press) {
            if (MenuUsable())
                return;
            if (press == kPressesToMenu)
                break;
            if (JaNeinAsks(kAbortQuestion))
                Act("Enter on the abort question", [&] { TypedKey(VK_RETURN, 13); });
            else
                Act("Escape towards the menu", [&] { TypedKey(VK_ESCAPE, 27); });
            if (HasFatalFailure())
                return;
            ASSERT_NO_FATAL_FAILURE(Wait(1000));
        }
        FAIL() << "the menu is not usable after " << kPressesToMenu << " presses: dialogs "
               << Join(VisibleDialogs()) << Trace();
    }

    void RegainFocus()
    {
        backend.PushFocus(true);
        Pump();
        focused = true;
    }

    // The program "Alle Tests" and the help pages of the program and of
    // ZEK, as the build lays them out.
    void AddProgramsAndHelp()
    {
        const fs::path built = KESTRAVA_PROGRAM_DIR;
        fs::copy(built / "TESTS" / "Programme", folder.root / "TESTS" / "Programme", fs::copy_options::recursive);
        for (const char* dir : {"", "TESTS"})
            for (const fs::directory_entry& e : fs::directory_iterator(built / dir))
                if (e.is_regular_file() && e.path().filename().string().rfind("HELP", 0) == 0)
                    fs::copy_file(e.path(), folder.root / dir / e.path().filename());
    }

    uint64_t seed = EnvNumber("KESTRAVA_SOAK_SEED", 1);
    std::mt19937_64 rng{seed};
    const bool trace = EnvNumber("KESTRAVA_SOAK_TRACE", 0) != 0;
    uint32_t startMs = 0;
    bool focused = true;
    bool answeredAbort = false;
    bool runEnded = false;
    uint64_t actions = 0;
    uint64_t checks = 0;
    int runsStarted = 0;
    int runsCompleted = 0;
    int runsAborted = 0;
    int saves = 0;
    int resumes = 0;
    std::deque<std::string> recent;
};

TEST_F(SoakTest, TwoHoursOfRandomUseKeepTheInvariants)
{
    const uint64_t minutes = EnvNumber("KESTRAVA_SOAK_MINUTES", KESTRAVA_SOAK_DEFAULT_MINUTES);
    const uint64_t budgetMs = minutes * 60'000;

    folder.AddZek();
    folder.AddTimed("A", "Alpha", 1, 60000, 600000, 1000, 60000, 1000);
    folder.AddTimed("B", "Beta", 1, 30000, 600000, 1000, 60000, 0);
    AddProgramsAndHelp();
    StartProgram();
    startMs = clock.NowMs();
    const auto wallStart = std::chrono::steady_clock::now();
    const uint64_t rssStart = ResidentBytes();
    uint64_t rssPeak = rssStart;
    uint64_t nextSampleMs = 30 * 60'000;
    std::string samples;
    ASSERT_NO_FATAL_FAILURE(CheckInvariants(" at the start"));
    ASSERT_TRUE(MenuUsable());

    while (VirtualMs() < budgetMs) {
        ASSERT_NO_FATAL_FAILURE(OneStep());
        if (runEnded) {
            runEnded = false;
            ASSERT_NO_FATAL_FAILURE(ReachMenu());
        }
        if (VirtualMs() >= nextSampleMs) {
            // Every half hour of virtual time: the course of the memory.
            const uint64_t rss = ResidentBytes();
            rssPeak = std::max(rssPeak, rss);
            char mib[32];
            std::snprintf(mib, sizeof mib, " %.1f", double(rss) / (1024.0 * 1024.0));
            samples += mib;
            nextSampleMs += 30 * 60'000;
        }
    }
    // The end: whatever is open, the menu comes back.
    ASSERT_NO_FATAL_FAILURE(ReachMenu());

    const uint64_t rssEnd = ResidentBytes();
    rssPeak = std::max(rssPeak, rssEnd);
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double mib = 1024.0 * 1024.0;
    std::printf("soak: seed %llu, %.2f virtual hours, %llu actions, %llu checks, runs: %d started, %d completed, "
                "%d aborted; %d saved, %d resumed; resident memory %.1f MiB at start, %.1f MiB at end, %.1f MiB at most; %.1f s wall\n",
                static_cast<unsigned long long>(seed), double(VirtualMs()) / 3'600'000.0,
                static_cast<unsigned long long>(actions), static_cast<unsigned long long>(checks), runsStarted,
                runsCompleted, runsAborted, saves, resumes, double(rssStart) / mib, double(rssEnd) / mib, double(rssPeak) / mib,
                wallSeconds);
    if (!samples.empty())
        std::printf("soak: resident MiB every virtual half hour:%s\n", samples.c_str());
    RecordProperty("virtual_ms", std::to_string(VirtualMs()));
    RecordProperty("actions", std::to_string(actions));
    RecordProperty("runs_completed", std::to_string(runsCompleted));
    RecordProperty("rss_start", std::to_string(rssStart));
    RecordProperty("rss_end", std::to_string(rssEnd));

    // Enough happened for the soak to mean something, and every run that
    // began has ended one way or the other.
    EXPECT_GT(runsCompleted, 0);
    EXPECT_EQ(runsStarted, runsCompleted + runsAborted);
    if (minutes >= 60) {
        EXPECT_GT(saves, 0);
        EXPECT_GT(resumes, 0);
    }
    if constexpr (KESTRAVA_SOAK_BOUND_MEMORY != 0) {
        EXPECT_LT(rssEnd, rssStart + kGrossGrowth) << "resident memory grew by more than 64 MiB";
    }
}

} // namespace
} // namespace kestrava::shell::testing
