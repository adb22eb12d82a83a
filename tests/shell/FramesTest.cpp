// Every screen of the program rendered headlessly, at six screen sizes (the
// two largest at the user-interface scales 1.5 and 2): the menu, the time
// dialog, the test screen with its title, countdown, bar and pause, the
// three questions, the end screen, the settings, the help, the evaluation's
// four views, the message window and the credits. With
// KESTRAVA_FRAMES naming a folder each frame is saved there as
// NAME-WxH.png, so that two builds can be compared pixel for pixel
// (scripts/compare-frames.sh); each run checks that every step reaches the
// screen it names and changes the frame.
#include "ShellFixture.h"

#include "../results/ResultFileBuilder.h"
#include "host/shell/Auswertung.h"
#include "platform/app/Keys.h"
#include "platform/gdi/Bitmap.h"

#include <map>

namespace kestrava::shell::testing {
namespace {

struct Size {
    int32_t w, h;
};

class FramesTest : public ShellTest, public ::testing::WithParamInterface<Size> {
protected:
    FramesTest() : ShellTest(GetParam().w, GetParam().h) {}

    // The frame as it stands now, saved when asked, and kept by name.
    void Frame(const std::string& name)
    {
        Pump();
        const gdi::Bitmap& frame = backend.Frame();
        std::vector<gdi::Pixel> pixels;
        for (int32_t y = 0; y < frame.Height(); ++y)
            pixels.insert(pixels.end(), frame.Row(y), frame.Row(y) + frame.Width());
        order.push_back(name);
        frames[name] = std::move(pixels);
        const char* dir = std::getenv("KESTRAVA_FRAMES");
        if (dir == nullptr || dir[0] == '\0')
            return;
        std::string error;
        const std::string file = std::string(dir) + "/" + name + "-" + std::to_string(GetParam().w) + "x" +
                                 std::to_string(GetParam().h) + ".png";
        EXPECT_TRUE(backend.SaveFrame(file, &error)) << error;
    }

    // Walks through every screen once.
    void WalkScreens()
    {
        folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 3000);
        // Bravo's least time makes the time dialog show the real total.
        folder.AddTimed("B", "Bravo mit einem langen Titel", 1, 40000, 0, 1000, 40000, 0);
        // Alpha writes this record at its end; Bravo's lands beside an
        // older one.
        kestrava::testing::ResultBytes(1, {"Reaktion"})
            .Record(45002.0, 30000, 95.0, {-812.0})
            .WriteTo((folder.root / "TESTS" / "A.queue").string());
        kestrava::testing::ResultBytes(2, {"Teil 1", "Teil 2"})
            .Record(45000.0, 60000, 80.0, {90.0, 70.0})
            .Record(45001.0, 120000, 60.0, {50.0, -1234.0})
            .WriteTo((folder.root / "TESTS" / "B.RLT").string());
        StartProgram();
        backend.PushMouseMove(1, 1);
        Frame("menu");
        ClickLine(MenuePanel().TestListBox(), 0);
        ClickLine(MenuePanel().TestListBox(), 1, true);
        backend.PushMouseMove(1, 1);
        Frame("menu-selected");

        ClickOn(MenuePanel().SettingsButton());
        ASSERT_TRUE(Settings().Visible());
        Frame("settings");
        ClickOn(Settings().Reset());
        ASSERT_TRUE(JaNein().Visible());
        Frame("question-reset");
        Type("n");
        ClickOn(Settings().Ok());
        ASSERT_FALSE(Settings().Visible());

        ClickOn(MenuePanel().FrageButton());
        ASSERT_TRUE(Hilfe().Visible());
        Frame("help");
        Type("\x1b");
        ASSERT_FALSE(Hilfe().Visible());

        ClickOn(MenuePanel().DetailButton());
        ASSERT_TRUE(Auswertung().Visible());
        Frame("evaluation");
        ClickOn(Auswertung().Verlauf());
        Frame("evaluation-hours");
        ClickOn(Auswertung().Lernkurve());
        Frame("evaluation-curve");
        ClickOn(Auswertung().Allgemein());
        Type("\x1b");
        ASSERT_FALSE(Auswertung().Visible());
        // Bravo alone for its details, then both again.
        ClickLine(MenuePanel().TestListBox(), 0, true);
        ClickOn(MenuePanel().DetailButton());
        ClickOn(Auswertung().TestDetails());
        ASSERT_TRUE(Auswertung().TestDetails().Enabled());
        Frame("evaluation-details");
        Type("\x1b");
        ClickLine(MenuePanel().TestListBox(), 0, true);

