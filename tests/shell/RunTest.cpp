// Whole runs through the program in virtual time: the start button, the
// time dialog, the title display and countdown, the ticks, pause, abort,
// the gaps between entries, the end screen and the refreshed menu.
#include "ShellFixture.h"

#include "host/results/ResultRecords.h"
#include "platform/app/Keys.h"
#include "ui/Colours.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace kestrava::shell::testing {
namespace {

using app::VK_ESCAPE;
using app::VK_PAUSE;
using app::VK_TAB;

class RunTest : public ShellTest {};

TEST_F(RunTest, OneZekMinuteFromTheStartButtonToTheRefreshedMenu)
{
    folder.AddZek();
    // The tracking fields painted every step, whatever painting takes: left
    // to adapt, a slow build paints them less often than the simulation
    // moves, and the screen lags behind a full repaint as it should.
    {
        const std::string ini = (folder.root / "TESTS" / "ZEK.ini").string();
        std::stringstream text;
        text << std::ifstream(ini).rdbuf();
        std::string settings = text.str();
        const size_t at = settings.find("\nPAINTTIME=0\n");
        ASSERT_NE(at, std::string::npos);
        settings.replace(at, 13, "\nPAINTTIME=1\n");
        std::ofstream(ini, std::ios::trunc) << settings;
    }
    StartProgram();
    EXPECT_FALSE(haupt->TicksRunning()) << "no tick runs outside a test";
    EXPECT_EQ(haupt->TickCount(), 0);
    ASSERT_EQ(MenuePanel().TestListBox().Lines(), std::vector<std::string>{"ZEK-Test"});
    EXPECT_EQ(MenuePanel().DauerListBox().Lines().at(0), "00:00");
    EXPECT_EQ(MenuePanel().PunkteListBox().Lines().at(0), "0%");

    ClickLine(MenuePanel().TestListBox(), 0);
    EXPECT_TRUE(MenuePanel().TestListBox().IsItemSelected(0));
    ClickOn(MenuePanel().GoButton());
    ASSERT_TRUE(Zeiteinstellung().Visible());
    EXPECT_TRUE(Zeiteinstellung().Stunden().Focused());
    EXPECT_FALSE(MenuePanel().GoButton().Enabled());
    Type("00");
    Key(VK_TAB);
    EXPECT_TRUE(Zeiteinstellung().Minuten().Focused());
    Type("01\r");

    // The title for 2 s, with the test screen closed to input.
    ASSERT_FALSE(Zeiteinstellung().Visible());
    ASSERT_TRUE(TestPanel().Visible());
    EXPECT_FALSE(MenuePanel().Visible());
    EXPECT_TRUE(TestPanel().Window1().Visible());
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "ZEK-Test");
    EXPECT_FALSE(TestPanel().Enabled());
    EXPECT_TRUE(haupt->Host().Blocked());
    Advance(1990);
    EXPECT_TRUE(TestPanel().Window1().Visible());
    Advance(10);
    EXPECT_FALSE(TestPanel().Window1().Visible());

    // The countdown: "2", then "1", then the test's own time.
    EXPECT_TRUE(TestPanel().CountDownPanel().Visible());
    EXPECT_EQ(TestPanel().CountDownLabel().Text(), "2");
    EXPECT_TRUE(haupt->Host().Blocked());
    Advance(1000);
    EXPECT_EQ(TestPanel().CountDownLabel().Text(), "1");
    Advance(1000);
    EXPECT_FALSE(TestPanel().CountDownPanel().Visible());
    EXPECT_FALSE(haupt->Host().Blocked());
    EXPECT_EQ(TestPanel().Time().Text(), "00:00:00");
    // Every 5 s: what the screen shows, painted piece by piece from what the
    // module drew, is what a repaint of the whole screen shows.
    for (int s = 5; s <= 30; s += 5) {
        Advance(5000);
        Shot("zek-minute-" + std::to_string(s));
        const gdi::Bitmap shown = backend.Frame();
        app.InvalidateScreen({0, 0, app.ScreenWidth(), app.ScreenHeight()});
        app.Update();
        for (int32_t y = 0; y < shown.Height(); ++y)
            ASSERT_TRUE(std::equal(shown.Row(y), shown.Row(y) + shown.Width(), backend.Frame().Row(y)))
                << "line " << y << " at " << s << " s";
    }
    EXPECT_EQ(TestPanel().Time().Text(), "00:00:30");
    EXPECT_EQ(TestPanel().TimeTwo().Text(), "00:00:30");
    // The module draws on every tick; what it drew reaches the screen.
    const gdi::Rect area = TestPanel().CallBackPanel1().ScreenRect();
    EXPECT_NE(backend.Frame().GetColor(area.left + area.Width() / 2, area.top + area.Height() / 2), 0u);

