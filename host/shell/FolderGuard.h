// The start-up's claim on the program folder, made before the program reads
// or writes anything there.
//
// One instance per program folder: two programs in one folder would append
// to the same result files and overwrite each other's preferences and saved
// run. The first start holds an advisory lock (flock) on the lock file
// velomar.lock in the program folder for as long as it runs; the kernel
// drops it when the process ends in any way, so a crashed program never
// keeps the folder locked.
//
// Temporaries left by killed writers: the durable writers (preferences,
// saved run) and the modules' result writers build a file under
// TemporaryPathFor(target) and rename it into place; a writer killed in
// between leaves the temporary behind. Once the lock is held no other
// instance writes in the folder, and the start-up removes them.
//
// [ui-thread] Called from main before the main window is made.
#pragma once

#include <string>
#include <vector>

namespace kestrava::shell {

inline constexpr const char* kInstanceLockFileName = "velomar.lock";

class InstanceLock {
public:
    enum class Outcome {
        Held,    // this process runs the folder now
        Busy,    // another process holds the lock
        Failed,  // no lock could be had (a read-only folder without the file)
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // programDir ends with '/'. error says why for Failed.
    Outcome Take(const std::string& programDir, std::string& error);

private:
    int m_fd = -1;
};

// Removes what a killed writer left in programDir (which ends with '/'):
// TemporaryPathFor names of the preferences file (the name of
// preferencesPath), of PROG.SAV in the folder itself, and of any *.RLT in
// it or a folder below that the test search descends into. A temporary is
// removed only when it is a regular file and its writer is gone: no process
// of that id is alive, or the one alive is another program (its id was
// reused). Anything else stays: other names, folders and links, and files
// whose writer cannot be told. Returns the paths removed.
std::vector<std::string> RemoveStaleTemporaries(const std::string& programDir, const std::string& preferencesPath);

} // namespace kestrava::shell
