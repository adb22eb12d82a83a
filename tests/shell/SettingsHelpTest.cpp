// The settings window, the two volume bars, the reset of all results and
// the help viewer, played through the whole program in virtual time.
#include "ShellFixture.h"

#include "platform/app/Keys.h"
#include "platform/gdi/Bitmap.h"
#include "ui/Colours.h"

#include <cstring>

namespace kestrava::shell::testing {
namespace {

std::vector<uint8_t> FileBytes(const fs::path& path)
{
    const std::string text = ProgramFolder::ReadAll(path);
    return {text.begin(), text.end()};
}

// A result file with one part and one record of durationMs at overall %.
void WriteResults(const fs::path& path, int32_t durationMs, double overall)
{
    std::string bytes;
    auto put = [&](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); };
    const int32_t parts = 1;
    put(&parts, 4);
    std::string slot(256, '\0');
    slot[0] = 4;
    std::memcpy(&slot[1], "Teil", 4);
    bytes += slot;
    const double stamp = 46000.5;
    put(&stamp, 8);
    put(&overall, 8);
    put(&durationMs, 4);
    bytes.append(4, '\0');
    put(&overall, 8);
    std::ofstream(path, std::ios::binary) << bytes;
}

// A picture whose row y has the colour (y % 256, y / 256, 7), so a pixel
// tells which row of the page it shows.
void WriteRowPicture(const fs::path& path, int32_t width, int32_t height)
{
    gdi::Bitmap picture(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            picture.SetPixel(x, y, gdi::PixelOf(gdi::Rgb(uint8_t(y % 256), uint8_t(y / 256), 7)));
    picture.SetBitsPerPixel(24);
    ASSERT_TRUE(gdi::SaveBmp(path.string(), picture));
}

class SettingsHelpTest : public ShellTest {
protected:
    // A timed fake test in its own folder under TESTS.
    void AddTimedIn(const std::string& sub, const std::string& name, const std::string& title, int defaultMs = 60000)
    {
        fs::create_directories(folder.root / "TESTS" / sub);
        fs::copy_file(TIMED_MODULE_PATH, folder.root / "TESTS" / sub / (name + ".TST"));
        std::ofstream(folder.root / "TESTS" / sub / (name + ".info"))
            << title << '\n'
            << 1 << ' ' << 1000 << ' ' << 0 << ' ' << 1000 << ' ' << defaultMs << ' ' << 0 << '\n';
    }
    void Drag(app::Control& c, int32_t dx, int32_t dy, int32_t toX, int32_t toY, bool release = true)
    {
        const gdi::Rect r = c.ScreenRect();
        backend.PushMouseMove(r.left + dx, r.top + dy);
        backend.PushMouseDown(r.left + dx, r.top + dy);
        backend.PushMouseMove(toX, toY);
        if (release)
            backend.PushMouseUp(toX, toY);
        Pump();
    }
    // A click at picture pixel (x, y) of the help page, as it is scrolled.
    void ClickPage(int32_t x, int32_t y)
    {
        const gdi::Rect r = Hilfe().HilfeImage().ScreenRect();
        backend.PushMouseMove(r.left + x, r.top + y);
        backend.PushClick(r.left + x, r.top + y);
        Pump();
    }
    void ClickLink(const HelpLink& link) { ClickPage((link.left + link.right) / 2, (link.top + link.bottom) / 2); }
    const HelpLink* LinkTo(const std::string& target)
    {
        for (const HelpLink& l : Hilfe().Links())
            if (l.target == target)
                return &l;
        return nullptr;
    }
    void OpenSettings()
    {
        ClickOn(MenuePanel().SettingsButton());
        ASSERT_TRUE(Settings().Visible());
    }
};

TEST_F(SettingsHelpTest, VolumeBarsDragClickAndFollowEachOther)
{
    StartProgram();
    EXPECT_EQ(TestPanel().Regler().Left(), 118) << "no preferences: full volume";
    TVolumeBar& bar = Settings().SettingLautPanel();
    EXPECT_EQ(bar.Thumb().Left(), 118);

    OpenSettings();
    // The window's bottom-left corner lies on the centre of the button, and
    // the menu waits.
    const gdi::Rect button = MenuePanel().SettingsButton().ScreenRect();
    const gdi::Rect window = Settings().ScreenRect();
    EXPECT_EQ(window.left, button.left + 28);
    EXPECT_EQ(window.bottom, button.top + 28);
    EXPECT_FALSE(MenuePanel().GoButton().Enabled());
    EXPECT_FALSE(MenuePanel().TestListBox().Enabled());
    EXPECT_TRUE(Settings().Focused());

    EXPECT_FALSE(bar.Visible());
    ClickOn(Settings().Laut());
    ASSERT_TRUE(bar.Visible()) << "a click on Laut always ends with the pop-up shown";
    ClickOn(Settings().Laut());
    EXPECT_TRUE(bar.Visible());

    // Dragging the thumb far to the left: volume 0 at once, the other thumb
    // follows on release.
    const gdi::Rect thumb = bar.Thumb().ScreenRect();
    Drag(bar.Thumb(), 4, 3, thumb.left - 300, thumb.top + 40, false);
    EXPECT_EQ(bar.Thumb().Left(), 5);
    EXPECT_EQ(haupt->Prefs().volume, 0);
    EXPECT_EQ(haupt->Host().Sounds().MasterVolume(), 0);
    EXPECT_EQ(TestPanel().Regler().Left(), 118) << "the toolbar thumb waits for the release";
    backend.PushMouseUp(thumb.left - 300, thumb.top + 40);
    Pump();
    EXPECT_EQ(TestPanel().Regler().Left(), 5);

    // A click on the track at x = 60.
    ClickOn(bar.Bar(), 60, 12);
    EXPECT_EQ(haupt->Prefs().volume, 34217);
    EXPECT_EQ(haupt->Host().Sounds().MasterVolume(), 34217);
    EXPECT_EQ(bar.Thumb().Left(), 64);
    EXPECT_EQ(TestPanel().Regler().Left(), 64);
    // At the right end of the track: full volume; outside the track: no
    // change, the thumbs stay.
    ClickOn(bar.Bar(), 120, 12);
    EXPECT_EQ(haupt->Prefs().volume, 65535);
    ClickOn(bar.Bar(), 60, 20);
    EXPECT_EQ(haupt->Prefs().volume, 65535);
    EXPECT_EQ(bar.Thumb().Left(), 118);

    // A press on the window's face, or on the menu behind it, hides the pop-up.
    ClickOn(Settings(), 120, 60);
    EXPECT_FALSE(bar.Visible());
    ClickOn(Settings().Laut());
    ASSERT_TRUE(bar.Visible());
    ClickOn(MenuePanel(), 5, MenuePanel().Height() / 2);
    EXPECT_FALSE(bar.Visible());

    // Space closes the window and opens the menu again.
    Type(" ");
    EXPECT_FALSE(Settings().Visible());
    EXPECT_TRUE(MenuePanel().GoButton().Enabled());
    EXPECT_TRUE(MenuePanel().TestListBox().Enabled());
}

TEST_F(SettingsHelpTest, ToolbarVolumeDuringARun)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 60000, 0);
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "01");
    Advance(2100);
    backend.PushMouseMove(300, 10);
    Pump();
    ASSERT_TRUE(TestPanel().Leiste().Visible());
    ClickOn(TestPanel().Lautstaerke());
    ASSERT_TRUE(TestPanel().VolumePanel().Visible());
    ClickOn(TestPanel().VolumePanel().Bar(), 30, 12);
    EXPECT_EQ(haupt->Prefs().volume, 16819); // round(29 x 65535 / 113)
    EXPECT_EQ(TestPanel().Regler().Left(), 34);
    EXPECT_EQ(Settings().SettingLautPanel().Thumb().Left(), 34);
    Drag(TestPanel().Regler(), 4, 3, TestPanel().Regler().ScreenRect().left + 500, 12);
    EXPECT_EQ(haupt->Prefs().volume, 65535);
    EXPECT_EQ(Settings().SettingLautPanel().Thumb().Left(), 118);
    ClickOn(TestPanel().Lautstaerke());
    EXPECT_FALSE(TestPanel().VolumePanel().Visible());
}

