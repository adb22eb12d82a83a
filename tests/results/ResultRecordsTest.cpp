#include "host/results/ResultRecords.h"

#include "ResultFileBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>

namespace kestrava {
namespace {

using testing::ResultBytes;
using testing::TempFolder;

TEST(LoadResultFile, WholeRecordsInFileOrder)
{
    TempFolder dir;
    ResultBytes(2, {"Kopfrechnen", "\x80uro"})
        .Record(45000.25, 1000, 50.0, {40.0, -1234.0})
        .Record(45001.75, 2000, 60.0, {60.0, 70.0})
        .WriteTo(dir / "A.RLT");
    ResultFileLoad load = LoadResultFile(dir / "A.RLT");
    ASSERT_EQ(load.problem, ResultFileProblem::None);
    EXPECT_TRUE(load.message.empty());
    EXPECT_EQ(load.fileSize, 4 + 2 * 256 + 2 * 40);
    EXPECT_EQ(load.contents.partNames, (std::vector<std::string>{"Kopfrechnen", "\xE2\x82\xACuro"}));  // 0x80 is €
    ASSERT_EQ(load.contents.records.size(), 2u);
    const ResultRecord& first = load.contents.records[0];
    EXPECT_EQ(first.timestamp, 45000.25);
    EXPECT_EQ(first.parts, (std::vector<double>{40.0, -1234.0}));
    EXPECT_EQ(first.durationMs, 1000);
    EXPECT_EQ(first.overall, 50.0);
    EXPECT_EQ(load.contents.records[1].overall, 60.0);

    ResultBytes(0).WriteTo(dir / "NONE.RLT");
    ResultFileLoad none = LoadResultFile(dir / "NONE.RLT");
    EXPECT_EQ(none.problem, ResultFileProblem::None);
    EXPECT_EQ(none.contents.partCount, 0);
    EXPECT_TRUE(none.contents.records.empty());
}

TEST(LoadResultFile, SaysWhatIsWrong)
{
    TempFolder dir;
    ResultBytes::WriteFileBytes(dir / "SHORT.RLT", std::string("\x04\x00\x00", 3));
    ResultBytes(-3).WriteTo(dir / "NEGATIVE.RLT");
    ResultBytes::WriteFileBytes(dir / "HEADER.RLT", ResultBytes::Int32Bytes(5) + std::string(96, '\0'));
    ResultBytes::WriteFileBytes(dir / "ABSURD.RLT", ResultBytes::Int32Bytes(INT32_MAX) + std::string(96, '\0'));
    ResultBytes(4).Record(45000, 1000, 1).Record(45000, 1000, 2).Raw(std::string(30, '\0')).WriteTo(dir / "TORN.RLT");

    mkdir((dir / "FOLDER.RLT").c_str(), 0700);

    struct Case {
        const char* name;
        ResultFileProblem problem;
        std::string message;
    };
    const Case cases[] = {
        {"MISSING.RLT", ResultFileProblem::Unreadable, "cannot read the file: No such file or directory"},
        {"FOLDER.RLT", ResultFileProblem::Unreadable, "not a regular file"},
        {"SHORT.RLT", ResultFileProblem::TooShort, "a file of 3 bytes is too short to hold the 4-byte part count"},
        {"NEGATIVE.RLT", ResultFileProblem::NegativeParts, "negative part count -3"},
        {"HEADER.RLT", ResultFileProblem::HeaderTooLarge,
         "part count 5 does not fit a file of 100 bytes (its header alone needs 1284 bytes)"},
        {"ABSURD.RLT", ResultFileProblem::HeaderTooLarge,
         "part count 2147483647 does not fit a file of 100 bytes (its header alone needs 549755813636 bytes)"},
        {"TORN.RLT", ResultFileProblem::PartialRecord,
         "the file ends inside record 3 (30 bytes of 56); 2 whole records precede it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResultFileLoad load = LoadResultFile(dir / c.name);
        EXPECT_EQ(load.problem, c.problem);
        EXPECT_EQ(load.message, c.message);
        EXPECT_EQ(load.message.find('\n'), std::string::npos);
        EXPECT_EQ(load.Usable(), c.problem == ResultFileProblem::PartialRecord);
    }
    // A torn file still offers its whole records.
    ResultFileLoad torn = LoadResultFile(dir / "TORN.RLT");
    ASSERT_EQ(torn.contents.records.size(), 2u);
    EXPECT_EQ(torn.contents.records[1].overall, 2.0);
}

} // namespace
} // namespace kestrava
