// A module that misbehaves, through the whole program in virtual time: it
// throws out of its messages, names absurd state blocks, reports its end
// twice or never, abuses the sound service and hands over titles without
// a proper end. Each time the program ends or refuses the run with a
// German message in its message window, keeps the result files whole and
// stays usable: the menu answers, and a well-behaved test runs to its end
// afterwards.
#include "ShellFixture.h"

#include "host/core/DLLImport.h"
#include "host/results/ResultRecords.h"
#include "host/shell/Suspend.h"
#include "platform/app/Keys.h"
#include "platform/headless/NullWaveOut.h"

#include <algorithm>

namespace kestrava::shell::testing {
namespace {

using app::VK_ESCAPE;

constexpr uint32_t kMinuteWithTitle = 2000 + 60000;

class RogueModuleTest : public ShellTest {
protected:
    RogueModuleTest()
    {
        // A real sound table behind the callbacks, so that bad names and
        // slots reach the player's checks.
        makeWaveOut = [this]() -> std::unique_ptr<app::WaveOutDevice> {
            return std::make_unique<headless::NullWaveOut>(
                [this](std::function<void()> fn) { app.Loop().Post(std::move(fn)); }, /*autoComplete=*/true);
        };
    }

    // The fakes say they keep results but write none. A no-results marker
    // as each one's result file makes a run that reaches its end go straight
    // back to the menu, with no end screen noting the lost records.
    void StartProgram()
    {
        for (const char* name : {"A", "Z", "R"})
            if (fs::exists(folder.root / "TESTS" / (std::string(name) + ".TST")))
                std::ofstream(folder.root / "TESTS" / (std::string(name) + ".RLT"), std::ios::binary)
                    << std::string(4, '\0');
        ShellTest::StartProgram();
    }

    // The misbehaving module as R.TST, titled "Rogue", one minute by default;
    // `mode` is read again at every info query and start.
    void AddRogue(const std::string& mode)
    {
        fs::copy_file(ROGUE_MODULE_PATH, folder.root / "TESTS" / "R.TST");
        std::ofstream(folder.root / "TESTS" / "R.info") << "Rogue\n1 1000 0 1000 20000 0\n";
        SetMode(mode);
    }
    // Virtual time in steps of 100 ms, so that what the ticks post (the end
    // and its timer) runs along with them.
    void Pass(uint32_t ms)
    {
        for (; ms > 100; ms -= 100)
            Advance(100);
        Advance(ms);
    }
    void SetMode(const std::string& mode) { std::ofstream(folder.root / "TESTS" / "R.rogue") << mode << '\n'; }
    std::string RogueLog() const { return folder.Log("R"); }
    void ClearLogs() const
    {
        fs::remove(folder.root / "TESTS" / "R.log");
        fs::remove(folder.root / "TESTS" / "A.log");
    }

    int32_t LineOf(const std::string& title)
    {
        const auto& lines = MenuePanel().TestListBox().Lines();
        const auto at = std::find(lines.begin(), lines.end(), title);
        return at == lines.end() ? -1 : int32_t(at - lines.begin());
    }
    // Selects the test of this title alone and starts a minute of it.
    void StartMinuteOf(const std::string& title, bool failsAtOnce = false)
    {
        const int32_t line = LineOf(title);
        ASSERT_GE(line, 0) << title;
        ClickLine(MenuePanel().TestListBox(), line);
        ClickOn(MenuePanel().GoButton());
        StartRun("00", "01");
        ASSERT_NE(TestPanel().Visible(), failsAtOnce);
    }
    // The messages shown so far, each closed with Enter as it is counted.
    size_t Boxes() { return ReadMessages(); }
    std::string LastBox() { return Boxes() == 0 ? "" : messages.back(); }

