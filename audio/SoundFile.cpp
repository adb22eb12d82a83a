#include "audio/SoundFile.h"

#include "platform/gdi/FileAccess.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kestrava::audio {

static_assert(std::endian::native == std::endian::little, "wave samples are read as stored, little-endian");

int16_t Convert8Bit(uint8_t u) { return static_cast<int16_t>(int32_t(u) * 257 - 32768); }

int16_t Midpoint(int16_t a, int16_t b)
{
    const int32_t sum = (int32_t(a) + 32768) + (int32_t(b) + 32768);
    int32_t half = sum / 2;
    if ((sum & 1) && (half & 1))
        ++half; // a tie goes to the even neighbour
    return static_cast<int16_t>(half - 32768);
}

std::vector<int16_t> Upsample(const std::vector<int16_t>& samples, int32_t channels, uint32_t rate)
{
    const size_t ch = static_cast<size_t>(channels);
    const size_t frames = samples.size() / ch;
    if ((rate != 22050 && rate != 11025) || frames == 0)
        return samples;
    const size_t factor = rate == 22050 ? 2 : 4;
    std::vector<int16_t> out((frames - 1) * factor * ch + ch);
    for (size_t k = 0; k < frames; ++k) {
        for (size_t c = 0; c < ch; ++c) {
            const int16_t a = samples[k * ch + c];
            out[k * factor * ch + c] = a;
            if (k + 1 == frames)
                continue;
            const int16_t b = samples[(k + 1) * ch + c];
            const int16_t m = Midpoint(a, b);
            if (factor == 2) {
                out[(k * 2 + 1) * ch + c] = m;
            } else {
                out[(k * 4 + 1) * ch + c] = Midpoint(a, m);
                out[(k * 4 + 2) * ch + c] = m;
                out[(k * 4 + 3) * ch + c] = Midpoint(m, b);
            }
        }
    }
    return out;
}

namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

struct File {
    std::FILE* f = nullptr;
    ~File()
    {
        if (f)
            std::fclose(f);
    }
};

} // namespace

TSoundFile::TSoundFile(const std::string& fileName) { m_loaded = LoadWave(fileName); }

TSoundFile::~TSoundFile()
{
    if (m_stream)
        std::fclose(m_stream);
}

void TSoundFile::SetPlaying(bool on)
{
    if (playing == on)
        return;
    playing = on;
    if (on && !loop && !streamed && AtEnd())
        position = 0;
    if (on)
        finished = false;
}

// Reads the chunks of a RIFF/WAVE file. Every size is checked against what
// the file holds: a chunk that claims more is taken as far as the file goes,
// the pad byte after an odd-sized chunk is skipped, and a half sample or
// half frame at the end is dropped.
bool TSoundFile::LoadWave(const std::string& fileName)
{
    File file;
    // Only a regular file: a FIFO named like a sound would block the reader.
    file.f = OpenRegularFileStream(fileName);
    if (!file.f) {
        m_error = "cannot open the file (missing, unreadable or not a regular file)";
        return false;
    }
    if (std::fseek(file.f, 0, SEEK_END) != 0) {
        m_error = "cannot read the file";
        return false;
    }
    const int64_t fileSize = std::ftell(file.f);
    std::rewind(file.f);
    uint8_t head[12];
    if (fileSize < 12 || std::fread(head, 1, 12, file.f) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0) {
        m_error = "not a RIFF/WAVE file";
        return false;
    }

    bool haveFormat = false;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    std::vector<int16_t> samples;
    std::vector<uint8_t> bytes;
    int64_t pos = 12;
    while (pos + 8 <= fileSize) {
        uint8_t chunk[8];
        if (std::fseek(file.f, static_cast<long>(pos), SEEK_SET) != 0 || std::fread(chunk, 1, 8, file.f) != 8)
            break;
        const uint32_t size = U32(chunk + 4);
        pos += 8;
        const int64_t body = std::min<int64_t>(size, fileSize - pos);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            uint8_t fmt[16];
            if (size < 16 || body < 16 || std::fread(fmt, 1, 16, file.f) != 16) {
                m_error = "the format chunk is too short";
                return false;
            }
            const uint16_t tag = U16(fmt);
            channels = U16(fmt + 2);
            rate = U32(fmt + 4);
            bits = U16(fmt + 14);
            if (tag != 1 || (channels != 1 && channels != 2) || (rate != 11025 && rate != 22050 && rate != 44100) ||
                (bits != 8 && bits != 16)) {
                m_error = "not PCM with 1 or 2 channels, 8 or 16 bits and 11025, 22050 or 44100 Hz";
                return false;
            }
            stereo = channels == 2;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                m_error = "the samples come before their format";
                return false;
            }
            if (bits == 16 && rate == 44100 && size > kStreamThreshold) {
                std::fclose(file.f);
                file.f = nullptr;
                m_stream = OpenRegularFileStream(fileName);
                if (!m_stream) {
                    m_error = "cannot open the file again";
                    return false;
                }
                streamed = true;
                dataStart = pos;
                m_streamPos = pos;
                m_dataEnd = pos + body;
                data.clear();
                position = 0;
                return true;
            }
            bytes.resize(static_cast<size_t>(body));
            const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.f);
            if (bits == 8) {
                for (size_t i = 0; i < got; ++i)
                    samples.push_back(Convert8Bit(bytes[i]));
            } else {
                // A data chunk of one byte holds no 16-bit sample (and an
                // empty vector has no storage to copy into).
                const size_t first = samples.size();
                if (got >= 2) {
                    samples.resize(first + got / 2);
                    std::memcpy(samples.data() + first, bytes.data(), got / 2 * 2);
                }
            }
        }
        pos += size;
        pos += size & 1; // RIFF pads an odd chunk to an even length
    }
    if (!haveFormat) {
        m_error = "the file has no format chunk";
        return false;
    }
    if (stereo && samples.size() % 2 != 0)
        samples.pop_back();
    data = Upsample(samples, channels, rate);
    position = 0;
    dataStart = 0;
    return true;
}

uint32_t TSoundFile::ReadStream(uint32_t bytes, int16_t* out)
{
    const int64_t left = std::max<int64_t>(0, m_dataEnd - m_streamPos);
    const size_t want = static_cast<size_t>(std::min<int64_t>(bytes, left)) & ~size_t(1);
    size_t got = 0;
    if (want > 0 && std::fseek(m_stream, static_cast<long>(m_streamPos), SEEK_SET) == 0)
        got = std::fread(out, 1, want, m_stream) & ~size_t(1);
    m_streamPos += static_cast<int64_t>(got);
    // The end of the samples, or of a file that shrank under us: the stream
    // goes back to the start of the samples.
    if (got < want || m_streamPos >= m_dataEnd || got == 0)
        m_streamPos = dataStart;
    return static_cast<uint32_t>(got);
}

void TSoundFile::ReadChunk(uint32_t bytes, std::vector<int16_t>& chunk, bool looping)
{
    chunk.resize(bytes / 2);
    if (!m_stream) {
        chunk.clear();
        return;
    }
    uint32_t got = ReadStream(bytes & ~1u, chunk.data());
    if (got < bytes && looping && got > 0)
        got += ReadStream((bytes & ~1u) - got, chunk.data() + got / 2);
    chunk.resize(got / 2);
}

} // namespace kestrava::audio