TEST_F(SettingsHelpTest, ClockOffWithEscapeHidesTheClockAndSurvivesARestart)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 60000, 0);
    StartProgram();
    OpenSettings();
    EXPECT_TRUE(Settings().Uhr().Pressed());
    ClickOn(Settings().Uhr());
    EXPECT_FALSE(Settings().Uhr().Pressed());
    EXPECT_EQ(haupt->Prefs().clockShown, 0);
    Type("\x1b");
    EXPECT_FALSE(Settings().Visible());

    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "01");
    Advance(2100);
    EXPECT_TRUE(TestPanel().Visible());
    EXPECT_FALSE(TestPanel().UhrPanel().Visible());
    Key(app::VK_ESCAPE);
    Type("j");

    // The exit writes the file.
    ClickOn(MenuePanel().ExitButton());
    Type("j");
    ClickOn(Abspann(), 5, 5);
    ASSERT_TRUE(haupt->Destroyed());
    EXPECT_EQ(FileBytes(folder.root / "velomar.INI"), (std::vector<uint8_t>{0xFF, 0xFF, 0x00, 0x00}));

    // A second start reads it back.
    app::ManualClock clock2{1000};
    app::HeadlessBackend backend2(1024, 768, 32);
    app::Application app2(backend2, clock2);
    std::string error;
    ASSERT_TRUE(app2.Open(error)) << error;
    THaupt::Options options;
    options.programDir = folder.Dir();
    options.programPath = (folder.root / "velomar").string();
    THaupt second(app2, options);
    ASSERT_TRUE(second.Start());
    app2.Loop().AdvanceTime(6000);
    clock2.Settle();
    app2.Loop().RunPending();
    ASSERT_TRUE(second.Created());
    EXPECT_FALSE(testing::Named<TSettings>(app2.MainForm(), "Settings").Uhr().Pressed());
    EXPECT_FALSE(testing::Named<TTestScreen>(app2.MainForm(), "TestPanel").UhrPanel().Visible());
}