    // Back in the menu, nothing bound, no tick running, the menu taking input.
    void ExpectMenuUsable()
    {
        EXPECT_TRUE(MenuePanel().Visible());
        EXPECT_TRUE(MenuePanel().Enabled());
        EXPECT_TRUE(MenuePanel().GoButton().Enabled());
        EXPECT_FALSE(TestPanel().Visible());
        EXPECT_FALSE(haupt->TicksRunning());
        EXPECT_FALSE(TestPanel().Window1().Visible());
        EXPECT_EQ(BoundDispatchMessage(), nullptr);
        EXPECT_TRUE(haupt->Run().Empty());
    }
    // A well-behaved test after the fault: started through the menu, it
    // runs its minute to the end and the menu comes back.
    void ExpectAlphaRunsItsMinute()
    {
        const int ends = Count(folder.Log("A"), "end");
        const size_t boxes = Boxes();
        StartMinuteOf("Alpha");
        Pass(kMinuteWithTitle + 100);
        EXPECT_EQ(Count(folder.Log("A"), "end"), ends + 1);
        EXPECT_EQ(Boxes(), boxes) << LastBox();
        ExpectMenuUsable();
    }
};

TEST_F(RogueModuleTest, AnExceptionEndsTheTestWithAMessageAndTheModuleHearsNothingMore)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    AddRogue("throw-init");
    StartProgram();
    struct Case {
        const char* mode;
        uint32_t failsAtMs; // from the confirmed time dialog; 0: with the title
        const char* step;
        const char* lastLine; // the module's log ends here: no MSG_STOP after the fault
    };
    const Case cases[] = {
        // The first paint comes with the title's window.
        {"throw-init", 0, "beim Start", "init"},
        {"throw-paint", 0, "beim Zeichnen", "paint"},
        {"throw-tick", 3000, "während des Tests", "paint"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        SetMode(c.mode);
        ClearLogs();
        const size_t boxes = Boxes();
        StartMinuteOf("Rogue", c.failsAtMs == 0);
        if (c.failsAtMs > 0) {
            Pass(c.failsAtMs - 10);
            EXPECT_EQ(Boxes(), boxes) << "not before its fault: " << LastBox();
            Pass(20);
        }
        ASSERT_EQ(Boxes(), boxes + 1);
        EXPECT_TRUE(backend.MessageBoxes().empty()) << "the program's own window, not the system's box";
        EXPECT_EQ(LastBox(), std::string("Der Test \xe2\x80\x9eRogue\xe2\x80\x9c wurde abgebrochen: ") +
                                 "das Testmodul hat " + c.step + " einen Fehler gemeldet.");
        ExpectMenuUsable();
        const std::string log = RogueLog();
        EXPECT_EQ(Count(log, "stop"), 0) << log;
        EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) + 1), std::string(c.lastLine) + "\n") << log;
        Pass(70000);
        EXPECT_EQ(Boxes(), boxes + 1) << "one message per fault";
        ExpectAlphaRunsItsMinute();
    }
}

TEST_F(RogueModuleTest, AnExceptionAtTheStopAfterTheEndLetsTheRunGoOnAndIsReported)
{
    folder.AddTimed("Z", "Zulu", 1, 1000, 0, 1000, 20000, 0);
    AddRogue("throw-stop");
    StartProgram();
    // The rogue first in a run of two: the second entry still runs.
    StartFirstTests(2, "02");
    ASSERT_EQ(haupt->Run().Size(), 2u);
    ASSERT_EQ(haupt->Catalogue().ByIndex(haupt->Run().Entries()[0].CatalogueIndex)->title, "Rogue");
    Pass(2 * kMinuteWithTitle + 5000 + 200);
    EXPECT_EQ(Count(RogueLog(), "end"), 1);
    EXPECT_EQ(Count(RogueLog(), "stop"), 1);
    // The next test does not run behind the open message: it waits paused.
    EXPECT_EQ(Count(folder.Log("Z"), "init"), 1);
    EXPECT_EQ(Count(folder.Log("Z"), "ticks"), 0);
    EXPECT_FALSE(TestPanel().Enabled());
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastBox(), "Das Testmodul von \xe2\x80\x9eRogue\xe2\x80\x9c hat beim Beenden einen Fehler gemeldet.");
    EXPECT_TRUE(TestPanel().Enabled());
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    Key(app::VK_PAUSE);
    Pass(60000 + 200);
    EXPECT_EQ(Count(folder.Log("Z"), "end"), 1);
    ExpectMenuUsable();
}

TEST_F(RogueModuleTest, ASecondEndOrAnEndOutsideATickIsIgnored)
{
    folder.AddTimed("Z", "Zulu", 1, 1000, 0, 1000, 20000, 0);
    AddRogue("end-twice");
    StartProgram();
    // Counted twice, the end would skip the run's other entry.
    StartFirstTests(2, "02");
    ASSERT_EQ(haupt->Run().Size(), 2u);
    ASSERT_EQ(haupt->Catalogue().ByIndex(haupt->Run().Entries()[0].CatalogueIndex)->title, "Rogue")
        << "the rogue must come first, with an entry after it";
    Pass(2 * kMinuteWithTitle + 5000 + 200);
    EXPECT_EQ(Count(RogueLog(), "end"), 1);
    EXPECT_EQ(Count(RogueLog(), "stop"), 1);
    EXPECT_EQ(Count(folder.Log("Z"), "init"), 1);
    EXPECT_EQ(Count(folder.Log("Z"), "end"), 1);
    EXPECT_EQ(Boxes(), 0u) << LastBox();
    ExpectMenuUsable();

    // An end reported from a paint is no end: the test runs on until the
    // host ends it for overrunning its time.
    SetMode("end-at-paint");
    ClearLogs();
    StartMinuteOf("Rogue");
    Pass(2000 + 10000);
    EXPECT_TRUE(haupt->TicksRunning());
    EXPECT_TRUE(TestPanel().Visible());
    EXPECT_EQ(Boxes(), 0u);
    Pass(60000 + THaupt::kOverrunMs);
    EXPECT_EQ(Boxes(), 1u);
    ExpectMenuUsable();
}

