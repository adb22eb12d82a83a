// The checked file access shared by host and modules: only regular files
// are read, a bound is kept before anything is allocated, temporary names
// are recognised, the folder lock keeps a second holder waiting, and the
// durable writer replaces a file whole or not at all.
#include "platform/gdi/DurableFile.h"
#include "platform/gdi/FileAccess.h"
#include "tests/support/Fifo.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

namespace kestrava {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class FileAccessTest : public ::testing::Test {
protected:
    FileAccessTest()
    {
        std::string pattern = (fs::temp_directory_path() / "kestrava-files-XXXXXX").string();
        dir = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~FileAccessTest() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string dir;
};

TEST_F(FileAccessTest, OnlyRegularFilesAreOpenedAndNothingBlocks)
{
    std::ofstream(dir + "plain.ini") << "[a]\nb=1\n";
    fs::create_symlink(dir + "plain.ini", dir + "link.ini");
    fs::create_directory(dir + "folder.ini");
    kestrava::testing::FifoInPlace fifo(dir + "fifo.ini");
    ASSERT_TRUE(fifo.Made());

    for (const char* name : {"plain.ini", "link.ini"}) {
        const OpenedFile opened = OpenRegularFile(dir + name);
        EXPECT_GE(opened.fd, 0) << name;
        ::close(opened.fd);
        EXPECT_TRUE(IsReadableRegularFile(dir + name)) << name;
    }
    const auto start = Clock::now();
    for (const char* name : {"folder.ini", "fifo.ini"}) {
        const OpenedFile opened = OpenRegularFile(dir + name);
        EXPECT_EQ(opened.fd, -1) << name;
        EXPECT_TRUE(opened.notRegularFile) << name;
        EXPECT_FALSE(IsReadableRegularFile(dir + name)) << name;
        EXPECT_EQ(OpenRegularFileStream(dir + name), nullptr) << name;
    }
    const OpenedFile missing = OpenRegularFile(dir + "missing.ini");
    EXPECT_EQ(missing.fd, -1);
    EXPECT_EQ(missing.errorNumber, ENOENT);
    EXPECT_FALSE(missing.notRegularFile);
    EXPECT_LT(Clock::now() - start, kestrava::testing::FifoInPlace::kRelease);
    EXPECT_FALSE(fifo.ReleasedAReader());
}

TEST_F(FileAccessTest, ReadingKeepsItsBoundBeforeAllocating)
{
    std::ofstream(dir + "ten") << "0123456789";
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadRegularFile(dir + "ten", 10, bytes, error)) << error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
    EXPECT_FALSE(ReadRegularFile(dir + "ten", 9, bytes, error));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(error, "the file is too large (10 bytes, at most 9)");

