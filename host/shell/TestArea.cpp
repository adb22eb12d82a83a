#include "host/shell/TestArea.h"

#include <cmath>

namespace kestrava::shell {

AreaSize FitTestArea(AreaSize current, int32_t panelWidth, int32_t panelHeight)
{
    const int32_t w = current.width;
    const int32_t h = current.height;
    const auto exceeds = [&](int32_t w2, int32_t h2) { return h2 > panelHeight - 78 || w2 > panelWidth - 44; };
    int32_t w2 = 0;
    int32_t h2 = 0;
    if (double(h) < double(w) * 3.0 / 4.0) {
        h2 = static_cast<int32_t>(std::nearbyint(double(h) / 3.0)) * 3;
        w2 = h2 / 3 * 4;
        while (!exceeds(w2, h2)) {
            h2 += 3;
            w2 = h2 / 3 * 4;
        }
    } else {
        w2 = static_cast<int32_t>(std::nearbyint(double(w) / 4.0)) * 4;
        h2 = w2 / 4 * 3;
        while (!exceeds(w2, h2)) {
            w2 += 4;
            h2 = w2 / 4 * 3;
        }
    }
    return {w2, h2};
}

} // namespace kestrava::shell
