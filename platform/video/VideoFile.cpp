#include "platform/video/VideoFile.h"

#include "platform/video/Ffmpeg.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace kestrava::video {

using namespace detail;

namespace {

// Decoding errors in a row after which the stream counts as ended: a
// decoder that only ever fails would otherwise keep the caller in a loop.
constexpr int kErrorsInRowAtMost = 64;
constexpr double kRateWhenUnknown = 25.0;

bool Fail(std::string& error, const std::string& path, const std::string& reason)
{
    error = "video \"" + path + "\": " + reason;
    return false;
}

} // namespace

struct VideoFile::State {
    FormatInputPtr format;
    CodecPtr codec;
    FramePtr frame = FramePtr(av_frame_alloc());
    PacketPtr packet = PacketPtr(av_packet_alloc());
    ScalerPtr scaler;
    int stream = -1;
    AVRational timeBase{1, 1000};
    int64_t startPts = AV_NOPTS_VALUE;
    double rate = kRateWhenUnknown;
    uint32_t intervalMs = 40;
    int64_t durationMs = 0;
    bool packetHeld = false; // packet waits for the decoder to take it
    bool flushed = false;    // the file gave its last packet; the decoder is draining
    bool ended = false;      // the decoder has handed out its last frame
};

VideoFile::VideoFile() = default;
VideoFile::~VideoFile() = default;
VideoFile::VideoFile(VideoFile&&) noexcept = default;
VideoFile& VideoFile::operator=(VideoFile&&) noexcept = default;

bool VideoFile::Open(const std::string& path, std::string& error)
{
    Close();
    QuietLogging();

    // Only regular files: a FIFO or a device under the name would block or
    // never end.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return Fail(error, path, "file not found");
    if (!std::filesystem::is_regular_file(status))
        return Fail(error, path, "not a regular file");
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return Fail(error, path, "cannot read the file size: " + ec.message());
    if (size == 0)
        return Fail(error, path, "the file is empty");

    auto state = std::make_unique<State>();
    if (!state->frame || !state->packet)
        return Fail(error, path, "out of memory");

    AVFormatContext* format = nullptr;
    int r = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    if (r < 0)
        return Fail(error, path, "not a video file FFmpeg can read (" + ErrorText(r) + ")");
    state->format.reset(format);
    r = avformat_find_stream_info(format, nullptr);
    if (r < 0)
        return Fail(error, path, "cannot read the streams (" + ErrorText(r) + ")");

    const AVCodec* decoder = nullptr;
    r = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (r == AVERROR_STREAM_NOT_FOUND)
        return Fail(error, path, "the file holds no video stream");
    if (r < 0 || decoder == nullptr) {
        // av_find_best_stream names no stream when it finds no decoder;
        // name the codec of the first video stream.
        std::string codecName = "unknown";
        for (unsigned i = 0; i < format->nb_streams; ++i)
            if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
                codecName = avcodec_get_name(format->streams[i]->codecpar->codec_id);
                break;
            }
        return Fail(error, path, "no decoder for the video codec \"" + codecName + "\"");
    }
    state->stream = r;
    AVStream* stream = format->streams[r];
    if (stream->codecpar->width <= 0 || stream->codecpar->height <= 0)
        return Fail(error, path, "the video stream states no picture size");
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != state->stream)
            format->streams[i]->discard = AVDISCARD_ALL;

    state->codec.reset(avcodec_alloc_context3(decoder));
    if (!state->codec)
        return Fail(error, path, "out of memory");
    r = avcodec_parameters_to_context(state->codec.get(), stream->codecpar);
    if (r < 0)
        return Fail(error, path, "unusable codec parameters (" + ErrorText(r) + ")");
    // Decoding belongs to the calling thread alone.
    state->codec->thread_count = 1;
    state->codec->pkt_timebase = stream->time_base;
    r = avcodec_open2(state->codec.get(), decoder, nullptr);
    if (r < 0)
        return Fail(error, path, "cannot open the decoder \"" + std::string(decoder->name) + "\" (" + ErrorText(r) + ")");

    state->timeBase = stream->time_base;
    state->startPts = stream->start_time;
    const AVRational rate = av_guess_frame_rate(format, stream, nullptr);
    if (rate.num > 0 && rate.den > 0) {
        const double fps = av_q2d(rate);
        if (fps >= 1.0 && fps <= 1000.0)
            state->rate = fps;
    }
    state->intervalMs = std::max(1u, static_cast<uint32_t>(std::lround(1000.0 / state->rate)));
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        state->durationMs = av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
    else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        state->durationMs = av_rescale(format->duration, 1000, AV_TIME_BASE);

    m_state = std::move(state);
    m_path = path;
    return true;
}