    for (int s = 35; s <= 60; s += 5) {
        Advance(5000);
        if (s < 60)
            Shot("zek-minute-" + std::to_string(s));
    }
    EXPECT_FALSE(haupt->TicksRunning());
    Advance(50);
    ASSERT_TRUE(Ende().Visible());
    EXPECT_TRUE(MenuePanel().Visible());
    EXPECT_FALSE(MenuePanel().Enabled());
    EXPECT_FALSE(TestPanel().Visible());

    // Five lines: the bold name beside its bold overall result, then the
    // four parts, indented.
    const auto& names = Ende().EndeListe1().Lines();
    const auto& values = Ende().EndeListe2().Lines();
    ASSERT_EQ(names.size(), 5u);
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(names[0], "<b>ZEK-Test");
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(names[i].rfind("<tab>", 0), 0u) << names[i];
    EXPECT_EQ(values[0].rfind("<b>", 0), 0u);
    for (const std::string& v : values)
        EXPECT_EQ(v.back(), '%') << v;
    const ResultFileContents file = LoadResultFile(folder.Dir() + "TESTS/ZEK.RLT").contents;
    ASSERT_EQ(file.records.size(), 1u);
    EXPECT_EQ(file.records[0].durationMs, 60000);
    // Nobody steered: the results are poor and stand out in red.
    const auto rows = Ende().EndeListe2().Layout();
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(file.records[0].overall, 82.0);
    EXPECT_EQ(rows[0].textColor, ui::colour::kScoreWeak);

    Type("\r");
    EXPECT_FALSE(Ende().Visible());
    EXPECT_TRUE(MenuePanel().Enabled());
    EXPECT_EQ(MenuePanel().DauerListBox().Lines().at(0), "00:01");
    const long score = static_cast<long>(std::nearbyint(file.records[0].overall));
    EXPECT_EQ(MenuePanel().PunkteListBox().Lines().at(0), std::to_string(score) + "%");
    EXPECT_TRUE(haupt->Run().Empty());
}

TEST_F(RunTest, ThreeEntriesWithTwoGaps)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("C", "Gamma", 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    StartFirstTests(3, "01");
    ASSERT_EQ(haupt->Run().Size(), 3u);

    int titles = 0;
    int gaps = 0;
    bool inGap = false;
    bool titled = false;
    for (int step = 0; step < 8000 && !Ende().Visible() && TestPanel().Visible(); ++step) {
        const bool title = TestPanel().Window1().Visible() &&
                           TestPanel().Testeinblendung().Text() != "Einen Moment bitte...";
        if (title && !titled)
            ++titles;
        titled = title;
        if (haupt->InGap() && !inGap) {
            ++gaps;
            EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Einen Moment bitte...");
            EXPECT_FALSE(TestPanel().Enabled());
        }
        inGap = haupt->InGap();
        Advance(10);
    }
    EXPECT_EQ(titles, 3);
    EXPECT_EQ(gaps, 2);
    EXPECT_TRUE(MenuePanel().Visible());
    for (const char* name : {"A", "B", "C"}) {
        const std::string log = folder.Log(name);
        EXPECT_EQ(Count(log, "init 20000"), 1) << log;
        EXPECT_EQ(Count(log, "ticks 2000 first 10 last 20000"), 1) << log;
        EXPECT_EQ(Count(log, "stop"), 1) << log;
    }
    // The fake tests say they keep results but write none: the end screen
    // says so for each, and no message (nothing is wrong with the folder).
    ASSERT_TRUE(Ende().Visible());
    EXPECT_EQ(Count(Ende().EndeListe1().Lines().at(1) + "|" + Ende().EndeListe1().Lines().at(4) + "|" +
                        Ende().EndeListe1().Lines().at(7),
                    "Ergebnis konnte nicht"),
              3);
    EXPECT_TRUE(backend.MessageBoxes().empty());
    Type("\r");
    EXPECT_TRUE(MenuePanel().Enabled());
}

