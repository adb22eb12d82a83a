// The wave output engine on the headless device: the buffer ring turning in
// order with every refill on the user-interface queue, draining, stopping,
// pausing, and the failures with their texts.
#include "WaveBuilder.h"
#include "audio/AudioIO.h"
#include "platform/headless/NullWaveOut.h"

#include <gtest/gtest.h>

namespace kestrava::audio {
namespace {

using testing::PostQueue;

struct Engine {
    PostQueue queue;
    headless::NullWaveOut device{queue.Poster(), /*autoComplete=*/false};
    TAudioOut out{&device, queue.Poster()};
};

TEST(AudioIOTest, PropertiesClampAndBuffersHoldWholeFrames)
{
    Engine e;
    TAudioOut& out = e.out;
    EXPECT_EQ(out.BufferSize(), 8192);
    EXPECT_EQ(out.NumBuffers(), 4);
    out.SetStereo(true);
    out.SetBufferSize(1000);
    EXPECT_EQ(out.ActualBufferSize(), 1000u);
    out.SetBufferSize(1001);
    EXPECT_EQ(out.ActualBufferSize(), 1000u);
    out.SetBufferSize(100);
    EXPECT_EQ(out.BufferSize(), 512);
    out.SetNumBuffers(1);
    EXPECT_EQ(out.NumBuffers(), 2);
    out.SetNumBuffers(9);
    EXPECT_EQ(out.NumBuffers(), 4);
    out.SetQuantization(12);
    EXPECT_EQ(out.Quantization(), 16);
    out.SetQuantization(4);
    EXPECT_EQ(out.Quantization(), 8);
    out.SetQuantization(8);
    out.SetStereo(false);
    out.SetBufferSize(1001); // one byte per frame: nothing to cut
    EXPECT_EQ(out.ActualBufferSize(), 1001u);

    // Fewer buffers first, then more: the ring still finds all of them.
    out.SetNumBuffers(2);
    out.SetBufferSize(600);
    out.SetNumBuffers(4);
    out.OnFillBuffer = [](uint8_t* b, uint32_t& size) {
        std::fill(b, b + size, uint8_t(0x11));
        return true;
    };
    ASSERT_TRUE(out.StartOutput()) << out.LastError();
    EXPECT_EQ(e.device.Queued(), 4u);
}

TEST(AudioIOTest, StartFailuresSayWhy)
{
    Engine e;
    e.out.OnFillBuffer = [](uint8_t*, uint32_t&) { return true; };
    ASSERT_TRUE(e.out.StartOutput());
    EXPECT_FALSE(e.out.StartOutput());
    EXPECT_EQ(e.out.LastError(), "Wave output device is already open");

    Engine refusing;
    refusing.out.OnFillBuffer = [](uint8_t*, uint32_t&) { return false; };
    EXPECT_FALSE(refusing.out.StartOutput());
    EXPECT_EQ(refusing.out.LastError(), "There must be at least one filled buffer");
    EXPECT_FALSE(refusing.device.IsOpen());
    EXPECT_FALSE(refusing.out.IsOpen());

    PostQueue queue;
    TAudioOut silent(nullptr, queue.Poster());
    silent.OnFillBuffer = [](uint8_t*, uint32_t&) { return true; };
    EXPECT_FALSE(silent.StartOutput());
    EXPECT_FALSE(silent.LastError().empty());
    silent.SetPaused(true); // nothing to pause, nothing breaks
    silent.StopNow();
}

TEST(AudioIOTest, RingTurnsInOrderRefilledOnlyThroughTheQueue)
{
    Engine e;
    e.out.SetStereo(true);
    e.out.SetBufferSize(512);
    uint8_t counter = 0;
    e.out.OnFillBuffer = [&](uint8_t* b, uint32_t& size) {
        std::fill(b, b + size, counter++);
        return true;
    };
    int starts = 0;
    e.out.OnStart = [&] { ++starts; };
    ASSERT_TRUE(e.out.StartOutput());
    EXPECT_EQ(counter, 4);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(e.device.CompleteNext());
    EXPECT_FALSE(e.device.CompleteNext());
    EXPECT_EQ(counter, 4) << "a refill ran off the user-interface queue";
    e.queue.Run();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(counter, 8);
    EXPECT_EQ(e.out.Done(), 4);
    EXPECT_EQ(e.out.Queued(), 4);
    e.device.CompleteNext();
    e.device.CompleteNext();
    e.queue.Run();
    e.out.SetPaused(true);
    EXPECT_FALSE(e.device.CompleteNext());
    const std::vector<uint8_t> played = e.device.Played();
    ASSERT_EQ(played.size(), 6u * 512u);
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], i / 512) << "byte " << i;
}

TEST(AudioIOTest, DrainingClosesAfterTheLastBufferAndStopNowAtOnce)
{
    Engine e;
    int fills = 0;
    e.out.OnFillBuffer = [&](uint8_t*, uint32_t& size) {
        size = 100;
        return ++fills <= 5;
    };
    int stops = 0;
    e.out.OnStop = [&] { ++stops; };
    ASSERT_TRUE(e.out.StartOutput());
    while (e.device.CompleteNext())
        e.queue.Run();
    EXPECT_FALSE(e.out.IsOpen());
    EXPECT_FALSE(e.device.IsOpen());
    EXPECT_EQ(e.device.Played().size(), 5u * 100u);
    EXPECT_EQ(stops, 1);

    // StopNow: queued buffers come back after the close; they must not be
    // refilled or written to a closed device.
    fills = 0;
    e.out.OnFillBuffer = [&](uint8_t*, uint32_t&) { return ++fills > 0; };
    ASSERT_TRUE(e.out.StartOutput()) << e.out.LastError();
    e.out.StopNow();
    e.queue.Run();
    EXPECT_FALSE(e.device.IsOpen());
    EXPECT_EQ(fills, 4);
    ASSERT_TRUE(e.out.StartOutput()) << "the engine opens again after a stop";
}

TEST(AudioIOTest, NoticesAfterTheEngineIsGoneFindNothing)
{
    PostQueue queue;
    headless::NullWaveOut device(queue.Poster(), false);
    {
        TAudioOut out(&device, queue.Poster());
        out.OnFillBuffer = [](uint8_t*, uint32_t&) { return true; };
        ASSERT_TRUE(out.StartOutput());
        device.CompleteNext();
    }
    queue.Run(); // would refill a destroyed engine
    EXPECT_FALSE(device.IsOpen());
}

} // namespace
} // namespace kestrava::audio
