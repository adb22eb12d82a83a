#include "platform/folder/ProgramFolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestrava::folder {

namespace {

// The reason for the log, and the errno for the user's message.
struct Failure {
    std::string& text;
    int* errorNumber;
    void Note(const std::string& what, const std::string& path)
    {
        const int code = errno;
        text = what + " " + path + ": " + std::strerror(code);
        if (errorNumber != nullptr)
            *errorNumber = code;
    }
};

// The names in a folder, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

std::string LinkTarget(const std::string& path)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer)
        return {};
    return std::string(buffer, static_cast<size_t>(n));
}

bool MakeFolder(const std::string& path, Failure& error)
{
    if (::mkdir(path.c_str(), 0755) == 0)
        return true;
    struct stat st{};
    if (errno == EEXIST && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    if (errno == EEXIST)
        errno = ENOTDIR; // a file holds the folder's name
    error.Note("cannot make the folder", path);
    return false;
}

// Points `link` at `target`: a new link goes in under a temporary name and
// is renamed over the old one, so a second program starting at the same
// moment never sees the name missing.
bool PlaceLink(const std::string& target, const std::string& link, Failure& error)
{
    const std::string temporary = link + ".kestrava-link-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), link.c_str()) != 0) {
        error.Note("cannot link", link);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool Mirror(const std::string& installed, const std::string& user, const std::string& root, bool top,
            Failure& error)
{
    if (!MakeFolder(user.substr(0, user.size() - 1), error))
        return false;
    for (const std::string& name : NamesIn(installed)) {
        if (top && name == kInstalledMarker)
            continue;
        const std::string from = installed + name;
        const std::string to = user + name;
        struct stat source{};
        if (::lstat(from.c_str(), &source) != 0)
            continue;
        struct stat mine{};
        const bool present = ::lstat(to.c_str(), &mine) == 0;
        if (S_ISDIR(source.st_mode)) {
            if (present && !S_ISDIR(mine.st_mode))
                continue; // the user's own file of that name stays
            if (!Mirror(from + "/", to + "/", root, false, error))
                return false;
            continue;
        }
        if (present && !S_ISLNK(mine.st_mode))
            continue; // a result file, the preferences, a replaced file
        if (present && LinkTarget(to) == from)
            continue;
        if (present && !LinkTarget(to).starts_with(root))
            continue; // a link the user made
        if (!PlaceLink(from, to, error))
            return false;
    }
    // Links into the installation whose file the package no longer has.
    for (const std::string& name : NamesIn(user)) {
        const std::string path = user + name;
        struct stat st{};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            continue;
        if (LinkTarget(path).starts_with(root) && ::stat(path.c_str(), &st) != 0)
            ::unlink(path.c_str());
    }
    return true;
}

} // namespace

std::string ProgramPath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer)
        return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string ProgramFolderOf(const std::string& programPath)
{
    const size_t slash = programPath.rfind('/');
    return slash == std::string::npos ? std::string("./") : programPath.substr(0, slash + 1);
}

FolderMode ModeOf(const std::string& programFolder)
{
    struct stat st{};
    return ::stat((programFolder + kInstalledMarker).c_str(), &st) == 0 ? FolderMode::Installed
                                                                        : FolderMode::Portable;
}

std::string UserFolderOf(const char* xdgDataHome, const char* home)
{
    auto withoutSlashes = [](std::string path) {
        while (!path.empty() && path.back() == '/')
            path.pop_back();
        return path;
    };
    // The base directory specification ignores a relative value.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return withoutSlashes(xdgDataHome) + "/kestrava/";
    if (home != nullptr && home[0] == '/')
        return withoutSlashes(home) + "/.local/share/kestrava/";
    return {};
}

std::string UserFolder()
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0')
        if (const passwd* pw = ::getpwuid(::getuid()))
            home = pw->pw_dir;
    return UserFolderOf(std::getenv("XDG_DATA_HOME"), home);
}

bool MirrorInstalledFolder(const std::string& installed, const std::string& user, std::string& error,
                           int* errorNumber)
{
    if (installed.empty() || user.empty() || installed.back() != '/' || user.back() != '/') {
        error = "the folders must end with '/'";
        return false;
    }
    if (user.starts_with(installed) || installed.starts_with(user)) {
        error = "the user's folder " + user + " lies in the installed folder " + installed + " or around it";
        return false;
    }
    Failure failure{error, errorNumber};
    // The folders above the user's folder ($HOME/.local/share) may not exist yet.
    for (size_t slash = user.find('/', 1); slash != std::string::npos && slash + 1 < user.size();
         slash = user.find('/', slash + 1))
        if (!MakeFolder(user.substr(0, slash), failure))
            return false;
    return Mirror(installed, user, installed, true, failure);
}

bool PlaceProgram(const std::string& programPath, bool setUp, Placement& placement, std::string& error)
{
    if (programPath.empty()) {
        error = "cannot find the program's own folder";
        return false;
    }
    const std::string folder = ProgramFolderOf(programPath);
    placement.mode = ModeOf(folder);
    if (placement.mode == FolderMode::Portable) {
        placement.programDir = folder;
        placement.programPath = programPath;
        return true;
    }
    placement.programDir = UserFolder();
    if (placement.programDir.empty()) {
        error = "no home folder (HOME is not set) for the user's own program folder";
        return false;
    }
    placement.programPath = placement.programDir + programPath.substr(folder.size());
    return !setUp || MirrorInstalledFolder(folder, placement.programDir, error, &placement.errorNumber);
}

} // namespace kestrava::folder
