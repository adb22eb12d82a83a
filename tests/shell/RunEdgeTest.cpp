// Runs at their edges: keys typed the way a keyboard types them, the focus
// lost before the ticks begin, keys in the moment after a module ended, a
// stray tick after a pause, clicks on the test bar, a countdown below zero,
// a test split into segments on the end screen, the end screen after the
// window was laid out again, the test's help asked for just after the end,
// and the pause over a countdown.
#include "ShellFixture.h"

#include "../results/ResultFileBuilder.h"
#include "platform/app/Keys.h"
#include "platform/gdi/Bitmap.h"

#include <limits>

namespace kestrava::shell::testing {
namespace {

using app::VK_ESCAPE;
using app::VK_PAUSE;
using app::VK_RETURN;
using kestrava::testing::ResultBytes;

class RunEdgeTest : public ShellTest {
protected:
    void StartAlpha(int countdownMs = 0, int maxMs = 0, const std::string& minutes = "01")
    {
        folder.AddTimed("A", "Alpha", 1, 1000, maxMs, 1000, 20000, countdownMs);
        StartProgram();
        ClickLine(MenuePanel().TestListBox(), 0);
        ClickOn(MenuePanel().GoButton());
        StartRun("00", minutes);
    }
    void TypeKey(uint32_t vk, uint8_t ch)
    {
        backend.PushTypedKey(vk, ch);
        Pump();
    }
    void LoseAndRegainFocus()
    {
        backend.PushFocus(false);
        Pump();
        backend.PushFocus(true);
        Pump();
    }
};

TEST_F(RunEdgeTest, EscapeTypedDuringZekAsksTheAbortQuestionAndItsCharacterDoesNotAnswerIt)
{
    folder.AddZek();
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    ASSERT_TRUE(Zeiteinstellung().Visible());
    Type("00");
    backend.PushTypedKey(app::VK_TAB, 9);
    Type("01");
    TypeKey(VK_RETURN, 13);
    ASSERT_TRUE(TestPanel().Visible());
    Advance(2000 + 2000 + 1000);
    ASSERT_TRUE(haupt->TicksRunning());

    TypeKey(VK_ESCAPE, 27);
    ASSERT_TRUE(JaNein().Visible()) << "the question stays open";
    EXPECT_TRUE(Asks(kAbortQuestion));
    EXPECT_FALSE(haupt->TicksRunning());
    const int32_t before = haupt->TickCount();
    Advance(1000);
    EXPECT_EQ(haupt->TickCount(), before);

    TypeKey('N', 'n');
    EXPECT_FALSE(JaNein().Visible());
    EXPECT_TRUE(haupt->TicksRunning());
    TypeKey(VK_ESCAPE, 27);
    ASSERT_TRUE(JaNein().Visible());
    TypeKey('J', 'j');
    EXPECT_TRUE(MenuePanel().Visible());
    EXPECT_FALSE(fs::exists(folder.root / "TESTS" / "ZEK.RLT")) << "an aborted test writes nothing";
}

TEST_F(RunEdgeTest, FocusLostDuringTheTitleHoldsTheTestPausedUntilPauseIsReleased)
{
    StartAlpha(2000);
    Advance(500);
    LoseAndRegainFocus();
    Advance(1500 + 5000);
    EXPECT_FALSE(haupt->TicksRunning()) << "nobody was at the keys when the title ended";
    EXPECT_TRUE(TestPanel().Pause().Pressed());
    EXPECT_TRUE(TestPanel().Window1().Visible());
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    EXPECT_LE(haupt->TickCount(), 0);
    EXPECT_EQ(Count(folder.Log("A"), "ticks"), 0);

    Key(VK_PAUSE);
    EXPECT_TRUE(haupt->TicksRunning());
    Advance(2000 + 60000);
    EXPECT_EQ(Count(folder.Log("A"), "first 0 last 60000"), 1) << folder.Log("A");
}

TEST_F(RunEdgeTest, FocusLostDuringTheGapHoldsTheNextTestPaused)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    StartFirstTests(2, "01");
    ASSERT_EQ(haupt->Run().Size(), 2u);
    for (int step = 0; step < 10000 && !haupt->InGap(); ++step)
        Advance(10);
    ASSERT_TRUE(haupt->InGap());
    LoseAndRegainFocus();
    Advance(5000 + 2000 + 3000);
    EXPECT_FALSE(haupt->InGap());
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    Key(VK_PAUSE);
    EXPECT_TRUE(haupt->TicksRunning());
}

TEST_F(RunEdgeTest, FocusLostJustAfterATestEndsHoldsTheNextTestPaused)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    StartFirstTests(2, "01");
    for (int step = 0; step < 1000 && !haupt->TicksRunning(); ++step)
        Advance(10);
    // Within the 50 ms between the first test's end and the gap.
    while (haupt->TicksRunning())
        Advance(10);
    ASSERT_FALSE(haupt->InGap());
    LoseAndRegainFocus();
    Advance(50);
    ASSERT_TRUE(haupt->InGap());
    EXPECT_TRUE(TestPanel().Pause().Pressed());
    Advance(5000 + 2000 + 3000);
    EXPECT_FALSE(haupt->TicksRunning()) << "the next test started while nobody was at the keys";
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    Key(VK_PAUSE);
    EXPECT_TRUE(haupt->TicksRunning());
}

