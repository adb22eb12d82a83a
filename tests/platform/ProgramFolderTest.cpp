// The program's folder: the rule that picks portable or installed, where
// the user's own folder lies, and the mirror of an installed folder that
// the rest of the program must not be able to tell from the real thing.
#include "platform/folder/ProgramFolder.h"
#include "platform/gdi/FileCause.h"
#include "platform/gdi/Folders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace kestrava::folder {
namespace {

namespace fs = std::filesystem;

class FolderTest : public ::testing::Test {
protected:
    FolderTest()
    {
        root = fs::temp_directory_path() / ("kestrava-folder-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        installed = root / "usr/lib/kestrava";
        user = root / "home/.local/share/kestrava";
        fs::create_directories(installed / "TESTS/graphics");
        fs::create_directories(installed / "TESTS/Programme");
        fs::create_directories(installed / "skin");
        for (const char* file : {"velomar", "libvgdi.so", "FLIEGE.AVI", "HELP1.BMP", "TESTS/ZEK.TST", "TESTS/ZEK.ini",
                                 "TESTS/graphics/cross.bmp", "TESTS/Programme/Alle Tests.PRG", "skin/SPLASH.bmp"})
            std::ofstream(installed / file) << file;
        std::ofstream(installed / kInstalledMarker);
    }
    ~FolderTest() override
    {
        std::error_code ec;
        fs::permissions(installed, fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }
    std::string Installed() const { return installed.string() + "/"; }
    std::string User() const { return user.string() + "/"; }
    bool Mirror()
    {
        std::string error;
        const bool ok = MirrorInstalledFolder(Installed(), User(), error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }
    static std::string Read(const fs::path& p)
    {
        std::string text;
        if (std::FILE* f = std::fopen(p.c_str(), "rb")) {
            char buffer[256];
            size_t n = 0;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                text.append(buffer, n);
            std::fclose(f);
        }
        return text;
    }

    fs::path root, installed, user;
};

TEST_F(FolderTest, TheMarkerBesideTheProgramMakesItInstalled)
{
    EXPECT_EQ(ModeOf(Installed()), FolderMode::Installed);
    fs::remove(installed / kInstalledMarker);
    EXPECT_EQ(ModeOf(Installed()), FolderMode::Portable);
    // The marker in the user's folder or a subfolder says nothing.
    fs::create_directories(user);
    std::ofstream(user / kInstalledMarker);
    std::ofstream(installed / "TESTS" / kInstalledMarker);
    EXPECT_EQ(ModeOf(Installed()), FolderMode::Portable);
}

TEST_F(FolderTest, TheUserFolderFollowsTheBaseDirectoryRules)
{
    EXPECT_EQ(UserFolderOf("/data/x", "/home/anna"), "/data/x/kestrava/");
    EXPECT_EQ(UserFolderOf("/data/x//", "/home/anna"), "/data/x/kestrava/");
    EXPECT_EQ(UserFolderOf(nullptr, "/home/anna"), "/home/anna/.local/share/kestrava/");
    EXPECT_EQ(UserFolderOf("", "/home/anna/"), "/home/anna/.local/share/kestrava/");
    EXPECT_EQ(UserFolderOf("relative/data", "/home/anna"), "/home/anna/.local/share/kestrava/")
        << "a relative XDG_DATA_HOME is ignored";
    EXPECT_EQ(UserFolderOf("/", nullptr), "/kestrava/");
    EXPECT_EQ(UserFolderOf(nullptr, nullptr), "");
    EXPECT_EQ(UserFolderOf(nullptr, "relative"), "");
}

TEST_F(FolderTest, TheMirrorHasRealFoldersTheTestSearchEntersAndLinksToEveryFile)
{
    ASSERT_TRUE(Mirror());
    for (const char* dir : {"", "/TESTS", "/TESTS/graphics", "/TESTS/Programme", "/skin"}) {
        const fs::path p = user.string() + dir;
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(p))) << p;
    }
    for (const char* file : {"velomar", "FLIEGE.AVI", "HELP1.BMP", "TESTS/ZEK.TST", "TESTS/graphics/cross.bmp",
                             "TESTS/Programme/Alle Tests.PRG", "skin/SPLASH.bmp"}) {
        EXPECT_TRUE(fs::is_symlink(user / file)) << file;
        EXPECT_EQ(fs::read_symlink(user / file), installed / file);
        EXPECT_EQ(Read(user / file), file);
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(user / kInstalledMarker))) << "a mirror is not an installation";
    EXPECT_EQ(ModeOf(User()), FolderMode::Portable);

