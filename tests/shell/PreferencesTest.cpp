// The 4-byte preferences file: defaults, what a short or odd file gives,
// and a write that replaces the file whole.
#include "host/shell/Preferences.h"

#include "ResultFileBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace kestrava {
namespace {

using testing::ResultBytes;
using testing::TempFolder;

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(64, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

size_t FolderEntries(const std::string& folder)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

TEST(PreferencesTest, FirstStartWritesTheDefaults)
{
    TempFolder folder;
    const std::string path = PreferencesPath(folder / "velomar");
    EXPECT_EQ(path, folder / "velomar.INI");

    const Preferences prefs = ReadPreferences(path);
    EXPECT_EQ(prefs.volume, 65535);
    EXPECT_EQ(prefs.clockShown, 1);

    std::string error;
    ASSERT_TRUE(WritePreferences(path, prefs, error)) << error;
    EXPECT_EQ(FileBytes(path), std::string("\xFF\xFF\x01\x00", 4));
    // Nothing but the file is left behind.
    EXPECT_EQ(FolderEntries(folder.Path()), 1u);
}

TEST(PreferencesTest, ValuesSurviveARestartAndReplaceTheOldFile)
{
    TempFolder folder;
    const std::string path = folder / "velomar.INI";
    std::string error;
    ASSERT_TRUE(WritePreferences(path, {34217, 0}, error)) << error;
    Preferences read = ReadPreferences(path);
    EXPECT_EQ(read.volume, 34217);
    EXPECT_EQ(read.clockShown, 0);

    ASSERT_TRUE(WritePreferences(path, {0, 1}, error)) << error;
    EXPECT_EQ(FileBytes(path), std::string("\x00\x00\x01\x00", 4));
    EXPECT_EQ(FolderEntries(folder.Path()), 1u);
}

TEST(PreferencesTest, AShortOrOddFileKeepsTheDefaultsForWhatItLacks)
{
    TempFolder folder;
    const std::string path = folder / "velomar.INI";

    ResultBytes::WriteFileBytes(path, std::string("\x34\x12\x00", 3));
    EXPECT_EQ(ReadPreferences(path).volume, 0x1234);
    EXPECT_EQ(ReadPreferences(path).clockShown, 1);

    // One byte holds no whole value.
    ResultBytes::WriteFileBytes(path, std::string("\x07", 1));
    EXPECT_EQ(ReadPreferences(path).volume, 65535);

    ResultBytes::WriteFileBytes(path, "");
    EXPECT_EQ(ReadPreferences(path).volume, 65535);

    // Bytes after the fourth are not read; a clock flag other than 0 or 1
    // is kept as it is (non-zero shows the clock).
    ResultBytes::WriteFileBytes(path, std::string("\x01\x00\x02\x00\xAA\xBB", 6));
    EXPECT_EQ(ReadPreferences(path).volume, 1);
    EXPECT_EQ(ReadPreferences(path).clockShown, 2);

    // A folder or a FIFO with the file's name reads as missing, at once.
    const std::string dir = folder / "dir.INI";
    std::filesystem::create_directory(dir);
    EXPECT_EQ(ReadPreferences(dir).volume, 65535);
    const std::string fifo = folder / "fifo.INI";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadPreferences(fifo).clockShown, 1);
}

TEST(PreferencesTest, AFailedWriteSaysWhyAndLeavesNothing)
{
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(WritePreferences(folder / "missing/velomar.INI", {}, error));
    EXPECT_FALSE(error.empty());

    // The name is taken by a folder with something in it: the rename
    // fails, the folder stays and no temporary file is left.
    const std::string taken = folder / "velomar.INI";
    std::filesystem::create_directories(taken + "/inner");
    error.clear();
    EXPECT_FALSE(WritePreferences(taken, {}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(taken));
    EXPECT_EQ(FolderEntries(folder.Path()), 1u);
}

} // namespace
} // namespace kestrava
