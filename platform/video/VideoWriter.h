// Writes a video file from drawn frames: one video stream, frames at a
// fixed rate, encoded with an encoder of FFmpeg's own (no extra packages).
//
// The file is written under a temporary name beside its final one and
// renamed into place by Finish, so an interrupted build never leaves a
// half-written video where the program looks for it.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kestrava::video {

struct VideoFormat {
    int32_t width = 0;
    int32_t height = 0;
    int32_t framesPerSecond = 25;
    std::string container = "avi"; // FFmpeg's name of the container format
    std::string codec = "mpeg4";    // FFmpeg's name of the encoder
    // Encoder quality, 1 (best) to 31, for the encoders that take a fixed
    // quantiser (mpeg4, mjpeg).
    int32_t quality = 3;
    // A key frame at least this often, so a damaged file picks up again soon.
    int32_t keyFrameEvery = 25;
};

class VideoWriter {
public:
    VideoWriter();
    // Abandons an unfinished file: the temporary file is removed and the
    // final name left as it was.
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Starts path. False with a message when the container or encoder is
    // unknown, the size is unusable or the file cannot be created.
    bool Open(const std::string& path, const VideoFormat& format, std::string& error);
    // Appends one frame; it must have the video's size.
    bool WriteFrame(const gdi::Bitmap& frame, std::string& error);
    // Drains the encoder, writes the trailer and moves the file into place.
    bool Finish(std::string& error);
    int64_t FramesWritten() const { return m_frames; }

private:
    struct State;
    bool Drain(bool flush, std::string& error);
    void Abandon();

    std::unique_ptr<State> m_state;
    std::string m_path;
    std::string m_partPath;
    int64_t m_frames = 0;
};

} // namespace kestrava::video
