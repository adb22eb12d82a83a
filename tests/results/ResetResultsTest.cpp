#include "host/results/ResetResults.h"

#include "ResultFileBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kestrava {
namespace {

using testing::ResultBytes;
using testing::TempFolder;

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

TEST(DeleteResults, DeletesResultsKeepsMarkersAndOtherFiles)
{
    TempFolder tests;
    const std::string four = ResultBytes(4).Record(45000.5, 600000, 90).Bytes();
    const std::string zero = ResultBytes(0).Bytes();
    mkdir((tests / "sub").c_str(), 0755);
    mkdir((tests / "sub/deeper").c_str(), 0755);
    mkdir((tests / ".hidden").c_str(), 0755);

    const std::vector<std::string> deleted = {"ZEK.RLT", "lower.rlt", "Mixed.RlT", "SHORT.RLT", "sub/C.RLT", "sub/deeper/E.RLT"};
    const std::vector<std::string> kept = {"KEEP.RLT", "ZEK.TST", "notes.txt", "RLT", "sub/D.RLT", "sub/C.RLT.bak", ".hidden/F.RLT",
                                           // results without their module beside them are not the catalogue's
                                           "ORPHAN.RLT", "sub/ZEK.RLT", "Case.RLT"};
    // Every result file but the orphans has its module beside it.
    for (const char* module : {"ZEK.TST", "lower.tst", "Mixed.Tst", "SHORT.TST", "sub/C.TST", "sub/deeper/E.TST",
                               "KEEP.TST", "sub/D.TST", ".hidden/F.TST", "CASE.TST"})
        ResultBytes::WriteFileBytes(tests / module, "module");
    for (const char* orphan : {"ORPHAN.RLT", "sub/ZEK.RLT", "Case.RLT"})
        ResultBytes::WriteFileBytes(tests / orphan, ResultBytes(4).Record(45000.5, 600000, 90).Bytes());
    for (const char* name : {"ZEK.RLT", "lower.rlt", "Mixed.RlT", "sub/C.RLT", "sub/deeper/E.RLT", "ZEK.TST", "notes.txt",
                                    "RLT", "sub/C.RLT.bak", ".hidden/F.RLT"})
        ResultBytes::WriteFileBytes(tests / name, four);
    ResultBytes::WriteFileBytes(tests / "SHORT.RLT", std::string("\x04\x00", 2));  // cannot hold a part count
    ResultBytes::WriteFileBytes(tests / "KEEP.RLT", zero);
    ResultBytes::WriteFileBytes(tests / "sub/D.RLT", zero + std::string(56, '\x01'));
    // A folder named like a result file is not a file to delete.
    mkdir((tests / "DIR.RLT").c_str(), 0755);

    EXPECT_TRUE(DeleteResults(tests.Path()).empty());
    for (const std::string& name : deleted)
        EXPECT_FALSE(Exists(tests / name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(Exists(tests / name)) << name;
    EXPECT_TRUE(Exists(tests / "DIR.RLT"));

    // The folder may also be given without its trailing '/'.
    ResultBytes::WriteFileBytes(tests / "AGAIN.RLT", four);
    ResultBytes::WriteFileBytes(tests / "AGAIN.TST", "module");
    std::string bare = tests.Path();
    bare.pop_back();
    EXPECT_TRUE(DeleteResults(bare).empty());
    EXPECT_FALSE(Exists(tests / "AGAIN.RLT"));
    EXPECT_TRUE(DeleteResults(tests / "no-such-folder/").empty());
}

TEST(DeleteResults, ReportsAndKeepsAFileItCannotRead)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempFolder tests;
    const std::string four = ResultBytes(4).Record(45000.5, 600000, 90).Bytes();
    ResultBytes::WriteFileBytes(tests / "SECRET.RLT", four);
    ResultBytes::WriteFileBytes(tests / "OPEN.RLT", four);
    ResultBytes::WriteFileBytes(tests / "SECRET.TST", "module");
    ResultBytes::WriteFileBytes(tests / "OPEN.TST", "module");
    chmod((tests / "SECRET.RLT").c_str(), 0);
    // Its part count is unknown, so it might be a no-results marker.
    std::vector<std::string> failures = DeleteResults(tests.Path());
    chmod((tests / "SECRET.RLT").c_str(), 0644);
    EXPECT_EQ(failures, std::vector<std::string>{tests / "SECRET.RLT"});
    EXPECT_TRUE(Exists(tests / "SECRET.RLT"));
    EXPECT_FALSE(Exists(tests / "OPEN.RLT"));
}

} // namespace
} // namespace kestrava
