// The evaluation dialog in the whole program, headless: opened from the
// menu's evaluation button over result files written byte by byte, its four
// views, the knob, and the ways out.
#include "ShellFixture.h"

#include "../results/ResultFileBuilder.h"
#include "host/shell/Auswertung.h"
#include "ui/Colours.h"

namespace kestrava::shell::testing {
namespace {

using kestrava::testing::ResultBytes;

constexpr double kDay1 = 46364.0;  // Tuesday, 8 December 2026
constexpr gdi::ColorRef kCurve = ui::colour::kScoreWeak;
const std::string kUe = "\xC3\xBC";

class EvaluationTest : public ShellTest {
protected:
    // A fake test "Name" with the title "Title <name>" that keeps results.
    void AddTest(const std::string& name, int keepsResults = 1)
    {
        folder.AddTimed(name, "Title " + name, keepsResults, 60'000, 600'000, 60'000, 60'000, 0);
    }
    void WriteResults(const std::string& name, const ResultBytes& bytes) const
    {
        bytes.WriteTo((folder.root / "TESTS" / (name + ".RLT")).string());
    }
    static ResultBytes Runs(std::vector<std::tuple<double, int32_t, double>> runs)
    {
        ResultBytes bytes(1, {"Teil"});
        for (auto [when, ms, overall] : runs)
            bytes.Record(when, ms, overall, {overall});
        return bytes;
    }
    TAuswertung& Dialog() { return Auswertung(); }
    std::vector<std::string> Lines() { return Dialog().AuswertungsListBox().Lines(); }
    int32_t LineOf(const std::string& title)
    {
        const auto& lines = MenuePanel().TestListBox().Lines();
        return static_cast<int32_t>(std::find(lines.begin(), lines.end(), title) - lines.begin());
    }
    void Open()
    {
        // The evaluation button is the fourth of the row, 56 pixels apart.
        const gdi::Rect go = MenuePanel().GoButton().ScreenRect();
        backend.PushClick((go.left + go.right) / 2 + 3 * 56, (go.top + go.bottom) / 2);
        Pump();
        ASSERT_TRUE(Dialog().Visible());
    }
    void Escape()
    {
        backend.PushKeyDown(app::VK_ESCAPE);
        backend.PushChar(27);
        backend.PushKeyUp(app::VK_ESCAPE);
        Pump();
    }
};

TEST_F(EvaluationTest, NoResultsAtAll)
{
    AddTest("A");
    AddTest("B");
    StartProgram();
    Open();
    EXPECT_FALSE(MenuePanel().Enabled());
    // The tests not yet practised come in catalogue order.
    std::vector<std::string> expected = {
                           "<b>Allgemeine Auswertung",
                           "",
                           "<tab>Sie haben insgesamt 00 Stunden und 00 Minuten ge" + kUe + "bt und",
                           "<tab>dabei insgesamt im Durchschnitt 0,00% erreicht.",
                           "<tab>Sie haben 0 Tests bisher mindestens einmal bestanden",
                           "<tab>und 2 noch nie.",
                           "",
                           "<tab>Folgende Tests wurden noch nicht ge" + kUe + "bt:",
                           "",
                       };
    for (const TestCatalogueEntry& test : haupt->Catalogue().Entries())
        expected.push_back("<tabtab><b>" + test.title);
    EXPECT_EQ(Lines(), expected);
    EXPECT_FALSE(Dialog().Lernkurve().Enabled());
    EXPECT_FALSE(Dialog().TestDetails().Enabled());
    EXPECT_EQ(Dialog().TestDetails().tag, -1);
    EXPECT_FALSE(Dialog().AuswertungsRegler().Visible());
    EXPECT_FALSE(Dialog().AuswertungsScroll().Visible());

    // The hour graph shows its base line only; the learning curve is not
    // offered.
    ClickOn(Dialog().Verlauf());
    EXPECT_TRUE(Dialog().AuswertungsPaintBox().Visible());
    EXPECT_FALSE(Dialog().AuswertungsListBox().Visible());
    ClickOn(Dialog().Lernkurve());
    EXPECT_FALSE(Dialog().ShowsLearningCurve());
}

TEST_F(EvaluationTest, OnePassedIsTheSingularAndPracticeRoundsToTheMinute)
{
    AddTest("A");
    AddTest("B");
    AddTest("C");
    // A: 3 h 5 min 40 s in two runs, one of them passed (83.0 passes).
    WriteResults("A", Runs({{kDay1 + 0.4, 3'600'000, 83.0}, {kDay1 + 0.6, 7'540'000, 50.0}}));
    // B: practised, never passed.
    WriteResults("B", Runs({{kDay1 + 1.5, 60'000, 82.99}}));
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), LineOf("Title A"));
    Open();
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[2], "<tab>Sie haben insgesamt 03 Stunden und 07 Minuten ge" + kUe + "bt und");
    EXPECT_EQ(lines[4], "<tab>Sie haben 1 Test bisher mindestens einmal bestanden");
    EXPECT_EQ(lines[5], "<tab>und 2 noch nie.");
    EXPECT_EQ(lines[9], "<tabtab><b>Title C");
    EXPECT_EQ(lines.size(), 10u);

    // The details of A: since its first run, 3 h 5 min 40 s → 03 h 06 min.
    ASSERT_TRUE(Dialog().TestDetails().Enabled());
    ClickOn(Dialog().TestDetails());
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "<b>Title A",
                           "",
                           "<tab>Seit Dienstag, 8. Dezember 2026 haben Sie diesen Test",
                           "<tab>03 Stunden und 06 Minuten ge" + kUe + "bt",
                           "<tab>und dabei im Durchschnitt 60,66% erreicht.",
                           "<tab>Ihr bestes Ergebnis war 83,00% und Ihr schlechtestes 50,00%.",
                       }));
    EXPECT_EQ(Dialog().AuswertungsListBox().Height(), 113);
    // B's day widens the range, so A's curve is shown.
    EXPECT_TRUE(Dialog().DetailPaintBox().Visible());
    const intptr_t slot = Dialog().TestDetails().tag;
    ASSERT_GE(slot, 0);
    EXPECT_EQ(Dialog().Series().slotTest[static_cast<size_t>(slot)], *haupt->Catalogue().IndexOfTitle("Title A"));
    EXPECT_TRUE(Dialog().Lernkurve().Enabled());
}

