// A save killed at any moment: the saved run that remains is always the
// earlier one or the new one, whole.
#include "host/shell/Suspend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kestrava {
namespace {

namespace fs = std::filesystem;

TEST(SuspendCrashTest, AKilledSaveLeavesTheOldFileOrTheNewOneWhole)
{
    const fs::path folder = fs::temp_directory_path() / ("kestrava-crash-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "PROG.SAV").string();
    const std::string stateSize = std::to_string(2 * 1024 * 1024);
    std::mt19937 random(12345);
    int previous = -1;  // the generation of the last complete file, -1 for none
    int replaced = 0;
    int kept = 0;
    for (int generation = 1; generation <= 80; ++generation) {
        const std::string g = std::to_string(generation % 250);
        const char* args[] = {SUSPEND_WRITER_PATH, path.c_str(), g.c_str(), stateSize.c_str(), nullptr};
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, SUSPEND_WRITER_PATH, nullptr, nullptr, const_cast<char**>(args), environ), 0);
        // A save with its flushes takes some tens of milliseconds on a disk:
        // the kill falls anywhere in it, or after it.
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 90000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        SuspendedRun run;
        std::string reason;
        const SuspendRead read = ReadSuspendedRun(path, run, reason);
        if (previous < 0 && read == SuspendRead::Missing)
            continue;
        ASSERT_EQ(read, SuspendRead::Loaded) << "after generation " << generation << ": " << reason;
        ASSERT_EQ(run.state.size(), 2u * 1024 * 1024);
        const int found = run.tickCount;
        ASSERT_TRUE(found == generation % 250 || found == previous) << found << " at generation " << generation;
        for (uint8_t byte : run.state)
            ASSERT_EQ(byte, static_cast<uint8_t>(found));
        (found == previous ? kept : replaced)++;
        previous = found;
    }
    // Both outcomes happened, or the test did not test anything.
    EXPECT_GT(replaced, 0);
    EXPECT_GT(kept, 0);
    std::error_code ec;
    fs::remove_all(folder, ec);
}

} // namespace
} // namespace kestrava
