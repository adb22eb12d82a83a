// Most readers of the program open their files by name, as the program
// does; a fuzz input therefore goes into a file of the reader's usual name
// in a folder of this process's own, rewritten for every input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kestrava::fuzz {

inline const std::string& FuzzFolder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
        std::string path = base + "/kestrava-fuzz-" + std::to_string(::getpid()) + "-XXXXXX";
        if (mkdtemp(path.data()) == nullptr)
            std::abort();
        return path + "/";
    }();
    return folder;
}

// Writes the input to name inside the fuzz folder and returns its path.
inline std::string InputFile(const char* name, const uint8_t* data, size_t size)
{
    const std::string path = FuzzFolder() + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

} // namespace kestrava::fuzz
