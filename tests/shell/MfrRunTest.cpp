// The Mehrfachreaktion module through the whole program in virtual time: a
// minute played with scripted keys to the end screen and a record that
// matches what the candidate did, the same minute saved, aborted and
// resumed to the very same record, its tones heard through the host's
// player, and a program with ZEK whose end screen shows both tests' blocks
// and whose evaluation draws the module's daily series.
#include "ShellFixture.h"

#include "../mfr/MfrCandidate.h"
#include "../results/ResultFileBuilder.h"
#include "host/results/ResultRecords.h"
#include "host/shell/Auswertung.h"
#include "host/shell/Suspend.h"
#include "modules/mfr/MfrState.h"
#include "platform/app/Keys.h"
#include "platform/headless/NullWaveOut.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrava::shell::testing {
namespace {

using mfr::MfrState;
using mfr::testing::Candidate;
using mfr::testing::CandidateTally;

const std::vector<std::string> kMfrLines = {"<b>Mehrfachreaktion", "<tab>Richtige Reaktionen", "<tab>Fehlerfrei",
                                            "<tab>Nichts verpasst", "<tab>Mittlere Reaktionszeit"};

class MfrRunTest : public ShellTest {
protected:
    std::string Results() const { return folder.Dir() + "TESTS/MFR/MFR.RLT"; }
    MfrState Block()
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {};
        haupt->Host().SendModuleMessage(MSG_SAVESTATE, cells);
        EXPECT_EQ(cells[1], sizeof(MfrState));
        MfrState state{};
        if (cells[0] != 0 && cells[1] == sizeof state)
            std::memcpy(&state, reinterpret_cast<const void*>(cells[0]), sizeof state);
        return state;
    }
    bool Running() { return TestPanel().Visible() && !haupt->Host().Blocked(); }
    // Plays tick by tick until `done`, the candidate looking after each.
    void Play(Candidate& candidate, const std::function<bool()>& done, int limitMs)
    {
        for (int t = 0; t < limitMs && !done(); t += 10) {
            Advance(10);
            if (Running())
                candidate.Look(Block(), haupt->Host().Status().ElapsedMs);
        }
    }
    Candidate MakeCandidate()
    {
        return Candidate([this](uint32_t key) {
            backend.PushKey(key);
            Pump();
        });
    }
    void ClickDisk()
    {
        backend.PushMouseMove(500, 10);
        Pump();
        ASSERT_TRUE(TestPanel().Leiste().Visible());
        ClickOn(TestPanel().Disk());
    }
    static std::vector<double> Expected(const CandidateTally& t)
    {
        const auto percent = [&](int64_t part) { return double(part) / double(t.Stimuli()) * 100.0; };
        return {percent(t.correct), percent(t.Stimuli() - t.errors), percent(t.Stimuli() - t.missed),
                -double(t.reactionSumMs) / t.correct};
    }
    static std::string Seconds(double negativeMs)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", -negativeMs / 1000.0);
        std::string s = text;
        std::replace(s.begin(), s.end(), '.', ',');
        return s + "s";
    }
};

TEST_F(MfrRunTest, AMinuteWithScriptedKeysEndsWithTheCandidatesRecord)
{
    folder.AddMfr(4711);
    StartProgram();
    ASSERT_EQ(MenuePanel().TestListBox().Lines(), std::vector<std::string>{"Mehrfachreaktion"});
    StartFirstTests(1, "01");
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Mehrfachreaktion");
    Advance(2000);
    EXPECT_EQ(TestPanel().CountDownLabel().Text(), "3") << "the module's own countdown";

    Candidate candidate = MakeCandidate();
    Play(candidate, [&] { return Ende().Visible(); }, 70000);
    ASSERT_TRUE(Ende().Visible());
    const CandidateTally& t = candidate.tally;
    EXPECT_GT(t.correct, 15);
    EXPECT_GT(t.errors, 2);
    EXPECT_GT(t.missed, 2);

    const ResultFileContents file = LoadResultFile(Results()).contents;
    ASSERT_EQ(file.records.size(), 1u);
    EXPECT_EQ(file.records[0].durationMs, 60000);
    const std::vector<double> expected = Expected(t);
    EXPECT_EQ(file.records[0].parts, expected);

    EXPECT_EQ(Ende().EndeListe1().Lines(), kMfrLines);
    const auto& values = Ende().EndeListe2().Lines();
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0], "<b>" + std::to_string(std::lround(std::nearbyint(file.records[0].overall))) + "%");
    EXPECT_EQ(values[1], std::to_string(std::lround(std::nearbyint(expected[0]))) + "%");
    EXPECT_EQ(values[4], Seconds(expected[3]));

    Type("\r");
    EXPECT_TRUE(MenuePanel().Enabled());
    EXPECT_EQ(MenuePanel().DauerListBox().Lines().at(0), "00:01");
}

