// Whether memory a module names is really there: a state block is an
// address and a length from module code, and copying from or into a range
// that runs off its mapping would end the program.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrava {

// True when every byte of [address, address + length) lies in mappings of
// this process that may be read (and, with `writable`, written), as
// /proc/self/maps lists them at the moment of the call. An empty range is
// true; a range that wraps around the address space, or a process without
// /proc, is false. [any thread]
bool MappedRange(uintptr_t address, size_t length, bool writable);

} // namespace kestrava
