// The size of the module's drawing area for a test panel of a given size.
#pragma once

#include <cstdint>

namespace kestrava::shell {

struct AreaSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const AreaSize&) const = default;
};

// The area grows from its current size in 4:3 steps (4 px by 3 px) until it
// first exceeds the room the test panel leaves (its width less 44, its
// height less 78), and takes that size; it never shrinks. The current size
// is first rounded onto the 4:3 grid along its shorter side for that shape.
AreaSize FitTestArea(AreaSize current, int32_t panelWidth, int32_t panelHeight);

} // namespace kestrava::shell