void VideoFile::Close()
{
    m_state.reset();
    m_path.clear();
    m_frameTimeMs = 0;
    m_framesDecoded = 0;
    m_damagedPackets = 0;
}

bool VideoFile::IsOpen() const { return m_state != nullptr; }

int32_t VideoFile::Width() const { return m_state ? m_state->codec->width : 0; }
int32_t VideoFile::Height() const { return m_state ? m_state->codec->height : 0; }
double VideoFile::FrameRate() const { return m_state ? m_state->rate : kRateWhenUnknown; }
uint32_t VideoFile::FrameIntervalMs() const { return m_state ? m_state->intervalMs : 40; }
int64_t VideoFile::DurationMs() const { return m_state ? m_state->durationMs : 0; }

bool VideoFile::Decode()
{
    State& s = *m_state;
    AVCodecContext* codec = s.codec.get();
    int errorsInRow = 0;
    for (;;) {
        const int got = avcodec_receive_frame(codec, s.frame.get());
        if (got == 0)
            return true;
        if (got == AVERROR_EOF)
            return false;
        if (got != AVERROR(EAGAIN)) {
            ++m_damagedPackets;
            if (++errorsInRow > kErrorsInRowAtMost)
                return false;
        }
        if (s.flushed) {
            // Draining: only frames, errors or the end come from now on.
            if (got == AVERROR(EAGAIN))
                return false;
            continue;
        }
        if (!s.packetHeld) {
            const int read = av_read_frame(s.format.get(), s.packet.get());
            if (read < 0) {
                // The end of the file, or a read error in a damaged one:
                // either way no packet follows, so let the decoder drain.
                s.flushed = true;
                avcodec_send_packet(codec, nullptr);
                continue;
            }
            if (s.packet->stream_index != s.stream) {
                av_packet_unref(s.packet.get());
                continue;
            }
            s.packetHeld = true;
        }
        const int sent = avcodec_send_packet(codec, s.packet.get());
        if (sent == AVERROR(EAGAIN) && got != AVERROR(EAGAIN))
            continue; // the decoder is full: take its frames first, keep the packet
        av_packet_unref(s.packet.get());
        s.packetHeld = false;
        if (sent < 0 && sent != AVERROR_EOF) {
            ++m_damagedPackets;
            if (++errorsInRow > kErrorsInRowAtMost)
                return false;
        }
    }
}

int64_t VideoFile::TimeOfDecodedFrame()
{
    State& s = *m_state;
    const AVFrame& f = *s.frame;
    const bool first = m_framesDecoded == 0;
    int64_t pts = f.best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = f.pts;
    if (pts == AV_NOPTS_VALUE)
        return first ? 0 : m_frameTimeMs + s.intervalMs;
    if (s.startPts == AV_NOPTS_VALUE)
        s.startPts = pts;
    const int64_t ms = av_rescale_q(pts - s.startPts, s.timeBase, AVRational{1, 1000});
    return std::max(first ? int64_t{0} : m_frameTimeMs, ms);
}

bool VideoFile::NextFrame(gdi::Bitmap& frame, int32_t width, int32_t height)
{
    if (!m_state || m_state->ended)
        return false;
    State& s = *m_state;
    for (;;) {
        if (!Decode()) {
            s.ended = true;
            return false;
        }
        const AVFrame& f = *s.frame;
        const int32_t w = width > 0 ? width : f.width;
        const int32_t h = height > 0 ? height : f.height;
        SwsContext* scaler = nullptr;
        if (f.width > 0 && f.height > 0 && f.format >= 0)
            scaler = sws_getCachedContext(s.scaler.release(), f.width, f.height, static_cast<AVPixelFormat>(f.format),
                                          w, h, AV_PIX_FMT_BGRA, SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr,
                                          nullptr);
        s.scaler.reset(scaler);
        if (scaler == nullptr) {
            // A frame no converter takes (no size, an unknown layout): skip it.
            ++m_damagedPackets;
            av_frame_unref(s.frame.get());
            continue;
        }
        if (frame.Width() != w || frame.Height() != h || frame.BitsPerPixel() != 32) {
            frame.SetSize(w, h);
            frame.SetBitsPerPixel(32);
        }
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(frame.Row(0)), nullptr, nullptr, nullptr};
        const int strides[4] = {w * 4, 0, 0, 0};
        sws_scale(scaler, f.data, f.linesize, 0, f.height, planes, strides);
        // The source has no alpha of its own; what the converter leaves
        // there is not to be trusted.
        for (int32_t y = 0; y < h; ++y) {
            gdi::Pixel* row = frame.Row(y);
            for (int32_t x = 0; x < w; ++x)
                row[x] |= 0xFF000000u;
        }
        m_frameTimeMs = TimeOfDecodedFrame();
        ++m_framesDecoded;
        av_frame_unref(s.frame.get());
        return true;
    }
}

} // namespace kestrava::video