TEST_F(MfrRunTest, SavedAbortedAndResumedTheRunEndsWithTheSameRecord)
{
    folder.AddMfr(4711);
    StartProgram();

    // The minute in one go.
    StartFirstTests(1, "01");
    Candidate straight = MakeCandidate();
    Play(straight, [&] { return Ende().Visible(); }, 70000);
    ASSERT_TRUE(Ende().Visible());
    Type("\r");

    // The same minute, saved after 25 s, aborted, and resumed from the menu.
    StartFirstTests(1, "01");
    Candidate resumed = MakeCandidate();
    Play(resumed, [&] { return haupt->Host().Status().ElapsedMs >= 25000; }, 35000);
    ClickDisk();
    SuspendedRun saved;
    std::string reason;
    ASSERT_EQ(ReadSuspendedRun(folder.Dir() + "PROG.SAV", saved, reason), SuspendRead::Loaded) << reason;
    ASSERT_EQ(saved.state.size(), sizeof(MfrState));
    const MfrState atSave = Block();
    EXPECT_EQ(std::memcmp(saved.state.data(), &atSave, sizeof atSave), 0);
    Key(app::VK_ESCAPE);
    Type("J");
    ASSERT_TRUE(MenuePanel().Visible());
    EXPECT_EQ(LoadResultFile(Results()).contents.records.size(), 1u) << "the aborted run wrote nothing";

    ClickOn(MenuePanel().LoadButton());
    ASSERT_TRUE(TestPanel().Visible());
    EXPECT_TRUE(TestPanel().Pause().Pressed());
    const MfrState restored = Block();
    EXPECT_EQ(std::memcmp(&restored, &atSave, sizeof atSave), 0);
    Key(app::VK_PAUSE);
    Play(resumed, [&] { return Ende().Visible(); }, 50000);
    ASSERT_TRUE(Ende().Visible());

    const ResultFileContents file = LoadResultFile(Results()).contents;
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.records[1].durationMs, 60000);
    EXPECT_EQ(file.records[1].parts, file.records[0].parts);
    EXPECT_EQ(file.records[1].overall, file.records[0].overall);
    EXPECT_EQ(file.records[1].parts, Expected(resumed.tally));
}

TEST_F(MfrRunTest, TheTonesSoundThroughTheHostsPlayerAtTheirPitch)
{
    headless::NullWaveOut* device = nullptr;
    makeWaveOut = [&]() -> std::unique_ptr<app::WaveOutDevice> {
        auto d = std::make_unique<headless::NullWaveOut>(
            [this](std::function<void()> fn) { app.Loop().Post(std::move(fn)); }, /*autoComplete=*/false);
        if (!device)
            device = d.get();
        return d;
    };
    folder.AddMfr(99);
    std::ofstream(folder.root / "TESTS" / "MFR" / "MFR.ini", std::ios::app)
        << "[STIMULI]\nLAMPS=0\nTONES=1\nBOTH=0\n";
    StartProgram();
    ASSERT_NE(device, nullptr);
    StartFirstTests(1, "01");
    for (int t = 0; t < 20000 && !(Running() && Block().Tone != mfr::kToneNone); t += 10)
        Advance(10);
    const MfrState state = Block();
    ASSERT_NE(state.Tone, mfr::kToneNone);

    // The tone is 300 ms long; 16 buffers of 2048 frames hold it whole.
    for (int i = 0; i < 16; ++i) {
        ASSERT_TRUE(device->CompleteNext());
        Pump();
    }
    const std::vector<uint8_t> bytes = device->Played();
    int crossings = 0;
    int peak = 0;
    int16_t last = 0;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        const auto left = int16_t(bytes[i] | bytes[i + 1] << 8);
        peak = std::max(peak, std::abs(int(left)));
        if ((left > 0 && last < 0) || (left < 0 && last > 0))
            ++crossings;
        if (left != 0)
            last = left;
    }
    // 1320 Hz crosses zero about 792 times in 300 ms, 440 Hz about 264.
    const int expected = state.Tone == mfr::kToneHigh ? 792 : 264;
    EXPECT_NEAR(crossings, expected, expected / 10) << "tone " << state.Tone;
    EXPECT_GT(peak, 1000);
    haupt.reset();
}

