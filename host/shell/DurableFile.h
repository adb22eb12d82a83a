// Writing a file that must not be lost: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the target, and
// then the folder is flushed so the rename itself is on disk. A crash at any
// moment leaves either the old complete file or the new complete one.
// [ui-thread]
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrava {

// False, with a one-line reason in error (English, for standard error) and
// the errno of the failing call in *errorNumber, when the file could not be
// written; an earlier file is then left as it was and the temporary file is
// removed.
bool WriteFileDurably(const std::string& path, const uint8_t* bytes, size_t size, std::string& error,
                      int* errorNumber = nullptr);

} // namespace kestrava
