// What the video classes share about FFmpeg: owning pointers for its
// objects, its error codes as text, and quiet logging. Only the library's
// own sources include this; its public headers keep FFmpeg out of sight.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace kestrava::video::detail {

struct FreeFormatInput {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct FreeCodec {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FreeFrame {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct FreePacket {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FreeScaler {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using FormatInputPtr = std::unique_ptr<AVFormatContext, FreeFormatInput>;
using CodecPtr = std::unique_ptr<AVCodecContext, FreeCodec>;
using FramePtr = std::unique_ptr<AVFrame, FreeFrame>;
using PacketPtr = std::unique_ptr<AVPacket, FreePacket>;
using ScalerPtr = std::unique_ptr<SwsContext, FreeScaler>;

// FFmpeg's description of an error code.
std::string ErrorText(int code);

// FFmpeg writes every damaged packet it meets to standard error; the
// classes report what matters through their own messages instead, so the
// library's log is kept to fatal errors. Called before any FFmpeg work.
void QuietLogging();

} // namespace kestrava::video::detail