TEST_F(MfrRunTest, AProgramWithZekShowsBothBlocksAndTheEvaluationItsDailySeries)
{
    folder.AddZek();
    folder.AddMfr(5);
    StartProgram();
    ASSERT_EQ(MenuePanel().TestListBox().Lines(), (std::vector<std::string>{"Mehrfachreaktion", "ZEK-Test"}));
    StartFirstTests(2, "02");
    for (int s = 0; s < 400 && !Ende().Visible(); ++s)
        Advance(1000);
    ASSERT_TRUE(Ende().Visible());

    const std::vector<std::string> names = Ende().EndeListe1().Lines();
    const std::vector<std::string> values = Ende().EndeListe2().Lines();
    ASSERT_EQ(names.size(), 10u);
    ASSERT_EQ(values.size(), 10u);
    const auto mfrAt = static_cast<size_t>(std::find(names.begin(), names.end(), kMfrLines[0]) - names.begin());
    const auto zekAt = static_cast<size_t>(std::find(names.begin(), names.end(), "<b>ZEK-Test") - names.begin());
    ASSERT_TRUE(mfrAt == 0 || mfrAt == 5);
    ASSERT_EQ(zekAt, 5 - mfrAt);
    EXPECT_EQ(std::vector<std::string>(names.begin() + long(mfrAt), names.begin() + long(mfrAt) + 5), kMfrLines);
    EXPECT_EQ(names[zekAt + 3], "<tab>Reaktionsvermögen F-Tasten");
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(values[zekAt + i].back(), '%') << values[zekAt + i];
        if (i < 4) {
            EXPECT_EQ(values[mfrAt + i].back(), '%') << values[mfrAt + i];
        }
    }
    // Nobody answered: every stimulus missed, the reaction time the
    // longest window.
    EXPECT_EQ(values[mfrAt + 3], "0%");
    EXPECT_EQ(values[mfrAt + 4], "3,000s");

    const ResultFileContents mfrFile = LoadResultFile(Results()).contents;
    const ResultFileContents zekFile = LoadResultFile(folder.Dir() + "TESTS/ZEK.RLT").contents;
    ASSERT_EQ(mfrFile.records.size(), 1u);
    ASSERT_EQ(zekFile.records.size(), 1u);
    // Two minutes shared by the usual durations, 5 : 10 min: ZEK's share of
    // 80 s stands, the module's 40 s are raised to its minimum.
    EXPECT_EQ(zekFile.records[0].durationMs, 80000);
    EXPECT_EQ(mfrFile.records[0].durationMs, 60000);
    Type("\r");

    // Two days before, a run of 45 %: the module's series runs from then.
    const ResultRecord& today = mfrFile.records[0];
    {
        kestrava::testing::ResultBytes older(4, mfrFile.partNames);
        older.Record(std::floor(today.timestamp) - 2 + 0.5, 60000, 45.0, {45.0, 45.0, 45.0, -500.0});
        older.Record(today.timestamp, today.durationMs, today.overall, today.parts);
        older.WriteTo(Results());
    }
    ClickLine(MenuePanel().TestListBox(), 0);
    const gdi::Rect go = MenuePanel().GoButton().ScreenRect();
    backend.PushClick((go.left + go.right) / 2 + 3 * 56, (go.top + go.bottom) / 2);
    Pump();
    ASSERT_TRUE(Auswertung().Visible());
    const DailySeries& series = Auswertung().Series();
    ASSERT_TRUE(series.HasDayRange());
    EXPECT_EQ(series.Entries(), 3);
    ASSERT_GE(series.selectedSlot, 0);
    const auto slot = static_cast<size_t>(series.selectedSlot);
    EXPECT_EQ(series.slotTest[slot], *haupt->Catalogue().IndexOfTitle("Mehrfachreaktion"));
    EXPECT_EQ(series.slots[slot], (std::vector<double>{45.0, 45.0, today.overall}));
}

} // namespace
} // namespace kestrava::shell::testing
