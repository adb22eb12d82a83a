// A whole ZEK test played by the host's own binding and sending code: the
// module is loaded from a program folder by path, driven tick by tick from
// ElapsedMs 0 to 60000 with scripted joysticks and keys, and its result
// file is read back through the host's readers.
#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "host/results/ResultRecords.h"
#include "modules/zek/ZekState.h"
#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace kestrava {
namespace {

namespace fs = std::filesystem;
using zek::ZekState;

// A program folder of its own, laid out as on a user's machine, so the
// module's result file lands in a scratch place.
class ProgramFolder {
public:
    ProgramFolder()
    {
        root = fs::temp_directory_path() / ("kestrava-zekrun-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "TESTS");
        fs::copy_file(VGDI_LIBRARY_PATH, root / "libvgdi.so");
        fs::copy_file(ZEK_MODULE_PATH, root / "TESTS" / "ZEK.TST");
        fs::copy(ZEK_GRAPHICS_DIR, root / "TESTS" / "graphics");
    }
    ~ProgramFolder() { fs::remove_all(root); }
    std::string Module() const { return (root / "TESTS" / "ZEK.TST").string(); }
    std::string Results() const { return (root / "TESTS" / "ZEK.RLT").string(); }
    fs::path root;
};

// The candidate: steers both cursors towards their targets as the screen
// shows them, answers lights after 400 ms and types each task's result one
// second after it appears (every third one deliberately wrong).
class Candidate {
public:
    explicit Candidate(ModuleHost& host)
        : m_host(host)
    {
    }

    // Called every 100 ms of test time, as the joystick poll is.
    void MoveSticks(const ZekState& s)
    {
        TTestStatus& status = m_host.Status();
        status.Joy1X = Deflection(s.TargetX - s.CursorX);
        status.Joy1Y = -Deflection(s.TargetY - s.CursorY); // forward moves the cursor down
        status.Joy2Y = Deflection(s.VTargetY - s.VCursorY);
    }

