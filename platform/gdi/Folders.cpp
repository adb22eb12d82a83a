#include "platform/gdi/Folders.h"

#include <dirent.h>
#include <sys/stat.h>

namespace kestrava {

void ForEachFolderEntry(const std::string& folder, const std::function<void(const FolderEntry&)>& visit)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    while (dirent* ent = readdir(dir)) {
        std::string name = ent->d_name;
        if (name == "." || name == "..")
            continue;
        std::string full = folder + name;
        FolderEntry entry;
        entry.name = name;
        struct stat linkInfo {};
        if (lstat(full.c_str(), &linkInfo) != 0)
            continue;
        if (S_ISDIR(linkInfo.st_mode)) {
            // Whether the user may write the folder is a permission, not an
            // attribute: a folder of a system-wide copy or a read-only
            // medium is searched like any other.
            entry.isSearchableFolder = name[0] != '.';
        } else {
            struct stat target {};
            entry.isFile = stat(full.c_str(), &target) == 0 && S_ISREG(target.st_mode);
        }
        visit(entry);
    }
    closedir(dir);
}

} // namespace kestrava