TEST_F(RunEdgeTest, PauseAndEscapeJustAfterTheEndStartNoTicks)
{
    StartAlpha();
    Advance(2000 + 60000);
    ASSERT_EQ(Count(folder.Log("A"), "end"), 1);
    ASSERT_FALSE(haupt->TicksRunning());
    // Within the 50 ms before the step after the end.
    Key(VK_PAUSE);
    Key(VK_PAUSE);
    EXPECT_FALSE(haupt->TicksRunning());
    TypeKey(VK_ESCAPE, 27);
    EXPECT_FALSE(JaNein().Visible()) << "there is nothing to abort";
    EXPECT_FALSE(haupt->TicksRunning());
    Advance(50);
    EXPECT_TRUE(MenuePanel().Visible());
    const int32_t after = haupt->TickCount();
    Advance(1000);
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_EQ(haupt->TickCount(), after);
    EXPECT_EQ(Count(folder.Log("A"), "stop"), 1);
}

TEST_F(RunEdgeTest, TheTestsHelpJustAfterTheEndStaysClosedAndTheNextTestRunsInTheOpen)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    gdi::Bitmap page(374, 400);
    page.SetBitsPerPixel(24);
    ASSERT_TRUE(gdi::SaveBmp((folder.root / "TESTS/HELP1.BMP").string(), page));
    StartProgram();
    StartFirstTests(2, "01");
    ASSERT_EQ(haupt->Run().Size(), 2u);
    Advance(2000 + 30000);
    ASSERT_FALSE(haupt->TicksRunning()) << "the first test ended on its last tick";
    ASSERT_FALSE(haupt->InGap());
    // Within the 50 ms before the step after the end: F10, and the bar's
    // help button.
    Key(app::VK_F10);
    EXPECT_FALSE(Hilfe().Visible()) << "there is no test left to explain";
    backend.PushMouseMove(500, 10);
    Pump();
    if (TestPanel().Leiste().Visible())
        ClickOn(TestPanel().Frage());
    EXPECT_FALSE(Hilfe().Visible());
    EXPECT_FALSE(TestPanel().Frage().Pressed());
    Advance(50);
    ASSERT_TRUE(haupt->InGap());
    Advance(5000 + 2000);
    EXPECT_TRUE(haupt->TicksRunning());
    EXPECT_FALSE(Hilfe().Visible());
    EXPECT_TRUE(TestPanel().Enabled());
    // The help of the second test opens and stops it as usual.
    Key(app::VK_F10);
    EXPECT_TRUE(Hilfe().Visible());
    EXPECT_FALSE(haupt->TicksRunning());
}

TEST_F(RunEdgeTest, ATickThatFindsTheTimerOffDoesNothingAtAll)
{
    // A tick whose wait expired just as a pause stopped the timer: it must
    // not advance the clock and then lose its message at the gate, or a
    // module that ends on the exact duration never ends.
    StartAlpha();
    Advance(2000 + 1000);
    Key(VK_PAUSE);
    ASSERT_FALSE(haupt->TicksRunning());
    const int32_t ticks = haupt->TickCount();
    const uint32_t elapsed = haupt->Host().Status().ElapsedMs;
    haupt->Timer1Timer();
    EXPECT_EQ(haupt->TickCount(), ticks);
    EXPECT_EQ(haupt->Host().Status().ElapsedMs, elapsed);
    Key(VK_PAUSE);
    Advance(59000);
    EXPECT_EQ(Count(folder.Log("A"), "ticks 6000 first 10 last 60000"), 1) << folder.Log("A");
}