TEST_F(EvaluationTest, DetailsWantExactlyOneTestThatKeepsResultsAndLoads)
{
    AddTest("A");
    AddTest("B");
    AddTest("N", 0);
    WriteResults("A", Runs({{kDay1, 60'000, 70}, {kDay1 + 1, 60'000, 80}}));
    StartProgram();

    // Two tests selected.
    ClickLine(MenuePanel().TestListBox(), LineOf("Title A"));
    ClickLine(MenuePanel().TestListBox(), LineOf("Title B"), true);
    Open();
    EXPECT_FALSE(Dialog().TestDetails().Enabled());
    Escape();

    // A module that says it keeps no results.
    ClickLine(MenuePanel().TestListBox(), LineOf("Title N"));
    Open();
    EXPECT_FALSE(Dialog().TestDetails().Enabled());
    Escape();

    // A module that no longer loads: the dialog opens all the same.
    ClickLine(MenuePanel().TestListBox(), LineOf("Title A"));
    ResultBytes::WriteFileBytes((folder.root / "TESTS" / "A.TST").string(), "not a library");
    Open();
    EXPECT_FALSE(Dialog().TestDetails().Enabled());
    EXPECT_EQ(Dialog().SelectedLine(), -1);
    ClickOn(Dialog().TestDetails());
    EXPECT_EQ(Lines()[0], "<b>Allgemeine Auswertung");
}

TEST_F(EvaluationTest, ATestWithoutASlotShowsItsTextButNoOtherTestsCurve)
{
    // "M" keeps results by its module but its file is a no-results marker;
    // "Z" has a curve, and M must not borrow it.
    AddTest("M");
    AddTest("Z");
    WriteResults("M", ResultBytes(0));
    WriteResults("Z", Runs({{kDay1, 60'000, 30}, {kDay1 + 1, 60'000, 90}}));
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), LineOf("Title M"));
    Open();
    ASSERT_TRUE(Dialog().TestDetails().Enabled());
    EXPECT_EQ(Dialog().TestDetails().tag, -1);
    ClickOn(Dialog().TestDetails());
    EXPECT_EQ(Lines(), (std::vector<std::string>{"<b>Title M", "", "<tab>Sie haben diesen Test noch nie absolviert!"}));
    EXPECT_FALSE(Dialog().DetailPaintBox().Visible());
}

TEST_F(EvaluationTest, ATornLastRecordIsLeftOut)
{
    AddTest("A");
    ResultBytes bytes = Runs({{kDay1, 600'000, 40}});
    // Half a record: a crash while the module appended.
    bytes.Raw(std::string(20, '\x7F'));
    WriteResults("A", bytes);
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), LineOf("Title A"));
    Open();
    ClickOn(Dialog().TestDetails());
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "<tab>00 Stunden und 10 Minuten ge" + kUe + "bt");
    EXPECT_EQ(lines[5], "<tab>Ihr bestes Ergebnis war 40,00% und Ihr schlechtestes 40,00%.");
    // One day only: no curve and no learning curve.
    EXPECT_FALSE(Dialog().DetailPaintBox().Visible());
    EXPECT_FALSE(Dialog().Lernkurve().Enabled());
}

