// The real sound device: an SDL2 audio device opened at exactly the
// engine's format (SDL converts for the hardware if it must).
//
// Covers: open, write, pause, restart, reset, close, with their notices.
// SDL pulls samples on its own audio thread; that thread only copies the
// queued bytes and, when a buffer is used up, posts its Done notice to the
// user-interface thread, in order. It never calls back into the engine.
// Lacks: choosing among several devices (the system's default plays).
// A machine without sound (no device, SDL_AUDIODRIVER=dummy without a
// device) makes Open fail with SDL's reason; the program then runs silent.
#pragma once

#include "platform/app/WaveOut.h"

#include <SDL.h>

#include <deque>
#include <functional>
#include <mutex>

namespace kestrava::sdl {

class SdlWaveOut final : public app::WaveOutDevice {
public:
    using Post = std::function<void(std::function<void()>)>;
    // post delivers notices on the user-interface thread (EventLoop::Post).
    explicit SdlWaveOut(Post post);
    ~SdlWaveOut() override;
    SdlWaveOut(const SdlWaveOut&) = delete;
    SdlWaveOut& operator=(const SdlWaveOut&) = delete;

    bool Open(const app::WaveFormat& format, NoticeHandler handler, std::string& error) override;
    bool Write(int32_t bufferIndex, const uint8_t* data, uint32_t size, std::string& error) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    void Close() override;

private:
    static void SDLCALL Callback(void* self, Uint8* stream, int len);
    void Pull(Uint8* stream, int len);
    void Notify(NoticeHandler handler, Notice notice, int32_t index);

    Post m_post;
    bool m_audioInit = false;
    SDL_AudioDeviceID m_device = 0;
    uint8_t m_silence = 0;
    std::mutex m_lock; // the queue, shared with SDL's audio thread
    NoticeHandler m_handler;
    struct Pending {
        int32_t index;
        const uint8_t* data;
        uint32_t size;
        uint32_t offset;
    };
    std::deque<Pending> m_queue;
    std::vector<int32_t> m_doneScratch; // the audio thread's, kept between calls
};

} // namespace kestrava::sdl
