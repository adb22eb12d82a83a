// Reading link files: what is a link, what is not, and how much is read.
#include "host/shell/HelpLinks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kestrava::shell {
namespace {

namespace fs = std::filesystem;

class Folder {
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "kestrava-help-XXXXXX").string();
        path = mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string Write(const std::string& name, const std::string& text) const
    {
        fs::create_directories(fs::path(path + name).parent_path());
        std::ofstream(path + name, std::ios::binary) << text;
        return path + name;
    }
    std::string path;
};

TEST(HelpLinkLine, SixFieldsWithIntegersWhereIntegersBelong)
{
    const auto link = ParseHelpLinkLine(" 10, 20 ,30,40,Seite 2,  -5 \r");
    ASSERT_TRUE(link);
    EXPECT_EQ(*link, (HelpLink{10, 20, 30, 40, "Seite 2", -5}));
    EXPECT_TRUE(link->Contains(10, 20));
    EXPECT_TRUE(link->Contains(30, 40)) << "all four edges belong to the link";
    EXPECT_FALSE(link->Contains(31, 40));
    EXPECT_EQ(ParseHelpLinkLine("0,0,1,1,\\,+7")->offset, 7);

    for (const char* bad : {"", "1,2,3,4,X", "1,2,3,4,X,", "1,2,3,4,X,5,6", "1,2,3,,X,5", "1,2,3,4,,5",
                            "a,2,3,4,X,5", "1,2,3,4.5,X,5", "1,2,3,4,X,5x", "1,2,3,4,X,0x10",
                            "1,2,3,2147483648,X,5", "1,2,3,4,X,-2147483649", "1 2,3,4,5,X,6"})
        EXPECT_FALSE(ParseHelpLinkLine(bad)) << '"' << bad << '"';
    EXPECT_TRUE(ParseHelpLinkLine("1,2,3,-2147483648,X,2147483647"));

    // A target of 255 bytes is kept whole; a longer one is no link rather
    // than a cut name that might open some other page.
    EXPECT_TRUE(ParseHelpLinkLine("1,2,3,4," + std::string(255, 'A') + ",0"));
    EXPECT_FALSE(ParseHelpLinkLine("1,2,3,4," + std::string(256, 'A') + ",0"));
}

TEST(HelpLinkFile, ReadsGoodLinesUpperCasedAndIsBounded)
{
    Folder folder;
    const std::string path =
        folder.Write("HELP1.INI", "1,2,3,4,help2,0\r\ngarbage\n\n5,6,7,8,tests\\zek/help1,9\n" +
                                      std::string(100000, 'x') + "\n9,9,9,9,Last,1");
    const auto links = ReadHelpLinks(path);
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].target, "HELP2");
    EXPECT_EQ(links[1].target, "TESTS\\ZEK/HELP1");
    EXPECT_EQ(links[2], (HelpLink{9, 9, 9, 9, "LAST", 1}));

    EXPECT_TRUE(ReadHelpLinks(folder.path + "missing.INI").empty());
    EXPECT_TRUE(ReadHelpLinks(folder.path).empty()) << "a folder is not a link file";

    // Hundreds of thousands of lines: at most kHelpLinksMax links, and no
    // more than kHelpLinkFileMaxBytes read.
    std::string many;
    for (int i = 0; i < 300000; ++i)
        many += "0,0,1,1,P,0\n";
    ASSERT_GT(many.size(), kHelpLinkFileMaxBytes);
    EXPECT_EQ(ReadHelpLinks(folder.Write("MANY.INI", many)).size(), kHelpLinksMax);
    // A FIFO does not hang the viewer.
    const std::string fifo = folder.path + "FIFO.INI";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(ReadHelpLinks(fifo).empty());
}

TEST(HelpTarget, ResolvesInsideTheProgramFolderOnly)
{
    Folder program;
    program.Write("TESTS/Zek/HELP1.BMP", "x");
    program.Write("TESTS/Zek/help2.bmp", "x");
    const std::string base = program.path + "TESTS/Zek/";

    auto place = ResolveHelpTarget("HELP2", base, program.path);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->folder, base);
    EXPECT_EQ(place->name, "HELP2");
    EXPECT_EQ(FindHelpFile(place->folder, place->name, ".BMP"), base + "help2.bmp") << "any case";
    EXPECT_EQ(FindHelpFile(base, "HELP3", ".BMP"), "");

    // Folders with either separator, relative to the program folder, in
    // any case; absolute ones inside it.
    for (const std::string& target : {std::string("TESTS\\ZEK\\HELP1"), std::string("tests/zek/HELP1"),
                                     std::string("./TESTS/./ZEK/../Zek/HELP1"), base + "HELP1"}) {
        place = ResolveHelpTarget(target, program.path, program.path);
        ASSERT_TRUE(place) << target;
        EXPECT_EQ(place->folder, base) << target;
        EXPECT_EQ(place->name, "HELP1");
    }
    EXPECT_EQ(ResolveHelpTarget(".\\HELP1", base, program.path)->folder, program.path);

    // Nothing outside it.
    for (const std::string& target :
         {std::string("..\\HELP1"), std::string("TESTS/../../HELP1"), std::string("/etc/passwd"),
          program.path.substr(0, program.path.size() - 1) + "x/HELP1", std::string("TESTS/")})
        EXPECT_FALSE(ResolveHelpTarget(target, base, program.path)) << target;
}

// A scaled page is read with its own link file; a page without one at the
// scale falls back to the 1x pair, never to a mixed one.
TEST(HelpPageFiles, TheScaledPairOrTheUnscaledPair)
{
    Folder dir;
    const std::string page = dir.Write("HELP1.BMP", "x"), links = dir.Write("HELP1.INI", "x");
    const std::string page2 = dir.Write("help1@2x.bmp", "x");
    const HelpPageFiles two = FindHelpPage(dir.path, "HELP1", 2);
    EXPECT_EQ(two.picture, page2);
    EXPECT_EQ(two.links, "") << "the 1x links do not fit the 2x picture";
    EXPECT_EQ(two.scale, 2);
    const HelpPageFiles half = FindHelpPage(dir.path, "HELP1", 1.5);
    EXPECT_EQ(half.picture, page);
    EXPECT_EQ(half.links, links);
    EXPECT_EQ(half.scale, 1);
    EXPECT_EQ(FindHelpPage(dir.path, "HELP1", 1).picture, page);
}

} // namespace
} // namespace kestrava::shell