TEST_F(SettingsHelpTest, ResetAsksAndDeletesOnlyOnYes)
{
    AddTimedIn("a", "A", "Alpha");
    AddTimedIn("b", "B", "Beta");
    WriteResults(folder.root / "TESTS/a/A.RLT", 3600000, 90.0);
    WriteResults(folder.root / "TESTS/b/B.RLT", 60000, 50.0);
    // Not a module's: stays whatever the answer.
    WriteResults(folder.root / "TESTS/Fremd.RLT", 60000, 50.0);
    StartProgram();
    ASSERT_EQ(MenuePanel().DauerListBox().Lines(), (std::vector<std::string>{"01:00", "00:01"}));
    ASSERT_EQ(MenuePanel().PunkteListBox().Lines(), (std::vector<std::string>{"90%", "50%"}));

    OpenSettings();
    ClickOn(Settings().Reset());
    ASSERT_TRUE(JaNein().Visible());
    EXPECT_TRUE(Asks(kResetQuestion));
    EXPECT_FALSE(Settings().Reset().Enabled());
    EXPECT_FALSE(MenuePanel().Enabled());
    Type("n");
    EXPECT_FALSE(JaNein().Visible());
    EXPECT_TRUE(fs::exists(folder.root / "TESTS/a/A.RLT")) << "No deletes nothing";
    EXPECT_TRUE(Settings().Visible());
    EXPECT_TRUE(Settings().Focused());
    EXPECT_TRUE(Settings().Reset().Enabled());
    EXPECT_TRUE(MenuePanel().Enabled());

    ClickOn(Settings().Reset());
    Type("J");
    EXPECT_FALSE(fs::exists(folder.root / "TESTS/a/A.RLT"));
    EXPECT_FALSE(fs::exists(folder.root / "TESTS/b/B.RLT"));
    EXPECT_TRUE(fs::exists(folder.root / "TESTS/Fremd.RLT"));
    EXPECT_EQ(MenuePanel().DauerListBox().Lines(), (std::vector<std::string>{"00:00", "00:00"}));
    EXPECT_EQ(MenuePanel().PunkteListBox().Lines(), (std::vector<std::string>{"0%", "0%"}));
    EXPECT_TRUE(Settings().Visible());
    EXPECT_TRUE(Settings().Focused());
    EXPECT_TRUE(Settings().Reset().Enabled());
    // The menu stays closed until the settings are.
    EXPECT_FALSE(MenuePanel().GoButton().Enabled());
    ClickOn(Settings().Ok());
    EXPECT_TRUE(MenuePanel().GoButton().Enabled());
}

