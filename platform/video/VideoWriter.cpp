#include "platform/video/VideoWriter.h"

#include "platform/video/Ffmpeg.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kestrava::video {

using namespace detail;

namespace {

struct FreeFormatOutput {
    void operator()(AVFormatContext* c) const
    {
        if (c->pb != nullptr && (c->oformat->flags & AVFMT_NOFILE) == 0)
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
using FormatOutputPtr = std::unique_ptr<AVFormatContext, FreeFormatOutput>;

// The encoder's own pixel format that keeps most of a BGRA picture.
AVPixelFormat PixelFormatFor(const AVCodec* codec)
{
    const AVPixelFormat* formats = nullptr;
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(61, 13, 100)
    const void* list = nullptr;
    if (avcodec_get_supported_config(nullptr, codec, AV_CODEC_CONFIG_PIX_FORMAT, 0, &list, nullptr) >= 0)
        formats = static_cast<const AVPixelFormat*>(list);
#else
    formats = codec->pix_fmts;
#endif
    if (formats == nullptr)
        return AV_PIX_FMT_YUV420P;
    return avcodec_find_best_pix_fmt_of_list(formats, AV_PIX_FMT_BGRA, 0, nullptr);
}

} // namespace

struct VideoWriter::State {
    FormatOutputPtr format;
    CodecPtr codec;
    FramePtr frame = FramePtr(av_frame_alloc());
    PacketPtr packet = PacketPtr(av_packet_alloc());
    ScalerPtr scaler;
    AVStream* stream = nullptr;
    VideoFormat wanted;
    bool headerWritten = false;
};

VideoWriter::VideoWriter() = default;

VideoWriter::~VideoWriter() { Abandon(); }

void VideoWriter::Abandon()
{
    const bool wasOpen = m_state != nullptr;
    m_state.reset(); // closes the file first
    if (wasOpen && !m_partPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_partPath, ec);
    }
    m_frames = 0;
}

bool VideoWriter::Open(const std::string& path, const VideoFormat& wanted, std::string& error)
{
    Abandon();
    QuietLogging();
    auto fail = [&](const std::string& reason) {
        error = "video \"" + path + "\": " + reason;
        Abandon();
        return false;
    };
    if (wanted.width <= 0 || wanted.height <= 0 || wanted.width % 2 != 0 || wanted.height % 2 != 0)
        return fail("the picture size must be positive and even, not " + std::to_string(wanted.width) + " x " +
                    std::to_string(wanted.height));
    if (wanted.framesPerSecond <= 0 || wanted.framesPerSecond > 1000)
        return fail("unusable frame rate " + std::to_string(wanted.framesPerSecond));

    auto state = std::make_unique<State>();
    if (!state->frame || !state->packet)
        return fail("out of memory");
    state->wanted = wanted;
    m_path = path;
    m_partPath = path + ".part";

    const AVOutputFormat* container = av_guess_format(wanted.container.c_str(), nullptr, nullptr);
    if (container == nullptr)
        return fail("unknown container format \"" + wanted.container + "\"");
    AVFormatContext* format = nullptr;
    int r = avformat_alloc_output_context2(&format, container, nullptr, m_partPath.c_str());
    if (r < 0 || format == nullptr)
        return fail("cannot set up the container (" + ErrorText(r) + ")");
    state->format.reset(format);

    const AVCodec* encoder = avcodec_find_encoder_by_name(wanted.codec.c_str());
    if (encoder == nullptr || encoder->type != AVMEDIA_TYPE_VIDEO)
        return fail("this FFmpeg has no video encoder \"" + wanted.codec + "\"");
    state->stream = avformat_new_stream(format, nullptr);
    state->codec.reset(avcodec_alloc_context3(encoder));
    if (state->stream == nullptr || !state->codec)
        return fail("out of memory");

    AVCodecContext* codec = state->codec.get();
    codec->width = wanted.width;
    codec->height = wanted.height;
    codec->time_base = AVRational{1, wanted.framesPerSecond};
    codec->framerate = AVRational{wanted.framesPerSecond, 1};
    codec->pix_fmt = PixelFormatFor(encoder);
    codec->gop_size = wanted.keyFrameEvery;
    codec->max_b_frames = 0;
    codec->thread_count = 1;
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    codec->global_quality = FF_QP2LAMBDA * wanted.quality;
    if ((container->flags & AVFMT_GLOBALHEADER) != 0)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    r = avcodec_open2(codec, encoder, nullptr);
    if (r < 0)
        return fail("cannot open the encoder \"" + wanted.codec + "\" (" + ErrorText(r) + ")");
    r = avcodec_parameters_from_context(state->stream->codecpar, codec);
    if (r < 0)
        return fail("cannot pass the codec parameters on (" + ErrorText(r) + ")");
    state->stream->time_base = codec->time_base;
    state->stream->avg_frame_rate = codec->framerate;

    AVFrame* frame = state->frame.get();
    frame->format = codec->pix_fmt;
    frame->width = wanted.width;
    frame->height = wanted.height;
    r = av_frame_get_buffer(frame, 0);
    if (r < 0)
        return fail("out of memory for a frame (" + ErrorText(r) + ")");
    state->scaler.reset(sws_getContext(wanted.width, wanted.height, AV_PIX_FMT_BGRA, wanted.width, wanted.height,
                                       codec->pix_fmt, SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
    if (!state->scaler)
        return fail("no converter from BGRA to the encoder's pixel format");

    r = avio_open(&format->pb, m_partPath.c_str(), AVIO_FLAG_WRITE);
    if (r < 0)
        return fail("cannot create \"" + m_partPath + "\" (" + ErrorText(r) + ")");
    m_state = std::move(state); // from here on Abandon removes the part file
    r = avformat_write_header(format, nullptr);
    if (r < 0)
        return fail("cannot write the file header (" + ErrorText(r) + ")");
    m_state->headerWritten = true;
    return true;
}

bool VideoWriter::Drain(bool flush, std::string& error)
{
    State& s = *m_state;
    for (;;) {
        int r = avcodec_receive_packet(s.codec.get(), s.packet.get());
        if (r == AVERROR(EAGAIN) && !flush)
            return true;
        if (r == AVERROR_EOF)
            return true;
        if (r < 0) {
            error = "video \"" + m_path + "\": encoding failed (" + ErrorText(r) + ")";
            return false;
        }
        av_packet_rescale_ts(s.packet.get(), s.codec->time_base, s.stream->time_base);
        s.packet->stream_index = s.stream->index;
        r = av_interleaved_write_frame(s.format.get(), s.packet.get());
        if (r < 0) {
            error = "video \"" + m_path + "\": cannot write (" + ErrorText(r) + ")";
            return false;
        }
    }
}

bool VideoWriter::WriteFrame(const gdi::Bitmap& picture, std::string& error)
{
    if (!m_state) {
        error = "video: no file is open for writing";
        return false;
    }
    State& s = *m_state;
    if (picture.Width() != s.wanted.width || picture.Height() != s.wanted.height) {
        error = "video \"" + m_path + "\": a frame of " + std::to_string(picture.Width()) + " x " +
                std::to_string(picture.Height()) + " does not fit a video of " + std::to_string(s.wanted.width) +
                " x " + std::to_string(s.wanted.height);
        return false;
    }
    AVFrame* frame = s.frame.get();
    int r = av_frame_make_writable(frame);
    if (r < 0) {
        error = "video \"" + m_path + "\": out of memory (" + ErrorText(r) + ")";
        return false;
    }
    const uint8_t* planes[4] = {reinterpret_cast<const uint8_t*>(picture.Row(0)), nullptr, nullptr, nullptr};
    const int strides[4] = {picture.Width() * 4, 0, 0, 0};
    sws_scale(s.scaler.get(), planes, strides, 0, picture.Height(), frame->data, frame->linesize);
    frame->pts = m_frames;
    r = avcodec_send_frame(s.codec.get(), frame);
    if (r < 0) {
        error = "video \"" + m_path + "\": the encoder refused a frame (" + ErrorText(r) + ")";
        return false;
    }
    ++m_frames;
    return Drain(false, error);
}

bool VideoWriter::Finish(std::string& error)
{
    if (!m_state) {
        error = "video: no file is open for writing";
        return false;
    }
    State& s = *m_state;
    int r = avcodec_send_frame(s.codec.get(), nullptr);
    if (r < 0 && r != AVERROR_EOF) {
        error = "video \"" + m_path + "\": cannot drain the encoder (" + ErrorText(r) + ")";
        return false;
    }
    if (!Drain(true, error))
        return false;
    r = av_write_trailer(s.format.get());
    if (r < 0) {
        error = "video \"" + m_path + "\": cannot write the trailer (" + ErrorText(r) + ")";
        return false;
    }
    avio_flush(s.format->pb);
    r = avio_closep(&s.format->pb);
    if (r < 0) {
        error = "video \"" + m_path + "\": cannot close the file (" + ErrorText(r) + ")";
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(m_partPath, m_path, ec);
    if (ec) {
        error = "video \"" + m_path + "\": cannot move it into place: " + ec.message();
        return false;
    }
    m_state.reset();
    m_partPath.clear();
    return true;
}

} // namespace kestrava::video
