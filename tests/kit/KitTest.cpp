// The module kit's own promises: settings held to their ranges, a random
// source that resumes exactly from its state block, no exception past the
// module's entry, one end per test, and the 3-D helper's faces.
#include "modules/kit/Module.h"
#include "modules/kit/Random.h"
#include "modules/kit/Settings.h"
#include "modules/kit/Space3D.h"
#include "host/results/ResultReaders.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace kestrava::kit {
namespace {

namespace fs = std::filesystem;

struct Scratch {
    Scratch() : path(fs::temp_directory_path() / ("kestrava-kit-" + std::to_string(getpid()))) { fs::create_directories(path); }
    ~Scratch() { fs::remove_all(path); }
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(path / name) << text;
        return (path / name).string();
    }
    fs::path path;
};

TEST(KitSettings, DefaultsForWhatIsMissingOrNoNumberAndTheRangeForTheRest)
{
    Scratch scratch;
    constexpr IntKey gap{"PACE", "GAP", 300, 0, 60000};
    constexpr IntKey first{"PACE", "FIRST", 1000, 0, 600000};
    constexpr IntKey lamps{"STIMULI", "LAMPS", 2, 0, 1000};
    const SettingsFile file(scratch.Write("T.ini", "[pace]\ngap=-40\nFIRST=x\n[STIMULI]\nLAMPS=99999999999\n"));
    EXPECT_EQ(file.Read(gap), 0);
    EXPECT_EQ(file.Raw(gap), -40);
    EXPECT_EQ(file.Read(first), 1000) << "not a number";
    EXPECT_EQ(file.Read(lamps), 2) << "beyond int32";
    EXPECT_EQ(SettingsFile(scratch.path / "none.ini").Read(gap), 300);

    const TestTimes seconds = ReadTestTimes(SettingsFile(scratch.Write("S.ini", "[GLOBAL]\nMIN=10\nMAX=10\nDEFAULT=10\nCOUNTDOWN=-1\n")), {});
    EXPECT_EQ(seconds.MinDuration, kShortestDuration);
    EXPECT_EQ(seconds.MaxDuration, kShortestMaximum);
    EXPECT_EQ(seconds.DefaultDuration, kShortestDuration);
    EXPECT_EQ(seconds.Countdown, 0);
    const TestTimes open = ClampTestTimes({120000, -5, 7, 9999999});
    EXPECT_EQ(open.MaxDuration, 0) << "no limit";
    EXPECT_EQ(open.DefaultDuration, 120000);
    EXPECT_EQ(open.Countdown, kMaxCountdown);
    EXPECT_EQ(ClampTestTimes({90000, 70000, 1, 0}).MaxDuration, 90000) << "MAX not below MIN";
}

TEST(KitRandom, ASavedBlockDrawsOnExactlyAsTheOriginal)
{
    struct Block {
        uint64_t RandomState;
        int32_t Other;
    } a{77, 0}, b{};
    BlockRandom fromA(a.RandomState);
    for (int i = 0; i < 1000; ++i)
        fromA.Below(1000);
    std::memcpy(&b, &a, sizeof a);  // what the host saves and copies back
    BlockRandom fromB(b.RandomState);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(fromA.Below(1 + i), fromB.Below(1 + i)) << i;
        const double u = fromA.Unit();
        ASSERT_EQ(u, fromB.Unit());
        ASSERT_TRUE(u >= 0.0 && u < 1.0);
    }
    EXPECT_EQ(a.RandomState, b.RandomState);
}

// A module whose handlers fail in every way a handler can.
struct Failing final : Module {
    void OnInfo(Info& info) override
    {
        info.Title = std::string(300, 'x');  // too long for the host's record
    }
    void OnTick(Host& host) override
    {
        ++ticks;
        if (host.ElapsedMs() == 10)
            throw std::runtime_error("kaputt");
        if (host.ElapsedMs() == 20)
            throw 42;
        if (host.ElapsedMs() >= host.DurationMs()) {
            host.EndTest();
            host.EndTest();
        }
    }
    int ticks = 0;
};

int g_ends = 0;
void CountEnd(void*) { ++g_ends; }

struct KitDispatch : ::testing::Test {
    void Send(uint32_t code, TArgCell cell0 = 0)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {cell0, 0, 0};
        dispatcher.Dispatch(code, cells);
    }
    void Tick(uint32_t e)
    {
        status.ElapsedMs = e;
        Send(MSG_TICK);
    }
    void SetUp() override
    {
        g_ends = 0;
        status.DurationMs = 30;
        status.OnTestEnd = {CountEnd, nullptr};
    }
    Failing module;
    Dispatcher dispatcher{module, "KIT"};
    TTestStatus status{};
};

TEST_F(KitDispatch, NoExceptionLeavesTheEntryAndTheNextMessageIsHandled)
{
    TTestInfo info{};
    info.Title.Length = 3;
    Send(MSG_INFO, reinterpret_cast<TArgCell>(&info));
    EXPECT_EQ(info.Title.Length, 3) << "a failed info leaves the record";
    Send(MSG_TICK);
    EXPECT_EQ(module.ticks, 0) << "no tick before MSG_INIT";
    dispatcher.Dispatch(MSG_INIT, nullptr);
    Send(MSG_INIT, reinterpret_cast<TArgCell>(&status));
    Tick(10);
    Tick(20);
    Tick(30);
    EXPECT_EQ(module.ticks, 3);
    EXPECT_EQ(g_ends, 1);
}

