#pragma once

#include <string>
#include <string_view>

namespace kestrava {

// Path helpers with the system's semantics on '/'-separated paths.

// The path with its extension (from the last '.' of the file name on)
// replaced by ext; a name without an extension gets ext appended.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// The folder of a path, ending with '/'; empty when the path has no folder.
std::string ExtractFilePath(std::string_view path);

// The file name without its folder.
std::string ExtractFileName(std::string_view path);

// The extension including its '.', or empty.
std::string ExtractFileExt(std::string_view path);

// ASCII upper case, as extension comparisons use.
std::string UpperAscii(std::string_view text);

} // namespace kestrava