        ClickOn(MenuePanel().GoButton());
        ASSERT_TRUE(Zeiteinstellung().Visible());
        Frame("time-dialog");
        Type("00");
        backend.PushTypedKey(app::VK_TAB, 9);
        Type("01");
        Frame("time-dialog-typed");
        ClickOn(Zeiteinstellung().OkButton());
        ASSERT_TRUE(TestPanel().Visible());
        Frame("test-title");
        Advance(2000);
        Frame("test-first");
        backend.PushMouseMove(GetParam().w / 2, 10);
        Pump();
        ASSERT_TRUE(TestPanel().Leiste().Visible());
        Frame("test-bar");
        backend.PushMouseMove(GetParam().w / 2, GetParam().h / 2);
        Pump();
        Advance(4000);
        Frame("test-running");
        Key(app::VK_PAUSE);
        Frame("test-paused");
        Key(app::VK_PAUSE);
        ClickOn(TestPanel().Zurueck());
        ASSERT_TRUE(JaNein().Visible());
        Frame("question-abort");
        Type("n");
        Frame("test-resumed");
        haupt->ShowFailure("Eine Meldung, die länger ist als eine Zeile, damit sie umbricht und das Fenster "
                           "höher macht als sonst.");
        Pump();
        Frame("message");
        ReadMessages();
        Key(app::VK_PAUSE); // the message paused the test
        for (int step = 0; step < 600 && !haupt->InGap(); ++step)
            Advance(100);
        ASSERT_TRUE(haupt->InGap());
        Frame("test-gap");
        for (int step = 0; step < 1200 && !Ende().Visible(); ++step)
            Advance(100);
        ASSERT_TRUE(Ende().Visible());
        Frame("end-screen");
        ClickOn(Ende().EndeOk());
        ASSERT_FALSE(Ende().Visible());

        ClickOn(MenuePanel().ExitButton());
        ASSERT_TRUE(JaNein().Visible());
        Frame("question-exit");
        Type("j");
        ASSERT_TRUE(Abspann().Visible());
        Advance(500);
        Frame("credits");
    }

    std::vector<std::string> order;
    std::map<std::string, std::vector<gdi::Pixel>> frames;
};

TEST_P(FramesTest, EveryScreenShowsAndDiffersFromTheOneBefore)
{
    WalkScreens();
    ASSERT_EQ(order.size(), 23u);
    // Each step changes what the screen shows.
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_FALSE(frames[order[i - 1]] == frames[order[i]]) << order[i - 1] << " and " << order[i];
}

// The delivered ZEK and Mehrfachreaktion tests running, the bar shown over
// each: what a module draws at the screen's test area under the bar at the
// user-interface scale. ZEK seeds itself from the clock, so these are
// pictures to look at (KESTRAVA_SHOTS, NAME-WxH.png), not frames to compare.
TEST_P(FramesTest, DeliveredTestsRunUnderTheBar)
{
    folder.AddZek();
    folder.AddMfr(1);
    StartProgram();
    const std::string size = std::to_string(GetParam().w) + "x" + std::to_string(GetParam().h);
    std::vector<gdi::Pixel> shown[2];
    // The list is sorted: Mehrfachreaktion, ZEK-Test.
    for (const int line : {1, 0}) {
        const std::string name = line == 1 ? "zek-bar" : "mfr-bar";
        ClickLine(MenuePanel().TestListBox(), line);
        ClickOn(MenuePanel().GoButton());
        StartRun("00", "01");
        Advance(12000);
        backend.PushMouseMove(GetParam().w / 3, 10);
        Pump();
        ASSERT_TRUE(TestPanel().Leiste().Visible()) << name;
        Shot(name + "-" + size);
        const gdi::Bitmap& frame = backend.Frame();
        for (int32_t y = 0; y < frame.Height(); ++y)
            shown[line].insert(shown[line].end(), frame.Row(y), frame.Row(y) + frame.Width());
        ClickOn(TestPanel().Zurueck());
        ASSERT_TRUE(JaNein().Visible()) << name;
        Type("j");
        for (int step = 0; step < 100 && !Ende().Visible() && !MenuePanel().Visible(); ++step)
            Advance(100);
        if (Ende().Visible())
            ClickOn(Ende().EndeOk());
        ASSERT_TRUE(MenuePanel().Visible()) << name;
        ClickLine(MenuePanel().TestListBox(), line); // deselected again
    }
    EXPECT_FALSE(shown[0] == shown[1]);
}

INSTANTIATE_TEST_SUITE_P(Screens, FramesTest, ::testing::Values(Size{800, 600}, Size{1024, 768}, Size{1600, 900}, Size{1920, 1080},
                                                             Size{2560, 1600}, Size{3840, 2160}),
                         [](const ::testing::TestParamInfo<Size>& size) {
                             return std::to_string(size.param.w) + "x" + std::to_string(size.param.h);
                         });

} // namespace
} // namespace kestrava::shell::testing
