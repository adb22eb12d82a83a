// The end the session asks for (SIGTERM at logout, SIGINT): whatever the
// program is doing, it ends at once without the credits, a test in progress
// leaves no result, and the preferences are written. Each case checks the
// files a candidate would look at afterwards.
#include "ShellFixture.h"

#include "host/results/ResultRecords.h"
#include "platform/app/Keys.h"

namespace kestrava::shell::testing {
namespace {

class SessionEndTest : public ShellTest {
protected:
    // The preferences on disk: volume 0x1234, clock hidden; the program
    // must write back what it holds, which is what it read.
    void WritePrefs()
    {
        std::ofstream(folder.root / "velomar.INI", std::ios::binary).write("\x34\x12\x00\x00", 4);
    }
    std::string Prefs() const { return ProgramFolder::ReadAll(folder.root / "velomar.INI"); }
    void Terminate()
    {
        backend.PushTerminate();
        Pump();
    }
    void ExpectEnded()
    {
        EXPECT_TRUE(haupt->Destroyed());
        EXPECT_TRUE(app.Loop().QuitRequested());
        EXPECT_FALSE(Abspann().Visible()) << "no credits at the session's end";
        EXPECT_FALSE(haupt->TicksRunning());
    }
};

TEST_F(SessionEndTest, InTheMenuTheProgramEndsAndWritesThePreferences)
{
    WritePrefs();
    backend.SetNumLock(false);
    StartProgram();
    fs::remove(folder.root / "velomar.INI");
    Terminate();
    ExpectEnded();
    EXPECT_EQ(Prefs(), std::string("\x34\x12\x00\x00", 4));
    EXPECT_FALSE(backend.NumLock()) << "the old Num Lock state comes back";
}

TEST_F(SessionEndTest, ARunningZekTestEndsWithoutARecordAndTheNextRunStillWorks)
{
    folder.AddZek();
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "01");
    Advance(4000 + 30000); // title, countdown, half the minute
    ASSERT_TRUE(haupt->TicksRunning());
    Terminate();
    ExpectEnded();
    EXPECT_FALSE(fs::exists(folder.root / "TESTS" / "ZEK.RLT")) << "an aborted test writes no result";
    EXPECT_EQ(Prefs(), std::string("\xff\xff\x01\x00", 4));
    Advance(60000);
    EXPECT_FALSE(fs::exists(folder.root / "TESTS" / "ZEK.RLT")) << "nothing runs on after the end";
}

// The title, the running test, the pause, the open abort question.
class SessionEndStageTest : public SessionEndTest, public ::testing::WithParamInterface<int> {};

TEST_P(SessionEndStageTest, TheModuleIsStoppedBeforeItsEndAndWritesNoResult)
{
    const int stage = GetParam();
    StartOneMinuteOfAlpha();
    Advance(stage == 0 ? 500 : 2500);
    if (stage == 2)
        ClickOn(TestPanel().Pause());
    if (stage == 3) {
        Key(app::VK_ESCAPE);
        ASSERT_TRUE(JaNein().Visible());
    }
    Terminate();
    ExpectEnded();
    const std::string log = folder.Log("A");
    EXPECT_EQ(Count(log, "stop"), 1);
    EXPECT_EQ(Count(log, "end"), 0);
    EXPECT_TRUE(fs::exists(folder.root / "velomar.INI"));
    Advance(60000);
    EXPECT_EQ(Count(folder.Log("A"), "end"), 0);
}

INSTANTIATE_TEST_SUITE_P(Stages, SessionEndStageTest, ::testing::Values(0, 1, 2, 3));

TEST_F(SessionEndTest, InTheCreditsTheProgramEndsAtOnce)
{
    StartProgram();
    ClickOn(MenuePanel().ExitButton());
    Type("j");
    ASSERT_TRUE(Abspann().Visible());
    Advance(500);
    Terminate();
    EXPECT_TRUE(haupt->Destroyed());
    EXPECT_TRUE(app.Loop().QuitRequested());
    EXPECT_TRUE(fs::exists(folder.root / "velomar.INI"));
}

TEST_F(SessionEndTest, DuringTheSplashTheProgramEndsKeepingThePreferences)
{
    WritePrefs();
    MakeProgram();
    ASSERT_TRUE(haupt->Start());
    Advance(1000);
    ASSERT_FALSE(haupt->Created());
    Terminate();
    EXPECT_TRUE(haupt->Destroyed());
    EXPECT_TRUE(app.Loop().QuitRequested());
    EXPECT_EQ(Prefs(), std::string("\x34\x12\x00\x00", 4));
    Advance(6000);
    EXPECT_FALSE(haupt->Created()) << "the start-up's steps stop with the end";
}

TEST_F(SessionEndTest, AClosingRequestIsStillRefused)
{
    StartProgram();
    backend.PushQuit();
    Pump();
    EXPECT_FALSE(haupt->Destroyed());
    Terminate();
    ExpectEnded();
}

} // namespace
} // namespace kestrava::shell::testing
