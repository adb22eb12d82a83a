// Reading ZEK.ini: defaults, values, and what counts as a bad value.
#include "ZekTestSupport.h"

#include "modules/zek/ZekSettings.h"

namespace kestrava::zek {
namespace {

void ExpectDefaults(const ZekSettings& s)
{
    EXPECT_EQ(s.MinDuration, 60000);
    EXPECT_EQ(s.MaxDuration, 7200000);
    EXPECT_EQ(s.DefaultDuration, 600000);
    EXPECT_EQ(s.Countdown, 2000);
    EXPECT_EQ(s.CycleTime, 20);
    EXPECT_EQ(s.PaintTime, 0);
    EXPECT_EQ(s.Size, 60);
    EXPECT_EQ(s.LCSpeed, 4.0);
    EXPECT_EQ(s.LASpeed, 0.2);
    EXPECT_EQ(s.RCSpeed, 3.0);
    EXPECT_EQ(s.RASpeed, 0.2);
    EXPECT_EQ(s.JoySpeed, 1.0);
    EXPECT_EQ(s.FKeysInterval, 300);
    EXPECT_EQ(s.FKeysTime, 3000);
    EXPECT_EQ(s.MathInterval, 300);
    EXPECT_EQ(s.MathTime, 20000);
}

TEST(ZekSettings, MissingFileAndShippedFileGiveTheDefaults)
{
    ExpectDefaults(ReadZekSettings("/nonexistent/ZEK.ini"));
    {
        SCOPED_TRACE("the ZEK.ini beside the module");
        ExpectDefaults(ReadZekSettings(ZEK_SHIPPED_INI));
    }
}

TEST(ZekSettings, ValuesAreReadAndBadOnesFallBack)
{
    const testing::ScratchFolder folder;
    const std::string path = folder.WriteFile("ZEK.ini",
                                   "[global]\n"
                                   "MIN=120000\n"
                                   "MAX=abc\n"
                                   "DEFAULT=12x\n"
                                   "COUNTDOWN=\n"
                                   "CYCLETIME=0\n"
                                   "[TRACKLING]\n"
                                   "SIZE=99999999999\n"
                                   "LCSPEED=2500\n"
                                   "RASPEED=-100\n"
                                   "PAINTTIME=5\n"
                                   "[FKEYS]\n"
                                   "INTERVAL=7\n"
                                   "[MATH]\n"
                                   "TIME=15000\n");
    const ZekSettings s = ReadZekSettings(path);
    EXPECT_EQ(s.MinDuration, 120000);
    EXPECT_EQ(s.MaxDuration, 7200000);
    EXPECT_EQ(s.DefaultDuration, 600000);
    EXPECT_EQ(s.Countdown, 2000);
    EXPECT_EQ(s.CycleTime, 20) << "a cycle time of 0 would divide by zero";
    EXPECT_EQ(s.Size, 60);
    EXPECT_EQ(s.LCSpeed, 2.5);
    EXPECT_EQ(s.RASpeed, 0.0) << "a turn below zero is held at zero";
    EXPECT_EQ(s.LASpeed, 0.2);
    EXPECT_EQ(s.PaintTime, 5);
    EXPECT_EQ(s.FKeysInterval, 7);
    EXPECT_EQ(s.MathInterval, 300) << "INTERVAL of [FKEYS] is not that of [MATH]";
    EXPECT_EQ(s.FKeysTime, 3000);
    EXPECT_EQ(s.MathTime, 15000);

    const std::string negative = folder.WriteFile("negative.ini", "[GLOBAL]\nCYCLETIME=-5\n");
    EXPECT_EQ(ReadZekSettings(negative).CycleTime, 20);
}

TEST(ZekSettings, ExtremeValuesAreHeldToRangesThatFitTheScreen)
{
    const testing::ScratchFolder folder;
    const std::string path = folder.WriteFile("ZEK.ini",
                                   "[GLOBAL]\nCOUNTDOWN=-2147483648\n"
                                   "[TRACKLING]\nSIZE=2147483647\nLCSPEED=2147483647\nRCSPEED=2147483647\n"
                                   "JOYSPEED=-7\nLASPEED=2147483647\n"
                                   "[FKEYS]\nINTERVAL=-1\nTIME=-5\n[MATH]\nINTERVAL=0\n");
    const ZekSettings s = ReadZekSettings(path);
    EXPECT_EQ(s.Countdown, 0);
    EXPECT_EQ(s.Size, kMaxSize);
    EXPECT_EQ(s.LCSpeed, kMaxSpeed);
    EXPECT_EQ(s.RCSpeed, kMaxSpeed);
    EXPECT_EQ(s.JoySpeed, 0.0);
    EXPECT_EQ(s.LASpeed, kMaxTurn);
    EXPECT_EQ(s.FKeysInterval, 1);
    EXPECT_EQ(s.FKeysTime, 0);
    EXPECT_EQ(s.MathInterval, 1);
    EXPECT_EQ(ReadZekSettings(folder.WriteFile("small.ini", "[TRACKLING]\nSIZE=0\n")).Size, kMinSize);
}

TEST(ZekSettings, DurationsWrittenInSecondsAreHeldToSaneLengths)
{
    const testing::ScratchFolder folder;
    const ZekSettings s = ReadZekSettings(folder.WriteFile("ZEK.ini", "[GLOBAL]\nMIN=10\nMAX=10\nDEFAULT=10\n"));
    EXPECT_EQ(s.MinDuration, kShortestDuration);
    EXPECT_EQ(s.MaxDuration, kShortestMaximum);
    EXPECT_EQ(s.DefaultDuration, kShortestDuration);
    const ZekSettings big = ReadZekSettings(folder.WriteFile("big.ini", "[GLOBAL]\nMIN=900000\nMAX=-1\nDEFAULT=0\n"));
    EXPECT_EQ(big.MaxDuration, 0) << "no limit";
    EXPECT_EQ(big.DefaultDuration, 900000);
    const ZekSettings over = ReadZekSettings(folder.WriteFile("over.ini", "[GLOBAL]\nMIN=90000\nMAX=80000\nDEFAULT=9000000\n"));
    EXPECT_EQ(over.MaxDuration, 90000);
    EXPECT_EQ(over.DefaultDuration, 90000);
}

} // namespace
} // namespace kestrava::zek
