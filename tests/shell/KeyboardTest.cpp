// Every screen from the keyboard alone: the focus order of each screen and
// what each key does there, and that the mouse's frames stay as they were.
#include "ShellFixture.h"

#include "platform/app/Keys.h"

#include <cctype>

namespace kestrava::shell::testing {
namespace {

class KeyboardTest : public ShellTest {
protected:
    // A key as the keyboard gives it: down, its character (if it types
    // one), up.
    void Press(uint32_t vk, uint8_t ch = 0, bool shift = false)
    {
        app::Modifiers mods;
        mods.shift = shift;
        if (ch != 0)
            backend.PushTypedKey(vk, ch, mods);
        else
            backend.PushKey(vk, mods);
        Pump();
    }
    void Tab(int times = 1, bool shift = false)
    {
        for (int i = 0; i < times; ++i)
            Press(app::VK_TAB, 9, shift);
    }
    void Enter() { Press(app::VK_RETURN, 13); }
    void Space() { Press(app::VK_SPACE, 32); }
    void Escape() { Press(app::VK_ESCAPE, 27); }
    app::Control* Focus() { return app.FocusedControl(); }
    void StartWithTests(int count)
    {
        for (int i = 0; i < count; ++i)
            folder.AddTimed(std::string(1, char('A' + i)) + std::to_string(i / 26), "Test " + std::to_string(100 + i),
                            1, 1000, 0, 1000, 20000, 0);
        StartProgram();
    }
};

TEST_F(KeyboardTest, MenuTabOrderRunsThroughBothListsAndTheButtonsLeftToRight)
{
    StartWithTests(3);
    TMenu& m = MenuePanel();
    EXPECT_EQ(Focus(), &m.TestListBox());
    EXPECT_EQ(m.TestListBox().FocusLine(), 0);
    EXPECT_FALSE(app.FocusVisible()) << "nothing shows until a key is used";
    // The program list has no line here, and the resume button is disabled
    // without a saved run: both are left out.
    std::vector<app::Control*> order{&m.GoButton(), &m.FrageButton(), &m.SettingsButton(), &m.DetailButton(),
                                     &m.ExitButton()};
    std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->Left() < b->Left(); });
    order.push_back(&m.TestListBox());
    for (app::Control* want : order) {
        Tab();
        EXPECT_EQ(Focus(), want) << want->Name();
    }
    EXPECT_TRUE(app.FocusVisible());
    Tab(1, true);
    EXPECT_EQ(Focus(), order[order.size() - 2]);
}

TEST_F(KeyboardTest, MenuArrowsMoveTheFocusLineSpaceTogglesAndEnterStartsTheFocusLine)
{
    StartWithTests(30);
    ui::TMyCustomListBox& list = MenuePanel().TestListBox();
    Press(app::VK_DOWN);
    EXPECT_EQ(list.FocusLine(), 1);
    Press(app::VK_END);
    EXPECT_EQ(list.FocusLine(), 29);
    EXPECT_GT(list.Position(), 0) << "the list scrolls to the focus line";
    EXPECT_EQ(MenuePanel().DauerListBox().Position(), list.Position());
    EXPECT_GT(MenuePanel().Regler1().Top(), MenuePanel().Regler1().track().top) << "the thumb follows";
    Press(app::VK_PRIOR);
    EXPECT_EQ(list.FocusLine(), 29 - list.PageLines());
    Press(app::VK_HOME);
    EXPECT_EQ(list.FocusLine(), 0);
    EXPECT_EQ(list.Position(), 0);
    Space();
    Press(app::VK_DOWN);
    Space(); // as a Ctrl+click: both lines
    EXPECT_TRUE(list.IsItemSelected(0));
    EXPECT_TRUE(list.IsItemSelected(1));
    Space();
    EXPECT_FALSE(list.IsItemSelected(1));
    Space();
    Enter(); // the selection starts
    ASSERT_TRUE(Zeiteinstellung().Visible());
    EXPECT_TRUE(Zeiteinstellung().Stunden().Focused());
    EXPECT_EQ(haupt->Run().Size(), 2u);
    Escape();
    ASSERT_FALSE(Zeiteinstellung().Visible());
    MenuePanel().ClearSelection();
    Press(app::VK_DOWN); // nothing selected: Enter starts the focus line's test alone
    ASSERT_EQ(list.FocusLine(), 2);
    Enter();
    ASSERT_TRUE(Zeiteinstellung().Visible());
    ASSERT_EQ(haupt->Run().Size(), 1u);
    EXPECT_EQ(haupt->Run().Entries()[0].CatalogueIndex, haupt->Catalogue().IndexOfTitle(list.Lines()[2]));
}

TEST_F(KeyboardTest, EscapeAndTheDesktopsCloseAskTheExitQuestionWhichArrowsAndEnterAnswer)
{
    StartWithTests(1);
    Escape();
    ASSERT_TRUE(Asks(kExitQuestion));
    EXPECT_TRUE(JaNein().JaButton().Focused());
    Press(app::VK_RIGHT);
    EXPECT_TRUE(JaNein().NeinButton().Focused());
    Enter(); // on Nein
    EXPECT_FALSE(JaNein().Visible());
    EXPECT_FALSE(Abspann().Visible());
    backend.PushQuit(); // Alt+F4
    Pump();
    ASSERT_TRUE(Asks(kExitQuestion));
    EXPECT_FALSE(haupt->Destroyed());
    Tab();
    EXPECT_TRUE(JaNein().NeinButton().Focused());
    Press(app::VK_LEFT);
    Enter(); // on Ja
    EXPECT_TRUE(Abspann().Visible());
}

