// The Fluglage module through the whole program in virtual time: a minute
// answered from what the state block shows ends on the end screen with the
// test's block and a record that matches what the candidate did; the same
// minute saved after 25 s, aborted and resumed from the menu ends with the
// very same record.
#include "ShellFixture.h"

#include "host/results/ResultRecords.h"
#include "host/shell/Suspend.h"
#include "modules/lage/LageState.h"
#include "platform/app/Keys.h"

#include <cmath>
#include <cstring>

namespace kestrava::shell::testing {
namespace {

using lage::LageState;

class LageRunTest : public ShellTest {
protected:
    std::string Results() const { return folder.Dir() + "TESTS/LAGE/LAGE.RLT"; }
    LageState Block()
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {};
        haupt->Host().SendModuleMessage(MSG_SAVESTATE, cells);
        LageState state{};
        if (cells[0] != 0 && cells[1] == sizeof state)
            std::memcpy(&state, reinterpret_cast<const void*>(cells[0]), sizeof state);
        return state;
    }
    bool Running() { return TestPanel().Visible() && !haupt->Host().Blocked(); }
    // Tick by tick until done: an item is answered 900 ms after it came, on
    // the main keys, every fourth with the picture to the right of the
    // answer's; every ninth is left to run out.
    void Play(const std::function<bool()>& done, int limitMs)
    {
        for (int t = 0; t < limitMs && !done(); t += 10) {
            Advance(10);
            if (!Running())
                continue;
            const LageState s = last = Block();
            const int32_t n = s.Correct + s.Wrong + s.Missed;
            if (s.Phase != lage::kPhaseShowing || n % 9 == 8 || haupt->Host().Status().ElapsedMs - s.ShownAt != 900)
                continue;
            const int32_t picture = n % 4 == 3 ? (s.Item.Answer + 1) % 4 : s.Item.Answer;
            backend.PushKey(uint32_t('1' + picture));
            Pump();
            ++(n % 4 == 3 ? wrong : right);
        }
    }
    int right = 0;
    int wrong = 0;
    LageState last{};  // as the last tick of the test left it
};

TEST_F(LageRunTest, AMinuteEndsOnTheEndScreenAndResumedEndsWithTheSameRecord)
{
    folder.AddLage(4711);
    StartProgram();
    ASSERT_EQ(MenuePanel().TestListBox().Lines(), std::vector<std::string>{"Fluglage"});

    StartFirstTests(1, "01");
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Fluglage");
    Play([&] { return Ende().Visible(); }, 70000);
    ASSERT_TRUE(Ende().Visible());
    const LageState straight = last;
    EXPECT_EQ(straight.Correct, right);
    EXPECT_EQ(straight.Wrong, wrong);
    EXPECT_GT(straight.Missed, 0);
    const ResultFileContents first = LoadResultFile(Results()).contents;
    ASSERT_EQ(first.records.size(), 1u);
    const ResultRecord& record = first.records[0];
    EXPECT_EQ(record.durationMs, 60000);
    EXPECT_DOUBLE_EQ(record.parts[0], 100.0 * right / (right + wrong + straight.Missed));
    EXPECT_DOUBLE_EQ(record.parts[1], -900.0);
    EXPECT_EQ(Ende().EndeListe1().Lines(),
              (std::vector<std::string>{"<b>Fluglage", "<tab>Richtige Antworten", "<tab>Mittlere Antwortzeit"}));
    const auto percent = std::to_string(std::lround(std::nearbyint(record.parts[0]))) + "%";
    EXPECT_EQ(Ende().EndeListe2().Lines(), (std::vector<std::string>{"<b>" + percent, percent, "0,900s"}));
    Type("\r");

    // The same minute, saved after 25 s, aborted, and resumed from the menu.
    right = wrong = 0;
    StartFirstTests(1, "01");
    Play([&] { return haupt->Host().Status().ElapsedMs >= 25000; }, 35000);
    backend.PushMouseMove(500, 10);
    Pump();
    ClickOn(TestPanel().Disk());
    const LageState atSave = Block();
    Key(app::VK_ESCAPE);
    Type("J");
    ASSERT_TRUE(MenuePanel().Visible());
    ClickOn(MenuePanel().LoadButton());
    ASSERT_TRUE(TestPanel().Visible());
    const LageState restored = Block();
    EXPECT_EQ(std::memcmp(&restored, &atSave, sizeof atSave), 0);
    Key(app::VK_PAUSE);
    Play([&] { return Ende().Visible(); }, 50000);
    ASSERT_TRUE(Ende().Visible());

    const ResultFileContents both = LoadResultFile(Results()).contents;
    ASSERT_EQ(both.records.size(), 2u);
    EXPECT_EQ(both.records[1].durationMs, 60000);
    EXPECT_EQ(both.records[1].parts, record.parts);
    EXPECT_EQ(both.records[1].overall, record.overall);
}

} // namespace
} // namespace kestrava::shell::testing
