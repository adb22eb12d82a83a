// A whole Mehrfachreaktion test played by the host's own binding and sending
// code: MFR.TST loaded from its own folder in a program folder, a minute of
// ticks with a scripted candidate, the record read back through the host's
// readers and checked against the candidate's own tally; and the tones
// found by name in the host's sound table.
#include "../mfr/MfrCandidate.h"

#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "host/results/ResultRecords.h"
#include "modules/mfr/MfrState.h"
#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kestrava {
namespace {

namespace fs = std::filesystem;
using mfr::MfrState;

class MfrFolder {
public:
    MfrFolder()
    {
        root = fs::temp_directory_path() / ("kestrava-mfrrun-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "TESTS");
        fs::copy_file(VGDI_LIBRARY_PATH, root / "libvgdi.so");
        fs::copy(MFR_DIR, root / "TESTS" / "MFR", fs::copy_options::recursive);
        fs::remove(root / "TESTS" / "MFR" / "MFR.RLT");
        std::ofstream(root / "TESTS" / "MFR" / "MFR.ini") << "[GLOBAL]\nSEED=4711\n";
    }
    ~MfrFolder() { fs::remove_all(root); }
    std::string Module() const { return (root / "TESTS" / "MFR" / "MFR.TST").string(); }
    std::string Results() const { return (root / "TESTS" / "MFR" / "MFR.RLT").string(); }
    fs::path root;
};

MfrState* StateBlock(ModuleHost& host)
{
    TArgCell cells[KESTRAVA_ARG_CELLS] = {};
    host.SendModuleMessage(MSG_SAVESTATE, cells);
    EXPECT_EQ(cells[1], sizeof(MfrState));
    return reinterpret_cast<MfrState*>(cells[0]);
}

double Percent(int64_t part, int64_t whole) { return whole == 0 ? 0.0 : double(part) / double(whole) * 100.0; }

TEST(MfrRunTest, HostPlaysAWholeMinuteAndItsRecordMatchesWhatTheCandidateDid)
{
    MfrFolder folder;
    TestCanvas canvas;
    gdi::Bitmap area(800, 600);
    canvas.SetDeviceContext(area.Handle());
    ModuleHost host(canvas);

    TTestInfo info{};
    ASSERT_TRUE(host.QueryModuleInfo(folder.Module(), info));
    EXPECT_EQ(ShortStringToUtf8(info.Title), "Mehrfachreaktion");

    int testEnds = 0;
    host.SetTestEndHandler([&] {
        ++testEnds;
        host.SetBlocked(true);
    });
    host.SetBlocked(true);
    host.Bind(folder.Module());
    ASSERT_TRUE(host.FillTestStatus(folder.Module(), 60000, 1.0));
    host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
    host.SendModuleMessage(MSG_PAINT);
    MfrState* state = StateBlock(host);
    ASSERT_NE(state, nullptr);
    // The screen: black, the unlit lamps, the pace bar's frame.
    EXPECT_EQ(area.GetColor(10, 10), gdi::Rgb(0, 0, 0));
    EXPECT_EQ(area.GetColor(250, 525), gdi::Rgb(100, 100, 100));

    mfr::testing::Candidate candidate([&](uint32_t key) { host.SendModuleMessage(MSG_KEYDOWN, key); });
    host.SetBlocked(false);
    for (uint32_t e = 0; e <= 60000 && !host.Blocked(); e += 10) {
        host.Status().ElapsedMs = e;
        host.SendModuleMessage(MSG_TICK);
        if (!host.Blocked())
            candidate.Look(*state, e);
    }
    EXPECT_EQ(testEnds, 1);
    const MfrState final = *state;
    host.SendModuleMessage(MSG_STOP);
    host.Unbind();

    const mfr::testing::CandidateTally& t = candidate.tally;
    EXPECT_EQ(final.Correct, t.correct);
    EXPECT_EQ(final.Errors, t.errors);
    EXPECT_EQ(final.Missed, t.missed);
    EXPECT_EQ(final.FalseKeys, 0);
    EXPECT_EQ(final.ReactionSumMs, t.reactionSumMs);
    EXPECT_GT(t.correct, 15);
    EXPECT_GT(t.errors, 2);
    EXPECT_GT(t.missed, 2);

    ResultFileLoad load = LoadResultFile(folder.Results());
    ASSERT_EQ(load.problem, ResultFileProblem::None) << load.message;
    ASSERT_EQ(load.contents.records.size(), 1u);
    EXPECT_EQ(load.contents.partNames, (std::vector<std::string>{"Richtige Reaktionen", "Fehlerfrei", "Nichts verpasst",
                                                                 "Mittlere Reaktionszeit"}));
    const ResultRecord& record = load.contents.records[0];
    EXPECT_EQ(record.durationMs, 60000);
    const double mean = double(t.reactionSumMs) / t.correct;
    const std::vector<double> expected = {Percent(t.correct, t.Stimuli()), Percent(t.Stimuli() - t.errors, t.Stimuli()),
                                          Percent(t.Stimuli() - t.missed, t.Stimuli()), -mean};
    EXPECT_EQ(record.parts, expected);
    const double speed = std::clamp((1250.0 - mean) / 10.0, 0.0, 100.0);
    EXPECT_DOUBLE_EQ(record.overall, 0.4 * expected[0] + 0.2 * expected[1] + 0.2 * expected[2] + 0.2 * speed);
    // Lamps at 300 ms and tones at 500 ms: the mean lies between them.
    EXPECT_GE(mean, 300.0);
    EXPECT_LE(mean, 500.0);
}

TEST(MfrRunTest, TheCatalogueFindsTheModuleInItsFolderAndItsTonesByName)
{
    MfrFolder folder;
    TestCanvas canvas;
    ModuleHost host(canvas);
    TestCatalogue catalogue;
    ProgramCatalogue programs;
    RunPlan run;
    ScanTestFolder(folder.root.string() + "/TESTS/", host, catalogue, programs, run);
    ASSERT_EQ(catalogue.Count(), 1);
    EXPECT_EQ(catalogue.Entries()[0].title, "Mehrfachreaktion");
    EXPECT_EQ(catalogue.Entries()[0].modulePath, folder.Module());
    std::vector<std::string> names;
    for (const SoundEntry& entry : host.Sounds().Entries())
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"MFRHOCH", "MFRTIEF"}));
}

} // namespace
} // namespace kestrava