TEST_F(RogueModuleTest, AModuleThatNeverEndsIsEndedByTheHostAfterItsTimeWithoutResult)
{
    folder.AddZek();
    AddRogue("end-never");
    StartProgram();
    // A ZEK result from before, which nothing here may touch.
    StartMinuteOf("ZEK-Test");
    Pass(kMinuteWithTitle + 2000 + 100);
    ASSERT_TRUE(Ende().Visible());
    Type("\r");
    const std::string rlt = folder.Dir() + "TESTS/ZEK.RLT";
    const std::string before = ProgramFolder::ReadAll(rlt);
    ASSERT_EQ(LoadResultFile(rlt).contents.records.size(), 1u);

    StartMinuteOf("Rogue");
    Pass(kMinuteWithTitle + THaupt::kOverrunMs - 20);
    EXPECT_TRUE(haupt->TicksRunning()) << "the module has its grace";
    EXPECT_TRUE(TestPanel().Visible());
    EXPECT_EQ(Boxes(), 0u);
    Pass(40);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastBox(), "Der Test \xe2\x80\x9eRogue\xe2\x80\x9c wurde abgebrochen: das Testmodul hat ihn nach Ablauf "
                         "seiner Zeit nicht beendet. Ein Ergebnis wurde nicht gespeichert.");
    ExpectMenuUsable();
    // Stopped the ordinary way: MSG_STOP tells the module to write nothing.
    EXPECT_EQ(Count(RogueLog(), "late"), 1);
    EXPECT_EQ(Count(RogueLog(), "stop"), 1);
    EXPECT_EQ(ProgramFolder::ReadAll(rlt), before);
    EXPECT_EQ(ProgramFolder::ReadAll(folder.root / "TESTS" / "R.RLT"), std::string(4, '\0')) << "no record added";

    // ZEK still runs and appends its second record to the whole file.
    StartMinuteOf("ZEK-Test");
    Pass(kMinuteWithTitle + 2000 + 100);
    ASSERT_TRUE(Ende().Visible());
    Type("\r");
    const ResultFileContents after = LoadResultFile(rlt).contents;
    ASSERT_EQ(after.records.size(), 2u);
    EXPECT_EQ(ProgramFolder::ReadAll(rlt).substr(0, before.size()), before);
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(RogueModuleTest, AbsurdStateBlocksAreNotSavedAndTheTestCanStillBeAborted)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    AddRogue("save-huge");
    StartProgram();
    const std::string sav = folder.Dir() + "PROG.SAV";
    for (const char* mode : {"save-huge", "save-max", "save-past"}) {
        SCOPED_TRACE(mode);
        SetMode(mode);
        const size_t boxes = Boxes();
        StartMinuteOf("Rogue");
        Pass(2000 + 5000);
        backend.PushMouseMove(500, 10);
        Pump();
        ClickOn(TestPanel().Disk());
        ASSERT_EQ(Boxes(), boxes + 1);
        EXPECT_EQ(LastBox().rfind("Der Testlauf konnte nicht gespeichert werden.", 0), 0u) << LastBox();
        EXPECT_FALSE(fs::exists(sav));
        EXPECT_TRUE(TestPanel().Pause().Pressed()) << "the test waits behind the message";
        EXPECT_FALSE(haupt->TicksRunning());
        Key(VK_ESCAPE);
        ASSERT_TRUE(JaNein().Visible());
        Type("J");
        ExpectMenuUsable();
    }

    // A block at no address is saved as none, and such a run resumes.
    SetMode("save-null");
    StartMinuteOf("Rogue");
    Pass(2000 + 5000);
    backend.PushMouseMove(500, 10);
    Pump();
    const size_t boxes = Boxes();
    ClickOn(TestPanel().Disk());
    EXPECT_EQ(Boxes(), boxes) << LastBox();
    ASSERT_TRUE(fs::exists(sav));
    Key(VK_ESCAPE);
    Type("J");
    ExpectMenuUsable();
    haupt->FormActivate();
    ClickOn(MenuePanel().LoadButton());
    EXPECT_EQ(Boxes(), boxes) << LastBox();
    ASSERT_TRUE(TestPanel().Visible());
    TestPanel().Pause().SetPressed(false);
    haupt->PauseClick();
    Pass(60000);
    EXPECT_EQ(Count(RogueLog(), "end"), 1);
    Pass(100);
    ExpectMenuUsable();
    ExpectAlphaRunsItsMinute();
}

