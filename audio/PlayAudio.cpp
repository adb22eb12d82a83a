#include "audio/PlayAudio.h"

#include <algorithm>
#include <cmath>

namespace kestrava::audio {

TPlayAudio::TPlayAudio(app::WaveOutDevice* device, PostFn post) : TAudioOut(device, std::move(post))
{
    SetFrameRate(44100);
    SetQuantization(16);
    SetStereo(true);
    OnFillBuffer = [this](uint8_t* buffer, uint32_t& size) { return FillHandler(buffer, size); };
}

TPlayAudio::~TPlayAudio()
{
    StopNow();
    FreeAll();
}

int32_t TPlayAudio::AddSound(const std::string& path)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (std::none_of(m_slots.begin(), m_slots.end(), [](const auto& s) { return !s; }))
            return -1;
    }
    // The file is read before the lock is taken; the slot is chosen after.
    auto sound = std::make_shared<TSoundFile>(path);
    std::lock_guard<std::mutex> guard(m_lock);
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        auto& s = m_slots[static_cast<size_t>(slot)];
        if (!s) {
            s = std::move(sound);
            return slot;
        }
    }
    return -1; // taken meanwhile; the sound goes when this returns
}

void TPlayAudio::FreeSound(int32_t slot)
{
    if (!Valid(slot))
        return;
    std::shared_ptr<TSoundFile> gone;
    std::lock_guard<std::mutex> guard(m_lock);
    gone.swap(m_slots[static_cast<size_t>(slot)]);
    // gone is destroyed after the lock is released (declared first).
}

void TPlayAudio::FreeAll()
{
    std::array<std::shared_ptr<TSoundFile>, kSlots> gone;
    std::lock_guard<std::mutex> guard(m_lock);
    gone.swap(m_slots);
}

bool TPlayAudio::HoldsSound(int32_t slot) const
{
    if (!Valid(slot))
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_slots[static_cast<size_t>(slot)] != nullptr;
}

bool TPlayAudio::SoundLoaded(int32_t slot) const
{
    if (!Valid(slot))
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    const auto& s = m_slots[static_cast<size_t>(slot)];
    return s && s->Loaded();
}

bool TPlayAudio::IsPlaying(int32_t slot) const
{
    if (!Valid(slot))
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    const auto& s = m_slots[static_cast<size_t>(slot)];
    return s && s->playing;
}

void TPlayAudio::SetTemporary(int32_t slot, bool temporary)
{
    if (!Valid(slot))
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (const auto& s = m_slots[static_cast<size_t>(slot)])
        s->freeWhenFinished = temporary;
}

void TPlayAudio::StopSound(int32_t slot)
{
    if (!Valid(slot))
        return;
    std::shared_ptr<TSoundFile> gone;
    std::lock_guard<std::mutex> guard(m_lock);
    auto& s = m_slots[static_cast<size_t>(slot)];
    if (!s)
        return;
    s->SetPlaying(false);
    if (s->freeWhenFinished)
        gone.swap(s);
}

void TPlayAudio::Start(int32_t slot, int16_t pan, uint16_t volume, bool loop)
{
    if (!Valid(slot))
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (const auto& s = m_slots[static_cast<size_t>(slot)]) {
        s->SetPan(pan);
        s->volume = volume;
        s->loop = loop;
        s->SetPlaying(true);
    }
}

bool TPlayAudio::PlayFile(const std::string& path)
{
    const int32_t slot = AddSound(path);
    if (slot < 0)
        return false;
    Start(slot, 0, 65535, false);
    return true;
}

namespace {

// One sample of a sound scaled by its volume; at the end of its data the
// sound loops or stops.
inline double NextSample(TSoundFile& s)
{
    const double v = s.AtEnd() ? 0.0 : double(s.data[s.position++]) / 65535.0 * double(s.volume);
    if (s.AtEnd()) {
        if (s.loop) {
            s.position = 0;
        } else if (!s.streamed || s.StreamAtStart()) {
            s.playing = false;
            s.finished = true;
        }
    }
    return v;
}

// Round to nearest, ties to even, for |x| < 2^51: adding and taking away
// 1.5 x 2^52 leaves exactly the integer that the default rounding gives,
// without a library call per sample. (IEEE arithmetic forbids the compiler
// to fold the two steps away.)
inline double RoundEven(double x)
{
    constexpr double kShift = 6755399441055744.0;
    return (x + kShift) - kShift;
}

inline int16_t Limit(double sum, double& gain, double attack)
{
    if (sum != 0.0) {
        const double most = std::fabs(32767.0 / sum);
        if (most < gain)
            gain = most;
    }
    const double out = std::clamp(RoundEven(sum * gain), -32768.0, 32767.0);
    gain = std::min(gain + attack, 1.0);
    return static_cast<int16_t>(out);
}

} // namespace