TEST_F(KitDispatch, TheTestEndsOncePerInitWhateverTheModuleCalls)
{
    Send(MSG_INIT, reinterpret_cast<TArgCell>(&status));
    Host& host = dispatcher.GetHost();
    Tick(30);
    Tick(30);
    Scratch scratch;
    SetShortStringUtf8(status.ModulePath, (scratch.path / "K.TST").string());
    const ResultSheet sheet("KIT", {"Teil"});
    host.FinishTest(sheet, {1.0, {50.0}, 30, 50.0});
    EXPECT_EQ(g_ends, 1);
    EXPECT_FALSE(fs::exists(scratch.path / "K.RLT")) << "an ended test writes nothing more";

    Send(MSG_STOP);
    EXPECT_FALSE(host.EndTest()) << "no test running";
    Send(MSG_INIT, reinterpret_cast<TArgCell>(&status));
    host.FinishTest(sheet, {1.0, {50.0}, 30, 50.0});
    host.FinishTest(sheet, {2.0, {60.0}, 30, 60.0});
    EXPECT_EQ(g_ends, 2);
    const LastRecord last = ReadLastRecord((scratch.path / "K.RLT").string());
    ASSERT_TRUE(last.present);
    EXPECT_EQ(last.partNames, std::vector<std::string>{"Teil"});
    EXPECT_EQ(last.record.overall, 50.0);
    EXPECT_EQ(ReadTestSummary((scratch.path / "K.RLT").string()).totalMs, 30);
}

TEST(KitSpace, CubesShowTheirOutsideFacesSortedAndFilled)
{
    // Two cubes side by side share one face each: 10 outside faces.
    const Mesh pair = CubeFigure({{0, 0, 0}, {1, 0, 0}}, gdi::Rgb(200, 100, 50));
    EXPECT_EQ(pair.Faces.size(), 10u);
    // One cube seen head-on: only its front face, a square around the centre,
    // lit less than full when the light comes from aside.
    const Camera camera{10.0, 500.0, 400.0, 300.0, 2.0};
    const auto faces = ProjectMesh(CubeFigure({{0, 0, 0}}, gdi::Rgb(200, 200, 200)), Mat3{}, camera, Light{}, 1.0);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_NEAR(faces[0].Points[0].x + faces[0].Points[2].x, 800.0, 1e-9);
    EXPECT_NEAR(std::abs(faces[0].Points[0].x - faces[0].Points[2].x), 2 * 500.0 / 9.0, 1e-9);
    EXPECT_LT(gdi::RedOf(faces[0].Colour), 200);
    // Turned a quarter about y, it shows its side instead; turned a little,
    // two faces, the nearer one last.
    EXPECT_EQ(ProjectMesh(pair, RotateY(0.5) * RotateX(0.3), camera, Light{}, 1.0).size(), 5u);
    const auto two = ProjectMesh(CubeFigure({{0, 0, 0}}, 0), RotateY(0.4), camera, Light{}, 1.0);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_GE(two[0].Depth, two[1].Depth);
    const Mat3 turn = RotateAbout({1, 1, 0}, 0.7);
    const Vec3 back = turn.Transposed() * (turn * Vec3{1, 2, 3});
    EXPECT_NEAR(back.x, 1.0, 1e-12);
    EXPECT_NEAR(back.z, 3.0, 1e-12);

    // A filled 10 x 10 square covers exactly 100 pixels and marks them drawn.
    gdi::Bitmap target(40, 40);
    const PointF square[] = {{5, 5}, {15, 5}, {15, 15}, {5, 15}};
    FillPolygon(target, {}, square, gdi::Rgb(255, 0, 0));
    int red = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x)
            red += target.GetColor(x, y) == gdi::Rgb(255, 0, 0) ? 1 : 0;
    EXPECT_EQ(red, 100);
    EXPECT_EQ(target.Drawn(), (gdi::Rect{5, 5, 15, 15}));

    // An instrument's ground: a square turned a quarter is the same square,
    // and the lower half of a face clipped to it is half of it.
    const std::vector<PointF> face = RegularPolygon({20, 20}, 10, 4, std::numbers::pi / 4);
    const std::vector<PointF> turned = Rotated(face, {20, 20}, std::numbers::pi / 2);
    EXPECT_NEAR(turned[0].x, face[1].x, 1e-9);
    EXPECT_NEAR(turned[0].y, face[1].y, 1e-9);
    const PointF ground[] = {{0, 20}, {40, 20}, {40, 40}, {0, 40}};
    const std::vector<PointF> half = ClipToConvex(ground, face);
    double area = 0.0;
    for (size_t i = 0; i < half.size(); ++i)
        area += half[i].x * half[(i + 1) % half.size()].y - half[(i + 1) % half.size()].x * half[i].y;
    EXPECT_NEAR(std::abs(area) / 2, 100.0, 1e-9) << "half of the 200 of a square of diagonal 20";
}

} // namespace
} // namespace kestrava::kit
