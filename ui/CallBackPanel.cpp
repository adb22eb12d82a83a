#include "ui/CallBackPanel.h"

#include "platform/app/Application.h"

namespace kestrava::ui {

void TCallBackPanel::ShowDrawn()
{
    gdi::Rect drawn;
    {
        std::lock_guard<std::mutex> guard(Lock());
        drawn = Surface().TakeDrawn();
    }
    if (drawn.Empty())
        return;
    m_quietNext = gdi::Union(m_quietNext, drawn);
    Invalidate(drawn);
}

void TCallBackPanel::Paint(app::Canvas& canvas, const gdi::Rect& clip)
{
    if (app::Application* app = App(); app != nullptr && app->FrameNumber() != m_frame) {
        m_frame = app->FrameNumber();
        m_quiet = m_quietNext;
        m_quietNext = {};
    }
    const bool quiet = !m_quiet.Empty() && gdi::Intersect(m_quiet, clip) == clip;
    // The module draws under the lock itself (every call into it takes it),
    // so the event runs unlocked and only the copy below takes the lock.
    if (OnPaint && !quiet)
        OnPaint(*this);
    std::lock_guard<std::mutex> guard(Lock());
    canvas.CopyRect(clip, DeviceContext(), clip);
}

} // namespace kestrava::ui
