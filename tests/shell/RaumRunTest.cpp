// Raumvorstellung through the whole program in virtual time: a minute
// answered with the arrow keys (the answer read from the module's state
// block, every fourth one wrong) to the end screen, which shows the mean
// answer time as a time; then the same minute saved through the test bar,
// aborted, and resumed from the menu to the very same record.
#include "ShellFixture.h"

#include "host/results/ResultRecords.h"
#include "host/shell/Suspend.h"
#include "modules/raum/RaumState.h"
#include "platform/app/Keys.h"

#include <cstring>

namespace kestrava::shell::testing {
namespace {

using raum::RaumState;

class RaumRunTest : public ShellTest {
protected:
    void AddRaum()
    {
        const fs::path built = fs::path(KESTRAVA_PROGRAM_DIR) / "TESTS" / "RAUM";
        fs::create_directories(folder.root / "TESTS" / "RAUM");
        fs::copy_file(built / "RAUM.TST", folder.root / "TESTS" / "RAUM" / "RAUM.TST");
        std::ofstream(folder.root / "TESTS" / "RAUM" / "RAUM.ini") << "[GLOBAL]\nSEED=4711\n";
    }
    std::string Results() const { return folder.Dir() + "TESTS/RAUM/RAUM.RLT"; }
    RaumState Block()
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {};
        haupt->Host().SendModuleMessage(MSG_SAVESTATE, cells);
        RaumState state{};
        if (cells[0] != 0 && cells[1] == sizeof state)
            std::memcpy(&state, reinterpret_cast<const void*>(cells[0]), sizeof state);
        return state;
    }
    // Ticks until done; every pair answered 0.8 s after it came.
    void Play(const std::function<bool()>& done, int limitMs)
    {
        for (int t = 0; t < limitMs && !done(); t += 10) {
            Advance(10);
            if (!TestPanel().Visible() || haupt->Host().Blocked())
                continue;
            const RaumState s = Block();
            const TTestStatus& status = haupt->Host().Status();
            if (s.Open && status.ElapsedMs - s.ShownAt == 800 && status.ElapsedMs < status.DurationMs) {
                const bool wrong = (s.Items + 1) % 4 == 0;
                Key((s.Mirror != 0) != wrong ? app::VK_RIGHT : app::VK_LEFT);
                ++answered;
                wrongs += wrong ? 1 : 0;
            }
        }
    }
    int answered = 0;
    int wrongs = 0;
};

TEST_F(RaumRunTest, AMinuteToTheEndScreenAndTheSameMinuteSavedAndResumed)
{
    AddRaum();
    StartProgram();
    ASSERT_EQ(MenuePanel().TestListBox().Lines(), std::vector<std::string>{"Raumvorstellung"});
    StartFirstTests(1, "01");
    Play([&] { return Ende().Visible(); }, 70000);
    ASSERT_TRUE(Ende().Visible());
    std::vector<ResultRecord> records = LoadResultFile(Results()).contents.records;
    ASSERT_EQ(records.size(), 1u);
    const ResultRecord straight = records[0];
    ASSERT_EQ(straight.parts.size(), 2u);
    EXPECT_GT(answered, 20);
    EXPECT_DOUBLE_EQ(straight.parts[0], 100.0 * (answered - wrongs) / answered);
    EXPECT_DOUBLE_EQ(straight.parts[1], -800.0);
    EXPECT_EQ(Ende().EndeListe1().Lines(),
              (std::vector<std::string>{"<b>Raumvorstellung", "<tab>Richtige Antworten", "<tab>Mittlere Antwortzeit"}));
    ASSERT_EQ(Ende().EndeListe2().Lines().size(), 3u);
    EXPECT_EQ(Ende().EndeListe2().Lines()[2], "0,800s");
    Type("\r");

    // The same minute, saved after 30 s, aborted, and resumed from the menu.
    StartFirstTests(1, "01");
    Play([&] { return haupt->Host().Status().ElapsedMs >= 30000; }, 40000);
    backend.PushMouseMove(500, 10);
    Pump();
    ASSERT_TRUE(TestPanel().Leiste().Visible());
    ClickOn(TestPanel().Disk());
    SuspendedRun saved;
    std::string reason;
    ASSERT_EQ(ReadSuspendedRun(folder.Dir() + "PROG.SAV", saved, reason), SuspendRead::Loaded) << reason;
    ASSERT_EQ(saved.state.size(), sizeof(RaumState));
    Key(app::VK_ESCAPE);
    Type("J");
    ASSERT_TRUE(MenuePanel().Visible());
    ClickOn(MenuePanel().LoadButton());
    ASSERT_TRUE(TestPanel().Visible());
    const RaumState restored = Block();
    EXPECT_EQ(std::memcmp(&restored, saved.state.data(), sizeof restored), 0);
    Key(app::VK_PAUSE);
    Play([&] { return Ende().Visible(); }, 40000);
    ASSERT_TRUE(Ende().Visible());
    records = LoadResultFile(Results()).contents.records;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].durationMs, 60000);
    EXPECT_EQ(records[1].parts, straight.parts);
    EXPECT_EQ(records[1].overall, straight.overall);
}

} // namespace
} // namespace kestrava::shell::testing
