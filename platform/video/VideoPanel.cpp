#include "platform/video/VideoPanel.h"

#include <algorithm>
#include <utility>

namespace kestrava::video {

namespace {

// Overdue frames decoded in one go at most; a program that fell further
// behind (a stall of seconds) picks up from the frame it has reached
// instead of racing through the rest.
constexpr int kCatchUpAtMost = 12;

int32_t Diff(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b); }

} // namespace

VideoPanel::VideoPanel(app::EventLoop& loop) : m_loop(loop) {}

VideoPanel::~VideoPanel() { KillTimer(); }

bool VideoPanel::Open(const std::string& path, std::string& error)
{
    Close();
    return m_file.Open(path, error);
}

void VideoPanel::Close()
{
    KillTimer();
    m_file.Close();
    m_current = gdi::Bitmap();
    m_next = gdi::Bitmap();
    m_haveNext = false;
    m_nextTimeMs = 0;
    m_currentTimeMs = 0;
    m_atEnd = false;
    m_finished = false;
    m_framesShown = 0;
    Invalidate();
}

bool VideoPanel::Play()
{
    std::string ignored;
    return Play(ignored);
}

bool VideoPanel::Play(std::string& error)
{
    if (!m_file.IsOpen()) {
        error = "video: nothing is open to play";
        return false;
    }
    if (Playing())
        return true;
    if (m_finished) {
        // Played to the end: start again from the beginning.
        const std::string path = m_file.Path();
        if (!m_file.Open(path, error)) {
            Close();
            return false;
        }
        m_haveNext = false;
        m_atEnd = false;
        m_finished = false;
        m_currentTimeMs = 0;
    }
    if (!m_haveNext && !m_atEnd)
        m_haveNext = DecodeNext();

    // Video time is counted so that what comes next is due now.
    const uint32_t now = m_loop.GetClock().NowMs();
    if (m_haveNext)
        m_startMs = now - static_cast<uint32_t>(m_nextTimeMs);
    else
        m_startMs = now - static_cast<uint32_t>(m_current.Empty() ? 0 : m_currentTimeMs + m_file.FrameIntervalMs());
    Step(false);
    return true;
}

void VideoPanel::Stop() { KillTimer(); }

void VideoPanel::SetStretch(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    Invalidate();
}

int64_t VideoPanel::PlayedMs() const { return Diff(m_loop.GetClock().NowMs(), m_startMs); }

gdi::Size VideoPanel::FrameSize() const
{
    if (m_stretch && Width() > 0 && Height() > 0)
        return {Width(), Height()};
    return {0, 0}; // the video's own size
}

bool VideoPanel::DecodeNext()
{
    const gdi::Size size = FrameSize();
    if (!m_file.NextFrame(m_next, size.cx, size.cy)) {
        m_atEnd = true;
        return false;
    }
    m_nextTimeMs = m_file.FrameTimeMs();
    return true;
}

void VideoPanel::Step(bool mayFinish)
{
    int64_t played = PlayedMs();
    bool shown = false;
    int caughtUp = 0;
    while (m_haveNext && m_nextTimeMs <= played) {
        if (caughtUp == kCatchUpAtMost) {
            m_startMs = m_loop.GetClock().NowMs() - static_cast<uint32_t>(m_nextTimeMs);
            played = m_nextTimeMs;
        }
        std::swap(m_current, m_next);
        m_currentTimeMs = m_nextTimeMs;
        ++caughtUp;
        shown = true;
        m_haveNext = DecodeNext();
    }
    if (shown) {
        // Only the last of the frames that fell due together reaches the
        // screen.
        ++m_framesShown;
        Invalidate();
    }

    if (m_haveNext) {
        Arm(m_startMs + static_cast<uint32_t>(m_nextTimeMs));
        return;
    }
    // The last frame stays up for one frame interval; a file without a
    // single frame ends at once.
    const int64_t endMs = m_current.Empty() ? 0 : m_currentTimeMs + m_file.FrameIntervalMs();
    if (played < endMs || !mayFinish) {
        Arm(m_startMs + static_cast<uint32_t>(endMs));
        return;
    }
    m_finished = true;
    // The handler may close the panel, or the window it lies in: nothing of
    // this object is touched after it.
    const app::NotifyHandler done = OnComplete;
    if (done)
        done();
}

void VideoPanel::Arm(uint32_t dueMs)
{
    KillTimer();
    const int32_t wait = std::max(1, Diff(dueMs, m_loop.GetClock().NowMs()));
    m_timer = m_loop.SetTimer(static_cast<uint32_t>(wait), false, [this] {
        m_timer = 0;
        Step(true);
    });
}

void VideoPanel::KillTimer()
{
    if (m_timer != 0)
        m_loop.KillTimer(m_timer);
    m_timer = 0;
}

void VideoPanel::Paint(app::Canvas& canvas, const gdi::Rect&)
{
    canvas.brush = {gdi::Rgb(0, 0, 0), gdi::BrushStyle::Solid};
    const int32_t w = m_current.Width();
    const int32_t h = m_current.Height();
    if (m_current.Empty()) {
        canvas.FillRect(ClientRect());
        return;
    }
    canvas.Draw(0, 0, m_current);
    if (w < Width())
        canvas.FillRect({w, 0, Width(), Height()});
    if (h < Height())
        canvas.FillRect({0, h, std::min(w, Width()), Height()});
}

} // namespace kestrava::video
