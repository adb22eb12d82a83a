// The help pages the build draws: each link of a link file covers drawn
// link text, lies inside its picture and leads to a page that exists.
#include "host/shell/HelpLinks.h"
#include "platform/gdi/Bitmap.h"
#include "resources/help/RaumFigure.h"
#include "resources/help/ZekFigure.h"
#include "ui/Colours.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace kestrava::shell {
namespace {

const std::string kProgram = std::string(KESTRAVA_PROGRAM_DIR) + "/";

struct PageFile {
    std::string folder; // below the program folder
    std::string name;
};

const PageFile kPages[] = {{"", "HELP1"},         {"", "HELP2"},          {"TESTS/", "HELP1"},
                           {"TESTS/", "HELP2"},    {"TESTS/MFR/", "HELP1"}, {"TESTS/MFR/", "HELP2"},
                           {"TESTS/LAGE/", "HELP1"}, {"TESTS/LAGE/", "HELP2"},
                           {"TESTS/RAUM/", "HELP1"}, {"TESTS/RAUM/", "HELP2"},
                           {"TESTS/Programme/", "HELP1"}};

bool IsLinkInk(gdi::ColorRef c) { return gdi::RedOf(c) < 70 && gdi::GreenOf(c) < 70 && gdi::BlueOf(c) > 100; }

// Every page is drawn at each user-interface scale, 374 pixels times the
// scale wide, its link file in its own pixels.
const double kScales[] = {1, 1.5, 2};

TEST(HelpPages, EveryLinkLiesOnItsTextAndLeadsToAPage)
{
    for (const double scale : kScales)
    for (const PageFile& file : kPages) {
        const std::string stem = file.name + HelpScaleSuffix(scale);
        SCOPED_TRACE(file.folder + stem);
        const std::string folder = kProgram + file.folder;
        gdi::Bitmap picture;
        ASSERT_TRUE(gdi::LoadBmp(folder + stem + ".BMP", picture));
        EXPECT_EQ(picture.Width(), std::lround(374 * scale)) << "pages never scroll sideways";
        const std::vector<HelpLink> links = ReadHelpLinks(folder + stem + ".INI");
        ASSERT_GE(links.size(), 2u);
        bool toIndex = false;
        for (size_t i = 0; i < links.size(); ++i) {
            const HelpLink& l = links[i];
            SCOPED_TRACE(l.target);
            ASSERT_GE(l.left, 0);
            ASSERT_GE(l.top, 0);
            ASSERT_LT(l.right, picture.Width());
            ASSERT_LT(l.bottom, picture.Height());
            int ink = 0;
            for (int32_t y = l.top; y <= l.bottom; ++y)
                for (int32_t x = l.left; x <= l.right; ++x)
                    ink += IsLinkInk(picture.GetColor(x, y));
            EXPECT_GT(ink, (l.right - l.left) / 2) << "the rectangle holds the link's text";
            // Just outside the rectangle there is no link text.
            for (int32_t y = l.top; y <= l.bottom; ++y)
                EXPECT_FALSE(IsLinkInk(picture.GetColor(l.right + 2, y)));
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(links[j].Contains(l.left, l.top) || links[j].Contains(l.right, l.bottom));

            if (l.target == "\\") {
                toIndex = true;
                continue;
            }
            const auto place = ResolveHelpTarget(l.target, folder, kProgram);
            ASSERT_TRUE(place);
            const HelpPageFiles target = FindHelpPage(place->folder, place->name, scale);
            ASSERT_FALSE(target.picture.empty());
            EXPECT_EQ(target.scale, scale) << "the page it leads to is drawn at the same scale";
            gdi::Bitmap other;
            ASSERT_TRUE(gdi::LoadBmp(target.picture, other));
            EXPECT_GE(l.offset, 0);
            EXPECT_LT(l.offset, other.Height());
        }
        EXPECT_TRUE(toIndex) << "every page leads back to the index";
    }
}

TEST(HelpPages, TheIndexTopAndTheFoldersFitTheViewer)
{
    for (const double scale : kScales) {
        gdi::Bitmap top;
        ASSERT_TRUE(gdi::LoadBmp(kProgram + "HELP" + HelpScaleSuffix(scale) + ".BMP", top));
        EXPECT_EQ(top.Width(), std::lround(374 * scale));
        // The index's lines are drawn on the page colour below it: the two
        // must meet without a seam.
        for (int32_t x = 0; x < top.Width(); x += 7)
            EXPECT_EQ(top.GetColor(x, top.Height() - 1), ui::colour::kHelpPage);
    }
    gdi::Bitmap general;
    ASSERT_TRUE(gdi::LoadBmp(kProgram + "HELP1.BMP", general));
    EXPECT_GT(general.Height(), 3 * 309) << "the general help scrolls";

    // A test's and a program's help must not share a folder, or the
    // program's line of the index would open the test's page.
    EXPECT_TRUE(std::filesystem::exists(kProgram + "TESTS/ZEK.TST"));
    EXPECT_TRUE(std::filesystem::exists(kProgram + "TESTS/Programme/Alle Tests.PRG"));
    EXPECT_FALSE(std::filesystem::exists(kProgram + "TESTS/Programme/ZEK.TST"));
    EXPECT_TRUE(std::filesystem::exists(kProgram + "TESTS/MFR/MFR.TST"));
    EXPECT_TRUE(std::filesystem::exists(kProgram + "TESTS/MFR/HELP1.BMP"));
    EXPECT_TRUE(std::filesystem::exists(kProgram + "TESTS/RAUM/RAUM.TST"));
}

// The Raumvorstellung page shows the pair as RAUM.TST paints it, wherever no
// badge covers it, and the badges lie on the screen, clear of each other.
TEST(HelpPages, TheRaumPageShowsTheScreenAsTheModulePaintsIt)
{
    gdi::Bitmap page;
    ASSERT_TRUE(gdi::LoadBmp(kProgram + "TESTS/RAUM/HELP1.BMP", page));
    const gdi::Bitmap screen = help::PaintRaumScreen(help::RaumFigureState());
    const double s = double(help::kRaumFigureWidth) / 800;
    const std::vector<help::Badge> badges = help::RaumFigureBadges();
    const int32_t left = (page.Width() - screen.Width()) / 2;
    int32_t best = screen.Width() * screen.Height();
    for (int32_t top = 0; top + screen.Height() <= page.Height(); ++top) {
        if (page.GetColor(left, top) != screen.GetColor(0, 0))
            continue;
        int32_t differing = 0;
        for (int32_t y = 0; y < screen.Height(); ++y)
            for (int32_t x = 0; x < screen.Width(); ++x) {
                bool covered = false;
                for (const help::Badge& b : badges)
                    covered |= std::hypot(x + 0.5 - b.x * s, y + 0.5 - b.y * s) < help::kBadgeRadius + 3;
                differing += !covered && page.GetColor(left + x, top + y) != screen.GetColor(x, y);
            }
        best = std::min(best, differing);
    }
    EXPECT_EQ(best, 0) << "the page holds no picture of the test screen";
    for (size_t i = 0; i < badges.size(); ++i) {
        EXPECT_GT(badges[i].x * s, help::kBadgeRadius);
        EXPECT_LT(badges[i].x * s, screen.Width() - help::kBadgeRadius);
        EXPECT_LT(badges[i].y * s, screen.Height() - help::kBadgeRadius);
        for (size_t j = 0; j < i; ++j)
            EXPECT_GT(std::hypot((badges[i].x - badges[j].x) * s, (badges[i].y - badges[j].y) * s),
                      2 * help::kBadgeRadius);
    }
}

// The ZEK page's picture is the module's own painting of the test screen,
// pixel for pixel wherever no badge covers it; the scaled pages hold the
// module's painting at their scale.
TEST(HelpPages, TheZekPageShowsTheScreenAsTheModulePaintsIt)
{
    for (const double scale : kScales) {
    SCOPED_TRACE(scale);
    gdi::Bitmap page;
    ASSERT_TRUE(gdi::LoadBmp(kProgram + "TESTS/HELP1" + HelpScaleSuffix(scale) + ".BMP", page));
    const zek::ZekState state = help::ZekFigureState();
    int32_t missing = -1;
    const gdi::Bitmap screen = help::PaintZekScreen(kProgram + "TESTS/", state, missing, scale);
    ASSERT_EQ(missing, 0);
    EXPECT_EQ(screen.Width(), std::lround(help::kZekFigureWidth * scale));
    // Centred in the page's width (a half pixel either way at 1.5).
    int32_t left = (page.Width() - screen.Width()) / 2;
    auto rowMatches = [&](int32_t pageY, int32_t screenY) {
        for (int32_t x = 0; x < screen.Width(); ++x)
            if (page.GetColor(left + x, pageY) != screen.GetColor(x, screenY))
                return false;
        return true;
    };
    int32_t top = -1;
    for (const int32_t centred = left; top < 0 && left <= centred + 1; ++left)
        for (int32_t y = 0; y + screen.Height() <= page.Height() && top < 0; ++y)
            if (rowMatches(y, 0) && rowMatches(y + screen.Height() - 1, screen.Height() - 1))
                top = y;
    --left;
    ASSERT_GE(top, 0) << "the page holds no picture of the test screen";

    const double s = screen.Width() / 800.0;
    const std::vector<help::Badge> badges = help::ZekFigureBadges(zek::ZekSettings{}, state);
    ASSERT_EQ(badges.size(), 9u);
    int32_t differing = 0;
    for (int32_t y = 0; y < screen.Height(); ++y)
        for (int32_t x = 0; x < screen.Width(); ++x) {
            bool covered = false;
            for (const help::Badge& b : badges)
                covered |= std::hypot(x + 0.5 - b.x * s, y + 0.5 - b.y * s) < (help::kBadgeRadius + 3) * scale;
            if (!covered)
                differing += page.GetColor(left + x, top + y) != screen.GetColor(x, y);
        }
    EXPECT_EQ(differing, 0);
    // Every badge lies on the screen, clear of the others.
    for (size_t i = 0; i < badges.size(); ++i) {
        EXPECT_GT(badges[i].x * s, help::kBadgeRadius * scale);
        EXPECT_LT(badges[i].x * s, screen.Width() - help::kBadgeRadius * scale);
        EXPECT_LT(badges[i].y * s, screen.Height() - help::kBadgeRadius * scale);
        for (size_t j = 0; j < i; ++j)
            EXPECT_GT(std::hypot((badges[i].x - badges[j].x) * s, (badges[i].y - badges[j].y) * s),
                      2 * help::kBadgeRadius * scale);
    }
    }
}

} // namespace
} // namespace kestrava::shell
