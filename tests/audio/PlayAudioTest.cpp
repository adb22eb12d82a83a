// The mixer sample by sample: volume, balance, the limiter and its
// recovery, looping, streaming, slots freed when their sound ends and the
// notice that reports it, and files that failed to load.
#include "WaveBuilder.h"
#include "audio/PlayAudio.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrava::audio {
namespace {

using testing::PostQueue;
using testing::TempFolder;
using testing::WaveBytes;
using testing::WriteWave;

struct Mixer {
    PostQueue queue;
    TPlayAudio player{nullptr, queue.Poster()};
    std::vector<uint8_t> ended;
    Mixer()
    {
        player.OnTerminate = [this](uint8_t slot) { ended.push_back(slot); };
    }
    // Mixes frames and returns them as left/right pairs.
    std::vector<std::pair<int16_t, int16_t>> Mix(uint32_t frames)
    {
        std::vector<uint8_t> buffer(frames * 4);
        uint32_t size = frames * 4;
        EXPECT_TRUE(player.FillHandler(buffer.data(), size));
        std::vector<std::pair<int16_t, int16_t>> out;
        for (uint32_t f = 0; f < size / 4; ++f)
            out.emplace_back(int16_t(buffer[f * 4] | buffer[f * 4 + 1] << 8),
                             int16_t(buffer[f * 4 + 2] | buffer[f * 4 + 3] << 8));
        return out;
    }
};

TEST(PlayAudioTest, LimiterScalesAtOnceAndRecoversWithinAThousandFrames)
{
    TempFolder dir;
    Mixer m;
    const int32_t a = m.player.AddSound(WriteWave(dir.root / "a.wav", 1, 44100, std::vector<int16_t>(3000, 20000)).string());
    const int32_t b = m.player.AddSound(WriteWave(dir.root / "b.wav", 1, 44100, std::vector<int16_t>(10, 20000)).string());
    m.player.Start(a, 0, 65535, false);
    m.player.Start(b, 0, 65535, false);
    const auto out = m.Mix(1200);
    for (int f = 0; f < 10; ++f)
        ASSERT_EQ(out[size_t(f)], std::make_pair(int16_t(32767), int16_t(32767))) << "frame " << f;
    // Alone again, the one sound comes back by 0.001 of gain per frame.
    EXPECT_LT(out[10].first, 17000);
    for (size_t f = 11; f < out.size(); ++f)
        ASSERT_GE(out[f].first, out[f - 1].first) << "frame " << f;
    EXPECT_EQ(out[10 + 1000].first, 20000);
    EXPECT_EQ(out[10 + 1000].second, 20000);
}

TEST(PlayAudioTest, VolumeAndBalance)
{
    TempFolder dir;
    const std::string mono = WriteWave(dir.root / "m.wav", 1, 44100, std::vector<int16_t>(100, 10000)).string();
    struct Case {
        int16_t pan;
        uint16_t volume;
        int16_t left, right;
    };
    for (const Case c : {Case{0, 65535, 10000, 10000}, Case{32767, 65535, 0, 10000}, Case{-32768, 65535, 10000, 0},
                         Case{0, 32768, 5000, 5000}, Case{0, 0, 0, 0}, Case{16384, 65535, 5000, 10000}}) {
        Mixer m;
        const int32_t slot = m.player.AddSound(mono);
        m.player.Start(slot, c.pan, c.volume, false);
        const auto out = m.Mix(4);
        EXPECT_EQ(out[3], std::make_pair(c.left, c.right)) << "pan " << c.pan << " volume " << c.volume;
    }
    // A stereo sound keeps its sides apart.
    Mixer m;
    const int32_t slot = m.player.AddSound(WriteWave(dir.root / "s.wav", 2, 44100, {100, -200, 300, -400}).string());
    m.player.Start(slot, 0, 65535, false);
    const auto out = m.Mix(3);
    EXPECT_EQ(out[0], std::make_pair(int16_t(100), int16_t(-200)));
    EXPECT_EQ(out[1], std::make_pair(int16_t(300), int16_t(-400)));
    EXPECT_EQ(out[2], std::make_pair(int16_t(0), int16_t(0)));
}

TEST(PlayAudioTest, SlotsEndLoopAndFree)
{
    TempFolder dir;
    const std::string beep = WriteWave(dir.root / "b.wav", 1, 44100, {1000, 2000, 3000}).string();
    Mixer m;
    for (int32_t i = 0; i < SoundPlayer::kSlots; ++i)
        ASSERT_EQ(m.player.AddSound(beep), i);
    EXPECT_EQ(m.player.AddSound(beep), -1) << "a seventeenth sound";
    for (int32_t i = 0; i < SoundPlayer::kSlots; ++i)
        m.player.Start(i, 0, 4096, false);
    m.player.SetTemporary(5, false);
    m.player.Start(6, 0, 4096, true); // looping: never ends
    m.Mix(64);
    EXPECT_TRUE(m.ended.empty()) << "the notice comes through the user-interface queue";
    m.queue.Run();
    EXPECT_EQ(m.ended.size(), 15u);
    // Temporary slots are free again; the permanent one is rewound.
    for (int32_t i = 0; i < SoundPlayer::kSlots; ++i)
        EXPECT_EQ(m.player.HoldsSound(i), i == 5 || i == 6) << i;
    EXPECT_TRUE(m.player.IsPlaying(6));
    EXPECT_EQ(m.player.AddSound(beep), 0);

    // The looping sound repeats its three samples.
    m.player.StopSound(0);
    EXPECT_FALSE(m.player.HoldsSound(0)) << "a stopped temporary slot is freed";
    m.player.StopSound(5);
    const auto out = m.Mix(6);
    for (size_t f = 0; f < 3; ++f) {
        EXPECT_NE(out[f].first, 0);
        EXPECT_EQ(out[f], out[f + 3]) << "frame " << f;
    }
    m.player.StopSound(6);
    EXPECT_FALSE(m.player.HoldsSound(6)) << "a temporary slot goes when it is stopped";

    // A file that failed to load takes its slot and plays as silence.
    Mixer bad;
    const int32_t slot = bad.player.AddSound((dir.root / "missing.wav").string());
    ASSERT_EQ(slot, 0);
    EXPECT_FALSE(bad.player.SoundLoaded(slot));
    bad.player.Start(slot, 0, 65535, false);
    const auto silent = bad.Mix(8);
    for (const auto& frame : silent)
        EXPECT_EQ(frame, std::make_pair(int16_t(0), int16_t(0)));
    bad.queue.Run();
    EXPECT_EQ(bad.ended, std::vector<uint8_t>{0});
}

TEST(PlayAudioTest, StreamedSoundPlaysItsFileToTheEnd)
{
    TempFolder dir;
    std::vector<int16_t> samples(kStreamThreshold / 2 + 3001);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t((i * 37) % 20001 - 10000);
    Mixer m;
    const int32_t slot = m.player.AddSound(WriteWave(dir.root / "long.wav", 2, 44100, samples).string());
    m.player.Start(slot, 0, 65535, false);
    std::vector<int16_t> heard;
    for (int i = 0; i < 200 && m.ended.empty(); ++i) {
        for (const auto& [l, r] : m.Mix(2048))
            heard.push_back(l), heard.push_back(r);
        m.queue.Run();
    }
    ASSERT_EQ(m.ended, std::vector<uint8_t>{uint8_t(slot)});
    ASSERT_GE(heard.size(), samples.size() - 1);
    for (size_t i = 0; i + 1 < samples.size(); ++i)
        ASSERT_EQ(heard[i], samples[i]) << "sample " << i;
    EXPECT_FALSE(m.player.HoldsSound(slot));
}

} // namespace
} // namespace kestrava::audio
