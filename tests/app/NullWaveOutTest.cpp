// The headless sound device: notices in order on the user-interface queue,
// buffers given back in the order written, pause holding them back, reset
// returning the unplayed ones.
#include "platform/headless/NullWaveOut.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace kestrava::headless {
namespace {

using Notice = app::WaveOutDevice::Notice;

// Stands in for the user-interface thread's queue: notices wait until run.
struct Queue {
    void Post(std::function<void()> fn) { pending.push_back(std::move(fn)); }
    void Run()
    {
        while (!pending.empty()) {
            auto fn = std::move(pending.front());
            pending.pop_front();
            fn();
        }
    }
    std::deque<std::function<void()>> pending;
};

struct Recorder {
    void operator()(Notice n, int32_t i) { log.push_back((n == Notice::Open ? "open" : n == Notice::Done ? "done" : "close") + std::string(i >= 0 ? " " + std::to_string(i) : "")); }
    std::vector<std::string> log;
};

TEST(NullWaveOutTest, BuffersComeBackInOrderAndOnlyThroughTheQueue)
{
    Queue queue;
    NullWaveOut device([&](std::function<void()> fn) { queue.Post(std::move(fn)); }, /*autoComplete=*/false);
    Recorder recorder;
    std::string error;
    app::WaveFormat format;
    format.channels = 2;
    ASSERT_TRUE(device.Open(format, [&](Notice n, int32_t i) { recorder(n, i); }, error));
    EXPECT_FALSE(device.Open(format, nullptr, error));
    const uint8_t a[4] = {1, 2, 3, 4}, b[8] = {5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_TRUE(device.Write(0, a, 4, error));
    ASSERT_TRUE(device.Write(1, b, 8, error));
    EXPECT_FALSE(device.Write(2, b, 6, error)) << "6 bytes are not whole stereo 16-bit frames";
    EXPECT_TRUE(recorder.log.empty()); // nothing before the queue runs
    queue.Run();
    EXPECT_EQ(recorder.log, std::vector<std::string>{"open"});

    device.Pause();
    EXPECT_FALSE(device.CompleteNext());
    device.Restart();
    EXPECT_TRUE(device.CompleteNext());
    queue.Run();
    EXPECT_EQ(device.Played(), (std::vector<uint8_t>{1, 2, 3, 4}));
    device.Reset(); // buffer 1 comes back unplayed
    device.Close();
    queue.Run();
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"open", "done 0", "done 1", "close"}));
    EXPECT_EQ(device.Played().size(), 4u);
    EXPECT_FALSE(device.Write(0, a, 4, error));
}

TEST(NullWaveOutTest, AutomaticModeReturnsEachBufferAtOnceUnlessPaused)
{
    Queue queue;
    NullWaveOut device([&](std::function<void()> fn) { queue.Post(std::move(fn)); });
    Recorder recorder;
    std::string error;
    app::WaveFormat format;
    format.bitsPerSample = 8;
    ASSERT_TRUE(device.Open(format, [&](Notice n, int32_t i) { recorder(n, i); }, error));
    const uint8_t pcm[3] = {128, 129, 130};
    device.Pause();
    ASSERT_TRUE(device.Write(3, pcm, 3, error));
    EXPECT_EQ(device.Queued(), 1u);
    device.Restart();
    ASSERT_TRUE(device.Write(0, pcm, 2, error));
    queue.Run();
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"open", "done 3", "done 0"}));
    EXPECT_EQ(device.Played(), (std::vector<uint8_t>{128, 129, 130, 128, 129}));

    app::WaveFormat bad;
    bad.bitsPerSample = 12;
    NullWaveOut other([&](std::function<void()> fn) { queue.Post(std::move(fn)); });
    EXPECT_FALSE(other.Open(bad, nullptr, error));
    EXPECT_EQ(error, "unsupported format");
}

} // namespace
} // namespace kestrava::headless