// The phases a run goes through, each entered once in this order (the
// pause and the abort question in the middle of the first entry).
TEST_F(RunTest, TheRunnerGoesThroughItsPhasesInOrder)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 2000);
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    EXPECT_EQ(haupt->Phase(), RunPhase::Idle);
    StartFirstTests(2, "01");
    std::vector<RunPhase> seen{haupt->Phase()};
    bool paused = false;
    const auto note = [&] {
        if (haupt->Phase() != seen.back())
            seen.push_back(haupt->Phase());
    };
    for (int step = 0; step < 8000 && !Ende().Visible(); ++step) {
        note();
        if (!paused && haupt->Phase() == RunPhase::Running) {
            paused = true;
            Key(VK_PAUSE);
            note();
            Key(VK_PAUSE);
            Key(VK_ESCAPE);
            EXPECT_EQ(haupt->Phase(), RunPhase::Paused) << "the abort question stops the ticks";
            Type("n");
        }
        Advance(10);
    }
    note();
    const std::vector<RunPhase> expected{RunPhase::Title,  RunPhase::Countdown, RunPhase::Running, RunPhase::Paused,
                                         RunPhase::Running, RunPhase::Ending,   RunPhase::Gap,     RunPhase::Title,
                                         RunPhase::Running, RunPhase::Ending,   RunPhase::Idle};
    EXPECT_EQ(seen, expected);
}

TEST_F(RunTest, PauseAndResumeKeepTheTestClock)
{
    StartOneMinuteOfAlpha();
    Advance(2000 + 500);
    const int32_t before = haupt->TickCount();
    EXPECT_GT(before, 0);
    Key(VK_PAUSE);
    EXPECT_TRUE(TestPanel().Pause().Pressed());
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_TRUE(TestPanel().Window1().Visible());
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    Advance(10000);
    EXPECT_EQ(haupt->TickCount(), before);
    Key(VK_PAUSE);
    EXPECT_FALSE(TestPanel().Pause().Pressed());
    EXPECT_TRUE(haupt->TicksRunning());
    EXPECT_FALSE(TestPanel().Window1().Visible());
    Advance(1000);
    EXPECT_EQ(haupt->TickCount(), before + 100);
    EXPECT_EQ(TestPanel().Time().Text(), "00:00:01");
    haupt->TimeClick(); // counting down: the rest of the minute
    EXPECT_EQ(TestPanel().Time().Text(), "00:00:59");
    Advance(59000);
    EXPECT_EQ(TestPanel().Time().Text(), "00:00:00");
    EXPECT_EQ(Count(folder.Log("A"), "ticks 6000 first 10 last 60000"), 1) << folder.Log("A");
}

TEST_F(RunTest, FocusLossPausesAndMinimises)
{
    StartOneMinuteOfAlpha();
    Advance(2500);
    const int32_t before = haupt->TickCount();
    backend.PushFocus(false);
    Pump();
    EXPECT_TRUE(backend.Minimized());
    EXPECT_TRUE(TestPanel().Pause().Pressed());
    EXPECT_FALSE(haupt->TicksRunning());
    backend.PushFocus(true);
    Pump();
    Advance(1000);
    EXPECT_EQ(haupt->TickCount(), before) << "still paused after coming back";
    ClickOn(TestPanel().Pause());
    EXPECT_TRUE(haupt->TicksRunning());
}