    // The test search sees the same tree as in the installed folder.
    auto search = [](const std::string& folder) {
        std::vector<std::string> seen;
        ForEachFolderEntry(folder, [&](const FolderEntry& e) {
            if (e.isFile)
                seen.push_back("file " + e.name);
            if (e.isSearchableFolder)
                seen.push_back("folder " + e.name);
        });
        std::sort(seen.begin(), seen.end());
        return seen;
    };
    EXPECT_EQ(search(User() + "TESTS/"), search(Installed() + "TESTS/"));
    EXPECT_EQ(search(User() + "TESTS/"),
              (std::vector<std::string>{"file ZEK.TST", "file ZEK.ini", "folder Programme", "folder graphics"}));
}

TEST_F(FolderTest, WhatTheUserWroteSurvivesAndUpdatesOfThePackageShow)
{
    ASSERT_TRUE(Mirror());
    // Written through the mirror: results beside the module, preferences.
    std::ofstream(user / "TESTS/ZEK.RLT") << "results";
    std::ofstream(user / "velomar.INI") << "prefs";
    // The user replaced the module's settings by a file of their own.
    fs::remove(user / "TESTS/ZEK.ini");
    std::ofstream(user / "TESTS/ZEK.ini") << "mine";
    // A link the user made elsewhere.
    fs::create_symlink("/etc/hostname", user / "mine.lnk");
    // The package's update: a new picture, a dropped help page.
    std::ofstream(installed / "TESTS/graphics/catch.bmp") << "new";
    fs::remove(installed / "HELP1.BMP");

    ASSERT_TRUE(Mirror());
    EXPECT_EQ(Read(user / "TESTS/ZEK.RLT"), "results");
    EXPECT_EQ(Read(user / "velomar.INI"), "prefs");
    EXPECT_EQ(Read(user / "TESTS/ZEK.ini"), "mine");
    EXPECT_TRUE(fs::is_symlink(user / "mine.lnk"));
    EXPECT_EQ(Read(user / "TESTS/graphics/catch.bmp"), "new");
    EXPECT_FALSE(fs::exists(fs::symlink_status(user / "HELP1.BMP"))) << "a dangling link is removed";
    // Nothing was written into the installation.
    EXPECT_FALSE(fs::exists(installed / "TESTS/ZEK.RLT"));
    EXPECT_FALSE(fs::exists(installed / "velomar.INI"));
    EXPECT_EQ(Read(installed / "TESTS/ZEK.ini"), "TESTS/ZEK.ini");
}

TEST_F(FolderTest, AFolderThatCannotBeMadeIsReportedAndNothingIsPlacedInside)
{
    fs::create_directories(root / "home/.local");
    std::ofstream(root / "home/.local/share") << "a file where the folder belongs";
    std::string error;
    int code = 0;
    EXPECT_FALSE(MirrorInstalledFolder(Installed(), User(), error, &code));
    EXPECT_NE(error.find(".local/share"), std::string::npos) << error;
    EXPECT_STREQ(FileCauseText(code), "an Stelle eines Ordners liegt eine Datei") << error;
    EXPECT_FALSE(MirrorInstalledFolder(Installed(), Installed() + "TESTS/", error)) << "a folder inside itself";
}

TEST_F(FolderTest, PlacingTheProgramPicksTheFolderByTheMarker)
{
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    Placement placement;
    std::string error;
    ASSERT_TRUE(PlaceProgram(Installed() + "velomar", true, placement, error)) << error;
    EXPECT_EQ(placement.mode, FolderMode::Installed);
    EXPECT_EQ(placement.programDir, User());
    EXPECT_EQ(placement.programPath, User() + "velomar");
    EXPECT_TRUE(fs::is_symlink(user / "TESTS/ZEK.TST"));

    fs::remove(installed / kInstalledMarker);
    ASSERT_TRUE(PlaceProgram(Installed() + "velomar", true, placement, error)) << error;
    EXPECT_EQ(placement.mode, FolderMode::Portable);
    EXPECT_EQ(placement.programDir, Installed());
    EXPECT_EQ(placement.programPath, Installed() + "velomar");
    if (oldHome != nullptr)
        ::setenv("HOME", savedHome.c_str(), 1);
}

} // namespace
} // namespace kestrava::folder
