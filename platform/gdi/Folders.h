#pragma once

#include <functional>
#include <string>

namespace kestrava {

// One entry of a folder, as the searches of the test folder see it.
struct FolderEntry {
    std::string name;      // file name without folder
    bool isFile = false;   // a regular file (symbolic links to files included)
    // A folder the searches descend into: a real directory (not a symbolic
    // link, so no cycles), not hidden (no leading '.'), whether or not the
    // user may write it.
    bool isSearchableFolder = false;
};

// Calls visit for every entry of folder (which ends with '/') in the order
// the file system returns them, "." and ".." left out. A folder that cannot
// be read yields nothing.
void ForEachFolderEntry(const std::string& folder, const std::function<void(const FolderEntry&)>& visit);

} // namespace kestrava