TEST_F(RogueModuleTest, AResumeIsRefusedWhenTheModuleThrowsOrNamesMemoryItDoesNotHave)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    AddRogue("throw-restore");
    StartProgram();
    SuspendedRun run;
    TRunEntry entry;
    entry.PlannedDuration = 60000;
    run.entries = {entry};
    run.titles = {"Rogue"};
    run.tickCount = 1000;
    // The size of the block the module names in "save-past".
    run.state.assign(2 * size_t(::sysconf(_SC_PAGESIZE)), 0x5A);
    const std::vector<uint8_t> bytes = EncodeSuspendedRun(run);
    const std::string sav = folder.Dir() + "PROG.SAV";
    std::ofstream(sav, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    const struct {
        const char* mode;
        const char* reason;
    } cases[] = {
        {"throw-restore", "das Testmodul von \xe2\x80\x9eRogue\xe2\x80\x9c hat einen Fehler gemeldet."},
        {"save-past", "das Testmodul nennt f\xc3\xbcr seinen Zustand Speicher, in den nicht geschrieben werden kann."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        SetMode(c.mode);
        haupt->FormActivate();
        ASSERT_TRUE(MenuePanel().LoadButton().Enabled());
        const size_t boxes = Boxes();
        ClickOn(MenuePanel().LoadButton());
        Pass(100);
        ASSERT_EQ(Boxes(), boxes + 1) << "one message, not a second one for the fault";
        EXPECT_EQ(LastBox(), std::string("Der gespeicherte Testlauf kann nicht fortgesetzt werden: ") + c.reason);
        ExpectMenuUsable();
        EXPECT_TRUE(fs::exists(sav)) << "a refused file stays";
    }
    // Both were started; the one that threw heard nothing more, the other
    // was stopped again.
    EXPECT_EQ(Count(RogueLog(), "init"), 2);
    EXPECT_EQ(Count(RogueLog(), "restore"), 1);
    EXPECT_EQ(Count(RogueLog(), "stop"), 1);
    ExpectAlphaRunsItsMinute();
}

TEST_F(RogueModuleTest, BadSoundNamesAndSlotsPlayNothingAndTheTestRunsOn)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    AddRogue("sound-bad");
    StartProgram();
    StartMinuteOf("Rogue");
    Pass(kMinuteWithTitle + 100);
    EXPECT_EQ(Count(RogueLog(), "sounds -1 -1 -1 -1"), 1) << RogueLog();
    EXPECT_EQ(Count(RogueLog(), "end"), 1);
    EXPECT_EQ(Boxes(), 0u) << LastBox();
    ExpectMenuUsable();
    ExpectAlphaRunsItsMinute();
}

TEST_F(RogueModuleTest, TitlesEndAtTheirFirstNulAndAModuleThatThrowsForItsInfoIsNotListed)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    AddRogue("title-long");
    StartProgram();
    StartMinuteOf("Rogue");
    EXPECT_EQ(TestPanel().TestName().Text(), "  Rogue  ");
    Pass(kMinuteWithTitle + 100);
    EXPECT_EQ(Count(RogueLog(), "end"), 1);
    ExpectMenuUsable();

    // The list is read again after every run.
    const std::string letters(255, 'X');
    SetMode("title-unterminated");
    ExpectAlphaRunsItsMinute();
    StartMinuteOf(letters);
    EXPECT_EQ(TestPanel().TestName().Text(), "  " + letters + "  ");
    Pass(kMinuteWithTitle + 100);
    EXPECT_EQ(Count(RogueLog(), "end"), 2);
    ExpectMenuUsable();

    SetMode("throw-info");
    ExpectAlphaRunsItsMinute();
    EXPECT_EQ(LineOf(letters), -1) << "a module that throws for its info is left out";
    EXPECT_EQ(LineOf("Rogue"), -1);
    EXPECT_EQ(Boxes(), 0u) << LastBox();
}

} // namespace
} // namespace kestrava::shell::testing
