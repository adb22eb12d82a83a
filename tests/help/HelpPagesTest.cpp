// The help pages the build draws: each link of a link file covers drawn
// link text, lies inside its picture and leads to a page that exists.
#include "host/shell/HelpLinks.h"
#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

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
                           {"TESTS/Programme/", "HELP1"}};

bool IsLinkInk(gdi::ColorRef c) { return gdi::RedOf(c) < 70 && gdi::GreenOf(c) < 70 && gdi::BlueOf(c) > 100; }

TEST(HelpPages, EveryLinkLiesOnItsTextAndLeadsToAPage)
{
    for (const PageFile& file : kPages) {
        SCOPED_TRACE(file.folder + file.name);
        const std::string folder = kProgram + file.folder;
        gdi::Bitmap picture;
        ASSERT_TRUE(gdi::LoadBmp(folder + file.name + ".BMP", picture));
        EXPECT_EQ(picture.Width(), 374) << "pages never scroll sideways";
        const std::vector<HelpLink> links = ReadHelpLinks(folder + file.name + ".INI");
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
            const std::string target = FindHelpFile(place->folder, place->name, ".BMP");
            ASSERT_FALSE(target.empty());
            gdi::Bitmap other;
            ASSERT_TRUE(gdi::LoadBmp(target, other));
            EXPECT_GE(l.offset, 0);
            EXPECT_LT(l.offset, other.Height());
        }
        EXPECT_TRUE(toIndex) << "every page leads back to the index";
    }
}

TEST(HelpPages, TheIndexTopAndTheFoldersFitTheViewer)
{
    gdi::Bitmap top;
    ASSERT_TRUE(gdi::LoadBmp(kProgram + "HELP.BMP", top));
    EXPECT_EQ(top.Width(), 374);
    // The index's lines are drawn on the page colour below it: the two
    // must meet without a seam.
    for (int32_t x = 0; x < top.Width(); x += 7)
        EXPECT_EQ(top.GetColor(x, top.Height() - 1), gdi::Rgb(255, 252, 218));
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
}

} // namespace
} // namespace kestrava::shell
