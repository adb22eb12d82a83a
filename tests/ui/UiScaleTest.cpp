// The user-interface scale: the rule that picks it from the screen and the
// desktop, the design's pixels at that scale, and the pictures looked up
// at it.
#include "ui/Resources.h"
#include "ui/UiScale.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace kestrava;
namespace fs = std::filesystem;

TEST(UiScaleTest, ScreenSizePicksTheLargestScaleThatLeavesTheDesignItsRoom)
{
    struct Case {
        int32_t w, h;
        double k;
    };
    for (const Case& c : {Case{800, 600, 1}, Case{1024, 768, 1}, Case{1600, 900, 1}, Case{1920, 1080, 1},
                          Case{1920, 1200, 1}, Case{2560, 1440, 1.5}, Case{2560, 1600, 1.5}, Case{2880, 1800, 1.5},
                          Case{3200, 1800, 1.5}, Case{3840, 2160, 2}, Case{5120, 2880, 2}, Case{3840, 1080, 1}})
        EXPECT_EQ(ui::ChooseUiScale(c.w, c.h), c.k) << c.w << " x " << c.h;
}

TEST(UiScaleTest, DesktopScaleIsHonouredWhereTheSmallestScreenStillFits)
{
    EXPECT_EQ(ui::ChooseUiScale(2560, 1600, 2.0), 2.0);
    EXPECT_EQ(ui::ChooseUiScale(1920, 1080, 2.0), 1.5); // 960 x 540 would not hold 800 x 600
    EXPECT_EQ(ui::ChooseUiScale(3840, 2160, 1.75), 1.5);
    EXPECT_EQ(ui::ChooseUiScale(1024, 768, 3.0), 1.0);
    // 1 is what an unscaled desktop says too: the screen decides.
    EXPECT_EQ(ui::ChooseUiScale(3840, 2160, 1.0), 2.0);

    EXPECT_EQ(ui::DesktopScale("2", nullptr), 2.0);
    EXPECT_EQ(ui::DesktopScale(nullptr, "1.5"), 1.5);
    EXPECT_EQ(ui::DesktopScale("2", "1.5"), 2.0);
    for (const char* junk : {"", "0", "-2", "2x", "nan", "inf"})
        EXPECT_FALSE(ui::DesktopScale(junk, nullptr).has_value()) << junk;
}

TEST(UiScaleTest, EdgesScaleSoThatNeighboursMeet)
{
    ui::SetUiScale(1.5);
    EXPECT_EQ(ui::Scaled(23), 35); // half away from zero
    EXPECT_EQ(ui::Scaled(-3), -5);
    // 0..23 and 23..46 side by side: 35 + 34 reach Scaled(46).
    EXPECT_EQ(ui::ScaledSpan(0, 23) + ui::ScaledSpan(23, 23), ui::Scaled(46));
    EXPECT_EQ(ui::Unscaled(35), 23);
    EXPECT_EQ(ui::ScaleSuffix(), "@1.5x");
    ui::SetUiScale(2);
    EXPECT_EQ(ui::Scaled(227), 454);
    EXPECT_EQ(ui::ScaleSuffix(), "@2x");
    ui::SetUiScale(1);
    EXPECT_EQ(ui::Scaled(7), 7);
    EXPECT_EQ(ui::ScaleSuffix(), "");
}

TEST(UiScaleTest, PicturesAreLookedUpAtTheScaleAndAMissingOneNamesItsFile)
{
    const fs::path folder = fs::temp_directory_path() / ("kestrava-uiscale-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ui::SetResourceFolder(folder.string());
    ASSERT_TRUE(gdi::SaveBmp((folder / "KNOPF.bmp").string(), gdi::Bitmap(4, 3)));
    ASSERT_TRUE(gdi::SaveBmp((folder / "KNOPF@2x.bmp").string(), gdi::Bitmap(8, 6)));
    EXPECT_EQ(ui::LoadResourceBitmap("KNOPF").Width(), 4);
    ui::SetUiScale(2);
    EXPECT_EQ(ui::ResourcePath("KNOPF"), (folder / "KNOPF@2x.bmp").string());
    EXPECT_EQ(ui::LoadResourceBitmap("KNOPF").Width(), 8);
    ui::SetUiScale(1.5);
    EXPECT_FALSE(ui::HasResource("KNOPF"));
    try {
        ui::LoadResourceBitmap("KNOPF");
        ADD_FAILURE() << "the 1x picture must not stand in";
    } catch (const ui::EResNotFound& e) {
        EXPECT_NE(std::string(e.what()).find("KNOPF@1.5x.bmp"), std::string::npos) << e.what();
    }
    ui::SetUiScale(1);
    ui::SetResourceFolder("");
    fs::remove_all(folder);
}

} // namespace
