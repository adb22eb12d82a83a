// A save killed at any moment: the saved run that remains is always the
// earlier one or the new one, whole.
#include "host/shell/Suspend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
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

// Starts the writer for one generation with its standard output on a pipe
// and returns once it is about to save (or has failed to start).
pid_t StartWriter(const std::string& path, const std::string& generation, const std::string& stateSize)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 1);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    const char* args[] = {SUSPEND_WRITER_PATH, path.c_str(), generation.c_str(), stateSize.c_str(), nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, SUSPEND_WRITER_PATH, &actions, nullptr, const_cast<char**>(args), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    char byte = 0;
    while (child > 0 && ::read(ready[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ::close(ready[0]);
    return child;
}

TEST(SuspendCrashTest, AKilledSaveLeavesTheOldFileOrTheNewOneWhole)
{
    const fs::path folder = fs::temp_directory_path() / ("kestrava-crash-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "PROG.SAV").string();
    const std::string stateSize = std::to_string(2 * 1024 * 1024);

    // One whole save first: the old file of the first kill, and how long a
    // save takes here (a sanitizer build is many times slower).
    pid_t child = StartWriter(path, "0", stateSize);
    ASSERT_GT(child, 0);
    const auto ready = std::chrono::steady_clock::now();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto saveUs = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - ready);
    // The kill falls anywhere in the save, or a little after it.
    const int windowUs = static_cast<int>(std::max<int64_t>(2000, saveUs.count() * 3 / 2));

    std::mt19937 random(12345);
    int previous = 0; // the generation of the last complete file
    int replaced = 0;
    int kept = 0;
    for (int generation = 1; generation <= 80; ++generation) {
        const std::string g = std::to_string(generation % 250);
        child = StartWriter(path, g, stateSize);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, windowUs)(random)));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        SuspendedRun run;
        std::string reason;
        ASSERT_EQ(ReadSuspendedRun(path, run, reason), SuspendRead::Loaded) << "after generation " << generation << ": " << reason;
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
