// Saving a run through the test bar's Disk button and resuming it with the
// menu's LoadButton, whole runs in virtual time: the countdown, a paused and
// a running test, the second of three entries to the end screen, a catalogue
// in another order, ZEK's state block, and the files that must be refused.
#include "ShellFixture.h"

#include "../results/ResultFileBuilder.h"
#include "host/core/DLLImport.h"
#include "host/results/ResultRecords.h"
#include "host/shell/Suspend.h"
#include "modules/zek/ZekState.h"
#include "platform/app/Keys.h"

#include <cstring>

namespace kestrava::shell::testing {
namespace {

using app::VK_ESCAPE;
using app::VK_PAUSE;
using kestrava::testing::ResultBytes;

const char* const kRefusal = "Der gespeicherte Testlauf kann nicht fortgesetzt werden: ";

class SuspendTest : public ShellTest {
protected:
    std::string SavPath() const { return folder.Dir() + "PROG.SAV"; }
    std::string SavBytes() const { return ProgramFolder::ReadAll(SavPath()); }
    SuspendedRun ReadSav()
    {
        SuspendedRun run;
        std::string reason;
        EXPECT_EQ(ReadSuspendedRun(SavPath(), run, reason), SuspendRead::Loaded) << reason;
        return run;
    }
    void StartAlpha(int countdownMs)
    {
        folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, countdownMs);
        StartProgram();
        StartFirstTests(1, "01");
    }
    // The way a person saves: the mouse to the top, a click on the disk.
    void ClickDisk()
    {
        backend.PushMouseMove(500, 10);
        Pump();
        ASSERT_TRUE(TestPanel().Leiste().Visible());
        ClickOn(TestPanel().Disk());
    }
    void AbortWithJ()
    {
        Key(VK_ESCAPE);
        ASSERT_TRUE(JaNein().Visible());
        Type("J");
        ASSERT_TRUE(MenuePanel().Visible());
    }
    void ExpectPausedResume()
    {
        EXPECT_TRUE(TestPanel().Visible());
        EXPECT_FALSE(MenuePanel().Visible());
        EXPECT_TRUE(TestPanel().Pause().Pressed());
        EXPECT_FALSE(haupt->TicksRunning());
        EXPECT_TRUE(haupt->Host().Blocked());
        EXPECT_TRUE(TestPanel().Window1().Visible());
        EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    }
    void AdvanceUntil(const std::function<bool()>& done, int limitMs)
    {
        for (int t = 0; t < limitMs && !done(); t += 10)
            Advance(10);
    }
};

TEST_F(SuspendTest, SavedDuringTheCountdownResumesWithTheRestOfIt)
{
    StartAlpha(3000);
    EXPECT_FALSE(TestPanel().Disk().Enabled()) << "not during the title";
    Advance(2000 + 1500);
    ASSERT_TRUE(TestPanel().CountDownPanel().Visible());
    EXPECT_TRUE(TestPanel().Disk().Enabled());
    EXPECT_FALSE(MenuePanel().LoadButton().Enabled()) << "nothing saved yet";
    ClickDisk();
    // Saving neither stops nor pauses; the bar says so for 2 s.
    EXPECT_TRUE(haupt->TicksRunning());
    EXPECT_NE(TestPanel().TestName().Text().find("Gespeichert"), std::string::npos);
    const SuspendedRun saved = ReadSav();
    EXPECT_EQ(saved.tickCount, -150);
    EXPECT_EQ(saved.state.size(), 16u);
    Advance(2000);
    EXPECT_NE(TestPanel().TestName().Text().find("Alpha"), std::string::npos);

    AbortWithJ();
    EXPECT_TRUE(MenuePanel().LoadButton().Enabled());
    const std::string file = SavBytes();
    ClickOn(MenuePanel().LoadButton());
    ExpectPausedResume();
    EXPECT_EQ(haupt->TickCount(), -150);
    ASSERT_TRUE(TestPanel().CountDownPanel().Visible());
    EXPECT_EQ(TestPanel().CountDownLabel().Text(), "1");
    EXPECT_EQ(TestPanel().Time().Text(), "00:00:00");
    EXPECT_TRUE(TestPanel().Disk().Enabled());
    EXPECT_EQ(SavBytes(), file) << "loading leaves the file as it was";
    Advance(5000);
    EXPECT_EQ(haupt->TickCount(), -150) << "paused";

    Key(VK_PAUSE);
    EXPECT_TRUE(haupt->TicksRunning());
    EXPECT_TRUE(TestPanel().CountDownPanel().Visible());
    Advance(1490);
    EXPECT_TRUE(TestPanel().CountDownPanel().Visible());
    EXPECT_EQ(Count(folder.Log("A"), "ticks"), 0);
    Advance(10);
    EXPECT_FALSE(TestPanel().CountDownPanel().Visible());
    Advance(60000 + 50);
    const std::string log = folder.Log("A");
    // The resumed test: init, restore, paint, and the whole minute from 0.
    EXPECT_EQ(Count(log, "restore"), 1) << log;
    EXPECT_EQ(Count(log, "ticks 6001 first 0 last 60000"), 1) << log;
    EXPECT_EQ(Count(log, "end"), 1) << log;
    AdvanceUntil([&] { return MenuePanel().Visible(); }, 1000);
    EXPECT_TRUE(MenuePanel().Visible());
    EXPECT_FALSE(TestPanel().Visible());
}

TEST_F(SuspendTest, SavingWhilePausedStaysPausedAndWhileRunningRunsOn)
{
    StartAlpha(0);
    Advance(2000 + 3000);
    ASSERT_TRUE(haupt->TicksRunning());
    ClickDisk();
    EXPECT_TRUE(haupt->TicksRunning());
    EXPECT_FALSE(TestPanel().Pause().Pressed());
    const int32_t savedAt = haupt->TickCount();
    EXPECT_EQ(ReadSav().tickCount, savedAt);
    Advance(1000);
    EXPECT_EQ(haupt->TickCount(), savedAt + 100) << "the clock runs on";

    Key(VK_PAUSE);
    const int32_t pausedAt = haupt->TickCount();
    ClickDisk();
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_TRUE(TestPanel().Pause().Pressed());
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    Advance(1000);
    EXPECT_EQ(haupt->TickCount(), pausedAt);

    // The file in its layout: the list length, the list, the entry, the
    // tick, one title field per entry, the state length and the state.
    const std::string bytes = SavBytes();
    auto int32At = [&](size_t at) {
        int32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    ASSERT_EQ(bytes.size(), 4u + 40 + 8 + 256 + 4 + 16 + 8);
    EXPECT_EQ(int32At(0), 40);
    EXPECT_EQ(int32At(4 + 28), 60000) << "PlannedDuration";
    EXPECT_EQ(int32At(44), 0) << "CurrentEntry";
    EXPECT_EQ(int32At(48), pausedAt);
    EXPECT_EQ(bytes.substr(52, 6), std::string("\x05" "Alpha"));
    EXPECT_EQ(int32At(52 + 256), 16);
    EXPECT_EQ(int32At(52 + 260), pausedAt) << "the module's tick count";
    EXPECT_EQ(bytes.substr(52 + 276, 4), "KCRC") << "the checksum trailer";
}

TEST_F(SuspendTest, TheSecondOfThreeEntriesResumesThereAndTheEndScreenShowsAllThree)
{
    for (const char* name : {"A", "B", "C"}) {
        const std::string title = std::string(name) == "A" ? "Alpha" : std::string(name) == "B" ? "Beta" : "Gamma";
        folder.AddTimed(name, title, 1, 1000, 0, 1000, 20000, 0);
        ResultBytes(1, {"Teil"}).Record(45000.5, 20000, 70.0, {71.0}).WriteTo(folder.Dir() + "TESTS/" + name + ".RLT");
    }
    StartProgram();
    StartFirstTests(3, "01");
    ASSERT_EQ(haupt->Run().Size(), 3u);
    const std::vector<TRunEntry> order = haupt->Run().Entries();
    AdvanceUntil([&] { return haupt->Run().CurrentEntry().Saved() == 1 && TestPanel().Disk().Enabled(); },
                 40000);
    Advance(7000);
    ClickDisk();
    const int32_t savedAt = haupt->TickCount();
    AbortWithJ();
    EXPECT_TRUE(haupt->Run().Empty());

    ClickOn(MenuePanel().LoadButton());
    ExpectPausedResume();
    ASSERT_EQ(haupt->Run().Size(), 3u);
    EXPECT_EQ(haupt->Run().CurrentEntry().Saved(), 1);
    EXPECT_EQ(haupt->TickCount(), savedAt);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(haupt->Run().Entries()[i].CatalogueIndex, order[i].CatalogueIndex);
    Key(VK_PAUSE);
    AdvanceUntil([&] { return Ende().Visible(); }, 60000);
    ASSERT_TRUE(Ende().Visible());
    int titles = 0;
    for (const std::string& line : Ende().EndeListe1().Lines())
        titles += line.rfind("<b>", 0) == 0 ? 1 : 0;
    EXPECT_EQ(titles, 3);
    // Each test ran its 20 s once in all: the resumed one counted on.
    for (const char* name : {"A", "B", "C"})
        EXPECT_EQ(Count(folder.Log(name), "ticks 2000 first 10 last 20000"), 1) << name << "\n" << folder.Log(name);
}

TEST_F(SuspendTest, ACatalogueInAnotherOrderStillResumesTheRightModule)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    const int32_t beta = *haupt->Catalogue().IndexOfTitle("Beta");
    // A run of Beta then Alpha, saved at 3 s into Beta, with the stored
    // indices pointing the wrong way and a test added since.
    SuspendedRun run;
    TRunEntry entry;
    entry.PlannedDuration = 20000;
    entry.DurationStep = 1000;
    entry.KeepsResults = 1;
    entry.CatalogueIndex = 1 - beta;
    run.entries.push_back(entry);
    entry.CatalogueIndex = beta;
    run.entries.push_back(entry);
    run.titles = {"Beta", "Alpha"};
    run.tickCount = 300;
    run.state.assign(16, 0);
    const int64_t counted[2] = {300, 10}; // ticks so far, the first one's time
    std::memcpy(run.state.data(), counted, 16);
    std::string error;
    ASSERT_TRUE(WriteSuspendedRun(SavPath(), run, error)) << error;
    folder.AddTimed("AA", "Aaron", 1, 1000, 0, 1000, 20000, 0);
    // The menu looks again when it comes back (here after a run of Aaron,
    // aborted).
    StartFirstTests(1, "01");
    Advance(3000);
    AbortWithJ();
    ASSERT_EQ(haupt->Catalogue().Count(), 3);
    fs::remove(folder.root / "TESTS" / "A.log");

    ClickOn(MenuePanel().LoadButton());
    ExpectPausedResume();
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(haupt->Catalogue().ByIndex(haupt->Run().Entries()[i].CatalogueIndex)->title, run.titles[i]);
    EXPECT_EQ(Count(folder.Log("B"), "restore"), 1);
    EXPECT_EQ(folder.Log("A"), "");
    EXPECT_NE(TestPanel().TestName().Text().find("Beta"), std::string::npos);
    Key(VK_PAUSE);
    Advance(17000);
    EXPECT_EQ(Count(folder.Log("B"), "ticks 2000 first 10 last 20000"), 1) << folder.Log("B");
    AdvanceUntil([&] { return Count(folder.Log("A"), "end") == 1; }, 30000);
    EXPECT_EQ(Count(folder.Log("A"), "ticks 2000 first 10 last 20000"), 1) << folder.Log("A");
}

TEST_F(SuspendTest, ZekStateBlockComesBackByteForByte)
{
    folder.AddZek();
    StartProgram();
    StartFirstTests(1, "01");
    Advance(2000 + 2000 + 10000);
    Key(VK_PAUSE);
    ClickDisk();
    const SuspendedRun saved = ReadSav();
    ASSERT_EQ(saved.state.size(), sizeof(zek::ZekState));
    ASSERT_EQ(saved.state.size(), 688u);
    auto block = [&] {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {};
        haupt->Host().SendModuleMessage(MSG_SAVESTATE, cells);
        EXPECT_EQ(cells[1], 688u);
        zek::ZekState state;
        std::memcpy(&state, reinterpret_cast<const void*>(cells[0]), sizeof state);
        // The time the last full repaint took is measured on the real
        // clock: it is the one field a repaint after the restore changes.
        state.PaintDuration = 0;
        return state;
    };
    zek::ZekState expected;
    std::memcpy(&expected, saved.state.data(), sizeof expected);
    expected.PaintDuration = 0;
    zek::ZekState before = block();
    EXPECT_EQ(std::memcmp(&before, &expected, sizeof expected), 0);
    EXPECT_GT(expected.Samples2D, 0);
    AbortWithJ();

    ClickOn(MenuePanel().LoadButton());
    ExpectPausedResume();
    zek::ZekState after = block();
    EXPECT_EQ(std::memcmp(&after, &expected, sizeof expected), 0);
    Key(VK_PAUSE);
    AdvanceUntil([&] { return Ende().Visible(); }, 60000);
    ASSERT_TRUE(Ende().Visible());
    const ResultFileContents file = LoadResultFile(folder.Dir() + "TESTS/ZEK.RLT").contents;
    ASSERT_EQ(file.records.size(), 1u);
    EXPECT_EQ(file.records[0].durationMs, 60000);
}

// Each damaged file: the menu stays, the file stays, a message says why.
TEST_F(SuspendTest, DamagedFilesAreRefusedAndLeaveMenuAndFileAlone)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    SuspendedRun good;
    TRunEntry entry;
    entry.PlannedDuration = 20000;
    good.entries = {entry};
    good.titles = {"Alpha"};
    good.tickCount = 100;
    good.state.assign(16, 0);

    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    auto encoded = [](const SuspendedRun& run) {
        const std::vector<uint8_t> b = EncodeSuspendedRun(run);
        return std::string(b.begin(), b.end());
    };
    // Without its trailer, as files were written before the checksum, so
    // that the checks of the layout see bytes changed on purpose.
    auto untrailed = [&](const SuspendedRun& run) {
        const std::string bytes = encoded(run);
        return bytes.substr(0, bytes.size() - kChecksumTrailerBytes);
    };
    std::vector<Case> cases;
    std::string shortFile = untrailed(good);
    shortFile.pop_back();
    cases.push_back({"short", shortFile, "kürzer"});
    std::string flipped = encoded(good);
    flipped[flipped.size() - kChecksumTrailerBytes - 1] ^= 0x01; // the module's state: nothing else would notice
    cases.push_back({"flipped byte", flipped, "die Datei ist beschädigt (ihre Prüfsumme stimmt nicht)."});
    cases.push_back({"three bytes", std::string("\x28\0\0", 3), "zu kurz"});
    SuspendedRun wrongState = good;
    wrongState.state.assign(688, 0);
    cases.push_back({"state length", encoded(wrongState), "688 Bytes"});
    SuspendedRun unknown = good;
    unknown.titles = {"Omega"};
    cases.push_back({"unknown title", encoded(unknown), "\xe2\x80\x9eOmega\xe2\x80\x9c ist nicht mehr vorhanden"});
    SuspendedRun outside = good;
    outside.currentEntry = 1;
    cases.push_back({"entry outside", encoded(outside), "nicht in der Testliste"});
    SuspendedRun negative = good;
    negative.currentEntry = -1;
    cases.push_back({"entry negative", encoded(negative), "nicht in der Testliste"});
    SuspendedRun empty = good;
    empty.entries.clear();
    empty.titles.clear();
    cases.push_back({"empty list", encoded(empty), "1 bis 10.000"});
    std::string huge = untrailed(good);
    const int32_t tooMany = 10001 * 40;
    std::memcpy(huge.data(), &tooMany, 4);
    cases.push_back({"10,001 entries", huge, "1 bis 10.000"});
    std::string longer = encoded(good) + "x";
    cases.push_back({"trailing byte", longer, "länger"});
    SuspendedRun late = good;
    late.tickCount = 2000;
    cases.push_back({"tick past the end", encoded(late), "außerhalb"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(SavPath(), std::ios::binary | std::ios::trunc) << c.bytes;
        haupt->FormActivate(); // the menu looks for the file when it comes back
        ASSERT_TRUE(MenuePanel().LoadButton().Enabled());
        const std::vector<std::string> lines = MenuePanel().TestListBox().Lines();
        ClickOn(MenuePanel().LoadButton());
        ASSERT_TRUE(Meldung().Visible());
        EXPECT_FALSE(MenuePanel().Enabled()) << "the menu waits behind the message";
        const std::string text = CloseMessage();
        EXPECT_EQ(text.rfind(kRefusal, 0), 0u) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_TRUE(MenuePanel().Visible());
        EXPECT_TRUE(MenuePanel().Enabled());
        EXPECT_FALSE(TestPanel().Visible());
        EXPECT_FALSE(TestPanel().Pause().Pressed());
        EXPECT_EQ(BoundDispatchMessage(), nullptr);
        EXPECT_EQ(MenuePanel().TestListBox().Lines(), lines);
        EXPECT_EQ(SavBytes(), c.bytes) << "the file stays";
        Advance(1000);
        EXPECT_FALSE(haupt->TicksRunning());
    }
    // The module that did not fit its file was started and stopped again.
    EXPECT_EQ(Count(folder.Log("A"), "init"), 1);
    EXPECT_EQ(Count(folder.Log("A"), "stop"), 1);

    // No file at all: the button is not offered, and a click does nothing.
    fs::remove(SavPath());
    haupt->FormActivate();
    EXPECT_FALSE(MenuePanel().LoadButton().Enabled());
    haupt->LoadButtonClick();
    EXPECT_FALSE(Meldung().Visible());
    EXPECT_TRUE(backend.MessageBoxes().empty());
    EXPECT_TRUE(MenuePanel().Visible());
}

// Entries are matched by title: a test removed since the save blocks the
// resume only when it is still to run; one that ran is left out.
TEST_F(SuspendTest, AGoneTestThatRanDoesNotBlockTheResumeAndOneToComeDoes)
{
    for (const char* name : {"B", "C"}) {
        folder.AddTimed(name, name == std::string("B") ? "Beta" : "Gamma", 1, 1000, 0, 1000, 20000, 0);
        ResultBytes(1, {"Teil"}).Record(45000.5, 20000, 70.0, {71.0}).WriteTo(folder.Dir() + "TESTS/" + name + ".RLT");
    }
    StartProgram();
    SuspendedRun run;
    TRunEntry entry;
    entry.PlannedDuration = 20000;
    entry.KeepsResults = 1;
    run.entries.assign(3, entry);
    run.titles = {"Alpha", "Beta", "Gamma"}; // Alpha ran, its module is gone since
    run.currentEntry = 1;
    run.tickCount = 300;
    run.state.assign(16, 0);
    const int64_t counted[2] = {300, 10};
    std::memcpy(run.state.data(), counted, 16);
    SuspendedRun coming = run;
    coming.currentEntry = 0;
    coming.titles = {"Beta", "Gamma", "Alpha"};
    std::string error;
    ASSERT_TRUE(WriteSuspendedRun(SavPath(), coming, error)) << error;
    haupt->FormActivate();
    ClickOn(MenuePanel().LoadButton());
    ASSERT_TRUE(Meldung().Visible());
    EXPECT_EQ(CloseMessage(),
              std::string(kRefusal) + "der Test \xe2\x80\x9e" "Alpha\xe2\x80\x9c ist nicht mehr vorhanden.");
    EXPECT_TRUE(MenuePanel().Visible());

    // Written without the checksum trailer, as before it was added: read all
    // the same.
    const std::vector<uint8_t> bytes = EncodeSuspendedRun(run);
    std::ofstream(SavPath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size() - kChecksumTrailerBytes));
    ClickOn(MenuePanel().LoadButton());
    EXPECT_FALSE(Meldung().Visible());
    ExpectPausedResume();
    EXPECT_EQ(haupt->Run().Entries()[0].CatalogueIndex, kNoCatalogueEntry);
    EXPECT_NE(TestPanel().TestName().Text().find("Beta"), std::string::npos);
    Key(VK_PAUSE);
    AdvanceUntil([&] { return Ende().Visible(); }, 60000);
    ASSERT_TRUE(Ende().Visible());
    std::vector<std::string> titles;
    for (const std::string& line : Ende().EndeListe1().Lines())
        if (line.rfind("<b>", 0) == 0)
            titles.push_back(line);
    EXPECT_EQ(titles, (std::vector<std::string>{"<b>Beta", "<b>Gamma"}));
}

} // namespace
} // namespace kestrava::shell::testing
