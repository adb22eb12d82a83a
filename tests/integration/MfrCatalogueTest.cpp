// Mehrfachreaktion as the host's catalogue finds it: the module in its own
// folder below TESTS/, listed under its title, and its tones named in the
// host's sound table by their file names. Whole runs through the program
// are in tests/shell/MfrRunTest.cpp.
#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/core/ModuleHost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace kestrava {
namespace {

namespace fs = std::filesystem;

class MfrFolder {
public:
    MfrFolder()
    {
        root = fs::temp_directory_path() / ("kestrava-mfrcat-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "TESTS");
        fs::copy_file(VGDI_LIBRARY_PATH, root / "libvgdi.so");
        fs::copy(MFR_DIR, root / "TESTS" / "MFR", fs::copy_options::recursive);
    }
    ~MfrFolder() { fs::remove_all(root); }
    std::string Module() const { return (root / "TESTS" / "MFR" / "MFR.TST").string(); }
    fs::path root;
};

TEST(MfrCatalogueTest, TheModuleIsFoundInItsFolderAndItsTonesByName)
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
