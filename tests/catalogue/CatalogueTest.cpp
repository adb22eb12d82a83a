// The catalogue with real shared libraries in a temporary TESTS folder: the
// search, the four menu lists after a refresh, the selection rules, the
// start button with tests and with the "Alle Tests" program, and the scroll
// thumbs.
#include "host/catalogue/Catalogue.h"
#include "host/shell/Menu.h"
#include "host/shell/MenuLists.h"
#include "host/shell/ThumbTrack.h"

#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "ui/Colours.h"
#include "ui/MyCustomListBox.h"
#include "ui/Resources.h"

#include "ResultFileBuilder.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestrava {
namespace {

using testing::ResultBytes;
using testing::TempFolder;
namespace fs = std::filesystem;

constexpr gdi::ColorRef kGreen = ui::colour::kScoreGood;
constexpr gdi::ColorRef kRed = ui::colour::kScoreWeak;
const std::string kDash = "\xE2\x80\x94";

struct ModuleInfo {
    std::string title;  // Windows-1252
    int keeps = 1;
    int min = 60'000;
    int max = 7'200'000;
    int step = 1000;
    int def = 600'000;
    int countdown = 2000;
};

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest() : host(canvas) {}

    // A copy of the info module under name (relative to TESTS/), answering
    // with info; without info it answers nothing.
    std::string AddModule(const std::string& name, const std::optional<ModuleInfo>& info)
    {
        const std::string path = folder / name;
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(INFO_MODULE_PATH, path, fs::copy_options::overwrite_existing);
        if (info) {
            std::ofstream out(path.substr(0, path.rfind('.')) + ".info", std::ios::binary);
            out << info->title << "\n"
                << info->keeps << " " << info->min << " " << info->max << " " << info->step << " " << info->def << " "
                << info->countdown << "\n";
        }
        return path;
    }

    void Refresh() { RefreshTestList(folder.Path(), host, tests, programs, run, lists, log); }

    void Select(std::initializer_list<std::string> titles)
    {
        for (const std::string& title : titles)
            for (int32_t i = 0; i < testList.Count(); ++i)
                if (testList.Lines()[static_cast<size_t>(i)] == title)
                    lists.selection.ClickTest(i, true);
    }

    // A Ctrl+click on the line, as the list receives it.
    static void Click(ui::TMyCustomListBox& list, int32_t line)
    {
        app::Modifiers ctrl;
        ctrl.ctrl = true;
        list.MouseDown(app::MouseButton::Left, 5, line * list.RowHeight() + 1, ctrl);
    }

    // The start button: the run from the selection, which the lists show.
    GoResult Start()
    {
        const GoResult result = Go(lists.selection, tests, programs, host, run);
        ShowSelection(lists);
        return result;
    }

    std::vector<std::string> Titles() const
    {
        std::vector<std::string> out;
        for (const TestCatalogueEntry& e : tests.Entries())
            out.push_back(e.title);
        std::sort(out.begin(), out.end());
        return out;
    }

    // The menu's pictures come from the skin.
    struct Skin {
        Skin() { ui::SetResourceFolder(std::string(KESTRAVA_PROGRAM_DIR) + "/skin/"); }
    } skin;
    TempFolder folder;
    TestCanvas canvas;
    ModuleHost host;
    shell::TMenu menu;
    ui::TMyCustomListBox& testList = menu.TestListBox();
    ui::TMyCustomListBox& dauerList = menu.DauerListBox();
    ui::TMyCustomListBox& punkteList = menu.PunkteListBox();
    ui::TMyCustomListBox& programList = menu.ProgrammListBox();
    MenuLists lists = menu.Lists();
    TestCatalogue tests;
    ProgramCatalogue programs;
    RunPlan run;
    std::ostringstream log;
};

