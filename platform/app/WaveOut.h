// A sound output device as the audio engine drives it: open with a PCM
// format, hand it buffers, get each buffer back once it has been played.
// Notices (open, buffer done, close) reach the engine on the user-interface
// thread, through the post function the device was given, so that all
// refilling happens there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kestrava::app {

struct WaveFormat {
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 22050;
    uint16_t bitsPerSample = 16;
    uint32_t BlockAlign() const { return uint32_t(channels) * bitsPerSample / 8; }
    uint32_t BytesPerSecond() const { return BlockAlign() * samplesPerSecond; }
};

class WaveOutDevice {
public:
    enum class Notice { Open, Done, Close };
    // bufferIndex is the one given to Write for Done, -1 for the others.
    using NoticeHandler = std::function<void(Notice notice, int32_t bufferIndex)>;

    virtual ~WaveOutDevice() = default;
    // False with a reason when the device cannot take the format.
    virtual bool Open(const WaveFormat& format, NoticeHandler handler, std::string& error) = 0;
    // Queues a buffer; its bytes must stay valid until its Done notice.
    virtual bool Write(int32_t bufferIndex, const uint8_t* data, uint32_t size, std::string& error) = 0;
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Stops at once and gives every queued buffer back (Done notices).
    virtual void Reset() = 0;
    virtual void Close() = 0;
};

} // namespace kestrava::app