TEST_F(RunEdgeTest, ClicksOnTheBarReachTheModuleAndPositionsAreZeroExtended)
{
    StartAlpha();
    Advance(2000 + 1000);
    const gdi::Rect area = TestPanel().CallBackPanel1().ScreenRect();
    // A press in the test area dragged out to the left: the release comes
    // at a negative x, which the module must read back as negative.
    backend.PushMouseMove(area.left + 5, area.top + 20);
    backend.PushMouseDown(area.left + 5, area.top + 20);
    backend.PushMouseMove(area.left - 5, area.top + 20);
    backend.PushMouseUp(area.left - 5, area.top + 20);
    Pump();
    const std::string negative = std::to_string(uint64_t(uint32_t(-5)));
    EXPECT_EQ(Count(folder.Log("A"), "mousedown 0 5 20 at 5,20"), 1) << folder.Log("A");
    EXPECT_EQ(Count(folder.Log("A"), "mouseup 0 " + negative + " 20 at -5,20"), 1) << folder.Log("A");

    // The bar shows at the top; a press on its title reaches the module in
    // the title's own coordinates.
    backend.PushMouseMove(area.left + 5, 10);
    Pump();
    ASSERT_TRUE(TestPanel().Leiste().Visible());
    ClickOn(TestPanel().TestName(), 3, 4);
    EXPECT_EQ(Count(folder.Log("A"), "mousedown 0 3 4 at 3,4"), 1) << folder.Log("A");
}

TEST_F(RunEdgeTest, ACountdownBelowZeroCountsAsNone)
{
    StartAlpha(-5000);
    EXPECT_EQ(TestPanel().CountDownLabel().Text(), "0");
    Advance(2000);
    EXPECT_FALSE(TestPanel().CountDownPanel().Visible());
    EXPECT_EQ(haupt->TickCount(), 0);
    Advance(60000);
    EXPECT_EQ(Count(folder.Log("A"), "ticks 6000 first 10 last 60000"), 1) << folder.Log("A");
}

// "Pause" lies above the countdown that stands still: the announcement
// window's opaque middle looks the same as over the running test.
TEST_F(RunEdgeTest, PauseDuringTheCountdownShowsAboveTheCountdown)
{
    StartAlpha(5000);
    Advance(2000 + 1000);
    ASSERT_TRUE(TestPanel().CountDownPanel().Visible());
    auto middle = [&] {
        // The skin's corners are 29 pixels wide; between them every pixel
        // of the window is its own, whatever lies behind.
        const gdi::Rect r = TestPanel().Window1().ScreenRect();
        std::vector<gdi::Pixel> pixels;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left + 29; x < r.right - 29; ++x)
                pixels.push_back(backend.Frame().GetPixel(x, y));
        return pixels;
    };
    Key(VK_PAUSE);
    ASSERT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    EXPECT_TRUE(TestPanel().CountDownPanel().Visible()) << "the countdown stands still below";
    const gdi::Rect r = TestPanel().Window1().ScreenRect();
    const app::Control* top = app.ControlAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_TRUE(top == &TestPanel().Window1() || TestPanel().Window1().IsAncestorOf(top));
    const std::vector<gdi::Pixel> overCountdown = middle();
    Shot("messages-pause-countdown");

    Key(VK_PAUSE);
    Advance(4000);
    ASSERT_FALSE(TestPanel().CountDownPanel().Visible());
    Key(VK_PAUSE);
    ASSERT_TRUE(TestPanel().Window1().Visible());
    EXPECT_TRUE(middle() == overCountdown);
}

TEST_F(RunEdgeTest, EachSegmentOfASplitTestShowsItsOwnRecord)
{
    // Alpha may run 30 s at most: two minutes play it in several segments.
    // An older record stands in the file; the fake module writes the
    // queued records one a segment, oldest first (overall 10, 20, ...).
    ResultBytes(1, {"Teil"}).Record(44000.0, 30000, 99.0, {99.0}).WriteTo((folder.root / "TESTS" / "A.RLT").string());
    ResultBytes records(1, {"Teil"});
    for (int i = 1; i <= 8; ++i)
        records.Record(45000.0 + i, 30000, 10.0 * i, {10.0 * i + 1});
    records.WriteTo((folder.root / "TESTS" / "A.queue").string());
    StartAlpha(0, 30000, "02");
    const size_t m = haupt->Run().Size();
    ASSERT_GE(m, 2u);
    ASSERT_LE(m, 8u);
    for (int step = 0; step < 40000 && !Ende().Visible(); ++step)
        Advance(10);
    ASSERT_TRUE(Ende().Visible());
    std::vector<std::string> want;
    for (size_t k = 1; k <= m; ++k) {
        const int overall = int(k) * 10;
        want.push_back("<b>" + std::to_string(overall) + "%");
        want.push_back(std::to_string(overall + 1) + "%");
    }
    EXPECT_EQ(Ende().EndeListe2().Lines(), want);
}

