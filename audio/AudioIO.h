// The wave output engine: a ring of two to four PCM buffers handed to a
// sound device, each refilled by a callback as soon as the device gives it
// back. The device posts its notices to the user-interface thread, so every
// refill, and with it all mixing, runs there.
//
// TAudioIO holds the format, the buffers and their lengths; TAudioOut drives
// the device and the ring. Failures leave a text in LastError() and make the
// call return false; nothing is thrown.
#pragma once

#include "platform/app/WaveOut.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrava::audio {

// Runs a function later on the user-interface thread (EventLoop::Post).
using PostFn = std::function<void(std::function<void()>)>;

class TAudioIO {
public:
    static constexpr int32_t kMaxBuffers = 4;

    // The device may be null: the engine then runs silent and StartOutput
    // says why. post reaches the user-interface thread. [ui-thread]
    TAudioIO(app::WaveOutDevice* device, PostFn post);
    virtual ~TAudioIO();
    TAudioIO(const TAudioIO&) = delete;
    TAudioIO& operator=(const TAudioIO&) = delete;

    int32_t BufferSize() const { return m_bufferSize; }
    void SetBufferSize(int32_t bytes);
    int32_t NumBuffers() const { return m_numBuffers; }
    void SetNumBuffers(int32_t count);
    int32_t FrameRate() const { return m_frameRate; }
    void SetFrameRate(int32_t rate);
    bool Stereo() const { return m_stereo; }
    void SetStereo(bool stereo);
    int32_t Quantization() const { return m_quantization; }
    void SetQuantization(int32_t bits);
    // The device number the system would choose from; -1 is the default
    // device. Kept for the devices that can choose; the one device object
    // given at creation is what plays.
    int32_t WaveDevice() const { return m_waveDevice; }
    void SetWaveDevice(int32_t device) { m_waveDevice = device; }

    std::function<void()> OnStart; // the device reports it is open
    std::function<void()> OnStop;  // the device reports it is closed

    // Bytes per buffer actually used: BufferSize cut down to whole frames.
    uint32_t ActualBufferSize() const { return m_actualSize; }
    uint32_t FrameSize() const { return m_frameSize; }
    uint32_t BytesPerSecond() const { return m_bytesPerSecond; }
    const std::string& LastError() const { return m_lastError; }

protected:
    void Recompute();
    void AllocateBuffers();

    app::WaveOutDevice* m_device;
    PostFn m_post;
    int32_t m_bufferSize = 8192;
    int32_t m_numBuffers = 4;
    int32_t m_frameRate = 22050;
    bool m_stereo = false;
    int32_t m_quantization = 16;
    int32_t m_waveDevice = -1;

    app::WaveFormat m_format;
    uint32_t m_frameSize = 0;
    uint32_t m_bytesPerSecond = 0;
    uint32_t m_actualSize = 0;
    // Always the most buffers the ring can use, so a NumBuffers raised after
    // the buffers were made finds all of them.
    std::array<std::vector<uint8_t>, kMaxBuffers> m_buffers;
    std::array<uint32_t, kMaxBuffers> m_lengths{};
    std::string m_lastError;
};

class TAudioOut : public TAudioIO {
public:
    // Fills buffer with up to size bytes; on return size is the number of
    // bytes to play. False when nothing was filled. [ui-thread]
    using TBufferEvent = std::function<bool(uint8_t* buffer, uint32_t& size)>;

    TAudioOut(app::WaveOutDevice* device, PostFn post);
    ~TAudioOut() override;

    bool Paused() const { return m_paused; }
    void SetPaused(bool paused);
    TBufferEvent OnFillBuffer;

    // Opens the device and queues every buffer of the ring. [ui-thread]
    virtual bool StartOutput();
    // Stops at once: queued buffers are dropped and the device closes.
    virtual void StopNow();
    // Stops refilling: the queued buffers play out, then the device closes.
    virtual void StopWhenDrained();

    bool IsOpen() const { return m_open; }
    bool Active() const { return m_active; }
    int32_t Filled() const { return m_filled; }
    int32_t Done() const { return m_done; }
    int32_t Queued() const { return m_queued; }

protected:
    virtual bool OpenOutput();
    virtual bool FillBuffer(int32_t index, uint32_t size);
    bool WriteBuffer();
    virtual void CloseOutput();
    // A buffer came back from the device (in ring order).
    void BufferDone();
    // Runs fn on the user-interface thread unless this engine is gone by
    // then.
    void PostToSelf(std::function<void()> fn);

private:
    void OnNotice(app::WaveOutDevice::Notice notice, uint64_t session);

    bool m_paused = false;
    bool m_open = false;
    bool m_active = false;
    bool m_filling = false;
    int32_t m_filled = 0;
    int32_t m_done = 0;
    int32_t m_queued = 0;
    int32_t m_nextBuffer = 0;
    // Every open is a new session; notices of an earlier one (buffers given
    // back by a reset after the close) are ignored.
    uint64_t m_session = 0;
    // Reset when the engine is destroyed, so that notices still queued on
    // the user-interface thread find nothing to call.
    std::shared_ptr<TAudioOut*> m_self;
};

} // namespace kestrava::audio
