#include "host/core/MappedRange.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace kestrava {

bool MappedRange(uintptr_t address, size_t length, bool writable)
{
    if (length == 0)
        return true;
    if (address == 0 || address > UINTPTR_MAX - length)
        return false;
    const uintptr_t end = address + length;
    std::FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps)
        return false;
    // The list is sorted by address; the range is covered when mappings
    // with the access it needs follow one another without a gap from its
    // first byte past its last.
    uintptr_t covered = address;
    char line[512];
    while (covered < end && std::fgets(line, sizeof line, maps)) {
        // A long path leaves the rest of its line unread: skipped, so that
        // no piece of a path is taken for a mapping.
        if (!std::strchr(line, '\n'))
            for (int c = std::fgetc(maps); c != EOF && c != '\n'; c = std::fgetc(maps)) {
            }
        uintptr_t from = 0;
        uintptr_t to = 0;
        char perms[5] = {};
        if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR " %4s", &from, &to, perms) != 3)
            continue;
        if (to <= covered)
            continue;
        if (from > covered || perms[0] != 'r' || (writable && perms[1] != 'w'))
            break;
        covered = to;
    }
    std::fclose(maps);
    return covered >= end;
}

} // namespace kestrava
