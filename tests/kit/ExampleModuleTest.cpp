// The example test of docs/MODULES.md as the program meets it: found in its
// folder below TESTS/ and listed under its title, then played through the
// host's own binding and sending from the first tick to its record, saved
// halfway and resumed in a second binding that goes on exactly alike.
#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/core/ModuleHost.h"
#include "tests/kit/ModuleBinding.h"
#include "host/results/ResultReaders.h"
#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>

namespace kestrava {
namespace {

namespace fs = std::filesystem;

struct Program {
    Program()
    {
        root = fs::temp_directory_path() / ("kestrava-example-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "TESTS");
        fs::copy_file(VGDI_LIBRARY_PATH, root / "libvgdi.so");
        fs::copy(EXAMPLE_DIR, root / "TESTS" / "BEISPIEL", fs::copy_options::recursive);
    }
    ~Program() { fs::remove_all(root); }
    std::string Module() const { return (root / "TESTS" / "BEISPIEL" / "BEISPIEL.TST").string(); }
    fs::path root;
};

// The example's state block, as its source pins it.
struct Block {
    uint64_t RandomState;
    uint32_t LitAt, NextAt;
    int32_t Lit, Shown, Caught, Reserved;
};

struct Binding : kittest::ModuleBinding<Block> {
    explicit Binding(const std::string& module) : ModuleBinding(module, 20000) {}
    // Ticks from..to, pressing Space 300 ms after every third field lit.
    void Play(uint32_t from, uint32_t to)
    {
        Block* s = State();
        for (uint32_t e = from; e <= to; e += 10) {
            host.Status().ElapsedMs = e;
            host.SendModuleMessage(MSG_TICK);
            if (s->Lit && e - s->LitAt == 300 && s->Shown % 3 != 1)
                host.SendModuleMessage(MSG_KEYDOWN, 32);
        }
    }
};

TEST(ExampleModule, ListedPlayedToItsRecordAndResumedAlike)
{
    Program program;
    TestCanvas canvas;
    ModuleHost scanner(canvas);
    TestCatalogue catalogue;
    ProgramCatalogue programs;
    RunPlan plan;
    ScanTestFolder(program.root.string() + "/TESTS/", scanner, catalogue, programs, plan);
    ASSERT_EQ(catalogue.Count(), 1);
    EXPECT_EQ(catalogue.Entries()[0].title, "Beispiel");

    std::array<unsigned char, sizeof(Block)> saved{};
    Block whole{};
    {
        Binding run(program.Module());
        run.host.SendModuleMessage(MSG_PAINT);
        EXPECT_EQ(run.area.GetColor(400, 275), gdi::Rgb(40, 40, 40)) << "the dark field";
        run.Play(0, 10000);
        std::memcpy(saved.data(), run.State(), sizeof saved);
        run.Play(10010, 20000);
        EXPECT_EQ(run.ends, 1);
        whole = *run.State();
    }
    EXPECT_GT(whole.Caught, 3);
    EXPECT_LT(whole.Caught, whole.Shown);
    const LastRecord last = ReadLastRecord(program.Module().substr(0, program.Module().size() - 4) + ".RLT");
    ASSERT_TRUE(last.present);
    EXPECT_EQ(last.partNames, std::vector<std::string>{"Rechtzeitig erkannt"});
    EXPECT_DOUBLE_EQ(last.record.overall, 100.0 * whole.Caught / whole.Shown);
    EXPECT_EQ(last.record.durationMs, 20000);

    // The second half again, from the saved block in a fresh binding.
    Binding resumed(program.Module());
    resumed.host.Status().ElapsedMs = 10000;
    std::memcpy(resumed.State(MSG_RESTORESTATE), saved.data(), saved.size());
    resumed.host.SendModuleMessage(MSG_PAINT);
    resumed.Play(10010, 20000);
    EXPECT_EQ(resumed.ends, 1);
    EXPECT_EQ(std::memcmp(resumed.State(), &whole, sizeof whole), 0);
}

} // namespace
} // namespace kestrava
