// Writers of the files a candidate must never lose, killed with SIGKILL at
// random moments, 200 times for each kind of file: what remains is always
// the old file or the new one, whole. A result file keeps every whole
// record and loses at most the one in flight, and the readers accept it.
#include "host/results/ResultRecords.h"
#include "host/shell/Suspend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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

constexpr int kKills = 200;

// Starts the writer with its standard output on a pipe and returns once it
// is about to write (or -1 when it could not start).
pid_t StartWriter(const std::vector<std::string>& args)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 1);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    std::vector<const char*> argv{CRASH_WRITER_PATH};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, CRASH_WRITER_PATH, &actions, nullptr, const_cast<char**>(argv.data()), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    char byte = 0;
    while (child > 0 && ::read(ready[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ::close(ready[0]);
    return child;
}

// Runs the writer to its end and returns how long its write took, in
// microseconds; -1 when it failed.
int64_t TimeWholeWrite(const std::vector<std::string>& args)
{
    const pid_t child = StartWriter(args);
    if (child <= 0)
        return -1;
    const auto ready = std::chrono::steady_clock::now();
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - ready).count();
}

std::vector<uint8_t> Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class KillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 ("kestrava-kill-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // The window the kills fall in: anywhere in a whole write (timed here,
    // since a sanitizer build is many times slower), or a little after it.
    void Calibrate(const std::vector<std::string>& wholeWrite)
    {
        const int64_t us = TimeWholeWrite(wholeWrite);
        ASSERT_GE(us, 0) << "the writer failed";
        windowUs = static_cast<int>(std::max<int64_t>(1000, us * 3 / 2));
    }
    // Starts the writer and kills it at a random moment of the window.
    void KillDuring(const std::vector<std::string>& args)
    {
        const pid_t child = StartWriter(args);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, windowUs)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    // Both outcomes happened, or the kills missed the write. An append and
    // the reset change the file within microseconds of starting, so a kill
    // that finds the old file is rare there and is not demanded.
    void Report(const char* kind, int kept, int replaced, bool keptRequired = true)
    {
        std::printf("%s: %d kills, the old file kept %d times, the new one whole %d times\n", kind, kKills, kept,
                    replaced);
        if (keptRequired) {
            EXPECT_GT(kept, 0) << kind;
        }
        EXPECT_GT(replaced, 0) << kind;
    }

    fs::path folder;
    std::mt19937 random{20261208};
    int windowUs = 1000;
};

TEST_F(KillTest, ASavedRunIsTheOldOrTheNewOneWhole)
{
    const std::string path = (folder / "PROG.SAV").string();
    const std::string stateSize = std::to_string(512 * 1024);
    Calibrate({"save", path, "0", stateSize});
    int previous = 0;
    int kept = 0;
    int replaced = 0;
    for (int generation = 1; generation <= kKills; ++generation) {
        const int g = generation % 250;
        KillDuring({"save", path, std::to_string(g), stateSize});
        SuspendedRun run;
        std::string reason;
        ASSERT_EQ(ReadSuspendedRun(path, run, reason), SuspendRead::Loaded) << generation << ": " << reason;
        ASSERT_EQ(run.state.size(), 512u * 1024);
        const int found = run.tickCount;
        ASSERT_TRUE(found == g || found == previous) << found << " at generation " << generation;
        ASSERT_TRUE(std::all_of(run.state.begin(), run.state.end(), [&](uint8_t b) { return b == uint8_t(found); }));
        (found == previous ? kept : replaced)++;
        previous = found;
    }
    Report("PROG.SAV", kept, replaced);
}

TEST_F(KillTest, AResultFileKeepsEveryWholeRecord)
{
    const std::string path = (folder / "ZEK.RLT").string();
    // The first write creates the file; the kills aim at appends.
    Calibrate({"append", path, "0"});
    Calibrate({"append", path, "0"});
    std::vector<int32_t> durations{0, 0};
    int kept = 0;
    int replaced = 0;
    for (int n = 1; n <= kKills; ++n) {
        KillDuring({"append", path, std::to_string(n)});
        const ResultFileLoad load = LoadResultFile(path);
        ASSERT_TRUE(load.Usable()) << "after append " << n << ": " << load.message;
        ASSERT_EQ(load.contents.partCount, 4);
        std::vector<int32_t> found;
        for (const ResultRecord& record : load.contents.records) {
            ASSERT_EQ(record.parts, (std::vector<double>{10.0, 20.0, 30.0, 40.0}));
            ASSERT_EQ(record.overall, 25.0);
            found.push_back(record.durationMs);
        }
        std::vector<int32_t> grown = durations;
        grown.push_back(n);
        ASSERT_TRUE(found == durations || found == grown) << "after append " << n << ": " << found.size()
                                                          << " records where " << durations.size() << " were";
        (found == durations ? kept : replaced)++;
        durations = found;
    }
    Report("ZEK.RLT", kept, replaced, false);
}

TEST_F(KillTest, ThePreferencesAreTheOldOrTheNewOnesWhole)
{
    const std::string path = (folder / "velomar.INI").string();
    Calibrate({"prefs", path, "1"});
    int previous = 1;
    int kept = 0;
    int replaced = 0;
    for (int n = 2; n < kKills + 2; ++n) {
        KillDuring({"prefs", path, std::to_string(n)});
        const std::vector<uint8_t> bytes = Bytes(path);
        ASSERT_EQ(bytes.size(), 4u) << "after write " << n;
        const int volume = bytes[0] | bytes[1] << 8;
        ASSERT_TRUE(volume == n || volume == previous) << volume << " after write " << n;
        ASSERT_EQ(bytes[2] | bytes[3] << 8, 1);
        (volume == previous ? kept : replaced)++;
        previous = volume;
    }
    Report("velomar.INI", kept, replaced);
}

TEST_F(KillTest, TheResetLeavesEachResultFileWholeOrGone)
{
    // ZEK.RLT belongs to a module and goes; the marker of a test without
    // results and a file without a module stay, untouched.
    const auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                            static_cast<std::streamsize>(bytes.size()));
    };
    std::vector<uint8_t> results(4 + 4 * 256 + 2 * 56, 7);
    results[0] = 4, results[1] = results[2] = results[3] = 0;
    const std::vector<uint8_t> marker{0, 0, 0, 0};
    write("ZEK.TST", {});
    write("ALPHA.TST", {});
    write("ALPHA.RLT", marker);
    write("OTHER.RLT", results);
    write("ZEK.RLT", results);
    const std::string dir = folder.string() + "/";
    Calibrate({"reset", dir});
    int kept = 0;
    int replaced = 0;
    for (int n = 0; n < kKills; ++n) {
        write("ZEK.RLT", results);
        KillDuring({"reset", dir});
        if (fs::exists(folder / "ZEK.RLT")) {
            ASSERT_EQ(Bytes(folder / "ZEK.RLT"), results) << "after reset " << n;
            ++kept;
        } else {
            ++replaced;
        }
        ASSERT_EQ(Bytes(folder / "ALPHA.RLT"), marker);
        ASSERT_EQ(Bytes(folder / "OTHER.RLT"), results);
        for (const auto& entry : fs::directory_iterator(folder))
            ASSERT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    }
    Report("reset", kept, replaced, false);
}

} // namespace
} // namespace kestrava
