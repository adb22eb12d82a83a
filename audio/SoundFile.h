// One sound as the player mixes it: a RIFF/WAVE file converted once to
// 16-bit samples at 44100 per second, or, for long 16-bit 44100 Hz files,
// read chunk by chunk from the file while it plays.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kestrava::audio {

// 16-bit 44100 Hz data chunks larger than this are streamed from the file.
constexpr uint32_t kStreamThreshold = 0x100000;

// The 16-bit sample nearest to u / 255 * 65535 - 32768 (exact: u * 257 - 32768).
int16_t Convert8Bit(uint8_t u);
// The sample halfway between a and b: the nearest integer to
// ((a + 32768) + (b + 32768)) / 2 - 32768, ties to even.
int16_t Midpoint(int16_t a, int16_t b);
// Brings interleaved frames (channels 1 or 2) from 22050 or 11025 to 44100
// samples per second: the source frames stay, the frames between them are
// midpoints; the data ends with the last source frame.
std::vector<int16_t> Upsample(const std::vector<int16_t>& samples, int32_t channels, uint32_t rate);

class TSoundFile {
public:
    // Loads the file; a file that fails to load leaves a sound without data
    // that plays as silence.
    explicit TSoundFile(const std::string& fileName);
    ~TSoundFile();
    TSoundFile(const TSoundFile&) = delete;
    TSoundFile& operator=(const TSoundFile&) = delete;

    bool Loaded() const { return m_loaded; }
    const std::string& Error() const { return m_error; }

    // ---- state the player changes under its lock
    int64_t dataStart = 0; // file offset of the samples (streamed sounds)
    bool finished = false;
    uint16_t volume = 65535;
    uint16_t balance = 32768; // pan - 32768, wrapped to 16 bits
    bool playing = false;
    bool loop = false;
    bool stereo = false;
    bool streamed = false;
    bool freeWhenFinished = true;
    // A streamed sound's chunk for the buffer being mixed has been read; a
    // streamed sound started while the chunks were read waits for the next
    // buffer.
    bool chunkReady = false;

    // The converted sound, or the current chunk of a streamed one, and the
    // read position in it.
    std::vector<int16_t> data;
    size_t position = 0;

    bool AtEnd() const { return position >= data.size(); }
    void SetPlaying(bool on);
    void SetPan(int16_t pan) { balance = static_cast<uint16_t>(static_cast<uint16_t>(pan) + 32768u); }

    // ---- streamed sounds, touched only by the filling (user-interface) thread
    // Reads up to bytes of samples from the file into chunk, wrapping to
    // the start of the samples when the sound loops. A file that shrank
    // while it plays ends where it now ends.
    void ReadChunk(uint32_t bytes, std::vector<int16_t>& chunk, bool looping);
    // True when the file has been read to the end and stands at the start
    // of the samples again.
    bool StreamAtStart() const { return m_streamPos == dataStart; }

private:
    bool LoadWave(const std::string& fileName);
    uint32_t ReadStream(uint32_t bytes, int16_t* out);

    bool m_loaded = false;
    std::string m_error;
    std::FILE* m_stream = nullptr;
    int64_t m_streamPos = 0;
    int64_t m_dataEnd = 0; // end of the streamed data chunk
};

} // namespace kestrava::audio
