// The test area's 4:3 fit, checked by what must hold for every start size
// and panel size rather than by restating the steps.
#include "host/shell/TestArea.h"

#include <gtest/gtest.h>

namespace kestrava::shell {
namespace {

TEST(TestAreaTest, GrowsIn43StepsUntilItFirstExceedsTheRoomAndNeverShrinks)
{
    const AreaSize panels[] = {{800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}, {1080, 1920}, {3840, 2160}};
    for (const AreaSize panel : panels)
        for (int32_t w = 40; w < 2000; w += 37)
            for (int32_t h = 30; h < 1500; h += 29) {
                const AreaSize area = FitTestArea({w, h}, panel.width, panel.height);
                const AreaSize start = FitTestArea({w, h}, 0, 0); // no room: only the rounding
                const auto exceeds = [&](AreaSize a) {
                    return a.height > panel.height - 78 || a.width > panel.width - 44;
                };
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " in " + std::to_string(panel.width) +
                             "x" + std::to_string(panel.height));
                ASSERT_EQ(area.height % 3, 0);
                ASSERT_EQ(area.width, area.height / 3 * 4);
                ASSERT_TRUE(exceeds(area));
                ASSERT_GE(area.width, start.width);
                // It stopped at the first step that exceeds.
                if (area != start) {
                    ASSERT_FALSE(exceeds({area.width - 4, area.height - 3}));
                }
                ASSERT_EQ(FitTestArea(area, panel.width, panel.height), area);
            }
    EXPECT_EQ(FitTestArea({672, 525}, 800, 600), (AreaSize{700, 525}));
    EXPECT_EQ(FitTestArea({896, 693}, 1024, 768), (AreaSize{924, 693}));
}

} // namespace
} // namespace kestrava::shell
