// The Mehrfachreaktion result: parts and overall from the counters, the
// settings file, and the record appended to the result file as the host's
// readers read it.
#include "MfrTestSupport.h"

#include "host/results/ResultRecords.h"
#include "modules/mfr/MfrResult.h"
#include "modules/mfr/MfrSettings.h"

#include <cmath>
#include <cstring>
#include <filesystem>

namespace kestrava::mfr::testing {
namespace {

MfrState Counters(int32_t stimuli, int32_t correct, int32_t errors, int32_t falseKeys, int32_t missed, uint64_t sum)
{
    MfrState s{};
    s.Stimuli = stimuli;
    s.Correct = correct;
    s.Errors = errors;
    s.FalseKeys = falseKeys;
    s.Missed = missed;
    s.ReactionSumMs = sum;
    return s;
}

TEST(MfrScore, PartsAndTheWeightedOverall)
{
    const MfrSettings settings;
    const ResultRecord r = MakeResultRecord(Counters(20, 15, 3, 1, 2, 15 * 450), settings, 60000, 46000.5);
    EXPECT_EQ(r.Parts, (std::array<double, 4>{75.0, 80.0, 90.0, -450.0}));
    EXPECT_EQ(r.DurationMs, 60000);
    EXPECT_EQ(r.Timestamp, 46000.5);
    // 0.4 x 75 + 0.2 x 80 + 0.2 x 90 + 0.2 x speed 80.
    EXPECT_DOUBLE_EQ(r.Overall, 80.0);
}

TEST(MfrScore, EdgesOfTheParts)
{
    MfrSettings settings;
    settings.Slowest = 2500;
    // Nothing happened: no NaN, the reaction time is the longest window.
    ResultRecord r = MakeResultRecord(Counters(0, 0, 0, 0, 0, 0), settings, 60000, 0);
    EXPECT_EQ(r.Parts, (std::array<double, 4>{0.0, 0.0, 0.0, -2500.0}));
    EXPECT_EQ(r.Overall, 0.0);
    // More faults than stimuli: not below 0.
    r = MakeResultRecord(Counters(4, 1, 3, 9, 0, 300), settings, 60000, 0);
    EXPECT_EQ(r.Parts[1], 0.0);
    EXPECT_EQ(r.Parts[3], -300.0);
    EXPECT_TRUE(std::signbit(r.Parts[3])) << "a time is negative, never a percentage";

    EXPECT_EQ(SpeedScore(200.0), 100.0);
    EXPECT_EQ(SpeedScore(250.0), 100.0);
    EXPECT_EQ(SpeedScore(750.0), 50.0);
    EXPECT_EQ(SpeedScore(1250.0), 0.0);
    EXPECT_EQ(SpeedScore(3000.0), 0.0);
}

TEST(MfrResultFile, CreatedAppendedCutAtATornTailAndOthersKept)
{
    ScratchFolder folder;
    const std::string path = folder.File("MFR.RLT");
    const ResultRecord first = MakeResultRecord(Counters(10, 8, 1, 0, 1, 8 * 500), MfrSettings{}, 60000, 46000.25);
    EXPECT_EQ(WriteResultRecord(path, first).Status, AppendStatus::Created);
    EXPECT_EQ(std::filesystem::file_size(path), 1028u + 56u);

    // A torn second record (a crash mid-append) is cut off by the next one.
    { std::ofstream(path, std::ios::binary | std::ios::app) << std::string(20, 'x'); }
    ResultRecord second = first;
    second.DurationMs = 120000;
    EXPECT_EQ(WriteResultRecord(path, second).Status, AppendStatus::Appended);
    EXPECT_EQ(std::filesystem::file_size(path), 1028u + 2 * 56u);

    const ResultFileLoad load = LoadResultFile(path);
    ASSERT_EQ(load.problem, ResultFileProblem::None) << load.message;
    EXPECT_EQ(load.contents.partNames, (std::vector<std::string>{"Richtige Reaktionen", "Fehlerfrei", "Nichts verpasst",
                                                                 "Mittlere Reaktionszeit"}));
    ASSERT_EQ(load.contents.records.size(), 2u);
    EXPECT_EQ(load.contents.records[0].parts, (std::vector<double>{80.0, 90.0, 90.0, -500.0}));
    EXPECT_EQ(load.contents.records[1].durationMs, 120000);
    EXPECT_DOUBLE_EQ(load.contents.records[1].overall, first.Overall);

    // The no-results marker is not ours to change.
    folder.WriteFile("OTHER.RLT", std::string(4, '\0'));
    EXPECT_EQ(WriteResultRecord(folder.File("OTHER.RLT"), first).Status, AppendStatus::Kept);
    EXPECT_EQ(std::filesystem::file_size(folder.File("OTHER.RLT")), 4u);
    EXPECT_EQ(WriteResultRecord(folder.File("none/MFR.RLT"), first).Status, AppendStatus::Failed);
}

int g_ends = 0;
void CountEnd(void*) { ++g_ends; }

TEST(MfrResultFile, AFailedWriteStillEndsTheTestOnce)
{
    g_ends = 0;
    AppendResult("", ResultRecord{}, {CountEnd, nullptr});
    AppendResult("/nonexistent-folder/MFR.RLT", ResultRecord{}, {CountEnd, nullptr});
    EXPECT_EQ(g_ends, 2);
}

TEST(MfrSettingsFile, ShippedDefaultsReadValuesAndRanges)
{
    ScratchFolder folder;
    // The shipped file holds every key at its default: all int32, no padding.
    const MfrSettings shipped = ReadMfrSettings(MFR_SHIPPED_INI);
    const MfrSettings defaults;
    static_assert(sizeof(MfrSettings) == 16 * sizeof(int32_t));
    EXPECT_EQ(std::memcmp(&shipped, &defaults, sizeof shipped), 0);
    EXPECT_EQ(shipped.Seed, 0);

    folder.WriteFile("MFR.ini", "[global]\nseed=77\ncountdown=-5\n[Pace]\nFASTEST=5\nSLOWEST=90000\nSTART=1\n"
                                "FASTER=x\n[STIMULI]\nLAMPS=0\nTONES=0\nBOTH=0\n[TONES]\nVOLUME=70000\n");
    const MfrSettings s = ReadMfrSettings(folder.File("MFR.ini"));
    EXPECT_EQ(s.Seed, 77);
    EXPECT_EQ(s.Countdown, 0);
    EXPECT_EQ(s.Fastest, 100);
    EXPECT_EQ(s.Slowest, 60000);
    EXPECT_EQ(s.Start, 100);
    EXPECT_EQ(s.Faster, 50) << "not a number: the default";
    EXPECT_EQ(s.Lamps + s.Tones + s.Both, 1) << "some kind of stimulus always comes";
    EXPECT_EQ(s.Volume, 65535);

    MfrSettings crossed;
    crossed.Fastest = 2000;
    crossed.Slowest = 1000;
    crossed.Start = 5000;
    crossed = ClampMfrSettings(crossed);
    EXPECT_EQ(crossed.Slowest, 2000);
    EXPECT_EQ(crossed.Start, 2000);

    // Durations written in seconds are held to sane lengths.
    folder.WriteFile("MFR.ini", "[GLOBAL]\nMIN=10\nMAX=10\nDEFAULT=10\n");
    const MfrSettings seconds = ReadMfrSettings(folder.File("MFR.ini"));
    EXPECT_EQ(seconds.MinDuration, kShortestDuration);
    EXPECT_EQ(seconds.MaxDuration, kShortestMaximum);
    EXPECT_EQ(seconds.DefaultDuration, kShortestDuration);
    folder.WriteFile("MFR.ini", "[GLOBAL]\nMIN=120000\nMAX=-5\nDEFAULT=7\n");
    const MfrSettings open = ReadMfrSettings(folder.File("MFR.ini"));
    EXPECT_EQ(open.MaxDuration, 0) << "no limit";
    EXPECT_EQ(open.DefaultDuration, 120000);
}

} // namespace
} // namespace kestrava::mfr::testing