TEST_F(RunTest, AbortAnsweredNoGoesOnAndYesReturnsToTheMenu)
{
    StartOneMinuteOfAlpha();
    Advance(2500);
    Key(VK_ESCAPE);
    ASSERT_TRUE(JaNein().Visible());
    EXPECT_TRUE(Asks(kAbortQuestion));
    EXPECT_FALSE(haupt->TicksRunning());
    Key(VK_ESCAPE); // no second question
    EXPECT_TRUE(JaNein().Visible());
    const int32_t before = haupt->TickCount();
    Type("n");
    EXPECT_FALSE(JaNein().Visible());
    EXPECT_TRUE(haupt->TicksRunning());
    Advance(100);
    EXPECT_EQ(haupt->TickCount(), before + 10);

    Key(VK_ESCAPE);
    Type("J");
    EXPECT_FALSE(JaNein().Visible());
    EXPECT_TRUE(MenuePanel().Visible());
    EXPECT_FALSE(TestPanel().Visible());
    EXPECT_FALSE(MenuePanel().TestListBox().IsItemSelected(0));
    EXPECT_EQ(MenuePanel().DauerListBox().Lines().at(0), "00:00");
    const std::string log = folder.Log("A");
    EXPECT_EQ(Count(log, "stop"), 1);
    EXPECT_EQ(Count(log, "end"), 0);
    Advance(5000);
    EXPECT_FALSE(Ende().Visible());
}

TEST_F(RunTest, HoldingEscapeAsksOnceAndOnlyAFreshPressAnswers)
{
    StartOneMinuteOfAlpha();
    Advance(2500);
    backend.PushKeyDown(VK_ESCAPE);
    backend.PushChar(27);
    Pump();
    ASSERT_TRUE(JaNein().Visible());
    for (int i = 0; i < 3; ++i) { // the key's auto-repeat, with the character it types
        backend.PushKeyDown(VK_ESCAPE);
        backend.PushChar(27);
        Advance(30);
    }
    EXPECT_TRUE(JaNein().Visible()) << "the repeat of the key that asked answered the question";
    EXPECT_FALSE(haupt->TicksRunning());
    backend.PushKeyUp(VK_ESCAPE);
    backend.PushTypedKey(VK_ESCAPE, 27);
    Pump();
    EXPECT_FALSE(JaNein().Visible());
    EXPECT_TRUE(haupt->TicksRunning());
}

TEST_F(RunTest, KeysReachTheModuleOnceAndSteerTheKeyboardJoystick)
{
    StartOneMinuteOfAlpha();
    Advance(2500);
    backend.PushKeyDown(app::VK_LEFT);
    backend.PushKeyDown(app::VK_LEFT, {}); // auto-repeat
    Pump();
    EXPECT_EQ(haupt->Host().Status().Joy1X, -10);
    backend.PushKeyDown(app::VK_RIGHT);
    Pump();
    EXPECT_EQ(haupt->Host().Status().Joy1X, 10);
    backend.PushKeyUp(app::VK_LEFT);
    Pump();
    EXPECT_EQ(haupt->Host().Status().Joy1X, 10) << "Left's release leaves Right's value";
    backend.PushKeyUp(app::VK_RIGHT);
    Pump();
    EXPECT_EQ(haupt->Host().Status().Joy1X, 0);
    EXPECT_EQ(Count(folder.Log("A"), "keydown 37"), 1);
}

