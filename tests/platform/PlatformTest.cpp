// The module-side platform services: settings lookup, paths, folder walks,
// and the Windows-1252 boundary of the protocol's short strings.
#include "platform/gdi/Folders.h"
#include "platform/gdi/IniFile.h"
#include "platform/gdi/Paths.h"
#include "protocol/MyMessages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

namespace kestrava {
namespace {

namespace fs = std::filesystem;

fs::path TempFolder(const char* name)
{
    fs::path dir = fs::temp_directory_path() / (std::string("kestrava-platform-") + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(IniFileTest, LooksUpIntegersWithoutRegardToCase)
{
    fs::path dir = TempFolder("ini");
    std::ofstream(dir / "ZEK.ini") << "[Global]\nmin = 90000\nMAX=abc\nCountdown= -5 \nEmpty=\n"
                                   << "Big=3000000000\nHalf=12.5\n[TRACKLING]\nSIZE=70\nSIZE=80\n; comment\n";
    IniFile ini((dir / "ZEK.ini").string());
    EXPECT_TRUE(ini.Loaded());
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "MIN", 60000), 90000);
    EXPECT_EQ(ini.ReadInteger("global", "Countdown", 2000), -5);
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "MAX", 7), 7);      // not a number
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "EMPTY", 7), 7);    // empty value
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "BIG", 7), 7);      // beyond int32
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "HALF", 7), 7);     // not whole
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "MISSING", 7), 7);  // no such key
    EXPECT_EQ(ini.ReadInteger("MATH", "TIME", 20000), 20000); // no such section
    EXPECT_EQ(ini.ReadInteger("trackling", "size", 60), 70); // first of two wins

    IniFile missing((dir / "none.ini").string());
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.ReadInteger("GLOBAL", "MIN", 60000), 60000);
    fs::remove_all(dir);
}

TEST(IniFileTest, OneSignAtMost)
{
    int32_t value = 99;
    EXPECT_TRUE(ParseInt32("+3", value));
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(ParseInt32(" -2147483648 ", value));
    EXPECT_EQ(value, INT32_MIN);
    value = 99;
    for (const char* text : {"+-3", "++3", "-+3", "--3", "+ 3", "- 3", "+", "-"})
        EXPECT_FALSE(ParseInt32(text, value)) << text;
    EXPECT_EQ(value, 99) << "a refused text leaves the value alone";

    fs::path dir = TempFolder("ini-sign");
    std::ofstream(dir / "ZEK.ini") << "[Global]\nCountdown=+-3\nMin=+120\n";
    IniFile ini((dir / "ZEK.ini").string());
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "COUNTDOWN", 2000), 2000);
    EXPECT_EQ(ini.ReadInteger("GLOBAL", "MIN", 60), 120);
    fs::remove_all(dir);
}

TEST(PathsTest, SystemPathSemantics)
{
    EXPECT_EQ(ChangeFileExt("/a/TESTS/ZEK.TST", ".RLT"), "/a/TESTS/ZEK.RLT");
    EXPECT_EQ(ChangeFileExt("/a.b/ZEK", ".ini"), "/a.b/ZEK.ini");
    EXPECT_EQ(ChangeFileExt("x.tar.gz", ".z"), "x.tar.z");
    EXPECT_EQ(ExtractFilePath("/a/TESTS/ZEK.TST"), "/a/TESTS/");
    EXPECT_EQ(ExtractFilePath("ZEK.TST"), "");
    EXPECT_EQ(ExtractFileName("/a/TESTS/ZEK.TST"), "ZEK.TST");
    EXPECT_EQ(UpperAscii(ExtractFileExt("/a/zek.tst")), ".TST");
    EXPECT_EQ(ExtractFileExt("/a.dir/noext"), "");
}

TEST(FoldersTest, SearchableFoldersExcludeHiddenAndLinksButNotReadOnly)
{
    fs::path dir = TempFolder("walk");
    fs::create_directories(dir / "sub");
    fs::create_directories(dir / ".hidden");
    fs::create_directories(dir / "readonly");
    fs::permissions(dir / "readonly", fs::perms::owner_write, fs::perm_options::remove);
    fs::create_directory_symlink(dir / "sub", dir / "link");
    std::ofstream(dir / "a.tst") << "x";
    std::vector<std::string> searchable, files;
    ForEachFolderEntry(dir.string() + "/", [&](const FolderEntry& e) {
        if (e.isSearchableFolder)
            searchable.push_back(e.name);
        if (e.isFile)
            files.push_back(e.name);
    });
    fs::permissions(dir / "readonly", fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(files, std::vector<std::string>{"a.tst"});
    // Whether the user may write a folder is no attribute of it.
    std::sort(searchable.begin(), searchable.end());
    EXPECT_EQ(searchable, (std::vector<std::string>{"readonly", "sub"}));
    int visited = 0;
    ForEachFolderEntry(dir.string() + "/missing/", [&](const FolderEntry&) { ++visited; });
    EXPECT_EQ(visited, 0);
    fs::remove_all(dir);
}

TEST(ShortStringTest, Windows1252RoundTripsTheSystemsTexts)
{
    const std::string texts[] = {"Reaktionsvermögen F-Tasten", "3 + 4 • 7 = ?", "—:—", "Einen Moment bitte...", "€‰Ÿ"};
    for (const std::string& text : texts) {
        TShortString s{};
        ASSERT_TRUE(SetShortStringUtf8(s, text));
        EXPECT_EQ(ShortStringToUtf8(s), text);
    }
    EXPECT_EQ(Utf8ToCp1252("•"), "\x95");
    EXPECT_EQ(Utf8ToCp1252("—"), "\x97");
    EXPECT_EQ(Utf8ToCp1252("ö"), "\xF6");
    // No Windows-1252 code, and malformed sequences, become '?'.
    EXPECT_EQ(Utf8ToCp1252("a\u4E2Db"), "a?b");
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x80"), "??");
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??"); // overlong '/'
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");

    TShortString full{};
    EXPECT_TRUE(SetShortString(full, std::string(255, 'x')));
    EXPECT_EQ(full.Length, 255);
    TShortString kept{};
    EXPECT_FALSE(SetShortString(kept, std::string(256, 'x')));
    EXPECT_EQ(kept.Length, 0);
}

} // namespace
} // namespace kestrava
