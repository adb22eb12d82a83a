// A control that plays a video file into its client area on the event
// loop's timers.
//
// Frames are due at their own presentation times, counted from Play on the
// loop's clock: the loop wakes for each due time, shows the frame and
// decodes the one after it, all on the user-interface thread. When the
// program falls behind, frames that are already overdue are decoded but
// never shown, so the video keeps its length. The last frame stays up for
// one frame interval; then the video has finished and OnComplete fires,
// once.
//
// The frame is drawn at (0, 0) in the video's own size (or scaled to the
// client area with SetStretch); everything else, and everything before the
// first frame, is black.
#pragma once

#include "platform/app/Control.h"
#include "platform/app/EventLoop.h"
#include "platform/video/VideoFile.h"

#include <cstdint>
#include <string>

namespace kestrava::video {

class VideoPanel : public app::Control {
public:
    // The loop whose timers drive playback; it must outlive the panel.
    explicit VideoPanel(app::EventLoop& loop);
    ~VideoPanel() override;

    // Opens a file (stopping and closing what was open) and shows black
    // until it plays. False with the video's message; nothing is open then.
    bool Open(const std::string& path, std::string& error);
    void Close();
    bool IsOpen() const { return m_file.IsOpen(); }
    const VideoFile& File() const { return m_file; }

    // Shows the next frame at once and the rest at their times. After Stop
    // playing goes on where it stopped; after the end it starts again from
    // the beginning. False when nothing is open, or the file cannot be
    // opened again for the new start (error says why).
    bool Play();
    bool Play(std::string& error);
    // Halts on the frame shown; OnComplete does not fire for this playing.
    void Stop();
    bool Playing() const { return m_timer != 0; }
    // True once the last frame has had its time, until the next Open or Play.
    bool Finished() const { return m_finished; }

    void SetStretch(bool stretch);
    bool Stretch() const { return m_stretch; }

    // Frames put up since Open; overdue frames skipped while the loop was
    // behind do not count.
    int64_t FramesShown() const { return m_framesShown; }
    // The picture shown (empty before the first frame).
    const gdi::Bitmap& CurrentFrame() const { return m_current; }

    // The video has finished: the last frame was shown for its time.
    app::NotifyHandler OnComplete;

    void Paint(app::Canvas& canvas, const gdi::Rect& clip) override;

private:
    // Decodes the frame after the current one into m_next (false at the end).
    bool DecodeNext();
    // Shows what is due, then waits for the next due time or the end.
    // mayFinish is false when called from Play, so OnComplete never runs
    // inside Play but from the loop.
    void Step(bool mayFinish);
    void Arm(uint32_t dueMs);
    void KillTimer();
    gdi::Size FrameSize() const;
    // Milliseconds of video time played by now.
    int64_t PlayedMs() const;

    app::EventLoop& m_loop;
    VideoFile m_file;
    gdi::Bitmap m_current;
    gdi::Bitmap m_next;
    bool m_haveNext = false;
    int64_t m_nextTimeMs = 0;
    int64_t m_currentTimeMs = 0;
    bool m_atEnd = false;   // the file has no frame after m_current
    bool m_finished = false;
    bool m_stretch = false;
    app::EventLoop::TimerId m_timer = 0;
    // The clock reading at which video time 0 was (or would have been) due.
    uint32_t m_startMs = 0;
    int64_t m_framesShown = 0;
};

} // namespace kestrava::video
