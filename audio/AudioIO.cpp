#include "audio/AudioIO.h"

#include <algorithm>

namespace kestrava::audio {

TAudioIO::TAudioIO(app::WaveOutDevice* device, PostFn post) : m_device(device), m_post(std::move(post))
{
    Recompute();
    AllocateBuffers();
}

TAudioIO::~TAudioIO() = default;

void TAudioIO::Recompute()
{
    const uint32_t channels = m_stereo ? 2 : 1;
    m_format.channels = static_cast<uint16_t>(channels);
    m_format.samplesPerSecond = static_cast<uint32_t>(m_frameRate);
    m_format.bitsPerSample = static_cast<uint16_t>(m_quantization);
    m_frameSize = static_cast<uint32_t>(m_quantization) / 8 * channels;
    m_bytesPerSecond = m_frameSize * static_cast<uint32_t>(m_frameRate);
    const uint32_t size = static_cast<uint32_t>(m_bufferSize);
    m_actualSize = size - size % m_frameSize;
}

void TAudioIO::AllocateBuffers()
{
    for (std::vector<uint8_t>& buffer : m_buffers)
        buffer.assign(static_cast<size_t>(m_bufferSize), 0);
}

void TAudioIO::SetBufferSize(int32_t bytes)
{
    m_bufferSize = std::max(bytes, 512);
    Recompute();
    AllocateBuffers();
}

void TAudioIO::SetNumBuffers(int32_t count) { m_numBuffers = std::clamp(count, 2, kMaxBuffers); }

void TAudioIO::SetFrameRate(int32_t rate)
{
    m_frameRate = rate;
    Recompute();
}

void TAudioIO::SetStereo(bool stereo)
{
    m_stereo = stereo;
    Recompute();
}

void TAudioIO::SetQuantization(int32_t bits)
{
    m_quantization = bits > 8 ? 16 : 8;
    Recompute();
}

// ------------------------------------------------------------------ TAudioOut

TAudioOut::TAudioOut(app::WaveOutDevice* device, PostFn post)
    : TAudioIO(device, std::move(post)), m_self(std::make_shared<TAudioOut*>(this))
{
}

TAudioOut::~TAudioOut()
{
    *m_self = nullptr;
    if (m_open && m_device)
        m_device->Close();
}

void TAudioOut::PostToSelf(std::function<void()> fn)
{
    if (!m_post)
        return;
    std::weak_ptr<TAudioOut*> self = m_self;
    m_post([self, fn = std::move(fn)] {
        if (auto alive = self.lock(); alive && *alive)
            fn();
    });
}

void TAudioOut::SetPaused(bool paused)
{
    m_paused = paused;
    if (m_active && m_device) {
        if (paused)
            m_device->Pause();
        else
            m_device->Restart();
    }
}

bool TAudioOut::StartOutput()
{
    if (!OpenOutput())
        return false;
    m_active = true;
    if (m_paused)
        m_device->Pause();
    if (!WriteBuffer()) {
        CloseOutput();
        return false;
    }
    for (int32_t i = 1; i < m_numBuffers; ++i)
        WriteBuffer();
    return true;
}

bool TAudioOut::OpenOutput()
{
    if (m_open) {
        m_lastError = "Wave output device is already open";
        return false;
    }
    if (!m_device) {
        m_lastError = "There is no wave output device";
        return false;
    }
    m_nextBuffer = 0;
    const uint64_t session = ++m_session;
    std::weak_ptr<TAudioOut*> self = m_self;
    // The device calls this on the user-interface thread.
    auto handler = [self, session](app::WaveOutDevice::Notice notice, int32_t) {
        if (auto alive = self.lock(); alive && *alive)
            (*alive)->OnNotice(notice, session);
    };
    std::string error;
    if (!m_device->Open(m_format, handler, error)) {
        m_lastError = error.substr(0, 255);
        return false;
    }
    m_open = true;
    for (int32_t i = 0; i < kMaxBuffers; ++i)
        m_lengths[static_cast<size_t>(i)] = m_actualSize;
    m_filled = m_done = m_queued = 0;
    m_filling = true;
    m_active = true;
    if (!FillBuffer(0, m_actualSize)) {
        CloseOutput();
        m_lastError = "There must be at least one filled buffer";
        return false;
    }
    for (int32_t i = 1; i < m_numBuffers; ++i)
        FillBuffer(i, m_actualSize);
    return true;
}

bool TAudioOut::FillBuffer(int32_t index, uint32_t size)
{
    if (!m_filling)
        return false;
    bool result = false;
    if (OnFillBuffer) {
        const size_t i = static_cast<size_t>(index);
        // A handler never gets more than the buffer holds, and its answer is
        // cut to whole frames so the device is never handed half a frame.
        uint32_t bytes = std::min(size, m_actualSize);
        result = OnFillBuffer(m_buffers[i].data(), bytes);
        bytes = std::min(bytes, m_actualSize);
        m_lengths[i] = bytes - bytes % m_frameSize;
        if (result)
            ++m_filled;
    }
    m_queued = m_filled - m_done;
    return result;
}

bool TAudioOut::WriteBuffer()
{
    const size_t i = static_cast<size_t>(m_nextBuffer);
    std::string error;
    if (!m_device || !m_device->Write(m_nextBuffer, m_buffers[i].data(), m_lengths[i], error)) {
        m_lastError = error.substr(0, 255);
        StopWhenDrained();
        return false;
    }
    m_nextBuffer = (m_nextBuffer + 1) % m_numBuffers;
    return true;
}

void TAudioOut::BufferDone()
{
    ++m_done;
    m_queued = m_filled - m_done;
    m_active = m_queued > 0;
    if (FillBuffer(m_nextBuffer, m_actualSize))
        WriteBuffer();
    if (!m_active) {
        m_filling = false;
        CloseOutput();
    }
}

void TAudioOut::OnNotice(app::WaveOutDevice::Notice notice, uint64_t session)
{
    switch (notice) {
    case app::WaveOutDevice::Notice::Open:
        if (OnStart)
            OnStart();
        break;
    case app::WaveOutDevice::Notice::Close:
        if (OnStop)
            OnStop();
        break;
    case app::WaveOutDevice::Notice::Done:
        if (session == m_session && m_open)
            BufferDone();
        break;
    }
}

void TAudioOut::CloseOutput()
{
    m_active = false;
    m_paused = false;
    if (m_device)
        m_device->Close();
    m_open = false;
    // Buffers a reset gives back after this belong to the closed session.
    ++m_session;
}

void TAudioOut::StopNow()
{
    if (!m_open)
        return;
    m_active = false;
    m_filling = false;
    m_device->Reset();
    CloseOutput();
}

void TAudioOut::StopWhenDrained()
{
    if (m_open)
        m_filling = false;
}

} // namespace kestrava::audio