TEST_F(RunTest, TheBarComesAtTheTopAndTheCursorGoesAfterTwoSeconds)
{
    StartOneMinuteOfAlpha();
    Advance(2500);
    EXPECT_FALSE(TestPanel().Leiste().Visible());
    backend.PushMouseMove(500, 20);
    Pump();
    EXPECT_TRUE(TestPanel().Leiste().Visible());
    EXPECT_NE(TestPanel().TestName().Text().find("Alpha"), std::string::npos);
    backend.PushMouseMove(500, 300); // over the test area
    Pump();
    EXPECT_FALSE(TestPanel().Leiste().Visible());
    const auto shown = TestPanel().CallBackPanel1().GetCursor();
    ASSERT_NE(shown, nullptr);
    // Small steps: posted work runs at each step of virtual time.
    for (int i = 0; i < 195; ++i)
        Advance(10);
    EXPECT_EQ(TestPanel().CallBackPanel1().GetCursor(), shown);
    for (int i = 0; i < 15; ++i)
        Advance(10);
    EXPECT_NE(TestPanel().CallBackPanel1().GetCursor(), shown) << "hidden 2 s of test time after the last move";
    backend.PushMouseMove(501, 300);
    Pump();
    EXPECT_EQ(TestPanel().CallBackPanel1().GetCursor(), shown);
}

TEST_F(RunTest, DraggingTheThumbScrollsTheThreeTestColumnsTogether)
{
    for (int i = 0; i < 20; ++i) {
        const std::string name = "T" + std::to_string(10 + i);
        folder.AddTimed(name, "Test " + std::to_string(10 + i), 1, 1000, 0, 1000, 20000, 0);
    }
    StartProgram();
    ui::TMyCustomListBox& tests = MenuePanel().TestListBox();
    ASSERT_EQ(tests.Count(), 20);
    ASSERT_GT(tests.Max(), 0);
    ASSERT_TRUE(MenuePanel().Regler1().Visible());
    EXPECT_FALSE(MenuePanel().Regler2().Visible()) << "one program fits";
    const gdi::Rect thumb = MenuePanel().Regler1().ScreenRect();
    const int32_t x = thumb.left + 5;
    backend.PushMouseMove(x, thumb.top + 3);
    backend.PushMouseDown(x, thumb.top + 3);
    backend.PushMouseMove(x, thumb.top + 1000); // far below: stops at the track's end
    backend.PushMouseUp(x, thumb.top + 1000);
    Pump();
    EXPECT_EQ(MenuePanel().Regler1().Top() + MenuePanel().Regler1().Height(), MenuePanel().MenueUnten().Top());
    EXPECT_EQ(tests.Position(), tests.Max());
    EXPECT_EQ(MenuePanel().DauerListBox().Position(), tests.Max());
    EXPECT_EQ(MenuePanel().PunkteListBox().Position(), tests.Max());
    // Released: moving on does nothing.
    backend.PushMouseMove(x, thumb.top + 3);
    Pump();
    EXPECT_EQ(tests.Position(), tests.Max());
}

