// A video file read frame by frame: whatever FFmpeg can demultiplex and
// decode, the first video stream of it, each frame converted to the drawing
// library's 32-bit BGRA and scaled to the size asked for.
//
// Decoding runs on the caller's thread, one frame per call; nothing here
// starts a thread of its own (the decoder is told to use one thread).
// Damaged packets are skipped, not fatal: a cut or scrambled file plays what
// can still be decoded and then ends.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kestrava::video {

class VideoFile {
public:
    VideoFile();
    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;
    VideoFile(VideoFile&&) noexcept;
    VideoFile& operator=(VideoFile&&) noexcept;

    // Opens a file and its first video stream, closing what was open. False
    // with a message naming the file and the reason (missing, not a video
    // FFmpeg knows, no video stream, no decoder for it); the object is then
    // closed.
    bool Open(const std::string& path, std::string& error);
    void Close();
    bool IsOpen() const;
    const std::string& Path() const { return m_path; }

    // The picture size of the stream (0 while closed).
    int32_t Width() const;
    int32_t Height() const;
    // Frames per second as the stream declares them (25 when it does not),
    // and the time between two frames, rounded to milliseconds (at least 1).
    double FrameRate() const;
    uint32_t FrameIntervalMs() const;
    // The length of the stream in milliseconds as the file states it; 0 when
    // it does not say (a cut file may state its original length).
    int64_t DurationMs() const;

    // Decodes the next frame into frame, scaled to width × height (the
    // stream's own size where a value is 0 or less); the bitmap is resized
    // as needed and every pixel is opaque. False at the end of the stream
    // (or when nothing is open); frame is then left as it was.
    bool NextFrame(gdi::Bitmap& frame, int32_t width = 0, int32_t height = 0);
    // The presentation time of the frame NextFrame returned last, in
    // milliseconds from the start of the stream; never less than the time
    // of the frame before it.
    int64_t FrameTimeMs() const { return m_frameTimeMs; }
    // Frames returned since Open, and packets the decoder refused as damaged.
    int64_t FramesDecoded() const { return m_framesDecoded; }
    int64_t DamagedPackets() const { return m_damagedPackets; }

private:
    struct State;
    // Feeds packets until the decoder hands out a frame; false at the end.
    bool Decode();
    int64_t TimeOfDecodedFrame();

    std::unique_ptr<State> m_state;
    std::string m_path;
    int64_t m_frameTimeMs = 0;
    int64_t m_framesDecoded = 0;
    int64_t m_damagedPackets = 0;
};

} // namespace kestrava::video
