// The start-up's claim on the program folder: one instance per folder, and
// the temporaries of killed writers removed while everything else stays.
#include "host/shell/FolderGuard.h"

#include "platform/gdi/FileAccess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace kestrava::shell {
namespace {

namespace fs = std::filesystem;

class FolderGuardTest : public ::testing::Test {
protected:
    FolderGuardTest()
    {
        std::string pattern = (fs::temp_directory_path() / "kestrava-guard-XXXXXX").string();
        dir = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~FolderGuardTest() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    void Touch(const std::string& name) const { std::ofstream(dir + name) << "x"; }
    bool Exists(const std::string& name) const { return fs::symlink_status(dir + name).type() != fs::file_type::not_found; }

    // The id of a process that has ended.
    static pid_t EndedProcess()
    {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(0);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return pid;
    }

    std::string dir;
};

TEST_F(FolderGuardTest, ASecondInstanceInTheSameFolderIsRefusedUntilTheFirstEnds)
{
    std::string error;
    auto first = std::make_unique<InstanceLock>();
    ASSERT_EQ(first->Take(dir, error), InstanceLock::Outcome::Held) << error;
    EXPECT_TRUE(Exists(kInstanceLockFileName));

    // Another process, as a second start would be.
    const pid_t second = ::fork();
    ASSERT_GE(second, 0);
    if (second == 0) {
        InstanceLock lock;
        std::string why;
        ::_exit(static_cast<int>(lock.Take(dir, why)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(second, &status, 0), second);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(InstanceLock::Outcome::Busy));

    // Another folder is free, and this one is once the first has ended.
    fs::create_directory(dir + "other");
    InstanceLock elsewhere;
    EXPECT_EQ(elsewhere.Take(dir + "other/", error), InstanceLock::Outcome::Held);
    first.reset();
    InstanceLock again;
    EXPECT_EQ(again.Take(dir, error), InstanceLock::Outcome::Held);
}

TEST_F(FolderGuardTest, AFolderWhereTheLockFileCannotBeMadeIsNoLockButNoHangEither)
{
    InstanceLock lock;
    std::string error;
    EXPECT_EQ(lock.Take(dir + "missing/", error), InstanceLock::Outcome::Failed);
    EXPECT_NE(error.find(kInstanceLockFileName), std::string::npos) << error;
}

TEST_F(FolderGuardTest, OnlyTemporariesOfOurFilesWhoseWriterIsGoneAreRemoved)
{
    const std::string dead = std::to_string(EndedProcess());
    const std::string self = std::to_string(::getpid());
    // A process that is alive but another program: the id was reused.
    const pid_t sleeper = ::fork();
    ASSERT_GE(sleeper, 0);
    if (sleeper == 0) {
        ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until the child runs sleep, not a copy of this program.
    const fs::path childExe = "/proc/" + std::to_string(sleeper) + "/exe";
    for (int i = 0; i < 500 && fs::equivalent(childExe, "/proc/self/exe"); ++i)
        ::usleep(10'000);
    const std::string other = std::to_string(sleeper);
    fs::create_directories(dir + "TESTS/ZEK");
    fs::create_directories(dir + "TESTS/.hidden");
    fs::create_directories(dir + "skin");

    const std::vector<std::string> stale = {
        "velomar.INI.tmp-" + dead, "PROG.SAV.tmp-" + dead, "TESTS/ZEK/ZEK.RLT.tmp-" + dead,
        "TESTS/ZEK/other.rlt.tmp-" + other, "OLD.RLT.tmp-" + dead,
    };
    const std::vector<std::string> kept = {
        "TESTS/ZEK/ZEK.RLT.tmp-" + self,     // its writer may still be at work
        "TESTS/ZEK/ZEK.ini.tmp-" + dead,     // not a file the program writes
        "TESTS/PROG.SAV.tmp-" + dead,        // the saved run lies only in the program folder
        "TESTS/.hidden/ZEK.RLT.tmp-" + dead, // a folder the search does not enter
        "skin/notes.txt.tmp-" + dead,
        "TESTS/ZEK/ZEK.RLT.tmp-0" + dead,    // not the writers' form
        "TESTS/ZEK/ZEK.RLT",
        "velomar.INI",
    };
    for (const std::string& name : stale)
        Touch(name);
    for (const std::string& name : kept)
        Touch(name);
    // A link and a folder with a stale name are not files to remove.
    fs::create_symlink(dir + "velomar.INI", dir + "TESTS/A.RLT.tmp-" + dead);
    fs::create_directory(dir + "TESTS/B.RLT.tmp-" + dead);

    std::vector<std::string> removed = RemoveStaleTemporaries(dir, dir + "velomar.INI");
    std::vector<std::string> expected;
    for (const std::string& name : stale)
        expected.push_back(dir + name);
    std::sort(removed.begin(), removed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(removed, expected);
    for (const std::string& name : stale)
        EXPECT_FALSE(Exists(name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(Exists(name)) << name;
    EXPECT_TRUE(Exists("TESTS/A.RLT.tmp-" + dead));
    EXPECT_TRUE(Exists("TESTS/B.RLT.tmp-" + dead));
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);
}

} // namespace
} // namespace kestrava::shell
