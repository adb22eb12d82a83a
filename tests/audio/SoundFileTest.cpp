// Wave files as the player gets them: the exact conversions to 16-bit
// 44100 Hz, and damaged or hostile files refused or taken as far as valid.
#include "WaveBuilder.h"
#include "audio/SoundFile.h"
#include "tests/support/Fifo.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kestrava::audio {
namespace {

using testing::TempFolder;
using testing::WaveBytes;
using testing::WriteWave;

TEST(SoundFileTest, EightBitSamplesSpanTheWholeRange)
{
    TempFolder dir;
    WaveBytes w;
    w.Header();
    w.Format(1, 44100, 8);
    w.Data8({255, 0, 128, 127, 1});
    w.Write(dir.root / "e.wav");
    TSoundFile s((dir.root / "e.wav").string());
    ASSERT_TRUE(s.Loaded()) << s.Error();
    EXPECT_EQ(s.data, (std::vector<int16_t>{32767, -32768, 128, -129, -32511}));
}

TEST(SoundFileTest, LowerRatesAreFilledWithRoundedMidpoints)
{
    TempFolder dir;
    // Midpoints of odd sums are ties and go to the even neighbour:
    // (0, 1) -> 0, (1, 2) -> 2, (-3, -2) -> -2.
    const std::vector<int16_t> src{0, 1, 2, -3, -2, 32767, -32768};
    TSoundFile half(WriteWave(dir.root / "h.wav", 1, 22050, src).string());
    ASSERT_TRUE(half.Loaded()) << half.Error();
    EXPECT_EQ(half.data, (std::vector<int16_t>{0, 0, 1, 2, 2, 0, -3, -2, -2, 16382, 32767, 0, -32768}));
    EXPECT_EQ(half.data.size(), 2 * src.size() - 1);

    TSoundFile quarter(WriteWave(dir.root / "q.wav", 1, 11025, {0, 400, -400}).string());
    ASSERT_TRUE(quarter.Loaded());
    EXPECT_EQ(quarter.data, (std::vector<int16_t>{0, 100, 200, 300, 400, 200, 0, -200, -400}));
    EXPECT_EQ(quarter.data.size(), 4u * 3u - 3u);

    // Stereo: each side between its own neighbours.
    TSoundFile stereo(WriteWave(dir.root / "s.wav", 2, 22050, {0, 100, 10, -100}).string());
    ASSERT_TRUE(stereo.Loaded());
    EXPECT_TRUE(stereo.stereo);
    EXPECT_EQ(stereo.data, (std::vector<int16_t>{0, 100, 5, 0, 10, -100}));
}

TEST(SoundFileTest, DamagedFilesAreRefusedOrTakenAsFarAsValid)
{
    TempFolder dir;
    auto load = [&](const WaveBytes& w, const char* name) {
        w.Write(dir.root / name);
        return std::make_unique<TSoundFile>((dir.root / name).string());
    };
    {
        WaveBytes w; // samples before their format
        w.Header();
        w.Data16({1, 2});
        w.Format(1, 44100, 16);
        EXPECT_FALSE(load(w, "order.wav")->Loaded());
    }
    {
        WaveBytes w; // not PCM, three channels, 12 bits, 48000 Hz
        for (auto [ch, rate, bits, tag] : {std::tuple{1, 44100, 16, 3}, {3, 44100, 16, 1}, {1, 44100, 12, 1},
                                           {1, 48000, 16, 1}}) {
            w.bytes.clear();
            w.Header();
            w.Format(uint16_t(ch), uint32_t(rate), uint16_t(bits), uint16_t(tag));
            w.Data16({1});
            EXPECT_FALSE(load(w, "fmt.wav")->Loaded()) << ch << " " << rate << " " << bits << " " << tag;
        }
    }
    {
        WaveBytes w; // a format chunk too short, a file that is not RIFF
        w.Header();
        w.Id("fmt "), w.U32(8), w.U32(0), w.U32(0);
        EXPECT_FALSE(load(w, "short.wav")->Loaded());
        w.bytes = {'R', 'I', 'F'};
        EXPECT_FALSE(load(w, "tiny.wav")->Loaded());
        EXPECT_FALSE(TSoundFile((dir.root / "missing.wav").string()).Loaded());
    }
    {
        // A 16-bit data chunk without one whole sample is a silent sound
        // (found by fuzzing: the empty copy was undefined behaviour).
        for (uint32_t size : {0u, 1u}) {
            WaveBytes w;
            w.Header();
            w.Format(1, 22050, 16);
            w.Id("data"), w.U32(size);
            w.bytes.insert(w.bytes.end(), size + (size & 1), 0);
            const auto sound = load(w, "nosample.wav");
            EXPECT_TRUE(sound->Loaded()) << size;
            EXPECT_TRUE(sound->data.empty()) << size;
        }
    }
    {
        // An odd-sized chunk is followed by its pad byte; an odd-length
        // 16-bit chunk loses its half sample; a chunk claiming more than the
        // file holds is read as far as the file goes.
        WaveBytes w;
        w.Header();
        w.Id("LIST"), w.U32(3), w.bytes.insert(w.bytes.end(), {'a', 'b', 'c', 0});
        w.Format(1, 44100, 16, 1, 18);
        w.Id("data"), w.U32(5), w.U16(7), w.U16(8), w.bytes.push_back(9), w.bytes.push_back(0);
        w.Id("data"), w.U32(1000000), w.U16(uint16_t(-5));
        auto s = load(w, "odd.wav");
        ASSERT_TRUE(s->Loaded()) << s->Error();
        EXPECT_EQ(s->data, (std::vector<int16_t>{7, 8, -5}));
    }
    {
        // A stereo file ending in half a frame keeps the whole frames.
        WaveBytes w;
        w.Header();
        w.Format(2, 22050, 16);
        w.Data16({1, 2, 3, 4, 5});
        auto s = load(w, "half.wav");
        ASSERT_TRUE(s->Loaded());
        EXPECT_EQ(s->data.size(), 6u);
    }
}

TEST(SoundFileTest, ASoundThatIsAFifoIsRefusedAtOnce)
{
    TempFolder dir;
    kestrava::testing::FifoInPlace fifo((dir.root / "KLICK.WAV").string());
    ASSERT_TRUE(fifo.Made());
    const auto start = std::chrono::steady_clock::now();
    TSoundFile s((dir.root / "KLICK.WAV").string());
    EXPECT_LT(std::chrono::steady_clock::now() - start, kestrava::testing::FifoInPlace::kRelease);
    EXPECT_FALSE(fifo.ReleasedAReader());
    EXPECT_FALSE(s.Loaded());
    EXPECT_NE(s.Error().find("not a regular file"), std::string::npos) << s.Error();
}

TEST(SoundFileTest, LongFilesStreamAndSurviveShrinkingWhilePlaying)
{
    TempFolder dir;
    std::vector<int16_t> samples(kStreamThreshold / 2 + 1000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(i % 1000);
    WaveBytes w;
    w.Header();
    w.Format(1, 44100, 16);
    w.Data16(samples);
    w.Id("LIST"), w.U32(4), w.U32(0xDEADBEEF); // not sound: never played
    const auto path = dir.root / "long.wav";
    w.Write(path);
    TSoundFile s(path.string());
    ASSERT_TRUE(s.Loaded()) << s.Error();
    ASSERT_TRUE(s.streamed);
    EXPECT_TRUE(s.data.empty());

    std::vector<int16_t> chunk;
    s.ReadChunk(2000, chunk, false);
    ASSERT_EQ(chunk.size(), 1000u);
    EXPECT_EQ(chunk[999], 999);
    EXPECT_FALSE(s.StreamAtStart());
    // Read up to the last chunk: it ends with the data chunk, not the file.
    size_t total = 1000;
    while (!s.StreamAtStart()) {
        s.ReadChunk(65536, chunk, false);
        total += chunk.size();
    }
    EXPECT_EQ(total, samples.size());
    EXPECT_EQ(chunk.back(), int16_t((samples.size() - 1) % 1000));

    // The file shrinks to an odd length in the middle of the samples.
    s.ReadChunk(20000, chunk, false);
    std::filesystem::resize_file(path, 44 + 25001);
    s.ReadChunk(20000, chunk, false);
    EXPECT_EQ(chunk.size(), 2500u) << "the rest of what the file still holds, without its half sample";
    EXPECT_TRUE(s.StreamAtStart());
    // Looping over a file that shrank to nothing: silence, not a hang.
    std::filesystem::resize_file(path, 20);
    s.ReadChunk(20000, chunk, true);
    EXPECT_TRUE(chunk.empty());
    EXPECT_TRUE(s.StreamAtStart());
}

} // namespace
} // namespace kestrava::audio
