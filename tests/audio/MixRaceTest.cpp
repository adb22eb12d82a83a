// A module that plays and stops sounds on every tick while the
// user-interface thread mixes: slots are never freed under the mixer, and
// every slot taken is given back. Run under ThreadSanitizer in CI.
#include "WaveBuilder.h"
#include "audio/PlayAudio.h"
#include "platform/headless/NullWaveOut.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kestrava::audio {
namespace {

using testing::TempFolder;
using testing::WaveBytes;
using testing::WriteWave;

TEST(MixRaceTest, TickThreadChangesSlotsWhileTheUserInterfaceMixes)
{
    TempFolder dir;
    const std::string shortSound = WriteWave(dir.root / "s.wav", 1, 22050, std::vector<int16_t>(300, 8000)).string();
    const std::string loopSound = WriteWave(dir.root / "l.wav", 2, 44100, std::vector<int16_t>(500, -3000)).string();
    std::vector<int16_t> longSamples(kStreamThreshold / 2 + 10);
    const std::string streamed = WriteWave(dir.root / "long.wav", 1, 44100, longSamples).string();

    // The user-interface thread: a real engine on the headless device,
    // every buffer given back and refilled at once.
    std::mutex postLock;
    std::vector<std::function<void()>> posted;
    auto post = [&](std::function<void()> fn) {
        std::lock_guard<std::mutex> guard(postLock);
        posted.push_back(std::move(fn));
    };
    headless::NullWaveOut device(post, /*autoComplete=*/false);
    TPlayAudio player(&device, post);
    std::atomic<int> ended{0};
    player.OnTerminate = [&](uint8_t) { ended.fetch_add(1); };
    ASSERT_TRUE(player.StartOutput());

    std::atomic<bool> done{false};
    std::atomic<int> refused{0};
    std::thread tick([&] {
        for (int t = 0; t < 3000; ++t) {
            const int32_t a = player.AddSound(t % 50 == 0 ? streamed : shortSound);
            if (a < 0)
                refused.fetch_add(1);
            player.Start(a, int16_t(t * 7), 30000, false);
            const int32_t b = player.AddSound(loopSound);
            player.Start(b, 0, 20000, true);
            player.StopSound(b);
            if (t % 3 == 0)
                player.StopSound(a);
            player.IsPlaying(a);
        }
        done.store(true);
    });
    int buffers = 0;
    while (!done.load() || buffers < 50) {
        device.CompleteNext();
        std::vector<std::function<void()>> now;
        {
            std::lock_guard<std::mutex> guard(postLock);
            now.swap(posted);
        }
        for (auto& fn : now)
            fn();
        ++buffers;
    }
    tick.join();
    // Let every sound still playing run out.
    for (int i = 0; i < 400; ++i) {
        device.CompleteNext();
        std::vector<std::function<void()>> now;
        {
            std::lock_guard<std::mutex> guard(postLock);
            now.swap(posted);
        }
        for (auto& fn : now)
            fn();
    }
    for (int32_t s = 0; s < SoundPlayer::kSlots; ++s)
        EXPECT_FALSE(player.HoldsSound(s)) << "slot " << s << " was never given back";
    EXPECT_GT(ended.load(), 0);
    EXPECT_LT(refused.load(), 3000);
    player.StopNow();
}

} // namespace
} // namespace kestrava::audio
