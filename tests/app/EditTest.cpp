// The one-line edit: typing, caret keys, the length limit, the whole-text
// selection, the veto of a key press, and the events around focus.
#include "AppFixture.h"

namespace kestrava::app::testing {
namespace {

class EditTest : public AppTest {
protected:
    EditTest()
    {
        Place(edit, 10, 10, 120, 24);
        Place(other, 10, 50, 120, 24);
        edit.autoSelect = false;
        edit.OnChange = [this] { ++changes; };
        edit.SetFocus();
    }
    Edit edit;
    Edit other;
    int changes = 0;
};

TEST_F(EditTest, TypingInsertsAtTheCaretWhichTheKeysMove)
{
    Type("abd");
    EXPECT_EQ(edit.Text(), "abd");
    EXPECT_EQ(edit.CaretPos(), 3u);
    Key(VK_LEFT);
    Type("c");
    EXPECT_EQ(edit.Text(), "abcd");
    Key(VK_HOME);
    Key(VK_LEFT); // stays at the start
    Type(">");
    Key(VK_END);
    Key(VK_RIGHT); // stays at the end
    Type("<");
    EXPECT_EQ(edit.Text(), ">abcd<");
    EXPECT_EQ(changes, 6);
}

TEST_F(EditTest, BackspaceAndDeleteRemoveOneCharacterEachSideOfTheCaret)
{
    Type("12345");
    Key(VK_LEFT);
    Key(VK_LEFT);
    Type("\b");           // removes 3
    Key(VK_DELETE);       // removes 4
    EXPECT_EQ(edit.Text(), "125");
    EXPECT_EQ(edit.CaretPos(), 2u);
    Key(VK_HOME);
    Type("\b"); // nothing before the caret
    Key(VK_END);
    Key(VK_DELETE); // nothing after it
    EXPECT_EQ(edit.Text(), "125");
    EXPECT_EQ(changes, 7);
}

TEST_F(EditTest, MaxLengthLimitsTypingNotSetText)
{
    edit.SetMaxLength(2);
    Type("123");
    EXPECT_EQ(edit.Text(), "12");
    edit.SetText("12345");
    EXPECT_EQ(edit.Text(), "12345");
    Type("6");
    EXPECT_EQ(edit.Text(), "12345");
}

TEST_F(EditTest, ControlCharactersAreNotText)
{
    Type("a\r\x1b\tb");
    EXPECT_EQ(edit.Text(), "ab");
}

TEST_F(EditTest, TypedWindows1252CharactersComeOutAsUtf8)
{
    edit.SetText("Gr\xC3\xBC\xC3\x9F"); // "Grüß"
    EXPECT_EQ(edit.Text1252(), "Gr\xFC\xDF");
    backend.PushChar(0x80); // the euro sign
    Pump();
    EXPECT_EQ(edit.Text(), "Gr\xC3\xBC\xC3\x9F\xE2\x82\xAC");
}

TEST_F(EditTest, KeyPressHandlerMayVetoOrReplaceACharacter)
{
    edit.OnKeyPress = [](uint8_t& ch) {
        if (ch < '0' || ch > '9')
            ch = (ch == ',') ? '.' : 0;
    };
    Type("1x2,5");
    EXPECT_EQ(edit.Text(), "12.5");
}

TEST_F(EditTest, SelectedTextIsReplacedByTypingAndCleared)
{
    edit.SetText("0815");
    edit.SelectAll();
    Type("7");
    EXPECT_EQ(edit.Text(), "7");
    edit.SelectAll();
    Type("\b");
    EXPECT_EQ(edit.Text(), "");
    edit.SetText("99");
    edit.SelectAll();
    Key(VK_HOME); // a caret key ends the selection
    Type("1");
    EXPECT_EQ(edit.Text(), "199");
}

TEST_F(EditTest, AutoSelectOnFocusAndExitWhenFocusLeaves)
{
    int exits = 0;
    edit.OnExit = [&] { ++exits; };
    other.SetText("30");
    Click(20, 60); // into the other edit
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(other.Focused());
    // Focus by keyboard selects the whole text; a click places the caret.
    edit.SetFocus();
    other.SetFocus();
    EXPECT_TRUE(other.AllSelected());
    Type("45");
    EXPECT_EQ(other.Text(), "45");
    EXPECT_EQ(exits, 2);
}

TEST_F(EditTest, ClickPlacesTheCaretNearestTheClickedBoundary)
{
    edit.SetText("iiiiiiii");
    Click(11, 20); // left of the first character
    EXPECT_EQ(edit.CaretPos(), 0u);
    Click(129, 20); // beyond the last
    EXPECT_EQ(edit.CaretPos(), 8u);
}

} // namespace
} // namespace kestrava::app::testing
