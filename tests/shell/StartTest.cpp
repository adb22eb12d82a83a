// The program's start and end: the splash, the screen check, the layout on
// the smallest and a common screen, the refused close, the exit question,
// the credits and the preferences file they leave behind.
#include "ShellFixture.h"

#include "host/shell/TestArea.h"
#include "platform/app/Keys.h"
#include "tests/support/Fifo.h"

#include <chrono>
#include <cmath>


namespace kestrava::shell::testing {
namespace {

std::vector<uint8_t> Bytes(const fs::path& path)
{
    const std::string text = ProgramFolder::ReadAll(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

class StartTest : public ShellTest {};

TEST_F(StartTest, SplashStaysFiveSecondsAndItsBarStopsShortOfTheEnd)
{
    folder.AddZek();
    MakeProgram();
    ASSERT_TRUE(haupt->Start());
    ASSERT_NE(Splash(), nullptr);
    EXPECT_TRUE(backend.NumLock()) << "Num Lock on from the start";
    Advance(4900);
    TSplashScreen* splash = Splash();
    ASSERT_NE(splash, nullptr);
    EXPECT_FALSE(MenuePanel().Visible());
    EXPECT_DOUBLE_EQ(splash->Position(), 0.6);
    Advance(100);
    splash = Splash();
    ASSERT_NE(splash, nullptr);
    EXPECT_NEAR(splash->Position(), 0.7, 1e-9);
    EXPECT_EQ(splash->FilledRight(), 46 + 314);
    Advance(300);
    EXPECT_EQ(Splash(), nullptr);
    EXPECT_TRUE(MenuePanel().Visible());
    EXPECT_TRUE(haupt->Created());
}

TEST_F(StartTest, LayoutOnTenTwentyFourBySevenSixtyEight)
{
    StartProgram();
    EXPECT_EQ(MenuePanel().MenueMitte().Height(), 300);
    EXPECT_EQ(MenuePanel().MenueOben().Top(), 141);
    EXPECT_EQ(MenuePanel().MenueOben().Left(), (1024 - 635) / 2);
    EXPECT_EQ(TestPanel().CallBackPanel1().Bounds(), (gdi::Rect{50, 50, 50 + 924, 50 + 693}));
    EXPECT_DOUBLE_EQ(haupt->Host().Status().Scale, 924.0 / 800.0);
    EXPECT_EQ(MenuePanel().TestListBox().Top(), MenuePanel().MenueMitte().Top() + 9);
    EXPECT_EQ(MenuePanel().GoButton().Top(), MenuePanel().MenueUnten().Top() + 59);
    EXPECT_EQ(MenuePanel().ExitButton().Left(), MenuePanel().MenueUnten().Left() + 306);
    EXPECT_EQ(Abspann().Leinwand().Bounds(), (gdi::Rect{272, 294, 752, 474}));
}

class SmallScreenTest : public ShellTest {
protected:
    SmallScreenTest() : ShellTest(800, 600) {}
};

TEST_F(SmallScreenTest, LayoutOnEightHundredBySixHundred)
{
    StartProgram();
    EXPECT_EQ(MenuePanel().MenueMitte().Height(), 145);
    EXPECT_EQ(MenuePanel().MenueOben().Top(), 135);
    EXPECT_EQ(TestPanel().CallBackPanel1().Bounds(), (gdi::Rect{50, 50, 750, 575}));
}

class TinyScreenTest : public ShellTest {
protected:
    TinyScreenTest() : ShellTest(640, 480) {}
};

TEST_F(TinyScreenTest, ScreenBelowTheMinimumEndsWithTheMessage)
{
    MakeProgram();
    EXPECT_FALSE(haupt->Start());
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(backend.MessageBoxes()[0].text,
              "Diese Auflösung wird nicht unterstützt!\n\nMindestanforderung:\n800x600 bei 16Bit!");
}

TEST_F(StartTest, MissingArtworkStopsTheStartNamingTheFile)
{
    fs::remove(folder.root / "skin" / "GoButton_Down.bmp");
    MakeProgram();
    EXPECT_FALSE(haupt->Start());
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_NE(backend.MessageBoxes()[0].text.find("GoButton_Down.bmp"), std::string::npos)
        << backend.MessageBoxes()[0].text;
}

// 3840 x 2160 and 2560 x 1600: the menu and the bar at the user-interface
// scale 2 and 1.5, the test area by its own rule, the pictures drawn for the
// scale and none standing in for another.
class LargeScreenTest : public ShellTest, public ::testing::WithParamInterface<std::pair<int32_t, int32_t>> {
protected:
    LargeScreenTest() : ShellTest(GetParam().first, GetParam().second) {}
    double K() const { return GetParam().first == 3840 ? 2.0 : 1.5; }
    int32_t At(int32_t v) const { return static_cast<int32_t>(std::lround(v * K())); }
};

TEST_P(LargeScreenTest, MenuAndBarAreLaidOutAtTheScaleAndTheTestAreaByItsRule)
{
    StartProgram();
    EXPECT_EQ(MenuePanel().MenueOben().Width(), At(635));
    EXPECT_EQ(MenuePanel().MenueMitte().Height(), At(300));
    EXPECT_EQ(MenuePanel().GoButton().Top(), MenuePanel().MenueUnten().Top() + At(59));
    EXPECT_EQ(MenuePanel().ExitButton().Left(), MenuePanel().MenueUnten().Left() + At(306));
    EXPECT_EQ(MenuePanel().GoButton().Width(), At(56)); // its picture drawn at the scale
    EXPECT_EQ(TestPanel().Leiste().Height(), At(50));
    const AreaSize area = FitTestArea({672, 504}, GetParam().first, GetParam().second);
    EXPECT_EQ(TestPanel().CallBackPanel1().Bounds(),
              (gdi::Rect{(GetParam().first - area.width) / 2, 50, (GetParam().first + area.width) / 2, 50 + area.height}));
    EXPECT_DOUBLE_EQ(haupt->Host().Status().Scale, area.width / 800.0);
}

TEST_P(LargeScreenTest, AMissingScaledPictureStopsTheStartThoughThePictureAtOneIsThere)
{
    const std::string name = std::string("GoButton_Down") + (K() == 2.0 ? "@2x" : "@1.5x") + ".bmp";
    fs::remove(folder.root / "skin" / name);
    ASSERT_TRUE(fs::exists(folder.root / "skin" / "GoButton_Down.bmp"));
    MakeProgram();
    EXPECT_FALSE(haupt->Start());
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_NE(backend.MessageBoxes()[0].text.find(name), std::string::npos) << backend.MessageBoxes()[0].text;
}

INSTANTIATE_TEST_SUITE_P(Scales, LargeScreenTest, ::testing::Values(std::pair{3840, 2160}, std::pair{2560, 1600}),
                         [](const auto& size) {
                             return std::to_string(size.param.first) + "x" + std::to_string(size.param.second);
                         });

TEST_F(StartTest, AFifoInPlaceOfASkinPictureStopsTheStartAtOnceNamingTheFile)
{
    kestrava::testing::FifoInPlace fifo((folder.root / "skin" / "GoButton_Down.bmp").string());
    ASSERT_TRUE(fifo.Made());
    const auto start = std::chrono::steady_clock::now();
    MakeProgram();
    EXPECT_FALSE(haupt->Start());
    EXPECT_LT(std::chrono::steady_clock::now() - start, kestrava::testing::FifoInPlace::kRelease);
    EXPECT_FALSE(fifo.ReleasedAReader());
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_NE(backend.MessageBoxes()[0].text.find("GoButton_Down.bmp"), std::string::npos)
        << backend.MessageBoxes()[0].text;
}

TEST_F(StartTest, FifosInPlaceOfTheModuleSettingsAndTheCursorsDoNotHoldTheStart)
{
    folder.AddZek();
    kestrava::testing::FifoInPlace settings((folder.root / "TESTS" / "ZEK.ini").string());
    kestrava::testing::FifoInPlace hand((folder.root / "HAND.CUR").string());
    kestrava::testing::FifoInPlace busy((folder.root / "FLIEGE.ANI").string());
    ASSERT_TRUE(settings.Made() && hand.Made() && busy.Made());
    const auto start = std::chrono::steady_clock::now();
    StartProgram();
    EXPECT_LT(std::chrono::steady_clock::now() - start, kestrava::testing::FifoInPlace::kRelease);
    EXPECT_FALSE(settings.ReleasedAReader() || hand.ReleasedAReader() || busy.ReleasedAReader());
    EXPECT_EQ(MenuePanel().TestListBox().Lines(), std::vector<std::string>{"ZEK-Test"});
}

TEST_F(StartTest, AResultFileOfGigabytesReadsLikeADamagedOneAndTheMenuOpens)
{
    folder.AddZek();
    const fs::path results = folder.root / "TESTS" / "ZEK.RLT";
    {
        // A header of four parts and a record of zeros, then a hole.
        std::string bytes(4 + 4 * 256 + 56, '\0');
        bytes[0] = 4;
        std::ofstream(results, std::ios::binary) << bytes;
    }
    fs::resize_file(results, uint64_t{3} << 30);
    StartProgram();
    EXPECT_EQ(MenuePanel().TestListBox().Lines(), std::vector<std::string>{"ZEK-Test"});
    EXPECT_EQ(MenuePanel().DauerListBox().Lines().at(0), "00:00");
    EXPECT_EQ(MenuePanel().PunkteListBox().Lines().at(0), "0%");
    EXPECT_EQ(fs::file_size(results), uint64_t{3} << 30) << "a damaged file is left as it is";
}

TEST_F(StartTest, PreferencesFromTheFileSetTheClockAndTheVolumeThumb)
{
    // Volume 0, clock hidden.
    {
        std::FILE* f = std::fopen((folder.root / "velomar.INI").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const uint8_t bytes[4] = {0x00, 0x00, 0x00, 0x00};
        std::fwrite(bytes, 1, 4, f);
        std::fclose(f);
    }
    StartProgram();
    EXPECT_FALSE(TestPanel().UhrPanel().Visible());
    EXPECT_EQ(TestPanel().Regler().Left(), 5);
    EXPECT_EQ(haupt->Prefs().volume, 0);
}

TEST_F(StartTest, WithoutAPreferencesFileTheDefaultsHold)
{
    StartProgram();
    EXPECT_TRUE(TestPanel().UhrPanel().Visible());
    EXPECT_EQ(TestPanel().Regler().Left(), 118);
}

TEST_F(StartTest, CloseRequestsAreRefusedUntilTheCreditsEnd)
{
    StartProgram();
    backend.PushQuit(); // Alt+F4, or the desktop's close
    Pump();
    EXPECT_FALSE(app.Loop().QuitRequested());
    EXPECT_FALSE(haupt->Destroyed());
}

TEST_F(StartTest, ExitQuestionNoThenYesPlaysTheCreditsAndSavesThePreferences)
{
    backend.SetNumLock(false);
    StartProgram();
    ClickOn(MenuePanel().ExitButton());
    ASSERT_TRUE(JaNein().Visible());
    EXPECT_TRUE(Asks(kExitQuestion));
    EXPECT_FALSE(MenuePanel().Enabled());
    Type("n");
    EXPECT_FALSE(JaNein().Visible());
    EXPECT_TRUE(MenuePanel().ExitButton().Enabled());
    EXPECT_TRUE(MenuePanel().Enabled());

    ClickOn(MenuePanel().ExitButton());
    Type("J");
    ASSERT_TRUE(Abspann().Visible());
    EXPECT_TRUE(Abspann().Leinwand().Playing());
    Advance(3000);
    EXPECT_GT(Abspann().Leinwand().FramesShown(), 50);
    EXPECT_FALSE(haupt->Destroyed());
    Advance(10000);
    EXPECT_TRUE(haupt->Destroyed()) << "the video's end closes the program";
    EXPECT_TRUE(app.Loop().QuitRequested());
    EXPECT_EQ(Bytes(folder.root / "velomar.INI"), (std::vector<uint8_t>{0xFF, 0xFF, 0x01, 0x00}));
    EXPECT_FALSE(backend.NumLock()) << "the old Num Lock state comes back";
}

TEST_F(StartTest, AClickEndsTheCreditsAtOnce)
{
    StartProgram();
    ClickOn(MenuePanel().ExitButton());
    Type("j");
    ASSERT_TRUE(Abspann().Visible());
    Advance(500);
    ClickOn(Abspann(), 5, 5);
    EXPECT_TRUE(haupt->Destroyed());
    EXPECT_TRUE(fs::exists(folder.root / "velomar.INI"));
}

TEST_F(StartTest, CreditsThatCannotBePlayedEndTheProgramAtOnce)
{
    fs::remove(folder.root / "FLIEGE.AVI");
    StartProgram();
    ClickOn(MenuePanel().ExitButton());
    Type("\r");
    Pump();
    EXPECT_TRUE(haupt->Destroyed());
}

} // namespace
} // namespace kestrava::shell::testing
