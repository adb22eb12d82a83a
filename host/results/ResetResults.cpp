#include "host/results/ResetResults.h"

#include "platform/gdi/FileAccess.h"
#include "platform/gdi/Folders.h"
#include "platform/gdi/Paths.h"

#include <cerrno>
#include <set>
#include <fcntl.h>
#include <unistd.h>

namespace kestrava {

namespace {

enum class Verdict { Delete, Keep, Unreadable };

// Only the part count decides: a file that cannot even hold one has no
// results to keep.
Verdict Judge(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Verdict::Unreadable;
    unsigned char count[4] = {};
    size_t got = 0;
    bool failed = false;
    while (got < sizeof count) {
        ssize_t n = read(fd, count + got, sizeof count - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failed = true;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (failed)
        return Verdict::Unreadable;
    if (got < sizeof count)
        return Verdict::Delete;
    return (count[0] | count[1] | count[2] | count[3]) != 0 ? Verdict::Delete : Verdict::Keep;
}

void ResetFolder(const std::string& folder, std::vector<std::string>& failures)
{
    // Collected first and acted on after the enumeration, so that deleting
    // never changes a directory while it is being read.
    std::vector<std::string> results;
    std::set<std::string> modules; // names without extension of the *.TST here
    std::vector<std::string> subfolders;
    ForEachFolderEntry(folder, [&](const FolderEntry& entry) {
        const std::string ext = UpperAscii(ExtractFileExt(entry.name));
        if (entry.isFile && ext == ".RLT")
            results.push_back(entry.name);
        else if (entry.isFile && ext == ".TST")
            modules.insert(entry.name.substr(0, entry.name.size() - ext.size()));
        else if (entry.isSearchableFolder)
            subfolders.push_back(folder + entry.name + "/");
    });
    // A result file belongs to the module beside it whose name it shares
    // (the module derives it from its own path); anything else that merely
    // ends in .RLT is not ours to delete.
    std::vector<std::string> files;
    for (const std::string& name : results)
        if (modules.count(name.substr(0, name.size() - 4)) != 0)
            files.push_back(folder + name);
    // Under the same lock as a module's append, so that a file is never
    // judged and deleted while another process writes to it.
    const FolderLock lock(folder);
    for (const std::string& path : files) {
        if (!lock.Held()) {
            failures.push_back(path);
            continue;
        }
        switch (Judge(path)) {
        case Verdict::Keep:
            break;
        case Verdict::Unreadable:
            failures.push_back(path);
            break;
        case Verdict::Delete:
            if (unlink(path.c_str()) != 0 && errno != ENOENT)
                failures.push_back(path);
            break;
        }
    }
    for (const std::string& sub : subfolders)
        ResetFolder(sub, failures);
}

} // namespace

std::vector<std::string> DeleteResults(const std::string& folder)
{
    std::vector<std::string> failures;
    std::string root = folder;
    if (!root.empty() && root.back() != '/')
        root += '/';
    ResetFolder(root, failures);
    return failures;
}

} // namespace kestrava