TEST_F(EvaluationTest, ALongListScrollsByKnobAndArrowKeys)
{
    for (int i = 0; i < 20; ++i)
        AddTest("T" + std::string(1, static_cast<char>('A' + i)));
    StartProgram();
    Open();
    ui::TMyCustomListBox& list = Dialog().AuswertungsListBox();
    ASSERT_EQ(list.Count(), 29);
    ASSERT_GT(list.Max(), 0);
    EXPECT_TRUE(Dialog().AuswertungsRegler().Visible());
    EXPECT_TRUE(Dialog().AuswertungsScroll().Visible());
    EXPECT_EQ(Dialog().AuswertungsRegler().Top(), 37);

    for (int i = 0; i < 3; ++i)
        Key(app::VK_DOWN);
    EXPECT_EQ(Dialog().AuswertungsRegler().Top(), 67);
    EXPECT_EQ(list.Position(), list.Max() * 30 / 321);
    Key(app::VK_UP);
    EXPECT_EQ(Dialog().AuswertungsRegler().Top(), 57);

    // Dragged to the end of the track: the last lines.
    app::Image& knob = Dialog().AuswertungsRegler();
    const gdi::Rect r = knob.ScreenRect();
    backend.PushMouseMove(r.left + 5, r.top + 5);
    backend.PushMouseDown(r.left + 5, r.top + 5);
    backend.PushMouseMove(r.left + 5, r.top + 900);
    backend.PushMouseUp(r.left + 5, r.top + 900);
    Pump();
    EXPECT_EQ(knob.Top(), 358);
    EXPECT_EQ(list.Position(), list.Max());

    // The general view again puts the knob back at the top.
    ClickOn(Dialog().Allgemein());
    EXPECT_EQ(knob.Top(), 37);
    EXPECT_EQ(list.Position(), 0);
}

TEST_F(EvaluationTest, TheWheelScrollsTheListWhileTheKnobShows)
{
    for (int i = 0; i < 20; ++i)
        AddTest("T" + std::string(1, static_cast<char>('A' + i)));
    StartProgram();
    Open();
    ui::TMyCustomListBox& list = Dialog().AuswertungsListBox();
    app::Image& knob = Dialog().AuswertungsRegler();
    const int32_t max = list.Max();
    ASSERT_GT(max, 3);
    const ThumbTrack track{37, 358 - 37 + 26, 26}; // the knob runs from 37 to 358
    Wheel(list, -1);
    EXPECT_EQ(list.Position(), 3);
    EXPECT_EQ(ThumbListPosition(track, knob.Top(), max), 3);
    EXPECT_LT(ThumbListPosition(track, knob.Top() - 1, max), 3);
    Wheel(Dialog().Allgemein(), -100);
    EXPECT_EQ(list.Position(), max);
    EXPECT_EQ(knob.Top(), 358);
    Key(app::VK_UP);
    EXPECT_EQ(knob.Top(), 348);
    EXPECT_EQ(list.Position(), max * 311 / 321);

    // The graph view hides the knob: nothing scrolls.
    ClickOn(Dialog().Verlauf());
    Wheel(Dialog().AuswertungsPaintBox(), -1);
    EXPECT_EQ(knob.Top(), 348);
    EXPECT_EQ(list.Position(), 0);
}

TEST_F(EvaluationTest, EscapeAndTheBackButtonCloseAndTheMenuWorksAgain)
{
    AddTest("A");
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    Open();
    // Clicks outside the dialog reach nothing underneath.
    ClickOn(MenuePanel().GoButton());
    EXPECT_FALSE(Zeiteinstellung().Visible());
    Escape();
    EXPECT_FALSE(Dialog().Visible());
    EXPECT_TRUE(MenuePanel().Enabled());
    EXPECT_TRUE(MenuePanel().ExitButton().EnabledInTree());

    // A second opening, closed by the button.
    Open();
    EXPECT_EQ(Lines()[0], "<b>Allgemeine Auswertung");
    ClickOn(Dialog().AuswertungZurueck());
    EXPECT_FALSE(Dialog().Visible());
    EXPECT_TRUE(MenuePanel().Enabled());
    EXPECT_TRUE(Dialog().Series().slots.empty());
}

TEST_F(EvaluationTest, TheLearningCurveReachesTheScreen)
{
    AddTest("A");
    AddTest("B");
    WriteResults("A", Runs({{kDay1 + 0.5, 60'000, 50}, {kDay1 + 2.5, 60'000, 70}}));
    WriteResults("B", Runs({{kDay1 + 1.5, 60'000, 90}}));
    StartProgram();
    Open();
    ASSERT_TRUE(Dialog().Lernkurve().Enabled());
    ClickOn(Dialog().Lernkurve());
    ASSERT_TRUE(Dialog().ShowsLearningCurve());
    app.Update();
    const gdi::Rect box = Dialog().AuswertungsPaintBox().ScreenRect();
    const gdi::Bitmap& frame = backend.Frame();
    // Through 25 %, 70 % and 80 % at x = 43, 250 and 457 of the paint box.
    EXPECT_EQ(frame.GetColor(box.left + 43, box.top + 231), kCurve);
    EXPECT_EQ(frame.GetColor(box.left + 250, box.top + 100), kCurve);
    EXPECT_EQ(frame.GetColor(box.left + 456, box.top + 71), kCurve);
    // The dialog sits in the middle of the screen.
    EXPECT_EQ(Dialog().Left(), (1024 - 588) / 2);
    EXPECT_EQ(Dialog().Top(), (768 - 418) / 2);
}

} // namespace
} // namespace kestrava::shell::testing
