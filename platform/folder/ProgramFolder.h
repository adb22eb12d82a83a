// Where the program's folder lies, and the user's own copy of it for a
// program installed by the package.
//
// A program started from its build folder (or any folder the user
// unpacked) is portable: every file it reads or writes lies beside it. A
// program installed by the package lies in a folder the user may not write.
// It gets a folder of the user's own, under $XDG_DATA_HOME/kestrava/, that
// looks to the rest of the program exactly like the installed one: the same
// tree of real folders (the test search descends only into real folders),
// each installed file reached through a symbolic link, and the files the
// program and its modules write (result files, velomar.INI, PROG.SAV) made
// there as the user's own.
#pragma once

#include <string>

namespace kestrava::folder {

// The full path of the running program, from /proc/self/exe; empty when it
// cannot be read.
std::string ProgramPath();
// Its folder, ending with '/'.
std::string ProgramFolderOf(const std::string& programPath);

// The package puts this file beside the program, and only the package.
inline constexpr const char* kInstalledMarker = "kestrava.installed";

enum class FolderMode {
    Portable,  // reads and writes beside the program
    Installed, // reads beside the program, writes in the user's own folder
};

// Installed when the package's marker lies beside the program, portable
// otherwise. (Whether the folder is writable says nothing: root may write
// anywhere, and a portable copy may sit on a read-only stick.)
FolderMode ModeOf(const std::string& programFolder);

// The user's own program folder, ending with '/': $XDG_DATA_HOME/kestrava/
// when that variable holds an absolute path, else
// $HOME/.local/share/kestrava/. Empty when neither gives a place.
std::string UserFolderOf(const char* xdgDataHome, const char* home);
// The same from this process's environment (the password database when
// HOME is unset).
std::string UserFolder();

// Makes `user` (ending with '/') mirror `installed` (ending with '/'):
// every real folder of the installed tree becomes a real folder, every
// file a symbolic link to the installed file. A link of an earlier
// installation is renewed; a link into `installed` whose file is gone (the
// package dropped it) is removed; anything else the user's folder holds
// (results, preferences, a file put in place of a link) is left alone. Run
// at every start, so an update of the package shows at once. False, with a
// one-line reason (English, for standard error) and the failing call's errno
// in *errorNumber, when the folder cannot be made.
bool MirrorInstalledFolder(const std::string& installed, const std::string& user, std::string& error,
                           int* errorNumber = nullptr);

// Where the program reads and writes, as decided at start.
struct Placement {
    FolderMode mode = FolderMode::Portable;
    std::string programDir;  // ends with '/'
    std::string programPath; // programDir + the program's name (for NAME.INI)
    int errorNumber = 0;     // when the user's folder could not be made: the failing call's errno
};
// Portable: the program's own folder. Installed: the user's folder, set up
// by MirrorInstalledFolder when `setUp` is true. False, with a reason, when
// the program's folder or the user's cannot be found or made.
bool PlaceProgram(const std::string& programPath, bool setUp, Placement& placement, std::string& error);

} // namespace kestrava::folder