TEST_F(RunTest, TheWheelScrollsTheMenuListsAndTheirThumbsFollow)
{
    for (int i = 0; i < 30; ++i)
        folder.AddTimed("T" + std::to_string(10 + i), "Test " + std::to_string(10 + i), 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    ui::TMyCustomListBox& tests = MenuePanel().TestListBox();
    TRegler& thumb = MenuePanel().Regler1();
    const int32_t max = tests.Max();
    ASSERT_GT(max, 6);
    // The thumb stands where a drag would have put the list there: the
    // first top of the track that gives its position.
    auto followed = [&](int32_t position) {
        EXPECT_EQ(tests.Position(), position);
        EXPECT_EQ(MenuePanel().DauerListBox().Position(), position);
        EXPECT_EQ(MenuePanel().PunkteListBox().Position(), position);
        EXPECT_EQ(ThumbListPosition(thumb.track(), thumb.Top(), max), position);
        EXPECT_LT(ThumbListPosition(thumb.track(), thumb.Top() - 1, max), std::max(position, 1));
    };
    Wheel(tests, -1);
    followed(3);
    Wheel(MenuePanel().PunkteListBox(), -1);
    followed(6);
    Wheel(MenuePanel().DauerListBox(), -100); // no further than the last lines
    followed(max);
    EXPECT_EQ(thumb.Top() + thumb.Height(), MenuePanel().MenueUnten().Top());
    Wheel(thumb, 1);
    followed(max - 3);
    // A drag goes on from there.
    const gdi::Rect r = thumb.ScreenRect();
    backend.PushMouseMove(r.left + 5, r.top + 3);
    backend.PushMouseDown(r.left + 5, r.top + 3);
    backend.PushMouseMove(r.left + 5, r.top - 1000);
    backend.PushMouseUp(r.left + 5, r.top - 1000);
    Pump();
    followed(0);
    EXPECT_EQ(thumb.Top(), MenuePanel().MenueMitte().Top());

    // Behind an open dialog the lists keep still.
    ClickOn(MenuePanel().FrageButton());
    ASSERT_TRUE(Hilfe().Visible());
    backend.PushWheel(tests.ScreenRect().left + 5, tests.ScreenRect().bottom - 5, -1);
    Pump();
    EXPECT_EQ(tests.Position(), 0);
}

TEST_F(RunTest, CancelledTimeDialogStartsNothing)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 0, 1000, 0, 1000, 20000, 0);
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    ASSERT_TRUE(Zeiteinstellung().Visible());
    Type("\x1b");
    EXPECT_FALSE(Zeiteinstellung().Visible());
    EXPECT_TRUE(MenuePanel().GoButton().Enabled());
    EXPECT_TRUE(haupt->Run().CurrentEntry().IsNone());
    EXPECT_EQ(haupt->Run().Current(), nullptr);
    Advance(3000);
    EXPECT_FALSE(TestPanel().Visible());

    // Two tests of which only one keeps results... and one of which keeps
    // none selected together with nothing else: the run is empty.
    ClickLine(MenuePanel().TestListBox(), 1);
    ClickOn(MenuePanel().GoButton());
    EXPECT_TRUE(Zeiteinstellung().Visible()) << "a single test that keeps no results runs alone";
    Type("\x1b");
}

TEST_F(RunTest, TheTimeDialogShowsTheRealTotalWhereTheTestsChangeIt)
{
    folder.AddTimed("A", "Alpha", 1, 70000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 1, 70000, 0, 1000, 20000, 0);
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickLine(MenuePanel().TestListBox(), 1, true);
    ClickOn(MenuePanel().GoButton());
    ASSERT_TRUE(Zeiteinstellung().Visible());
    EXPECT_EQ(Zeiteinstellung().Minuten().Text(), "00");
    EXPECT_EQ(Zeiteinstellung().DauerHinweis().Text(), "Tatsächliche Dauer: 00:02:20 (Mindestzeiten)");
    Key(VK_TAB);
    Type("\b\b10");
    EXPECT_EQ(Zeiteinstellung().DauerHinweis().Text(), "") << "ten minutes are shared as entered";
    Type("\b\b2");
    EXPECT_EQ(Zeiteinstellung().DauerHinweis().Text(), "Tatsächliche Dauer: 00:02:20 (Mindestzeiten)");
    ClickOn(Zeiteinstellung().OkButton());
    EXPECT_EQ(haupt->Run().ProgramTime(), 140000) << "the run takes what the dialog said";
}

TEST_F(RunTest, MinutesOfSeventyFiveBecomeFiftyNineOnLeavingTheField)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 600000, 0);
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    EXPECT_EQ(Zeiteinstellung().Stunden().Text(), "00");
    EXPECT_EQ(Zeiteinstellung().Minuten().Text(), "10");
    Key(VK_TAB);
    ASSERT_TRUE(Zeiteinstellung().Minuten().Focused());
    Type("7x5");
    EXPECT_EQ(Zeiteinstellung().Minuten().Text(), "75");
    Key(VK_TAB);
    EXPECT_EQ(Zeiteinstellung().Minuten().Text(), "59");
    EXPECT_TRUE(Zeiteinstellung().Stunden().Focused());
}

} // namespace
} // namespace kestrava::shell::testing