    // Eight gigabytes of hole: refused by its size, never read.
    std::ofstream(dir + "huge");
    fs::resize_file(dir + "huge", uint64_t{8} << 30);
    const auto start = Clock::now();
    EXPECT_FALSE(ReadRegularFile(dir + "huge", uint64_t{1} << 31, bytes, error));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST(TemporaryNames, OnlyTheWritersOwnFormIsRecognised)
{
    EXPECT_EQ(TemporaryPathFor("/p/TESTS/ZEK.RLT"), "/p/TESTS/ZEK.RLT.tmp-" + std::to_string(::getpid()));
    std::string target;
    pid_t pid = 0;
    ASSERT_TRUE(SplitTemporaryName("ZEK.RLT.tmp-4711", target, pid));
    EXPECT_EQ(target, "ZEK.RLT");
    EXPECT_EQ(pid, 4711);
    ASSERT_TRUE(SplitTemporaryName("a.tmp-1.tmp-22", target, pid));
    EXPECT_EQ(target, "a.tmp-1");
    EXPECT_EQ(pid, 22);
    for (const char* name : {"ZEK.RLT", "ZEK.RLT.tmp-", "ZEK.RLT.tmp-12a", "ZEK.RLT.tmp--3", "ZEK.RLT.tmp-+3",
                             "ZEK.RLT.tmp-007", "ZEK.RLT.tmp-0", ".tmp-123", "ZEK.RLT.tmp-99999999999", "ZEK.RLT.tmp"})
        EXPECT_FALSE(SplitTemporaryName(name, target, pid)) << name;
}

TEST_F(FileAccessTest, TheFolderLockKeepsASecondHolderWaitingUntilItsTimeRunsOut)
{
    const std::string file = dir + "ZEK.RLT";
    {
        const FolderLock first(file);
        ASSERT_TRUE(first.Held());
        // flock belongs to the open folder, so a second holder in the same
        // process is refused just as another process would be.
        const auto start = Clock::now();
        const FolderLock second(file, 100);
        EXPECT_FALSE(second.Held());
        EXPECT_EQ(second.ErrorNumber(), EWOULDBLOCK);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
        // Another folder is not affected.
        fs::create_directory(dir + "other");
        EXPECT_TRUE(FolderLock(dir + "other/ZEK.RLT", 0).Held());
    }
    EXPECT_TRUE(FolderLock(file, 0).Held()) << "released with its holder";
    const FolderLock nowhere(dir + "missing/ZEK.RLT", 0);
    EXPECT_FALSE(nowhere.Held());
    EXPECT_EQ(nowhere.ErrorNumber(), ENOENT);
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

size_t Entries(const std::string& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST_F(FileAccessTest, TheDurableWriterReplacesWholeOrLeavesTheOldFile)
{
    const std::string path = dir + "PROG.SAV";
    const std::string bytes = "new content";
    auto data = [&] { return reinterpret_cast<const uint8_t*>(bytes.data()); };
    std::ofstream(path) << "old";
    // A temporary left by a killed writer of this process id is taken over.
    std::ofstream(TemporaryPathFor(path)) << "stale";
    std::string error;
    int errorNumber = 0;
    ASSERT_TRUE(WriteFileDurably(path, data(), bytes.size(), error, &errorNumber)) << error;
    EXPECT_EQ(Contents(path), bytes);
    EXPECT_EQ(Entries(dir), 1u) << "no temporary left";

    // Abandoned between the steps: the target stays, the temporary goes.
    {
        DurableFile file(path);
        ASSERT_TRUE(file.Write(data(), 3));
        EXPECT_TRUE(fs::exists(TemporaryPathFor(path)));
    }
    EXPECT_EQ(Contents(path), bytes);
    EXPECT_EQ(Entries(dir), 1u);

    DurableFile unwritten(path);
    EXPECT_FALSE(unwritten.Commit());
    EXPECT_FALSE(unwritten.Renamed());

    // A folder in the target's place refuses the rename: nothing changes.
    fs::create_directory(dir + "taken");
    std::ofstream(dir + "taken/inside") << "x";
    EXPECT_FALSE(WriteFileDurably(dir + "taken", data(), bytes.size(), error, &errorNumber));
    EXPECT_NE(error.find("rename"), std::string::npos) << error;
    EXPECT_NE(errorNumber, 0);
    EXPECT_FALSE(fs::exists(TemporaryPathFor(dir + "taken")));
    EXPECT_FALSE(WriteFileDurably(dir + "missing/file", data(), bytes.size(), error, &errorNumber));
    EXPECT_EQ(errorNumber, ENOENT);
}

TEST_F(FileAccessTest, FileExistsForAnythingAtTheName)
{
    std::ofstream(dir + "plain") << "x";
    fs::create_directory(dir + "folder");
    fs::create_symlink(dir + "gone", dir + "dangling");
    EXPECT_TRUE(FileExists(dir + "plain"));
    EXPECT_TRUE(FileExists(dir + "folder"));
    EXPECT_FALSE(FileExists(dir + "dangling")) << "a link counts by what it leads to";
    EXPECT_FALSE(FileExists(dir + "missing"));
}

} // namespace
} // namespace kestrava