TEST_F(CatalogueTest, TheSearchFindsModulesAndProgramFilesItCanLoad)
{
    AddModule("a.tst", ModuleInfo{"A-Test"});
    AddModule("sub/deeper/B.TST", ModuleInfo{"b-Test", 0});
    AddModule(".hidden/C.TST", ModuleInfo{"Versteckt"});
    AddModule("E.Tst", std::nullopt);  // answers nothing: listed by file name
    fs::create_directory_symlink(folder / "sub", folder / "link");
    ResultBytes::WriteFileBytes(folder / "BAD.TST", "not a library");
    fs::copy_file(NO_ENTRY_PATH, folder / "NOENTRY.TST");
    fs::copy_file(ALLE_TESTS_PATH, folder / "Alle Tests.PRG");
    fs::copy_file(NO_ENTRY_PATH, folder / "sub/Ohne.prg");  // lacks PROG
    ResultBytes::WriteFileBytes(folder / "Kaputt.PRG", "not a library");
    ResultBytes::WriteFileBytes(folder / "readme.txt", "A-Test");
    run.Append(TRunEntry{});

    ScanTestFolder(folder.Path(), host, tests, programs, run, log);

    EXPECT_EQ(Titles(), (std::vector<std::string>{"A-Test", "E", "b-Test"}));
    ASSERT_NE(tests.ByTitle("b-Test"), nullptr);
    EXPECT_EQ(tests.ByTitle("b-Test")->modulePath, folder / "sub/deeper/B.TST");
    EXPECT_EQ(ResultFileOf(*tests.ByTitle("b-Test")), folder / "sub/deeper/B.RLT");
    // The lookup compares exactly.
    EXPECT_EQ(tests.ByTitle("B-Test"), nullptr);
    EXPECT_EQ(tests.ByIndex(3), nullptr);
    ASSERT_EQ(programs.Entries().size(), 1u);
    EXPECT_EQ(programs.Entries()[0].name, "Alle Tests");
    EXPECT_TRUE(run.Empty());
    EXPECT_EQ(log.str(), "");
    // No module stays bound after the search.
    EXPECT_FALSE(ModuleLibraryHeld());
}