// ------------------------------------------------------------------ help

class HelpTest : public SettingsHelpTest {
protected:
    // HELP.BMP of the program folder: 374 x topHeight in the page colour.
    void WriteIndexTop(int32_t topHeight)
    {
        gdi::Bitmap top(374, topHeight);
        top.Fill(gdi::PixelOf(ui::colour::kHelpPage));
        top.SetBitsPerPixel(24);
        ASSERT_TRUE(gdi::SaveBmp((folder.root / "HELP.BMP").string(), top));
    }
    void WriteLinks(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
};

TEST_F(HelpTest, TheIndexListsTheGeneralHelpAndEveryTestWithHelp)
{
    AddTimedIn("a", "A", "Alpha");
    AddTimedIn("b", "B", "Beta");
    AddTimedIn("c", "C", "Gamma");
    WriteRowPicture(folder.root / "TESTS/a/HELP1.BMP", 374, 400);
    WriteRowPicture(folder.root / "TESTS/c/help1.bmp", 374, 400); // found in any case
    WriteIndexTop(100);
    StartProgram();
    ClickOn(MenuePanel().FrageButton());
    THilfe& hilfe = Hilfe();
    ASSERT_TRUE(hilfe.Visible());
    EXPECT_FALSE(MenuePanel().Enabled());
    EXPECT_TRUE(hilfe.Focused());
    EXPECT_EQ(hilfe.Page(), "");

    const int32_t th = THilfe::IndexLineHeight();
    EXPECT_EQ(hilfe.Picture().Height(), 100 + 8 * th);
    EXPECT_EQ(hilfe.Picture().Width(), 374);
    ASSERT_EQ(hilfe.Links().size(), 3u);
    EXPECT_EQ(hilfe.Links()[0].target, folder.Dir() + "HELP1");
    EXPECT_EQ(hilfe.Links()[0].top, 130);
    EXPECT_EQ(hilfe.Links()[1].target, folder.Dir() + "TESTS/a/HELP1");
    EXPECT_EQ(hilfe.Links()[1].top, 130 + 2 * th);
    EXPECT_EQ(hilfe.Links()[2].target, folder.Dir() + "TESTS/c/HELP1");
    EXPECT_EQ(hilfe.Links()[2].top, 130 + 3 * th);
    // Navy text inside each link's rectangle, on the page colour; nothing
    // navy outside them.
    const gdi::Bitmap& page = hilfe.Picture();
    for (const HelpLink& l : hilfe.Links()) {
        int navy = 0;
        for (int32_t y = l.top; y <= l.bottom; ++y)
            for (int32_t x = l.left; x <= l.right; ++x)
                navy += page.GetColor(x, y) == gdi::Rgb(0, 0, 128);
        EXPECT_GT(navy, 20) << l.target;
        EXPECT_EQ(page.GetColor(l.right + 3, l.top + 2), ui::colour::kHelpPage);
    }
    EXPECT_EQ(page.GetColor(5, page.Height() - 1), ui::colour::kHelpPage);

    // The hand over a link, the arrow beside it.
    const gdi::Rect r = hilfe.HilfeImage().ScreenRect();
    backend.PushMouseMove(r.left + 25, r.top + 130 + th / 2);
    Pump();
    EXPECT_NE(hilfe.HilfeImage().GetCursor(), nullptr);
    const auto hand = hilfe.HilfeImage().GetCursor();
    backend.PushMouseMove(r.left + 360, r.top + 130 + th / 2);
    Pump();
    EXPECT_NE(hilfe.HilfeImage().GetCursor(), hand);

    // Escape closes; the second opening shows the index again.
    Type("\x1b");
    EXPECT_FALSE(hilfe.Visible());
    EXPECT_TRUE(MenuePanel().Enabled());
    EXPECT_TRUE(hilfe.Links().empty());
    Key(app::VK_F10);
    ASSERT_TRUE(hilfe.Visible());
    EXPECT_EQ(hilfe.Links().size(), 3u);
    ClickOn(hilfe.HilfeOk());
    EXPECT_FALSE(hilfe.Visible());
}

TEST_F(HelpTest, LinksScrollSwitchFoldersAndNeedPressAndReleaseOnTheSameLink)
{
    AddTimedIn("a", "A", "Alpha");
    WriteIndexTop(60);
    WriteRowPicture(folder.root / "HELP1.BMP", 374, 592);
    // Within the page (to 100, and beyond the end), to a test's folder
    // relative to the program folder, outside the program folder, a bad
    // line, and back to the index.
    WriteLinks(folder.root / "HELP1.INI", "10,10,60,30,help1,100\r\n"
                                          "10,40,60,60,HELP1,100000\r\n"
                                          "10,70,60,90,TESTS\\a/HELP1,50\r\n"
                                          "10,100,60,120,..\\..\\etc\\passwd,0\r\n"
                                          "10,130,60,150,HELP1,x\r\n"
                                          "100,10,150,30,\\,0\r\n");
    WriteRowPicture(folder.root / "TESTS/a/HELP1.BMP", 374, 700);
    WriteLinks(folder.root / "TESTS/a/HELP1.INI", "0,0,100,20,HELP2,0\n");
    WriteRowPicture(folder.root / "TESTS/a/HELP2.BMP", 374, 200);
    StartProgram();
    ClickOn(MenuePanel().FrageButton());
    THilfe& hilfe = Hilfe();
    ASSERT_TRUE(hilfe.Visible());
    ClickLink(hilfe.Links()[0]); // "Allgemeine Bedienung"
    ASSERT_EQ(hilfe.Page(), "HELP1");
    EXPECT_EQ(hilfe.BaseFolder(), folder.Dir());
    ASSERT_EQ(hilfe.Links().size(), 5u) << "the line with a bad offset is no link";
    EXPECT_EQ(hilfe.Links()[0].target, "HELP1") << "targets are upper-cased";
    EXPECT_TRUE(hilfe.Regler4().Visible());

    // Press on one link, release on another: nothing.
    const gdi::Rect r = hilfe.HilfeImage().ScreenRect();
    backend.PushMouseMove(r.left + 20, r.top + 20);
    backend.PushMouseDown(r.left + 20, r.top + 20);
    backend.PushMouseMove(r.left + 20, r.top + 50);
    backend.PushMouseUp(r.left + 20, r.top + 50);
    Pump();
    EXPECT_EQ(hilfe.Offset(), 0);
    EXPECT_EQ(hilfe.PressedLink(), nullptr);

    ClickPage(20, 20);
    EXPECT_EQ(hilfe.Offset(), 100);
    EXPECT_EQ(hilfe.Regler4().Top(), 37 + 100);
    // The view shows row 100 at its top.
    const gdi::Rect view = hilfe.HilfeBox().ScreenRect();
    app.Update();
    EXPECT_EQ(backend.Frame().GetColor(view.left + 200, view.top), gdi::Rgb(100, 0, 7));
    hilfe.ScrollTo(0);
    ClickPage(20, 50);
    EXPECT_EQ(hilfe.Offset(), 283) << "kept to the page";
    hilfe.ScrollTo(0);
    ClickPage(20, 110); // outside the program folder: nothing happens
    EXPECT_EQ(hilfe.Page(), "HELP1");
    EXPECT_EQ(hilfe.BaseFolder(), folder.Dir());
    EXPECT_EQ(hilfe.Links().size(), 5u);

    hilfe.ScrollTo(0);
    ClickPage(20, 80); // into the test's folder, 50 px down
    ASSERT_EQ(hilfe.Page(), "HELP1");
    EXPECT_EQ(hilfe.BaseFolder(), folder.Dir() + "TESTS/a/");
    EXPECT_EQ(hilfe.Offset(), 50);
    ASSERT_EQ(hilfe.Links().size(), 1u);
    hilfe.ScrollTo(0);
    ClickPage(50, 10); // HELP2 resolves in the switched folder
    EXPECT_EQ(hilfe.Page(), "HELP2");
    EXPECT_EQ(hilfe.Picture().Height(), 200);
    EXPECT_FALSE(hilfe.Regler4().Visible()) << "a page lower than the view has no thumb";
    EXPECT_TRUE(hilfe.Links().empty());
}

// At the scale 2 the viewer opens the pages drawn at 2x with their own link
// files and writes the index at 2x; a page without a 2x picture opens as
// its 1x pair.
TEST_F(HelpTest, AtScaleTwoThePagesDrawnAtTwoOpenWithTheirOwnLinks)
{
    AddTimedIn("a", "A", "Alpha");
    WriteIndexTop(60);
    WriteRowPicture(folder.root / "HELP@2x.BMP", 748, 120);
    WriteRowPicture(folder.root / "HELP1.BMP", 374, 400);
    WriteLinks(folder.root / "HELP1.INI", "0,0,10,10,HELP1,5\r\n");
    WriteRowPicture(folder.root / "HELP1@2x.BMP", 748, 800);
    WriteLinks(folder.root / "HELP1@2x.INI", "0,0,20,20,HELP1,10\r\n20,40,60,80,TESTS/a/HELP1,0\r\n");
    WriteRowPicture(folder.root / "TESTS/a/HELP1.BMP", 374, 700);
    WriteLinks(folder.root / "TESTS/a/HELP1.INI", "0,0,100,20,\\,0\n");
    StartProgram();
    THilfe& hilfe = Hilfe();
    hilfe.SetPageScale(2);
    ClickOn(MenuePanel().FrageButton());
    ASSERT_TRUE(hilfe.Visible());
    EXPECT_EQ(hilfe.Picture().Width(), 748);
    const int32_t th = hilfe.Links()[0].bottom - hilfe.Links()[0].top;
    EXPECT_GT(th, THilfe::IndexLineHeight() * 19 / 10) << "the index font at twice its height";
    EXPECT_EQ(hilfe.Links()[0].top, 120 + 60);
    EXPECT_EQ(hilfe.Links()[0].left, 40);
    hilfe.Activate(hilfe.Links()[0]);
    EXPECT_EQ(hilfe.Picture().Height(), 800);
    ASSERT_EQ(hilfe.Links().size(), 2u);
    EXPECT_EQ(hilfe.Links()[0].offset, 10);
    EXPECT_EQ(hilfe.ShownScale(), 2);
    hilfe.Activate(hilfe.Links()[1]);
    EXPECT_EQ(hilfe.Picture().Width(), 374);
    EXPECT_EQ(hilfe.ShownScale(), 1);
    ASSERT_EQ(hilfe.Links().size(), 1u);
    EXPECT_EQ(hilfe.Links()[0].right, 100) << "the 1x page keeps its own links";
}

TEST_F(HelpTest, TheThumbScrollsThePage)
{
    WriteIndexTop(60);
    WriteRowPicture(folder.root / "HELP1.BMP", 374, 592);
    StartProgram();
    ClickOn(MenuePanel().FrageButton());
    THilfe& hilfe = Hilfe();
    ClickLink(hilfe.Links()[0]);
    ASSERT_EQ(hilfe.Picture().Height(), 592);
    // 283 px of scrolling move the thumb 283 px.
    hilfe.ScrollTo(283);
    EXPECT_EQ(hilfe.Regler4().Top(), 320);
    hilfe.ScrollTo(0);
    EXPECT_EQ(hilfe.Regler4().Top(), 37);

    // Dragged (past) its bottom: the page's last 309 rows show.
    const gdi::Rect thumb = hilfe.Regler4().ScreenRect();
    Drag(hilfe.Regler4(), 5, 10, thumb.left + 5, thumb.top + 10 + 500);
    EXPECT_EQ(hilfe.Regler4().Top(), 320);
    EXPECT_EQ(hilfe.Offset(), 283);
    app.Update();
    const gdi::Rect view = hilfe.HilfeBox().ScreenRect();
    EXPECT_EQ(backend.Frame().GetColor(view.left + 100, view.top), gdi::Rgb(283 % 256, 1, 7));
    EXPECT_EQ(backend.Frame().GetColor(view.left + 100, view.bottom - 1), gdi::Rgb(591 % 256, 2, 7));
    // And back up by 100 px.
    Drag(hilfe.Regler4(), 5, 10, thumb.left + 5, hilfe.Regler4().ScreenRect().top + 10 - 100);
    EXPECT_EQ(hilfe.Regler4().Top(), 220);
    EXPECT_EQ(hilfe.Offset(), 183);
}

TEST_F(HelpTest, TheWheelAndKeysScrollThePageAndTheThumbFollows)
{
    WriteIndexTop(60);
    WriteRowPicture(folder.root / "HELP1.BMP", 374, 1000); // 691 px to scroll
    WriteLinks(folder.root / "HELP1.INI", "10,70,60,90,HELP1,0\n");
    StartProgram();
    ClickOn(MenuePanel().FrageButton());
    THilfe& hilfe = Hilfe();
    ClickLink(hilfe.Links()[0]);
    ASSERT_EQ(hilfe.MaxOffset(), 691);
    const gdi::Rect view = hilfe.HilfeBox().ScreenRect();
    auto wheel = [&](const gdi::Rect& over, int32_t notches) {
        backend.PushMouseMove(over.left + 15, over.top + 15);
        backend.PushWheel(over.left + 15, over.top + 15, notches);
        Pump();
    };
    auto scrolled = [&](int32_t offset, int32_t thumbTop) {
        EXPECT_EQ(hilfe.Offset(), offset);
        EXPECT_EQ(hilfe.Regler4().Top(), thumbTop) << "at offset " << offset;
    };
    EXPECT_NE(hilfe.HilfeImage().GetCursor(), hilfe.Regler4().GetCursor());
    wheel(view, -1); // a notch towards the user: three lines down
    scrolled(60, 37 + 25); // round(60 x 283 / 691) = 25
    app.Update();
    EXPECT_EQ(backend.Frame().GetColor(view.left + 200, view.top), gdi::Rgb(60, 0, 7));
    // The link came under the resting mouse: the hand shows.
    EXPECT_EQ(hilfe.HilfeImage().GetCursor(), hilfe.Regler4().GetCursor());
    wheel(hilfe.Regler4().ScreenRect(), 2); // over the thumb: back to the top, and no further
    scrolled(0, 37);
    Key(app::VK_DOWN);
    Key(app::VK_DOWN);
    Key(app::VK_UP);
    scrolled(20, 37 + 8);
    Key(app::VK_NEXT);
    scrolled(20 + 289, 37 + 127);
    Key(app::VK_END);
    scrolled(691, 320);
    wheel(hilfe.HilfeOk().ScreenRect(), -1);
    Key(app::VK_DOWN);
    Key(app::VK_NEXT);
    scrolled(691, 320);
    Key(app::VK_PRIOR);
    scrolled(691 - 289, 37 + 165);
    Key(app::VK_HOME);
    scrolled(0, 37);
    Key(app::VK_UP);
    Key(app::VK_PRIOR);
    scrolled(0, 37);
    // The space bar still closes the viewer.
    backend.PushTypedKey(app::VK_SPACE, 32);
    Pump();
    EXPECT_FALSE(hilfe.Visible());
}

TEST_F(HelpTest, MissingOrBrokenPicturesShowAnEmptyPage)
{
    // No HELP.BMP: the index still lists its lines.
    WriteLinks(folder.root / "HELP1.BMP", "this is not a picture");
    StartProgram();
    ClickOn(MenuePanel().FrageButton());
    THilfe& hilfe = Hilfe();
    ASSERT_TRUE(hilfe.Visible());
    EXPECT_EQ(hilfe.Picture().Height(), 6 * THilfe::IndexLineHeight());
    ClickLink(hilfe.Links()[0]);
    EXPECT_EQ(hilfe.Page(), "HELP1");
    EXPECT_EQ(hilfe.Picture().Height(), 0);
    EXPECT_FALSE(hilfe.Regler4().Visible());
    Type("\r");
    EXPECT_FALSE(hilfe.Visible());
}

TEST_F(HelpTest, HelpDuringARunPausesTheTestUnlessPauseWasPressed)
{
    AddTimedIn("a", "A", "Alpha", 600000);
    AddTimedIn("n", "N", "Nohelp", 600000);
    WriteIndexTop(60);
    WriteRowPicture(folder.root / "TESTS/a/HELP1.BMP", 374, 400);
    WriteLinks(folder.root / "TESTS/a/HELP1.INI", "0,0,100,20,\\,0\n");
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "10");
    Advance(2000 + 5000);
    ASSERT_TRUE(haupt->TicksRunning());
    const int32_t before = haupt->TickCount();

