#include "platform/headless/NullWaveOut.h"

namespace kestrava::headless {

NullWaveOut::NullWaveOut(Post post, bool autoComplete)
    : m_post(std::move(post)), m_auto(autoComplete)
{
}

void NullWaveOut::Notify(Notice notice, int32_t index)
{
    NoticeHandler handler;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        handler = m_handler;
    }
    if (handler && m_post)
        m_post([handler, notice, index] { handler(notice, index); });
}

bool NullWaveOut::Open(const app::WaveFormat& format, NoticeHandler handler, std::string& error)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_open) {
            error = "the device is already open";
            return false;
        }
        if (format.channels < 1 || format.channels > 2 || (format.bitsPerSample != 8 && format.bitsPerSample != 16) ||
            format.samplesPerSecond == 0) {
            error = "unsupported format";
            return false;
        }
        m_open = true;
        m_paused = false;
        m_format = format;
        m_handler = std::move(handler);
        m_queue.clear();
    }
    Notify(Notice::Open, -1);
    return true;
}

bool NullWaveOut::Write(int32_t bufferIndex, const uint8_t* data, uint32_t size, std::string& error)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_open) {
            error = "the device is not open";
            return false;
        }
        if (size % m_format.BlockAlign() != 0) {
            error = "the buffer does not hold whole sample frames";
            return false;
        }
        m_queue.push_back({bufferIndex, std::vector<uint8_t>(data, data + size)});
    }
    if (m_auto)
        CompleteNext();
    return true;
}

bool NullWaveOut::CompleteNext()
{
    int32_t index = -1;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_open || m_paused || m_queue.empty())
            return false;
        Pending done = std::move(m_queue.front());
        m_queue.pop_front();
        m_played.insert(m_played.end(), done.bytes.begin(), done.bytes.end());
        index = done.index;
    }
    Notify(Notice::Done, index);
    return true;
}

void NullWaveOut::Pause()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_paused = true;
}

void NullWaveOut::Restart()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_paused = false;
    }
    if (m_auto)
        while (CompleteNext()) {
        }
}

void NullWaveOut::Reset()
{
    // Buffers that were not played are given back unplayed, in order.
    std::deque<Pending> returned;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        returned.swap(m_queue);
    }
    for (const Pending& p : returned)
        Notify(Notice::Done, p.index);
}

void NullWaveOut::Close()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_open)
            return;
        m_queue.clear();
    }
    Notify(Notice::Close, -1);
    std::lock_guard<std::mutex> guard(m_lock);
    m_open = false;
    m_handler = nullptr;
}

bool NullWaveOut::IsOpen() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_open;
}

bool NullWaveOut::Paused() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_paused;
}

size_t NullWaveOut::Queued() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queue.size();
}

app::WaveFormat NullWaveOut::Format() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_format;
}

std::vector<uint8_t> NullWaveOut::Played() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_played;
}

} // namespace kestrava::headless