// A folder the user may only read (a system-wide copy, a read-only medium)
// is searched like any other. Root may write everywhere, so a root run
// searches in a child process that has become the user "nobody".
TEST_F(CatalogueTest, AFolderTheUserMayOnlyReadIsSearched)
{
    AddModule("fest/R.TST", ModuleInfo{"Schreibgesch\xFCtzt"});
    fs::permissions(folder / "fest", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::permissions(folder.Path(), fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec, fs::perm_options::add);
    const int found = testing::RunInChild(
        [&] {
            constexpr uid_t kNobody = 65534;
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                return 2;
            if (access((folder / "fest").c_str(), W_OK) == 0)
                return 3; // the folder is not read-only for this user
            ScanTestFolder(folder.Path(), host, tests, programs, run, log);
            return tests.ByTitle("Schreibgesch\xC3\xBCtzt") != nullptr ? 0 : 1;
        },
        60);
    fs::permissions(folder / "fest", fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(found, 0) << "1: not listed, 2: cannot become nobody, 3: the folder is writable";
}

TEST_F(CatalogueTest, AModuleWhosePathCannotReachItIsSkippedWithALine)
{
    const std::string longPath = AddModule(std::string(120, 'x') + "/" + std::string(120, 'y') + "/LANG.TST",
                                           ModuleInfo{"Lang"});
    const std::string greekPath = AddModule("\xCE\xA9mega/G.TST", ModuleInfo{"Griechisch"});
    AddModule("\xC3\x9C" "bung/U.TST", ModuleInfo{"Umlaut"});
    ASSERT_GT(longPath.size(), 255u);

    ScanTestFolder(folder.Path(), host, tests, programs, run, log);

    // The folder with an umlaut fits Windows-1252; its module answers
    // nothing because it reads the raw bytes, and is listed by name.
    EXPECT_EQ(Titles(), std::vector<std::string>{"U"});
    EXPECT_NE(log.str().find(longPath + "\n"), std::string::npos) << log.str();
    EXPECT_NE(log.str().find(greekPath + "\n"), std::string::npos) << log.str();
}

TEST_F(CatalogueTest, ARefreshListsTitlesWithPractisedTimeAndScore)
{
    const std::string a = AddModule("A.TST", ModuleInfo{"A-Test"});
    AddModule("B.TST", ModuleInfo{"b-Test"});
    const std::string c = AddModule("C.TST", ModuleInfo{"C-Test", 0});
    const std::string d = AddModule("sub/D.TST", ModuleInfo{"D-Test"});
    // A second module with the same title: listed once, and the one the
    // search met first gives the columns.
    const std::string a2 = AddModule("sub/A2.TST", ModuleInfo{"A-Test"});
    fs::copy_file(ALLE_TESTS_PATH, folder / "Alle Tests.PRG");
    ResultBytes(4).Record(45000.5, 60'000, 87.0).WriteTo(fs::path(a).replace_extension(".RLT"));
    ResultBytes(4).Record(45000.5, 7'200'000, 95.0).WriteTo(fs::path(a2).replace_extension(".RLT"));
    ResultBytes(0).WriteTo(fs::path(c).replace_extension(".RLT"));
    ResultBytes(4).Record(45000.5, 3'000'000, 80.0).Record(45001.5, 900'000, 88.0).WriteTo(fs::path(d).replace_extension(".RLT"));

    // What the lists held before is gone, and their position with it.
    std::vector<std::string> old;
    for (int i = 0; i < 30; ++i)
        old.push_back("Alt " + std::to_string(i));
    for (ui::TMyCustomListBox* list : {&testList, &dauerList, &punkteList}) {
        list->SetSize(list->Width(), 8 * list->RowHeight());
        list->SetLines(old);
        list->SetPosition(5);
    }
    host.Sounds().Add("beep", "beep.wav");

    Refresh();

    EXPECT_EQ(tests.Count(), 5);
    EXPECT_EQ(testList.Lines(), (std::vector<std::string>{"A-Test", "b-Test", "C-Test", "D-Test"}));
    const bool aFirst = tests.ByTitle("A-Test")->modulePath == a;
    EXPECT_TRUE(aFirst || tests.ByTitle("A-Test")->modulePath == a2);
    EXPECT_EQ(dauerList.Lines(), (std::vector<std::string>{aFirst ? "00:01" : "02:00", "00:00", kDash + ":" + kDash, "01:05"}));
    EXPECT_EQ(punkteList.Lines(), (std::vector<std::string>{aFirst ? "87%" : "95%", "0%", kDash, "82%"}));
    EXPECT_EQ(programList.Lines(), std::vector<std::string>{"Alle Tests"});
    EXPECT_EQ(testList.Position(), 0);
    EXPECT_EQ(punkteList.Position(), 0);
    EXPECT_TRUE(host.Sounds().Entries().empty());

    // A score of 82 or less, and no score at all, in the weak colour; the
    // dash has no digits and keeps the normal colour.
    const auto rows = punkteList.Layout();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].textColor, kGreen);
    EXPECT_EQ(rows[1].textColor, kRed);
    EXPECT_EQ(rows[2].textColor, kGreen);
    EXPECT_EQ(rows[3].textColor, kRed);
    EXPECT_EQ(dauerList.Layout()[0].textColor, gdi::Rgb(255, 255, 255));
    EXPECT_FALSE(dauerList.Enabled());
    EXPECT_FALSE(punkteList.Enabled());
    EXPECT_TRUE(testList.Enabled());
}

TEST_F(CatalogueTest, TestsAndAProgramAreNeverSelectedTogether)
{
    AddModule("A.TST", ModuleInfo{"A-Test"});
    AddModule("B.TST", ModuleInfo{"B-Test"});
    AddModule("C.TST", ModuleInfo{"C-Test"});
    fs::copy_file(ALLE_TESTS_PATH, folder / "Alle Tests.PRG");
    fs::copy_file(ALLE_TESTS_PATH, folder / "Zweites.PRG");
    Refresh();
    ASSERT_EQ(programList.Count(), 2);
    EXPECT_EQ(lists.selection.ChooseStart(), StartChoice::Nothing);

    Click(programList, 0);
    EXPECT_EQ(lists.selection.ChooseStart(), StartChoice::Program);

    // Ctrl+click on two tests: the columns follow, the program is dropped.
    Click(testList, 0);
    Click(testList, 2);
    EXPECT_FALSE(programList.IsItemSelected(0));
    EXPECT_TRUE(dauerList.IsItemSelected(0) && punkteList.IsItemSelected(0));
    EXPECT_TRUE(dauerList.IsItemSelected(2) && punkteList.IsItemSelected(2));
    EXPECT_FALSE(dauerList.IsItemSelected(1));

    // Taking one test out again leaves no clicked line, but the other test
    // is still selected and is what the start button starts.
    Click(testList, 2);
    EXPECT_EQ(testList.Selected(), -1);
    EXPECT_FALSE(punkteList.IsItemSelected(2));
    EXPECT_TRUE(punkteList.IsItemSelected(0));
    EXPECT_EQ(lists.selection.ChooseStart(), StartChoice::Tests);

    // A program clears every test, and at most one program is selected.
    Click(programList, 0);
    Click(programList, 1);
    EXPECT_FALSE(programList.IsItemSelected(0));
    EXPECT_TRUE(programList.IsItemSelected(1));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_FALSE(testList.IsItemSelected(i) || dauerList.IsItemSelected(i) || punkteList.IsItemSelected(i));
    EXPECT_EQ(lists.selection.ChooseStart(), StartChoice::Program);
}

TEST_F(CatalogueTest, StartingTestsComposesTheRun)
{
    AddModule("A.TST", ModuleInfo{"A-Test", 1, 60'000, 0, 1000, 600'000});
    AddModule("B.TST", ModuleInfo{"B-Test", 1, 60'000, 0, 1000, 300'000});
    AddModule("N.TST", ModuleInfo{"N-Ohne", 0, 60'000, 0, 1000, 600'000});
    AddModule("M.TST", ModuleInfo{"M-Ohne", 0, 60'000, 0, 1000, 300'000});
    Refresh();
    EXPECT_EQ(Start().outcome, GoOutcome::NothingSelected);

    Select({"A-Test", "B-Test"});
    GoResult go = Start();
    ASSERT_EQ(go.outcome, GoOutcome::ShowTimeDialog);
    EXPECT_EQ(go.proposal.hours, "00");
    EXPECT_EQ(go.proposal.minutes, "15");
    ASSERT_EQ(run.Size(), 2u);
    EXPECT_EQ(run.Entries()[0].CatalogueIndex, tests.IndexOfTitle("A-Test"));
    EXPECT_EQ(run.Entries()[0].DefaultDuration, 600'000);
    EXPECT_EQ(run.Entries()[0].Countdown, 2000);
    EXPECT_EQ(run.Entries()[1].CatalogueIndex, tests.IndexOfTitle("B-Test"));
    EXPECT_EQ(run.Current(), nullptr);
    EXPECT_FALSE(testList.IsItemSelected(0) || dauerList.IsItemSelected(0));
    ASSERT_TRUE(ConfirmRun(run, ConfirmedProgramTime("00", "45"), MakeSeededDraw(1)));
    for (const TRunEntry& e : run.Entries())
        EXPECT_EQ(e.PlannedDuration, e.CatalogueIndex == *tests.IndexOfTitle("A-Test") ? 1'800'000 : 900'000);
    ASSERT_NE(run.Current(), nullptr);

    // A test that keeps no results is dropped from a program...
    Select({"A-Test", "N-Ohne"});
    go = Start();
    ASSERT_EQ(run.Size(), 1u);
    EXPECT_EQ(go.proposal.minutes, "10");
    EXPECT_DOUBLE_EQ(run.Entries()[0].Share, 1.0);

    // ...but runs alone.
    Select({"N-Ohne"});
    go = Start();
    EXPECT_EQ(go.outcome, GoOutcome::ShowTimeDialog);
    EXPECT_EQ(go.proposal.minutes, "10");
    ASSERT_EQ(run.Size(), 1u);

    // Several tests of which none keeps results start nothing.
    Select({"N-Ohne", "M-Ohne"});
    go = Start();
    EXPECT_EQ(go.outcome, GoOutcome::NoTestKeepsResults);
    EXPECT_TRUE(run.Empty());
    EXPECT_FALSE(ConfirmRun(run, 600'000, MakeSeededDraw(1)));
    EXPECT_EQ(run.Current(), nullptr);
}

TEST_F(CatalogueTest, AlleTestsChoosesTheTestsThatKeepResults)
{
    AddModule("A.TST", ModuleInfo{"A-Test", 1, 60'000, 0, 1000, 600'000});
    AddModule("N.TST", ModuleInfo{"N-Ohne", 0});
    AddModule("B.TST", ModuleInfo{"B-Test", 3, 60'000, 0, 1000, 300'000});
    fs::copy_file(ALLE_TESTS_PATH, folder / "Alle Tests.PRG");
    Refresh();
    ASSERT_EQ(programList.Lines(), std::vector<std::string>{"Alle Tests"});

    Click(programList, 0);
    EXPECT_EQ(lists.selection.SelectProgramTests(tests, programs, host), 2);
    ShowSelection(lists);
    EXPECT_TRUE(testList.IsItemSelected(0));   // A-Test
    EXPECT_TRUE(testList.IsItemSelected(1));   // B-Test
    EXPECT_FALSE(testList.IsItemSelected(2));  // N-Ohne
    EXPECT_TRUE(punkteList.IsItemSelected(1));
    EXPECT_FALSE(programList.IsItemSelected(0));

    lists.selection.Clear();
    Click(programList, 0);
    const GoResult go = Start();
    ASSERT_EQ(go.outcome, GoOutcome::ShowTimeDialog);
    EXPECT_EQ(go.proposal.minutes, "15");
    EXPECT_EQ(run.Size(), 2u);

    // A program file that has gone since the search chooses nothing.
    fs::remove(folder / "Alle Tests.PRG");
    Click(programList, 0);
    EXPECT_EQ(Start().outcome, GoOutcome::ProgramChoseNothing);
    for (int32_t i = 0; i < testList.Count(); ++i)
        EXPECT_FALSE(testList.IsItemSelected(i));
}

TEST_F(CatalogueTest, ThumbsScrollTheColumnsTogether)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 20; ++i)
        lines.push_back("Test " + std::to_string(100 + i));
    for (ui::TMyCustomListBox* list : {&testList, &dauerList, &punkteList}) {
        list->SetSize(list->Width(), 8 * list->RowHeight());
        list->SetLines(lines);
    }
    ASSERT_EQ(testList.Max(), 12);

    const ThumbTrack track{100, 300, 26};
    ThumbDrag drag;
    drag.MouseDown(false, 5);
    EXPECT_FALSE(drag.MouseMove(track, 100, 40).has_value());
    drag.MouseDown(true, 5);
    // Dragged far below the track: the thumb stops at its end, the lists
    // at their last position.
    const std::optional<int32_t> bottom = drag.MouseMove(track, 100, 5 + 1000);
    ASSERT_TRUE(bottom.has_value());
    EXPECT_EQ(*bottom, 374);
    ScrollTestColumns(lists, ThumbListPosition(track, *bottom, testList.Max()));
    EXPECT_EQ(testList.Position(), 12);
    EXPECT_EQ(dauerList.Position(), 12);
    EXPECT_EQ(punkteList.Position(), 12);

    EXPECT_EQ(drag.MouseMove(track, 374, -1000), 100);
    EXPECT_EQ(ThumbListPosition(track, 100 + 137, 12), 6);
    EXPECT_EQ(ThumbListPosition(track, 100 + 136, 12), 5);
    drag.MouseUp(true);
    EXPECT_FALSE(drag.Dragging());

    // A track no taller than the thumb scrolls nothing.
    const ThumbTrack tiny{100, 20, 26};
    drag.MouseDown(true, 0);
    EXPECT_EQ(drag.MouseMove(tiny, 100, 50), 100);
    EXPECT_EQ(ThumbListPosition(tiny, 100, 12), 0);

    // The reverse: each position has a thumb top that gives it back.
    for (int32_t p = 0; p <= 12; ++p)
        EXPECT_EQ(ThumbListPosition(track, ThumbTopForPosition(track, p, 12), 12), p);
    EXPECT_EQ(ThumbTopForPosition(track, 1, 12), 100 + 23);
    EXPECT_EQ(ThumbTopForPosition(track, 99, 12), 374);
    EXPECT_EQ(ThumbTopForPosition(tiny, 5, 12), 100);
}

} // namespace
} // namespace kestrava