    Key(app::VK_F10);
    THilfe& hilfe = Hilfe();
    ASSERT_TRUE(hilfe.Visible());
    EXPECT_TRUE(TestPanel().Frage().Pressed());
    EXPECT_EQ(hilfe.Page(), "HELP1");
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_TRUE(haupt->Host().Blocked());
    EXPECT_FALSE(TestPanel().Enabled());
    const int32_t stopped = haupt->TickCount();
    EXPECT_GE(stopped, before);
    Advance(3000);
    EXPECT_EQ(haupt->TickCount(), stopped) << "the test clock stands while the help is open";
    // Escape belongs to the help, not the abort question.
    Key(app::VK_ESCAPE);
    EXPECT_FALSE(JaNein().Visible());

    // "\" leads to the index, also here.
    ClickPage(50, 10);
    EXPECT_EQ(hilfe.Page(), "");
    ASSERT_FALSE(hilfe.Links().empty());
    EXPECT_EQ(hilfe.Links()[0].target, folder.Dir() + "HELP1");

    Type("\x1b");
    EXPECT_FALSE(hilfe.Visible());
    EXPECT_FALSE(TestPanel().Frage().Pressed());
    EXPECT_TRUE(haupt->TicksRunning());
    EXPECT_FALSE(haupt->Host().Blocked());
    Advance(1000);
    EXPECT_EQ(haupt->TickCount(), stopped + 100);

    // Paused first: the help leaves it paused.
    Key(app::VK_PAUSE);
    ASSERT_TRUE(TestPanel().Pause().Pressed());
    backend.PushMouseMove(300, 10);
    Pump();
    ClickOn(TestPanel().Frage());
    ASSERT_TRUE(hilfe.Visible());
    ClickOn(hilfe.HilfeOk());
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_TRUE(haupt->Host().Blocked());
    EXPECT_TRUE(TestPanel().Enabled());
    Key(app::VK_PAUSE);
    EXPECT_TRUE(haupt->TicksRunning());
}

TEST_F(HelpTest, ATestWithoutHelpLetsTheButtonSpringBack)
{
    AddTimedIn("n", "N", "Nohelp", 600000);
    StartProgram();
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "10");
    Advance(2100);
    Key(app::VK_F10);
    EXPECT_FALSE(Hilfe().Visible());
    EXPECT_FALSE(TestPanel().Frage().Pressed());
    EXPECT_TRUE(haupt->TicksRunning());
}

} // namespace
} // namespace kestrava::shell::testing
