// The menu's selection as data: the click rules and what the start acts on.
#include "host/catalogue/MenuSelection.h"

#include <gtest/gtest.h>

namespace kestrava {
namespace {

std::vector<bool> TestMarks(const MenuSelection& s) { return s.Tests().marks; }

TEST(MenuSelectionTest, ClicksFollowTheListRules)
{
    MenuSelection s;
    s.SetLines({"A", "B", "C"}, {"P", "Q"});
    EXPECT_EQ(s.ChooseStart(), StartChoice::Nothing);

    s.ClickTest(0, false);
    s.ClickTest(2, true);
    EXPECT_EQ(TestMarks(s), (std::vector<bool>{true, false, true}));
    s.ClickTest(1, false);  // a plain click selects only its line
    EXPECT_EQ(TestMarks(s), (std::vector<bool>{false, true, false}));
    s.ClickTest(-1, true);  // Ctrl past the lines changes nothing
    EXPECT_EQ(TestMarks(s), (std::vector<bool>{false, true, false}));

    // A program drops the tests, a test drops the program.
    s.ClickProgram(1, true);
    EXPECT_EQ(s.Program(), 1);
    EXPECT_FALSE(s.Tests().Any());
    EXPECT_EQ(s.ChooseStart(), StartChoice::Program);
    s.ClickProgram(0, true);  // at most one program
    EXPECT_EQ(s.Program(), 0);
    s.ClickProgram(0, true);  // Ctrl on the selected program takes it out
    EXPECT_EQ(s.Program(), std::nullopt);
    s.ClickProgram(0, false);
    s.ClickProgram(-1, true);
    EXPECT_EQ(s.Program(), 0);
    s.ClickTest(-1, false);  // a plain click past the tests keeps the program
    EXPECT_EQ(s.Program(), 0);
    s.ClickProgram(-1, false);
    EXPECT_EQ(s.Program(), std::nullopt);

    // Taking a test out of a selection leaves the others to start.
    s.ClickTest(0, false);
    s.ClickTest(1, true);
    s.ClickTest(0, true);
    EXPECT_EQ(s.ChooseStart(), StartChoice::Tests);
    EXPECT_EQ(s.TakeSelectedTests(), std::vector<std::string>{"B"});
    EXPECT_EQ(s.ChooseStart(), StartChoice::Nothing);

    s.ClickTest(2, false);
    s.SetLines({"A"}, {});  // new lines: nothing selected
    EXPECT_EQ(TestMarks(s), std::vector<bool>{false});
    s.ClickTest(5, false);
    s.ClickProgram(0, false);
    EXPECT_EQ(s.ChooseStart(), StartChoice::Nothing);
}

} // namespace
} // namespace kestrava
