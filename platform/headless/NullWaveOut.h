// The headless sound device: plays nothing, keeps every byte it was given
// and hands buffers back as a real device would, in order, one notice at a
// time through the user-interface thread's queue.
//
// Covers: open/write/pause/restart/reset/close with their notices, the PCM
// written (for tests to inspect). Lacks: timing. A buffer comes back when
// the test says so (CompleteNext), or at once in automatic mode.
#pragma once

#include "platform/app/WaveOut.h"

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace kestrava::headless {

class NullWaveOut final : public app::WaveOutDevice {
public:
    using Post = std::function<void(std::function<void()>)>;
    // post delivers notices on the user-interface thread (EventLoop::Post).
    explicit NullWaveOut(Post post, bool autoComplete = true);

    bool Open(const app::WaveFormat& format, NoticeHandler handler, std::string& error) override;
    bool Write(int32_t bufferIndex, const uint8_t* data, uint32_t size, std::string& error) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    void Close() override;

    // Plays the oldest queued buffer: its bytes join Played() and its Done
    // notice is posted. False when nothing is queued or the device is paused.
    bool CompleteNext();

    bool IsOpen() const;
    bool Paused() const;
    size_t Queued() const;
    app::WaveFormat Format() const;
    std::vector<uint8_t> Played() const;

private:
    void Notify(Notice notice, int32_t index);

    Post m_post;
    const bool m_auto;
    mutable std::mutex m_lock;
    bool m_open = false;
    bool m_paused = false;
    app::WaveFormat m_format;
    NoticeHandler m_handler;
    struct Pending {
        int32_t index;
        std::vector<uint8_t> bytes;
    };
    std::deque<Pending> m_queue;
    std::vector<uint8_t> m_played;
};

} // namespace kestrava::headless
