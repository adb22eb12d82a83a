// The built RAUM.TST as the program meets it: listed under its title in a
// program folder, chosen by "Alle Tests", played through the host's binding
// from the first tick to its record (the answers read from the module's
// state block, every fourth one wrong), and the same run saved half-way and
// resumed in a fresh binding: the same record, the same block.
#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "modules/raum/RaumSimulation.h"
#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace kestrava {
namespace {

namespace fs = std::filesystem;
using raum::RaumState;

constexpr uint32_t kDuration = 60000;

struct Program {
    Program()
    {
        root = fs::temp_directory_path() / ("kestrava-raum-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "TESTS");
        fs::copy_file(VGDI_LIBRARY_PATH, root / "libvgdi.so");
        fs::copy(RAUM_MODULE_DIR, root / "TESTS" / "RAUM", fs::copy_options::recursive);
        fs::remove(root / "TESTS" / "RAUM" / "RAUM.RLT");
        std::ofstream(root / "TESTS" / "RAUM" / "RAUM.ini", std::ios::trunc) << "[GLOBAL]\r\nSEED=4711\r\n";
    }
    ~Program() { fs::remove_all(root); }
    std::string Module() const { return (root / "TESTS" / "RAUM" / "RAUM.TST").string(); }
    std::string Results() const { return (root / "TESTS" / "RAUM" / "RAUM.RLT").string(); }
    fs::path root;
};

struct Binding {
    explicit Binding(const std::string& module) : host(canvas)
    {
        canvas.SetDeviceContext(area.Handle());
        host.SetTestEndHandler([this] { ++ends; });
        host.Bind(module);
        EXPECT_TRUE(host.FillTestStatus(module, kDuration, 1.0));
        host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
    }
    ~Binding()
    {
        host.SendModuleMessage(MSG_STOP);
        host.Unbind();
    }
    RaumState* State(uint32_t code = MSG_SAVESTATE)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {};
        host.SendModuleMessage(code, cells);
        EXPECT_EQ(cells[1], sizeof(RaumState));
        return reinterpret_cast<RaumState*>(cells[0]);
    }
    // Ticks from..to; each pair answered 1.2 s after it came (0.3 s more per
    // difficulty class), every fourth one wrongly.
    void Play(uint32_t from, uint32_t to)
    {
        RaumState* s = State();
        for (uint32_t e = from; e <= to; e += 10) {
            host.Status().ElapsedMs = e;
            host.SendModuleMessage(MSG_TICK);
            if (s->Open && e - s->ShownAt == 1200 + 300 * uint32_t(raum::TurnClassOf(s->ItemDifficulty))) {
                const bool wrong = (s->Items + 1) % 4 == 0;
                host.SendModuleMessage(MSG_KEYDOWN, (s->Mirror != 0) != wrong ? raum::kKeyRight : raum::kKeyLeft);
            }
        }
    }
    TestCanvas canvas;
    gdi::Bitmap area{800, 600};
    ModuleHost host;
    int ends = 0;
};

TEST(RaumModule, ListedChosenPlayedToItsRecordAndResumedAlike)
{
    Program program;
    {
        TestCanvas canvas;
        ModuleHost scanner(canvas);
        TestCatalogue catalogue;
        ProgramCatalogue programs;
        RunPlan plan;
        ScanTestFolder(program.root.string() + "/TESTS/", scanner, catalogue, programs, plan);
        ASSERT_EQ(catalogue.Count(), 1);
        EXPECT_EQ(catalogue.Entries()[0].title, "Raumvorstellung");
        TTestInfo info{};
        scanner.QueryModuleInfo(program.Module(), info);
        EXPECT_NE(info.KeepsResults, 0) << "so that \"Alle Tests\" chooses it";
        EXPECT_EQ(info.Countdown, 3000);
    }

    // Saved while a pair is on show, so that the resumed binding must draw
    // the same pair again from the block, and its time bar as far run down.
    std::array<unsigned char, sizeof(RaumState)> saved{};
    RaumState whole{};
    gdi::Bitmap shownAtSave;
    uint32_t savedAt = kDuration / 2;
    {
        Binding run(program.Module());
        run.host.SendModuleMessage(MSG_PAINT);
        run.Play(0, savedAt);
        while (!run.State()->Open)
            run.Play(savedAt + 10, savedAt + 10), savedAt += 10;
        run.Play(savedAt + 10, savedAt + 500); // its time bar shortened, its answer still to come
        savedAt += 500;
        ASSERT_TRUE(run.State()->Open);
        std::memcpy(saved.data(), run.State(), sizeof saved);
        run.host.SendModuleMessage(MSG_PAINT);
        shownAtSave = run.area;
        run.Play(savedAt + 10, kDuration);
        EXPECT_EQ(run.ends, 1);
        whole = *run.State();
    }
    EXPECT_GT(whole.Items, 15);
    EXPECT_EQ(whole.Late, 0);
    EXPECT_EQ(whole.Wrong, whole.Items / 4);
    EXPECT_GT(whole.DifficultySum, 0) << "the right answers made it harder";
    const LastRecord straight = ReadLastRecord(program.Results());
    ASSERT_TRUE(straight.present);
    EXPECT_EQ(straight.partNames, (std::vector<std::string>{"Richtige Antworten", "Mittlere Antwortzeit"}));
    ASSERT_EQ(straight.record.parts.size(), 2u);
    EXPECT_DOUBLE_EQ(straight.record.parts[0], 100.0 * whole.Right / whole.Items);
    EXPECT_LT(straight.record.parts[1], -1199.0) << "a time of at least 1.2 s";
    EXPECT_GT(straight.record.parts[1], -2101.0);
    EXPECT_EQ(straight.record.durationMs, int32_t(kDuration));

    // The second half again, from the saved block in a fresh binding.
    {
        Binding resumed(program.Module());
        resumed.host.Status().ElapsedMs = savedAt;
        std::memcpy(resumed.State(MSG_RESTORESTATE), saved.data(), saved.size());
        resumed.host.SendModuleMessage(MSG_PAINT);
        int32_t differing = 0;
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x)
                differing += resumed.area.GetColor(x, y) != shownAtSave.GetColor(x, y);
        EXPECT_EQ(differing, 0) << "the resumed screen shows another pair";
        resumed.Play(savedAt + 10, kDuration);
        EXPECT_EQ(resumed.ends, 1);
        EXPECT_EQ(std::memcmp(resumed.State(), &whole, sizeof whole), 0);
    }
    const LastRecord again = ReadLastRecord(program.Results());
    ASSERT_TRUE(again.present);
    EXPECT_EQ(again.record.parts, straight.record.parts);
    EXPECT_EQ(again.record.overall, straight.record.overall);
    EXPECT_EQ(again.record.durationMs, straight.record.durationMs);
}

} // namespace
} // namespace kestrava