// Mixes frames from the slots that play in this buffer into the buffer.
// Slot by slot, each sound adds its samples to the two sums of every frame
// it plays in, in slot order, so every frame's sums are the same additions
// in the same order as when all slots are visited frame by frame; then the
// limiter runs over the frames, left before right. Balance and volume
// cannot change while a buffer is mixed (the lock is held), so each side's
// gain is worked out once.
void TPlayAudio::MixFrames(const Active* active, size_t count, uint8_t* buffer, uint32_t frames)
{
    if (m_left.size() < frames) {
        m_left.resize(frames);
        m_right.resize(frames);
    }
    std::fill_n(m_left.begin(), frames, 0.0);
    std::fill_n(m_right.begin(), frames, 0.0);
    double* left = m_left.data();
    double* right = m_right.data();
    for (size_t i = 0; i < count; ++i) {
        const Active& a = active[i];
        TSoundFile& s = *a.sound;
        const double volume = double(s.volume);
        const size_t per = s.stereo ? 2 : 1;
        uint32_t f = 0;
        while (f < frames && s.playing) {
            // As long as the data cannot end within a frame, no end checks.
            const size_t avail = s.data.size() - std::min(s.position, s.data.size());
            const uint32_t run = static_cast<uint32_t>(std::min<size_t>(frames - f, avail > 0 ? (avail - 1) / per : 0));
            // A side that is off adds zeros, which leaves every sum as it was.
            const int16_t* __restrict d = s.data.data() + s.position;
            const double lg = a.left ? a.leftGain : 0.0;
            const double rg = a.right ? a.rightGain : 0.0;
            double* __restrict l = left + f;
            double* __restrict r = right + f;
            if (per == 1) {
                for (uint32_t k = 0; k < run; ++k) {
                    const double v = double(d[k]) / 65535.0 * volume;
                    l[k] += v * lg;
                    r[k] += v * rg;
                }
            } else {
                for (uint32_t k = 0; k < run; ++k) {
                    l[k] += double(d[2 * k]) / 65535.0 * volume * lg;
                    r[k] += double(d[2 * k + 1]) / 65535.0 * volume * rg;
                }
            }
            f += run;
            s.position += run * per;
            if (f == frames)
                break;
            // The frame at the end of the data: the sound loops or stops.
            double v = NextSample(s);
            if (a.left)
                left[f] += v * a.leftGain;
            if (s.stereo && s.playing)
                v = NextSample(s);
            if (a.right)
                right[f] += v * a.rightGain;
            ++f;
        }
    }
    for (uint32_t f = 0; f < frames; ++f) {
        const uint16_t l = static_cast<uint16_t>(Limit(left[f], m_leftGain, m_attack));
        const uint16_t r = static_cast<uint16_t>(Limit(right[f], m_rightGain, m_attack));
        buffer[f * 4 + 0] = static_cast<uint8_t>(l);
        buffer[f * 4 + 1] = static_cast<uint8_t>(l >> 8);
        buffer[f * 4 + 2] = static_cast<uint8_t>(r);
        buffer[f * 4 + 3] = static_cast<uint8_t>(r >> 8);
    }
}

bool TPlayAudio::FillHandler(uint8_t* buffer, uint32_t& size)
{
    // Streamed sounds read their next chunk from the file before the lock:
    // the tick thread never waits for the disk.
    std::array<bool, kSlots> loops{};
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (size_t i = 0; i < m_slots.size(); ++i) {
            const auto& s = m_slots[i];
            if (s && s->playing && s->streamed) {
                m_streaming[i] = s;
                loops[i] = s->loop;
            }
        }
    }
    for (size_t i = 0; i < m_streaming.size(); ++i)
        if (const auto& s = m_streaming[i])
            s->ReadChunk(s->stereo ? size : size / 2, m_chunks[i], loops[i]);

    std::array<std::shared_ptr<TSoundFile>, kSlots> gone;
    std::array<bool, kSlots> ended{};
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (size_t i = 0; i < m_streaming.size(); ++i)
            if (const auto& s = m_streaming[i]) {
                s->data.swap(m_chunks[i]);
                s->position = 0;
                s->chunkReady = true;
            }
        std::array<Active, kSlots> active;
        size_t count = 0;
        for (const auto& slot : m_slots) {
            if (!slot || !slot->playing || (slot->streamed && !slot->chunkReady))
                continue;
            Active& a = active[count++];
            a.sound = slot.get();
            a.leftGain = std::min((65535.0 - slot->balance) / 32767.0, 1.0);
            a.rightGain = std::min(slot->balance / 32768.0, 1.0);
            a.left = slot->volume > 0 && a.leftGain > 0.0;
            a.right = slot->volume > 0 && a.rightGain > 0.0;
        }
        const uint32_t frames = size / 4;
        MixFrames(active.data(), count, buffer, frames);
        size = frames * 4;
        for (size_t i = 0; i < m_streaming.size(); ++i)
            if (const auto& s = m_streaming[i]) {
                s->data.swap(m_chunks[i]); // the chunk's memory is kept for the next buffer
                m_chunks[i].clear();
                s->chunkReady = false;
            }
        for (size_t i = 0; i < m_slots.size(); ++i) {
            auto& s = m_slots[i];
            if (!s || !s->finished)
                continue;
            ended[i] = true;
            if (s->freeWhenFinished) {
                gone[i].swap(s);
            } else {
                s->position = 0;
                s->finished = false;
            }
        }
    }
    for (auto& s : m_streaming)
        s.reset();
    for (size_t i = 0; i < ended.size(); ++i)
        if (ended[i])
            Terminated(static_cast<uint8_t>(i));
    return true;
}

void TPlayAudio::Terminated(uint8_t slot)
{
    PostToSelf([this, slot] {
        if (OnTerminate)
            OnTerminate(slot);
    });
}

} // namespace kestrava::audio