    void PressKeys(const ZekState& s, uint32_t e)
    {
        if (s.Light != 0 && e - s.LightOnTime == 400)
            Key(uint32_t(111 + s.Light));
        if (s.TaskText.Length != 0 && e - s.TaskStartTime == 1000 && s.AnswerText.Length == 0) {
            int32_t answer = s.TaskResult + (++m_tasks % 3 == 0 ? 1 : 0);
            for (char digit : std::to_string(answer)) // keypad and main row alike
                Key(uint32_t(m_tasks % 2 ? 48 + (digit - '0') : 96 + (digit - '0')));
        }
    }

private:
    static int32_t Deflection(double gap) { return int32_t(std::clamp(std::lround(gap / 4.0), -10L, 10L)); }
    void Key(uint32_t code) { m_host.SendModuleMessage(MSG_KEYDOWN, code); }
    ModuleHost& m_host;
    int m_tasks = 0;
};

ZekState* StateBlock(ModuleHost& host)
{
    TArgCell cells[KESTRAVA_ARG_CELLS] = {};
    host.SendModuleMessage(MSG_SAVESTATE, cells);
    EXPECT_EQ(cells[1], sizeof(ZekState));
    return reinterpret_cast<ZekState*>(cells[0]);
}

double Percent(int32_t hits, int32_t trials) { return trials == 0 ? 0.0 : double(hits) / double(trials) * 100.0; }

TEST(ZekRunTest, HostPlaysAWholeMinuteAndReadsTheResult)
{
    ProgramFolder folder;
    TestCanvas canvas;
    gdi::Bitmap area(800, 600);
    canvas.SetDeviceContext(area.Handle());
    ModuleHost host(canvas);

    TTestInfo info{};
    ASSERT_TRUE(host.QueryModuleInfo(folder.Module(), info));
    EXPECT_EQ(ShortStringToUtf8(info.Title), "ZEK-Test");
    ASSERT_EQ(info.MinDuration, 60000);
    EXPECT_FALSE(ModuleLibraryHeld());

    // The runner's sequence for one test.
    int testEnds = 0;
    host.SetTestEndHandler([&] {
        ++testEnds;
        host.SetBlocked(true);
    });
    host.SetBlocked(true);
    BindModule(folder.Module());
    ASSERT_NE(BoundDispatchMessage(), nullptr);
    TTestInfo again{};
    ASSERT_TRUE(SetShortStringUtf8(again.ModulePath, folder.Module()));
    host.SendModuleMessage(MSG_INFO, reinterpret_cast<uintptr_t>(&again));
    ASSERT_TRUE(host.FillTestStatus(folder.Module(), 60000, 1.0));
    host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
    host.SendModuleMessage(MSG_PAINT);
    ZekState* state = StateBlock(host);
    ASSERT_NE(state, nullptr);
    // The module drew its screen into the test area: the fields' grey frames
    // on black, and the unlit first lamp at (20, 20).
    EXPECT_EQ(area.GetColor(20, 150), gdi::Rgb(100, 100, 100));
    EXPECT_EQ(area.GetColor(10, 10), gdi::Rgb(0, 0, 0));
    EXPECT_NE(area.GetColor(40, 40), gdi::Rgb(0, 0, 0));

    Candidate candidate(host);
    host.SendModuleMessage(MSG_PAINT);
    host.SetBlocked(false);
    for (int tick = 0; tick <= 6000 && !host.Blocked(); ++tick) {
        if (tick % 10 == 0)
            candidate.MoveSticks(*state);
        host.Status().ElapsedMs = uint32_t(tick) * 10;
        host.SendModuleMessage(MSG_TICK);
        if (!host.Blocked())
            candidate.PressKeys(*state, host.Status().ElapsedMs);
    }
    EXPECT_EQ(testEnds, 1);
    EXPECT_EQ(host.Status().ElapsedMs, 60000u);
    const ZekState final = *state;

    // A later tick that slipped through the gate writes nothing.
    uintmax_t sizeAtEnd = fs::file_size(folder.Results());
    host.SetBlocked(false);
    host.Status().ElapsedMs = 60010;
    host.SendModuleMessage(MSG_TICK);
    EXPECT_EQ(testEnds, 1);
    EXPECT_EQ(fs::file_size(folder.Results()), sizeAtEnd);
    host.SetBlocked(true);
    host.SendModuleMessage(MSG_STOP);
    UnbindModule();

    // The run itself: every tracker sampled on each 20 ms step from 0 to
    // 59980, lights and tasks came (the forced ones at the latest) and the
    // scripted candidate was neither perfect nor hopeless.
    EXPECT_EQ(final.SamplesV, 3000);
    EXPECT_EQ(final.Samples2D, 3000);
    EXPECT_GT(final.HitsV, 1500);
    EXPECT_GT(final.Hits2D, 1500);
    EXPECT_GE(final.LightsShown, 1);
    EXPECT_GE(final.LightsAnswered, 1);
    EXPECT_GE(final.TasksDone, 1);

    ResultFileLoad load = LoadResultFile(folder.Results());
    ASSERT_EQ(load.problem, ResultFileProblem::None) << load.message;
    EXPECT_EQ(load.fileSize, 1028 + 56);
    ASSERT_EQ(load.contents.records.size(), 1u);
    EXPECT_EQ(load.contents.partNames,
              (std::vector<std::string>{"Vertikales Trackling (Links)", "Bidirektionales Trackling (Rechts)",
                                        "Reaktionsvermögen F-Tasten", "Kopfrechnen"}));
    const ResultRecord& record = load.contents.records[0];
    EXPECT_EQ(record.durationMs, 60000);
    std::vector<double> expected = {Percent(final.HitsV, final.SamplesV), Percent(final.Hits2D, final.Samples2D),
                                    Percent(final.LightsAnswered, final.LightsShown),
                                    Percent(final.TasksCorrect, final.TasksDone)};
    EXPECT_EQ(record.parts, expected);
    EXPECT_DOUBLE_EQ(record.overall, (expected[0] + expected[1] + expected[2] + expected[3]) / 4.0);

    TestSummary summary = ReadTestSummary(folder.Results());
    EXPECT_EQ(summary.totalMs, 60000);
    EXPECT_DOUBLE_EQ(summary.recentMean, record.overall);
    LastRecord last = ReadLastRecord(folder.Results());
    ASSERT_TRUE(last.present);
    EXPECT_EQ(last.record.parts, expected);

    // The timestamp is now, in local time.
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(HourOfTimestamp(record.timestamp), local.tm_hour);
}

TEST(ZekRunTest, EachTestLoadsTheModuleAfresh)
{
    ProgramFolder folder;
    TestCanvas canvas;
    ModuleHost host(canvas);
    for (int run = 0; run < 2; ++run) {
        BindModule(folder.Module());
        ASSERT_TRUE(host.FillTestStatus(folder.Module(), 60000, 1.0));
        host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
        ZekState* state = StateBlock(host);
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(state->Samples2D, 0);
        EXPECT_EQ(state->TargetX, 300.0);
        // A fresh load starts the targets with heading 0 (downwards); a
        // module whose data survived the previous test would not.
        EXPECT_EQ(state->Heading, 0.0) << "run " << run;
        for (uint32_t e = 0; e < 1000; e += 10) {
            host.Status().ElapsedMs = e;
            host.SendModuleMessage(MSG_TICK);
        }
        EXPECT_EQ(state->Samples2D, 50);
        host.SendModuleMessage(MSG_STOP);
        UnbindModule();
    }
    // Aborted tests write nothing.
    EXPECT_FALSE(fs::exists(folder.Results()));
}

TEST(ZekRunTest, ExtremeSettingsStillEndTheTestWithItsRecord)
{
    // Settings a user might type: pictures the size of int32, speeds that
    // would leave int32 pixels at once, a countdown longer than the test.
    // The test runs on a full-HD area and ticks that step past the exact
    // duration; it ends once and writes its record all the same.
    ProgramFolder folder;
    std::ofstream(folder.root / "TESTS" / "ZEK.ini") << "[GLOBAL]\nCOUNTDOWN=-9000000\n"
                                                      << "[TRACKLING]\nSIZE=2147483647\nLCSPEED=2147483647\n"
                                                      << "RCSPEED=2147483647\nJOYSPEED=2147483647\n";
    TestCanvas canvas;
    gdi::Bitmap area(1440, 1080);
    canvas.SetDeviceContext(area.Handle());
    ModuleHost host(canvas);
    TTestInfo info{};
    ASSERT_TRUE(host.QueryModuleInfo(folder.Module(), info));
    EXPECT_EQ(info.Countdown, 0);

    int testEnds = 0;
    host.SetTestEndHandler([&] {
        ++testEnds;
        host.SetBlocked(true);
    });
    host.Bind(folder.Module());
    ASSERT_TRUE(host.FillTestStatus(folder.Module(), 10000, 1440.0 / 800.0));
    host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
    host.SendModuleMessage(MSG_PAINT);
    host.Status().Joy1X = 10;
    host.Status().Joy2Y = -10;
    for (uint32_t e = 30; e <= 12000 && !host.Blocked(); e += 30) {
        host.Status().ElapsedMs = e;
        host.SendModuleMessage(MSG_TICK);
    }
    EXPECT_EQ(testEnds, 1);
    EXPECT_EQ(host.Status().ElapsedMs, 10020u) << "the first tick past the duration ends it";
    host.SendModuleMessage(MSG_STOP);
    host.Unbind();
    const ResultFileLoad load = LoadResultFile(folder.Results());
    ASSERT_EQ(load.problem, ResultFileProblem::None) << load.message;
    ASSERT_EQ(load.contents.records.size(), 1u);
    EXPECT_TRUE(std::isfinite(load.contents.records[0].overall));
}

} // namespace
} // namespace kestrava
