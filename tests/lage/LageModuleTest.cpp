// The built LAGE.TST as the program meets it: found below TESTS/ under its
// title with its times, played through the host's binding from the first
// tick to its record, and the same seed saved half-way and resumed in a
// second binding, which ends with the very same record.
#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultRecords.h"
#include "modules/lage/LageState.h"
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
using lage::LageState;

struct Program {
    Program()
    {
        root = fs::temp_directory_path() / ("kestrava-lage-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "TESTS");
        fs::copy_file(VGDI_LIBRARY_PATH, root / "libvgdi.so");
        fs::copy(LAGE_DIR, root / "TESTS" / "LAGE", fs::copy_options::recursive);
        std::ofstream(root / "TESTS" / "LAGE" / "LAGE.ini") << "[GLOBAL]\nSEED=4711\nCOUNTDOWN=2000\n";
    }
    ~Program() { fs::remove_all(root); }
    std::string Module() const { return (root / "TESTS" / "LAGE" / "LAGE.TST").string(); }
    std::string Results() const { return (root / "TESTS" / "LAGE" / "LAGE.RLT").string(); }
    fs::path root;
};

constexpr uint32_t kDuration = 60000;

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
    LageState* State(uint32_t code = MSG_SAVESTATE)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {};
        host.SendModuleMessage(code, cells);
        EXPECT_EQ(cells[1], sizeof(LageState));
        return reinterpret_cast<LageState*>(cells[0]);
    }
    // Ticks from..to; a candidate who looks 1.5 s plus a little more for
    // every further item, answers every fifth wrong and lets every seventh
    // run out.
    void Play(uint32_t from, uint32_t to)
    {
        LageState* s = State();
        for (uint32_t e = from; e <= to; e += 10) {
            host.Status().ElapsedMs = e;
            host.SendModuleMessage(MSG_TICK);
            const int32_t n = s->Correct + s->Wrong + s->Missed;
            if (s->Phase != lage::kPhaseShowing || n % 7 == 6 || e - s->ShownAt != 1500u + 10u * uint32_t(n % 13))
                continue;
            const int32_t key = n % 5 == 4 ? (s->Item.Answer + 1) % 4 : s->Item.Answer;
            host.SendModuleMessage(MSG_KEYDOWN, uint32_t('1' + key));
        }
    }
    TestCanvas canvas;
    gdi::Bitmap area{800, 600};
    ModuleHost host;
    int ends = 0;
};

TEST(LageModule, ListedPlayedToItsRecordAndResumedToTheSameRecord)
{
    Program program;
    TestCanvas canvas;
    ModuleHost scanner(canvas);
    TestCatalogue catalogue;
    ProgramCatalogue programs;
    RunPlan plan;
    ScanTestFolder(program.root.string() + "/TESTS/", scanner, catalogue, programs, plan);
    ASSERT_EQ(catalogue.Count(), 1);
    EXPECT_EQ(catalogue.Entries()[0].title, "Fluglage");

    std::array<unsigned char, sizeof(LageState)> saved{};
    LageState whole{};
    {
        Binding run(program.Module());
        run.host.SendModuleMessage(MSG_PAINT);
        run.Play(0, 30000);
        std::memcpy(saved.data(), run.State(), sizeof saved);
        run.Play(30010, kDuration);
        EXPECT_EQ(run.ends, 1);
        whole = *run.State();
    }
    EXPECT_GT(whole.Correct, 10);
    EXPECT_GT(whole.Wrong, 2);
    EXPECT_GT(whole.Missed, 0);

    {
        Binding resumed(program.Module());
        resumed.host.Status().ElapsedMs = 30000;
        std::memcpy(resumed.State(MSG_RESTORESTATE), saved.data(), saved.size());
        resumed.host.SendModuleMessage(MSG_PAINT);
        resumed.Play(30010, kDuration);
        EXPECT_EQ(resumed.ends, 1);
        EXPECT_EQ(std::memcmp(resumed.State(), &whole, sizeof whole), 0);
    }

    const ResultFileContents file = LoadResultFile(program.Results()).contents;
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.partNames, (std::vector<std::string>{"Richtige Antworten", "Mittlere Antwortzeit"}));
    const double items = whole.Correct + whole.Wrong + whole.Missed;
    EXPECT_DOUBLE_EQ(file.records[0].parts[0], 100.0 * whole.Correct / items);
    EXPECT_LT(file.records[0].parts[1], -1500.0);
    EXPECT_GT(file.records[0].parts[1], -1630.0);
    EXPECT_EQ(file.records[0].durationMs, int32_t(kDuration));
    EXPECT_EQ(file.records[1].parts, file.records[0].parts);
    EXPECT_EQ(file.records[1].overall, file.records[0].overall);
    EXPECT_EQ(file.records[1].durationMs, file.records[0].durationMs);
}

} // namespace
} // namespace kestrava