TEST_F(KeyboardTest, SettingsTabThroughTheButtonsAndTheVolumeBarTheClockTakesSpaceEnterCloses)
{
    StartWithTests(1);
    TMenu& m = MenuePanel();
    while (Focus() != &m.SettingsButton())
        Tab();
    Enter();
    ASSERT_TRUE(Settings().Visible());
    TSettings& s = Settings();
    EXPECT_EQ(Focus(), &s.Ok());
    Tab(2);
    EXPECT_EQ(Focus(), &s.Laut());
    Space();
    ASSERT_TRUE(s.SettingLautPanel().Visible());
    Tab();
    ASSERT_EQ(Focus(), &s.SettingLautPanel());
    Press(app::VK_LEFT);
    EXPECT_EQ(s.SettingLautPanel().Thumb().Left(), VolumeThumbLeft(65535 - TVolumeBar::kKeyStep));
    EXPECT_EQ(TestPanel().VolumePanel().Thumb().Left(), s.SettingLautPanel().Thumb().Left());
    Press(app::VK_HOME);
    EXPECT_EQ(s.SettingLautPanel().Thumb().Left(), kVolumeThumbMin);
    Press(app::VK_RIGHT);
    EXPECT_EQ(s.SettingLautPanel().Thumb().Left(), VolumeThumbLeft(TVolumeBar::kKeyStep));
    Press(app::VK_END);
    EXPECT_EQ(s.SettingLautPanel().Thumb().Left(), kVolumeThumbMax);
    Tab();
    EXPECT_EQ(Focus(), &s.Uhr());
    const bool clockOn = s.Uhr().Pressed();
    Space();
    EXPECT_NE(s.Uhr().Pressed(), clockOn);
    Enter(); // a switch leaves Enter to the dialog: it closes
    EXPECT_FALSE(s.Visible());
    EXPECT_NE(s.Uhr().Pressed(), clockOn);
    EXPECT_NE(TestPanel().UhrPanel().Visible(), clockOn);
}

TEST_F(KeyboardTest, EvaluationTabsThroughItsFiveButtonsEnterPressesEscapeCloses)
{
    StartWithTests(1);
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().DetailButton());
    TAuswertung& a = Auswertung();
    ASSERT_TRUE(a.Visible());
    EXPECT_EQ(Focus(), &a.Allgemein());
    std::vector<app::Control*> order;
    for (app::Control* b : std::initializer_list<app::Control*>{&a.Verlauf(), &a.TestDetails(), &a.Lernkurve(),
                                                                 &a.AuswertungZurueck(), &a.Allgemein()})
        if (b->Enabled())
            order.push_back(b); // the learning curve needs two days
    for (app::Control* want : order) {
        Tab();
        EXPECT_EQ(Focus(), want) << want->Name();
    }
    Tab(2);
    ASSERT_EQ(Focus(), &a.TestDetails());
    Enter();
    ASSERT_GE(a.AuswertungsListBox().Lines().size(), 3u);
    EXPECT_EQ(a.AuswertungsListBox().Lines()[2], "<tab>Sie haben diesen Test noch nie absolviert!");
    while (Focus() != &a.AuswertungZurueck())
        Tab();
    Space();
    EXPECT_FALSE(a.Visible());
}

TEST_F(KeyboardTest, HelpTabReachesTheLinksEnterFollowsOneEscapeCloses)
{
    StartWithTests(1);
    Press(app::VK_F10);
    ASSERT_TRUE(Hilfe().Visible());
    ASSERT_FALSE(Hilfe().Links().empty());
    EXPECT_EQ(Focus(), &Hilfe().HilfeOk());
    Tab();
    EXPECT_EQ(Focus(), &Hilfe().HilfeImage());
    EXPECT_EQ(Hilfe().FocusedLink(), 0);
    const size_t links = Hilfe().Links().size();
    Tab(int(links));
    EXPECT_EQ(Focus(), &Hilfe().HilfeOk()) << "past the last link";
    Tab(1, true);
    EXPECT_EQ(Hilfe().FocusedLink(), int32_t(links) - 1);
    Tab(int(links) - 1, true);
    ASSERT_EQ(Hilfe().FocusedLink(), 0);
    Enter();
    EXPECT_EQ(Hilfe().Page(), "HELP1");
    EXPECT_TRUE(Hilfe().Visible());
    Escape();
    EXPECT_FALSE(Hilfe().Visible());
}

TEST_F(KeyboardTest, DuringATestTabIsTheModulesKeyAndMovesNoFocus)
{
    StartOneMinuteOfAlpha();
    Advance(3000);
    app::Control* before = Focus();
    Tab();
    EXPECT_EQ(Focus(), before);
    EXPECT_FALSE(app.FocusVisible());
    EXPECT_EQ(Count(folder.Log("A"), "keydown 9"), 1);
}

TEST_F(KeyboardTest, AClickAfterTheKeysLeavesTheMousesPixels)
{
    StartWithTests(3);
    backend.PushMouseMove(1, 1);
    Pump();
    const std::vector<gdi::Pixel> mouse(backend.Frame().Row(0), backend.Frame().Row(0) + 1024 * 768);
    Press(app::VK_DOWN);
    const std::vector<gdi::Pixel> keys(backend.Frame().Row(0), backend.Frame().Row(0) + 1024 * 768);
    EXPECT_NE(keys, mouse) << "the focus frame shows";
    backend.PushClick(1, 1); // the menu's frame: takes no focus
    backend.PushMouseMove(1, 1);
    Pump();
    const std::vector<gdi::Pixel> after(backend.Frame().Row(0), backend.Frame().Row(0) + 1024 * 768);
    EXPECT_EQ(after, mouse);
}

} // namespace
} // namespace kestrava::shell::testing
