// The sound service through the whole program in virtual time: a test
// module loads, plays, pans, stops and unloads named sounds found beside
// it; the samples the headless device is handed are the expected mix at
// the user's volume; the module hears MSG_SOUNDEND; pause and abort
// silence the output, and the end of the test frees every slot.
#include "ShellFixture.h"

#include "../audio/WaveBuilder.h"
#include "platform/app/Keys.h"
#include "platform/headless/NullWaveOut.h"

namespace kestrava::shell::testing {
namespace {

using Frame = std::pair<int16_t, int16_t>;

class SoundRunTest : public ShellTest {
protected:
    SoundRunTest()
    {
        makeWaveOut = [this]() -> std::unique_ptr<app::WaveOutDevice> {
            auto d = std::make_unique<headless::NullWaveOut>(
                [this](std::function<void()> fn) { app.Loop().Post(std::move(fn)); }, /*autoComplete=*/false);
            if (!device)
                device = d.get();
            return d;
        };
    }
    // Plays n queued buffers, letting the program refill each.
    void PlayBuffers(int n)
    {
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(device->CompleteNext()) << "buffer " << i;
            Pump();
        }
    }
    std::vector<Frame> Frames() const
    {
        const std::vector<uint8_t> bytes = device->Played();
        std::vector<Frame> frames;
        for (size_t i = 0; i + 3 < bytes.size(); i += 4)
            frames.emplace_back(int16_t(bytes[i] | bytes[i + 1] << 8), int16_t(bytes[i + 2] | bytes[i + 3] << 8));
        return frames;
    }
    void AdvanceToElapsed(uint32_t ms)
    {
        for (int i = 0; i < 1000 && haupt->Host().Status().ElapsedMs < ms; ++i)
            Advance(10);
    }
    headless::NullWaveOut* device = nullptr;
};

constexpr size_t kFrames = 2048; // one 8192-byte buffer

TEST_F(SoundRunTest, AModulePlaysNamedSoundsAtTheUsersVolume)
{
    fs::copy_file(SOUND_MODULE_PATH, folder.root / "TESTS" / "S.TST");
    std::ofstream(folder.root / "TESTS" / "S.info") << "Klang\n1 1000 0 1000 20000 1000\n";
    // The tone: 4410 samples switching between +6000 and -6000 every 50;
    // the click: 100 samples at 22050 Hz, 199 once converted.
    std::vector<int16_t> tone(4410);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = (i / 50) % 2 ? -6000 : 6000;
    fs::create_directories(folder.root / "TESTS" / "sounds");
    audio::testing::WriteWave(folder.root / "TESTS" / "sounds" / "tone.wav", 1, 44100, tone);
    audio::testing::WriteWave(folder.root / "TESTS" / "CLICK.WAV", 1, 22050, std::vector<int16_t>(100, 12000));
    audio::testing::WriteWave(folder.root / "TESTS" / "sounds" / "click.txt", 1, 44100, {1});
    {
        std::ofstream prefs(folder.root / "velomar.INI", std::ios::binary); // the user's volume: 32768
        prefs.write("\x00\x80\x01\x00", 4);
    }
    StartProgram();
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->IsOpen());
    EXPECT_TRUE(device->Paused()) << "paused while no test runs";
    EXPECT_EQ(device->Queued(), 4u);

    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "01");
    EXPECT_FALSE(device->Paused());
    AdvanceToElapsed(10);
    const std::string log = folder.Log("S");
    ASSERT_EQ(Count(log, "play tone 0 click 1 none -1"), 1) << log;

    PlayBuffers(8); // four silent buffers from the start, then four mixed
    std::vector<Frame> frames = Frames();
    ASSERT_EQ(frames.size(), 8 * kFrames);
    const size_t m = 4 * kFrames;
    for (size_t f = 0; f < m; ++f)
        ASSERT_EQ(frames[f], Frame(0, 0)) << "frame " << f;
    // The tone at 32768/65535 of 32768 in the centre: 6000 -> 1500 on both
    // sides; the click at 32768 on the right only: 12000 -> 6000.
    EXPECT_EQ(frames[m], Frame(1500, 7500));
    EXPECT_EQ(frames[m + 49], Frame(1500, 7500));
    EXPECT_EQ(frames[m + 50], Frame(-1500, 4500));
    EXPECT_EQ(frames[m + 198], Frame(-1500, 4500));
    EXPECT_EQ(frames[m + 199], Frame(-1500, -1500));
    EXPECT_EQ(frames[m + 4409], Frame(1500, 1500));
    for (size_t f = m + 4410; f < frames.size(); ++f)
        ASSERT_EQ(frames[f], Frame(0, 0)) << "frame " << f;
    Pump();
    const std::string ended = folder.Log("S");
    EXPECT_EQ(Count(ended, "soundend 1 at"), 1) << ended;
    EXPECT_EQ(Count(ended, "soundend 0 at"), 1) << ended;
    audio::TPlayAudio& player = *haupt->PlayAudio1();
    EXPECT_FALSE(player.HoldsSound(1)) << "the click's temporary slot is free again";
    EXPECT_TRUE(player.HoldsSound(0)) << "the loaded tone keeps its slot";

    // At 1 s the tone again, full left at the module's full volume; one
    // buffer of it is mixed, then the module stops and unloads it.
    AdvanceToElapsed(1000);
    EXPECT_EQ(Count(folder.Log("S"), "again 0"), 1);
    PlayBuffers(1);
    AdvanceToElapsed(1030);
    EXPECT_FALSE(player.HoldsSound(0));
    PlayBuffers(7);
    frames = Frames();
    const size_t a = 12 * kFrames;
    EXPECT_EQ(frames[a], Frame(3000, 0));
    EXPECT_EQ(frames[a + kFrames - 1], Frame(3000, 0));
    EXPECT_EQ(frames[a + 50], Frame(-3000, 0));
    for (size_t f = a + kFrames; f < frames.size(); ++f)
        ASSERT_EQ(frames[f], Frame(0, 0)) << "frame " << f << ": the stopped tone goes on";

    // Pause and the abort question silence the output; the answer no
    // brings it back; yes ends the test with every slot free.
    Key(app::VK_PAUSE);
    EXPECT_TRUE(device->Paused());
    EXPECT_FALSE(device->CompleteNext());
    Key(app::VK_PAUSE);
    EXPECT_FALSE(device->Paused());
    Key(app::VK_ESCAPE);
    EXPECT_TRUE(device->Paused());
    Type("n");
    EXPECT_FALSE(device->Paused());
    Key(app::VK_ESCAPE);
    Type("J");
    EXPECT_TRUE(MenuePanel().Visible());
    EXPECT_TRUE(device->Paused());
    for (int32_t s = 0; s < audio::SoundPlayer::kSlots; ++s)
        EXPECT_FALSE(player.HoldsSound(s)) << s;
    EXPECT_EQ(Count(folder.Log("S"), "stop"), 1);

    haupt.reset(); // shutdown stops the output before its device goes
}

TEST_F(SoundRunTest, WithoutADeviceTheProgramRunsSilent)
{
    makeWaveOut = nullptr;
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    StartProgram();
    ASSERT_NE(haupt->PlayAudio1(), nullptr);
    EXPECT_FALSE(haupt->PlayAudio1()->LastError().empty());
    ClickLine(MenuePanel().TestListBox(), 0);
    ClickOn(MenuePanel().GoButton());
    StartRun("00", "01");
    for (int step = 0; step < 7000 && TestPanel().Visible(); ++step)
        Advance(10);
    EXPECT_EQ(Count(folder.Log("A"), "end"), 1);
    EXPECT_TRUE(MenuePanel().Visible());
}

} // namespace
} // namespace kestrava::shell::testing