TEST_F(RunEdgeTest, DamagedNumbersShowAsADash)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ResultBytes(3, {"a", "b", "c"})
        .Record(45000.1, 60000, nan, {inf, -inf, 1e300})
        .WriteTo((folder.root / "TESTS" / "A.queue").string());
    StartAlpha();
    for (int step = 0; step < 10000 && !Ende().Visible(); ++step)
        Advance(10);
    ASSERT_TRUE(Ende().Visible());
    EXPECT_EQ(Ende().EndeListe2().Lines(),
              (std::vector<std::string>{"<b>\xe2\x80\x94", "\xe2\x80\x94", "\xe2\x80\x94", "1000000000000000%"}));
}

TEST_F(RunEdgeTest, TheWheelOverTheEndScreenScrollsBothListsAndTheKnobFollows)
{
    ResultBytes alpha(4, {"a", "b", "c", "d"});
    for (int i = 0; i < 8; ++i)
        alpha.Record(45000.1 + i, 30000, 50.0);
    alpha.WriteTo((folder.root / "TESTS" / "A.RLT").string());
    StartAlpha(0, 30000, "02");
    for (int step = 0; step < 40000 && !Ende().Visible(); ++step)
        Advance(10);
    ASSERT_TRUE(Ende().Visible());
    ui::TMyCustomListBox& labels = Ende().EndeListe1();
    TRegler& knob = Ende().Regler5();
    const int32_t max = labels.Max();
    ASSERT_GT(max, 3);
    auto followed = [&](int32_t position) {
        EXPECT_EQ(labels.Position(), position);
        EXPECT_EQ(Ende().EndeListe2().Position(), position);
        EXPECT_EQ(ThumbListPosition(knob.track(), knob.Top(), max), position);
    };
    Wheel(Ende().EndeListe2(), -1);
    followed(3);
    Wheel(Ende().EndeOk(), -100);
    followed(max);
    EXPECT_EQ(knob.Top(), 154);
    // The arrow keys still step the knob by 5 pixels.
    Key(app::VK_UP);
    EXPECT_EQ(knob.Top(), 149);
    Wheel(labels, 100);
    followed(0);
    EXPECT_EQ(knob.Top(), 37);
}

TEST_F(RunEdgeTest, TheEndScreenStartsAtTheTopAndKeepsTheKeyboardAfterALayout)
{
    // A long end screen (Alpha in four segments), scrolled down and closed,
    // then a short one (Beta once): the short one shows its lines from the
    // top, and no knob.
    ResultBytes alpha(4, {"a", "b", "c", "d"});
    for (int i = 0; i < 8; ++i)
        alpha.Record(45000.1 + i, 30000, 50.0);
    alpha.WriteTo((folder.root / "TESTS" / "A.queue").string());
    ResultBytes(4, {"a", "b", "c", "d"}).Record(45000.1, 60000, 90.0).WriteTo((folder.root / "TESTS" / "B.queue").string());
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    StartAlpha(0, 30000, "02");
    const auto m = static_cast<int32_t>(haupt->Run().Size());
    ASSERT_GE(m, 2);
    for (int step = 0; step < 40000 && !Ende().Visible(); ++step)
        Advance(10);
    ASSERT_TRUE(Ende().Visible());
    ASSERT_EQ(Ende().EndeListe1().Count(), 5 * m);
    ASSERT_TRUE(Ende().Regler5().Visible());
    for (int i = 0; i < 30; ++i)
        Key(app::VK_DOWN);
    ASSERT_GT(Ende().EndeListe1().Position(), 0);
    TypeKey(VK_RETURN, 13);
    ASSERT_FALSE(Ende().Visible());

    ClickLine(MenuePanel().TestListBox(), 1);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "01");
    ASSERT_EQ(haupt->Run().Size(), 1u);
    for (int step = 0; step < 10000 && !Ende().Visible(); ++step)
        Advance(10);
    ASSERT_TRUE(Ende().Visible());
    EXPECT_EQ(Ende().EndeListe1().Position(), 0);
    EXPECT_EQ(Ende().EndeListe1().Layout().size(), 5u);
    EXPECT_EQ(Ende().EndeListe2().Layout().size(), 5u);
    EXPECT_FALSE(Ende().Regler5().Visible());
    // Nor does the wheel scroll it.
    Wheel(Ende().EndeListe1(), -1);
    EXPECT_EQ(Ende().EndeListe1().Position(), 0);
    EXPECT_EQ(Ende().Regler5().Top(), 37);

    // Focus out and in lays the window out again; the end screen still
    // answers Enter.
    LoseAndRegainFocus();
    ASSERT_TRUE(Ende().Visible());
    EXPECT_TRUE(Ende().Focused());
    TypeKey(VK_RETURN, 13);
    EXPECT_FALSE(Ende().Visible());
    EXPECT_TRUE(MenuePanel().Enabled());
}

} // namespace
} // namespace kestrava::shell::testing
