#include "platform/sdl/SdlWaveOut.h"

#include <algorithm>
#include <cstring>

namespace kestrava::sdl {

SdlWaveOut::SdlWaveOut(Post post) : m_post(std::move(post)) {}

SdlWaveOut::~SdlWaveOut()
{
    Close();
    if (m_audioInit)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlWaveOut::Notify(NoticeHandler handler, Notice notice, int32_t index)
{
    if (handler && m_post)
        m_post([handler = std::move(handler), notice, index] { handler(notice, index); });
}

bool SdlWaveOut::Open(const app::WaveFormat& format, NoticeHandler handler, std::string& error)
{
    if (m_device != 0) {
        error = "the device is already open";
        return false;
    }
    if (!m_audioInit) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = SDL_GetError();
            return false;
        }
        m_audioInit = true;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.samplesPerSecond);
    want.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = 1024;
    want.callback = &SdlWaveOut::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    m_silence = format.bitsPerSample == 8 ? 0x80 : 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.clear();
        m_handler = handler;
    }
    // No changes allowed: SDL converts to what the hardware takes, so the
    // engine's buffers always hold the format it asked for.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        error = SDL_GetError();
        std::lock_guard<std::mutex> guard(m_lock);
        m_handler = nullptr;
        return false;
    }
    Notify(handler, Notice::Open, -1);
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

bool SdlWaveOut::Write(int32_t bufferIndex, const uint8_t* data, uint32_t size, std::string& error)
{
    if (m_device == 0) {
        error = "the device is not open";
        return false;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_queue.push_back({bufferIndex, data, size, 0});
    return true;
}

void SDLCALL SdlWaveOut::Callback(void* self, Uint8* stream, int len) { static_cast<SdlWaveOut*>(self)->Pull(stream, len); }

// On SDL's audio thread: copies queued bytes, fills what is missing with
// silence, and posts a Done notice for every buffer used up.
void SdlWaveOut::Pull(Uint8* stream, int len)
{
    NoticeHandler handler;
    m_doneScratch.clear();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        uint32_t at = 0;
        const uint32_t want = static_cast<uint32_t>(len);
        while (at < want && !m_queue.empty()) {
            Pending& p = m_queue.front();
            const uint32_t n = std::min(want - at, p.size - p.offset);
            std::memcpy(stream + at, p.data + p.offset, n);
            at += n;
            p.offset += n;
            if (p.offset >= p.size) {
                m_doneScratch.push_back(p.index);
                m_queue.pop_front();
            }
        }
        if (at < want)
            std::memset(stream + at, m_silence, want - at);
        if (!m_doneScratch.empty())
            handler = m_handler;
    }
    for (int32_t index : m_doneScratch)
        Notify(handler, Notice::Done, index);
}

void SdlWaveOut::Pause()
{
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, 1);
}

void SdlWaveOut::Restart()
{
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, 0);
}

void SdlWaveOut::Reset()
{
    // Buffers not yet played come back unplayed, in order.
    std::deque<Pending> returned;
    NoticeHandler handler;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        returned.swap(m_queue);
        handler = m_handler;
    }
    for (const Pending& p : returned)
        Notify(handler, Notice::Done, p.index);
}

void SdlWaveOut::Close()
{
    if (m_device == 0)
        return;
    // Waits for the audio thread to leave its callback.
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    NoticeHandler handler;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.clear();
        handler = std::move(m_handler);
        m_handler = nullptr;
    }
    Notify(handler, Notice::Close, -1);
}

} // namespace kestrava::sdl
