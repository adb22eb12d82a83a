// Where the program lies: every file it reads or writes is beside it.
#pragma once

#include <string>

namespace kestrava::shell {

// The full path of the running program, from /proc/self/exe; empty when it
// cannot be read.
std::string ProgramPath();
// Its folder, ending with '/'.
std::string ProgramFolderOf(const std::string& programPath);

} // namespace kestrava::shell
